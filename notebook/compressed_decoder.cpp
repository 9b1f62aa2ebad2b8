#include "notebook/compressed_decoder.h"

#include <libdeflate.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "platform/base64.h"

namespace vortan::notebook {
namespace {

using mexpr::Expression;
using mexpr::NodeKind;
using Index = Expression::Index;

// Blanks and backslash continuations before "1:" (a notebook breaks the
// string's first line): the position of the first other character.
std::size_t SkipLayout(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
            ++i;
        } else if (c == '\\' && text.substr(i + 1, 1) == "\n") {
            i += 2;
        } else if (c == '\\' && text.substr(i + 1, 2) == "\r\n") {
            i += 3;
        } else {
            break;
        }
    }
    return i;
}

// Refused sizes of the binary form.
constexpr std::uint32_t kMaxRank = 64;

class BinaryReader {
  public:
    BinaryReader(std::string_view bytes, Expression& e)
        : m_p(reinterpret_cast<const unsigned char*>(bytes.data())),
          m_end(m_p + bytes.size()),
          m_e(e) {}

    CompressedStatus Run(Index& root) {
        static constexpr unsigned char kMagic[4] = {'!', 'b', 'o', 'R'};
        if (Left() < 4 || std::memcmp(m_p, kMagic, 4) != 0) return CompressedStatus::BadBody;
        m_p += 4;
        if (!Read(0, root)) return m_status;
        if (m_p != m_end) return CompressedStatus::BadBody;  // bytes after the expression
        return CompressedStatus::Ok;
    }

  private:
    std::size_t Left() const { return static_cast<std::size_t>(m_end - m_p); }

    bool Fail(CompressedStatus s = CompressedStatus::BadBody) {
        m_status = s;
        return false;
    }

    bool Int32(std::int32_t& v) {
        if (Left() < 4) return Fail();
        std::uint32_t u = 0;
        std::memcpy(&u, m_p, 4);
        if constexpr (std::endian::native == std::endian::big) u = ByteSwap(u);
        v = static_cast<std::int32_t>(u);
        m_p += 4;
        return true;
    }

    static std::uint32_t ByteSwap(std::uint32_t u) {
        return (u >> 24) | ((u >> 8) & 0xff00u) | ((u << 8) & 0xff0000u) | (u << 24);
    }
    static std::uint64_t ByteSwap(std::uint64_t u) {
        return (std::uint64_t{ByteSwap(static_cast<std::uint32_t>(u))} << 32) |
               ByteSwap(static_cast<std::uint32_t>(u >> 32));
    }

    double Real64(const unsigned char* at) const {
        std::uint64_t u = 0;
        std::memcpy(&u, at, 8);
        if constexpr (std::endian::native == std::endian::big) u = ByteSwap(u);
        return std::bit_cast<double>(u);
    }

    // A count then that many bytes.
    bool Bytes(std::string_view& out) {
        std::int32_t n = 0;
        if (!Int32(n)) return false;
        if (n < 0 || static_cast<std::size_t>(n) > Left()) return Fail();
        out = std::string_view(reinterpret_cast<const char*>(m_p), static_cast<std::size_t>(n));
        m_p += n;
        return true;
    }

    bool Built(bool ok) { return ok || Fail(CompressedStatus::TooLarge); }

    // A number written as text: optional '-', then Mathematica's number form.
    bool TextNumber(bool integer, Index& out) {
        std::string_view text;
        if (!Bytes(text)) return false;
        const bool negative = !text.empty() && text.front() == '-';
        if (negative) text.remove_prefix(1);
        double v = 0.0;
        bool isInteger = false;
        if (text.empty() || mexpr::ReadMathematicaNumber(text, v, &isInteger) != text.size()) {
            return Fail();
        }
        return Built(m_e.AddNumberNode(negative ? -v : v, integer && isInteger, out));
    }

