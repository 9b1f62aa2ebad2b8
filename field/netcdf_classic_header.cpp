#include "field/netcdf_classic_header.h"

#include <vector>

namespace vortan::field {
namespace {

constexpr unsigned kDimensionTag = 0x0A, kVariableTag = 0x0B, kAttributeTag = 0x0C;
constexpr unsigned long long kMaxName = 256;

class HeaderWalk {
  public:
    HeaderWalk(std::string_view head, unsigned long long fileSize)
        : m_head(head), m_fileSize(fileSize), m_version(static_cast<unsigned char>(head[3])) {}

    bool Check(std::string* problem) {
        m_pos = 4;
        unsigned long long records = 0, dims = 0, vars = 0;
        if (!Number(Wide(), &records)) return Result(problem);
        if (!ListHeader(kDimensionTag, &dims)) return Result(problem);
        std::vector<unsigned long long> lengths;
        for (unsigned long long d = 0; d < dims; ++d) {
            unsigned long long length = 0;
            if (!Name() || !Number(Wide(), &length)) return Result(problem);
            lengths.push_back(length);
        }
        if (!Attributes()) return Result(problem);
        if (!ListHeader(kVariableTag, &vars)) return Result(problem);
        for (unsigned long long v = 0; v < vars && m_problem.empty() && !m_pastHead; ++v) {
            unsigned long long rank = 0, type = 0, size = 0, begin = 0;
            if (!Name() || !Count(Wide(), 4, &rank)) return Result(problem);
            for (unsigned long long r = 0; r < rank; ++r) {
                unsigned long long id = 0;
                if (!Number(Wide(), &id)) return Result(problem);
                if (id >= dims)
                    return Fail("a variable names dimension " + std::to_string(id) + " of " +
                                    std::to_string(dims),
                                problem);
            }
            if (!Attributes() || !Number(4, &type) || !Number(Wide(), &size) ||
                !Number(m_version == 1 ? 4 : 8, &begin))
                return Result(problem);
            if (type == 0 || type > (m_version == 5 ? 11u : 6u))
                return Fail("a variable of unknown type " + std::to_string(type), problem);
            if (begin > m_fileSize)
                return Fail("a variable's data begins past the end of the file", problem);
        }
        return Result(problem);
    }

  private:
    std::size_t Wide() const { return m_version == 5 ? 8 : 4; }

    bool Result(std::string* problem) {
        if (m_problem.empty()) return true;
        *problem = m_problem;
        return false;
    }

    bool Fail(const std::string& what, std::string* problem = nullptr) {
        if (m_problem.empty()) m_problem = what;
        if (problem != nullptr) *problem = m_problem;
        return false;
    }

    // A big-endian number of width bytes; past the head the walk stops
    // without a verdict.
    bool Number(std::size_t width, unsigned long long* value) {
        if (m_pastHead) return false;
        if (m_head.size() - m_pos < width) {
            if (m_pos + width > m_fileSize) return Fail("the header is cut short");
            m_pastHead = true;
            return false;
        }
        *value = 0;
        for (std::size_t i = 0; i < width; ++i)
            *value = *value << 8 | static_cast<unsigned char>(m_head[m_pos + i]);
        m_pos += width;
        return true;
    }

    // A count of items taking at least itemBytes each, checked against what
    // is left of the file.
    bool Count(std::size_t width, unsigned long long itemBytes, unsigned long long* count) {
        if (!Number(width, count)) return false;
        if (*count > (m_fileSize - m_pos) / itemBytes)
            return Fail("a count of " + std::to_string(*count) + " is larger than the file");
        return true;
    }

    bool Skip(unsigned long long bytes) {
        if (bytes > m_fileSize - m_pos) return Fail("the header runs past the end of the file");
        if (bytes > m_head.size() - m_pos) {
            m_pastHead = true;
            return false;
        }
        m_pos += static_cast<std::size_t>(bytes);
        return true;
    }

    static unsigned long long Padded(unsigned long long n) { return (n + 3) / 4 * 4; }

    // Names past 256 bytes (the library's NC_MAX_NAME) overflow the
    // library's own name buffers.
    bool Name() {
        unsigned long long length = 0;
        if (!Count(Wide(), 1, &length)) return false;
        if (length > kMaxName) return Fail("a name of " + std::to_string(length) + " bytes");
        return Skip(Padded(length));
    }

    // ABSENT (two zeros) or the tag and a count.
    bool ListHeader(unsigned tag, unsigned long long* count) {
        unsigned long long found = 0;
        if (!Number(4, &found)) return false;
        if (found != 0 && found != tag) return Fail("a damaged header (unexpected list tag)");
        // Every item has at least a name length and a value: eight bytes.
        return Count(Wide(), 8, count) &&
               (found != 0 || *count == 0 || Fail("a damaged header (empty list with items)"));
    }

    bool Attributes() {
        unsigned long long count = 0;
        if (!ListHeader(kAttributeTag, &count)) return false;
        for (unsigned long long a = 0; a < count; ++a) {
            unsigned long long type = 0, values = 0;
            if (!Name() || !Number(4, &type)) return false;
            static const unsigned kSizes[12] = {0, 1, 1, 2, 4, 4, 8, 1, 2, 4, 8, 8};
            if (type == 0 || type > (m_version == 5 ? 11u : 6u))
                return Fail("an attribute of unknown type " + std::to_string(type));
            if (!Count(Wide(), kSizes[type], &values) || !Skip(Padded(values * kSizes[type])))
                return false;
        }
        return true;
    }

    std::string_view m_head;
    unsigned long long m_fileSize;
    unsigned char m_version;
    std::size_t m_pos = 0;
    bool m_pastHead = false;
    std::string m_problem;
};

}  // namespace

bool CheckClassicHeader(std::string_view head, unsigned long long fileSize, std::string* problem) {
    if (head.size() < 4 || head.substr(0, 3) != "CDF") return true;
    const char version = head[3];
    if (version != 1 && version != 2 && version != 5) return true;
    if (fileSize < head.size()) fileSize = head.size();
    return HeaderWalk(head, fileSize).Check(problem);
}

}  // namespace vortan::field
