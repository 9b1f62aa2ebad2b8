#include "field/field_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "field/field_grid.h"
#include "field/netcdf_reader.h"
#include "field/vtk_legacy_reader.h"
#include "field/vtk_xml_reader.h"

namespace vortan::field {
namespace {

// Bytes read to recognise a file: HDF5 files may carry a user block, putting
// the signature at 512, 1024 or 2048.
constexpr std::size_t kHeadBytes = 2048 + 8;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

bool IsXmlBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Reads the whole file, refusing files past kMaxFieldFileBytes.
bool ReadWhole(const std::string& path, std::string* bytes, std::string* error) {
    File f(std::fopen(path.c_str(), "rb"));
    if (!f) {
        *error = path + ": cannot be opened (" + std::strerror(errno) + ")";
        return false;
    }
    struct stat st {};
    if (fstat(fileno(f.get()), &st) != 0 || !S_ISREG(st.st_mode)) {
        *error = path + ": not a regular file";
        return false;
    }
    const auto size = static_cast<unsigned long long>(st.st_size);
    if (size > kMaxFieldFileBytes) {
        *error = path + ": the file of " + std::to_string(size) +
                 " bytes is larger than the limit of " + std::to_string(kMaxFieldFileBytes) +
                 " bytes";
        return false;
    }
    bytes->resize(static_cast<std::size_t>(size));
    const std::size_t got = std::fread(bytes->data(), 1, bytes->size(), f.get());
    // A file that shrank while being read is read as far as it goes.
    bytes->resize(got);
    if (std::ferror(f.get())) {
        *error = path + ": read error";
        return false;
    }
    return true;
}

}  // namespace

FieldFormat DetectFieldFormatBytes(std::string_view head) {
    if (head.size() >= 4 && StartsWith(head, "CDF") &&
        (head[3] == '\x01' || head[3] == '\x02' || head[3] == '\x05'))
        return FieldFormat::kNetCdf;
    constexpr std::string_view kHdf5("\x89HDF\r\n\x1a\n", 8);
    for (std::size_t offset : {0u, 512u, 1024u, 2048u}) {
        if (head.size() >= offset + 8 && head.substr(offset, 8) == kHdf5)
            return FieldFormat::kNetCdf;
    }
    if (StartsWith(head, "# vtk DataFile")) return FieldFormat::kVtkLegacy;
    // XML: byte order mark, blanks, declaration, comments, then the root.
    std::string_view rest = head;
    if (StartsWith(rest, "\xEF\xBB\xBF")) rest.remove_prefix(3);
    while (true) {
        while (!rest.empty() && IsXmlBlank(rest.front())) rest.remove_prefix(1);
        const char* close = StartsWith(rest, "<?")     ? "?>"
                            : StartsWith(rest, "<!--") ? "-->"
                                                       : nullptr;
        if (close == nullptr) break;
        const std::size_t end = rest.find(close);
        if (end == std::string_view::npos) return FieldFormat::kUnknown;
        rest.remove_prefix(end + std::strlen(close));
    }
    if (StartsWith(rest, "<VTKFile") &&
        (rest.size() == 8 || IsXmlBlank(rest[8]) || rest[8] == '>' || rest[8] == '/'))
        return FieldFormat::kVtkXml;
    return FieldFormat::kUnknown;
}

FieldFormat DetectFieldFormat(const std::string& path) {
    File f(std::fopen(path.c_str(), "rb"));
    if (!f) return FieldFormat::kUnknown;
    std::string head(kHeadBytes, '\0');
    head.resize(std::fread(head.data(), 1, head.size(), f.get()));
    return DetectFieldFormatBytes(head);
}

FieldResult ReadFieldFile(const std::string& path, const ReadOptions& options) {
    File f(std::fopen(path.c_str(), "rb"));
    if (!f) return FieldError(path + ": cannot be opened (" + std::strerror(errno) + ")");
    std::string head(kHeadBytes, '\0');
    head.resize(std::fread(head.data(), 1, head.size(), f.get()));
    f.reset();
    const FieldFormat format = DetectFieldFormatBytes(head);
    if (format == FieldFormat::kNetCdf) return ReadNetCdfFile(path, options);
    if (format == FieldFormat::kUnknown)
        return FieldError(path +
                          ": not a vector field file (NetCDF, HDF5, legacy VTK or VTK XML "
                          "image or rectilinear data)");
    std::string bytes, error;
    if (!ReadWhole(path, &bytes, &error)) return FieldError(error);
    if (format == FieldFormat::kVtkLegacy) return ReadVtkLegacy(bytes, path, options.vectors);
    return ReadVtkXml(bytes, path, options.vectors);
}

}  // namespace vortan::field