    bool Function(int depth, Index& out) {
        std::int32_t argc = 0;
        if (!Int32(argc)) return false;
        // Every argument takes at least one byte, the head another.
        if (argc < 0 || static_cast<std::size_t>(argc) >= Left()) return Fail();
        const std::size_t base = m_stack.size();
        Index head = 0;
        if (!Read(depth + 1, head)) return false;
        m_stack.push_back(head);
        for (std::int32_t k = 0; k < argc; ++k) {
            Index arg = 0;
            if (!Read(depth + 1, arg)) return false;
            m_stack.push_back(arg);
        }
        std::span<const Index> all(m_stack.data() + base, m_stack.size() - base);
        bool ok = false;
        if (m_e.IsSymbol(head, "List")) {
            ok = m_e.AddCompoundNode(NodeKind::List, 0, all.subspan(1), out);
        } else if (argc == 2 && (m_e.IsSymbol(head, "Rule") || m_e.IsSymbol(head, "RuleDelayed"))) {
            ok = m_e.AddCompoundNode(NodeKind::Rule, m_e.SymbolName(head) == "Rule" ? '>' : ':',
                                     all.subspan(1), out);
        } else {
            ok = m_e.AddCompoundNode(NodeKind::Apply, 0, all, out);
        }
        m_stack.resize(base);
        return Built(ok);
    }

    // rank, dims, then the elements (8-byte reals or 4-byte integers) as
    // nested lists. Every dimension is at least 1, so the lists are no more
    // than the elements, which the bytes left bound.
    bool Packed(int depth, bool real, Index& out) {
        std::int32_t rank = 0;
        if (!Int32(rank)) return false;
        if (rank < 1 || static_cast<std::uint32_t>(rank) > kMaxRank ||
            depth + rank > kMaxBinaryDepth) {
            return Fail();
        }
        std::vector<std::size_t> dims(static_cast<std::size_t>(rank));
        const std::size_t width = real ? 8 : 4;
        std::size_t total = 1;
        for (std::size_t& d : dims) {
            std::int32_t v = 0;
            if (!Int32(v)) return false;
            if (v < 1) return Fail();
            d = static_cast<std::size_t>(v);
            if (total > Left() / width / d) return Fail();  // more elements than bytes
            total *= d;
        }
        // The elements go straight into the number store; the innermost
        // lists are packed lists over runs of them, with no node per element.
        double* slots = nullptr;
        std::uint32_t first = 0;
        if (!Built(m_e.AddNumberSlots(total, slots, first))) return false;
        if (real && std::endian::native == std::endian::little) {
            std::memcpy(slots, m_p, total * 8);
        } else {
            for (std::size_t k = 0; k < total; ++k) {
                const unsigned char* at = m_p + k * width;
                if (real) {
                    slots[k] = Real64(at);
                } else {
                    std::uint32_t u = 0;
                    std::memcpy(&u, at, 4);
                    if constexpr (std::endian::native == std::endian::big) u = ByteSwap(u);
                    slots[k] = static_cast<double>(static_cast<std::int32_t>(u));
                }
            }
        }
        m_p += total * width;
        const std::size_t inner = dims.back();
        std::size_t count = total / inner;
        std::vector<Index> level(count);
        for (std::size_t g = 0; g < count; ++g) {
            if (!Built(m_e.AddPackedList(first + static_cast<std::uint32_t>(g * inner), inner,
                                         !real, level[g]))) {
                return false;
            }
        }
        // Then the outer dimensions, innermost first.
        for (std::size_t axis = dims.size() - 1; axis-- > 0;) {
            const std::size_t size = dims[axis];
            count /= size;
            for (std::size_t g = 0; g < count; ++g) {
                Index list = 0;
                if (!Built(m_e.AddCompoundNode(
                        NodeKind::List, 0, std::span<const Index>(level.data() + g * size, size),
                        list))) {
                    return false;
                }
                level[g] = list;
            }
        }
        out = level[0];
        return true;
    }

    bool Read(int depth, Index& out) {
        if (depth > kMaxBinaryDepth) return Fail();
        if (Left() < 1) return Fail();
        const unsigned char type = *m_p++;
        switch (type) {
            case 'f':
                return Function(depth, out);
            case 's':
            case 'S': {
                std::string_view text;
                if (!Bytes(text)) return false;
                if (type == 's' && text.empty()) return Fail();
                return Built(
                    m_e.AddTextNode(type == 's' ? NodeKind::Symbol : NodeKind::String, text, out));
            }
            case 'i': {
                std::int32_t v = 0;
                if (!Int32(v)) return false;
                return Built(m_e.AddNumberNode(static_cast<double>(v), true, out));
            }
            case 'r': {
                if (Left() < 8) return Fail();
                const double v = Real64(m_p);
                m_p += 8;
                return Built(m_e.AddNumberNode(v, false, out));
            }
            case 'I':
                return TextNumber(true, out);
            case 'R':
                return TextNumber(false, out);
            case 'e':
                return Packed(depth, true, out);
            case 'n':
                return Packed(depth, false, out);
            default:
                // Not corrupt as far as can be told: a type this decoder does
                // not know (a packed array of another element type, say).
                return Fail(UnknownTypeStatus(type));
        }
    }

    const unsigned char* m_p;
    const unsigned char* m_end;
    Expression& m_e;
    std::vector<Index> m_stack;
    CompressedStatus m_status = CompressedStatus::BadBody;
};

}  // namespace

CompressedStatus Inflate(std::string_view zlib, std::size_t limit, InflatedBytes& out) {
    out = InflatedBytes{};
    struct Free {
        void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
    };
    thread_local const std::unique_ptr<libdeflate_decompressor, Free> decompressor(
        libdeflate_alloc_decompressor());
    if (!decompressor) return CompressedStatus::BadZlib;
    // The inflated size is not stored: start at four times the input (packed
    // reals seldom shrink more) and grow fourfold, never past the limit. The
    // output buffer is never larger than the limit or than four times the
    // bytes a retry showed the stream to need.
    constexpr std::size_t kFirstGuess = std::size_t{64} << 10;
    std::size_t size = zlib.size() > limit / 4 ? limit : std::max(kFirstGuess, zlib.size() * 4);
    size = std::min(size, limit);
    for (;;) {
        auto buffer = std::make_unique_for_overwrite<char[]>(size);
        std::size_t produced = 0;
        const libdeflate_result r = libdeflate_zlib_decompress(
            decompressor.get(), zlib.data(), zlib.size(), buffer.get(), size, &produced);
        if (r == LIBDEFLATE_SUCCESS) {
            out.data = std::move(buffer);
            out.size = produced;
            return CompressedStatus::Ok;
        }
        if (r != LIBDEFLATE_INSUFFICIENT_SPACE) return CompressedStatus::BadZlib;
        if (size >= limit) return CompressedStatus::TooLarge;
        size = size > limit / 4 ? limit : size * 4;
    }
}

CompressedStatus DecodeBinaryExpression(std::string_view bytes, Expression& e, Index& root) {
    return BinaryReader(bytes, e).Run(root);
}

CompressedStatus DecodeCompressedData(std::string_view payload, Expression& e, Index& root,
                                      std::size_t& budget) {
    const std::size_t i = SkipLayout(payload);
    if (payload.compare(i, 2, "1:") != 0) return CompressedStatus::BadBase64;
    const std::string_view text = payload.substr(i + 2);
    const auto zlib =
        std::make_unique_for_overwrite<unsigned char[]>(Base64DecodedBound(text.size()));
    const Base64Result decoded =
        DecodeBase64(text, zlib.get(), Base64Options{.continuations = true});
    if (!decoded) return CompressedStatus::BadBase64;
    InflatedBytes bytes;
    const CompressedStatus s = Inflate(
        std::string_view(reinterpret_cast<const char*>(zlib.get()), decoded.size), budget, bytes);
    if (s != CompressedStatus::Ok) return s;
    budget -= bytes.size;
    return DecodeBinaryExpression(bytes.View(), e, root);
}

void InstallCompressedDataDecoder() {
    vortan::InstallCompressedDataDecoder(&DecodeCompressedData);
}

}  // namespace vortan::notebook
