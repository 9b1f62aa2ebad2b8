#include "field/vtk_xml_reader.h"

#include <expat.h>

#include <array>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <deque>
#include <optional>
#include <vector>

#include "field/field_grid.h"
#include "field/value_decode.h"
#include "field/vtk_xml_decode.h"
#include "platform/base64.h"

namespace vortan::field {
namespace {

struct ArrayInfo {
    std::string name;
    std::string type;
    std::size_t components = 1;
    std::string format;  // ascii, binary or appended
    std::size_t offset = 0;
    std::string text;  // inline content
};

std::optional<ValueType> ParseType(std::string_view name) {
    static const std::array<std::pair<const char*, ValueType>, 10> kTypes = {{
        {"Int8", ValueType::kInt8},
        {"UInt8", ValueType::kUInt8},
        {"Int16", ValueType::kInt16},
        {"UInt16", ValueType::kUInt16},
        {"Int32", ValueType::kInt32},
        {"UInt32", ValueType::kUInt32},
        {"Int64", ValueType::kInt64},
        {"UInt64", ValueType::kUInt64},
        {"Float32", ValueType::kFloat32},
        {"Float64", ValueType::kFloat64},
    }};
    for (const auto& [text, type] : kTypes) {
        if (name == text) return type;
    }
    return std::nullopt;
}

std::vector<std::string_view> Words(std::string_view s) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && std::strchr(" \t\r\n", s[i]) != nullptr && s[i] != '\0') ++i;
        const std::size_t start = i;
        while (i < s.size() && (std::strchr(" \t\r\n", s[i]) == nullptr || s[i] == '\0')) ++i;
        if (i > start) words.push_back(s.substr(start, i - start));
    }
    return words;
}

template <std::size_t N>
bool ParseNumbers(std::string_view s, std::array<double, N>* out) {
    const auto words = Words(s);
    if (words.size() != N) return false;
    for (std::size_t i = 0; i < N; ++i) {
        if (!ParseNumber(words[i], &(*out)[i]) || !std::isfinite((*out)[i])) return false;
    }
    return true;
}

bool ParseExtent(std::string_view s, std::array<long long, 6>* out) {
    const auto words = Words(s);
    if (words.size() != 6) return false;
    for (std::size_t i = 0; i < 6; ++i) {
        const auto [end, ec] =
            std::from_chars(words[i].data(), words[i].data() + words[i].size(), (*out)[i]);
        if (ec != std::errc() || end != words[i].data() + words[i].size()) return false;
        if ((*out)[i] < -(1LL << 40) || (*out)[i] > (1LL << 40)) return false;
    }
    return true;
}

class XmlReader {
  public:
    XmlReader(std::string_view bytes, const std::string& file) : m_bytes(bytes), m_file(file) {}

    FieldResult Read(const std::string& vectors) {
        if (!Parse()) return FieldError(m_error);
        const ArrayInfo* chosen = Choose(vectors);
        if (chosen == nullptr) return FieldError(m_error);
        RawGrid grid;
        if (!MakeAxes(&grid) || !ReadVelocity(*chosen, &grid)) return FieldError(m_error);
        return BuildField(std::move(grid), m_file, chosen->name + " of " + BaseName(m_file));
    }

  private:
    bool Fail(const std::string& message) {
        if (m_error.empty()) m_error = m_file + ": " + message;
        return false;
    }

    // Runs expat over the XML part; raw appended data is not XML and is cut
    // off before parsing.
    bool Parse() {
        std::string_view xml = m_bytes;
        std::string tail;
        const std::size_t appended = m_bytes.find("<AppendedData");
        if (appended != std::string_view::npos) {
            if (!FindAppended(appended)) return false;
            xml = m_bytes.substr(0, appended);
            tail = "</VTKFile>";
        }
        XML_Parser parser = XML_ParserCreate(nullptr);
        if (parser == nullptr) return Fail("out of memory");
        XML_SetUserData(parser, this);
        XML_SetElementHandler(parser, &XmlReader::OnStart, &XmlReader::OnEnd);
        XML_SetCharacterDataHandler(parser, &XmlReader::OnText);
        bool good = true;
        constexpr std::size_t kChunk = std::size_t{1} << 30;
        for (std::size_t at = 0; good && at < xml.size(); at += kChunk) {
            const std::string_view piece = xml.substr(at, kChunk);
            good =
                XML_Parse(parser, piece.data(), static_cast<int>(piece.size()), 0) == XML_STATUS_OK;
        }
        if (good)
            good =
                XML_Parse(parser, tail.data(), static_cast<int>(tail.size()), 1) == XML_STATUS_OK;
        if (!good && m_error.empty()) {
            Fail(std::string("not well-formed XML (") + XML_ErrorString(XML_GetErrorCode(parser)) +
                 " at line " + std::to_string(XML_GetCurrentLineNumber(parser)) + ")");
        }
        XML_ParserFree(parser);
        if (!m_error.empty()) return false;
        if (!m_sawRoot) return Fail("no VTKFile element");
        if (!m_sawGrid) return Fail("no " + m_kind + " element");
        if (m_pieces == 0) return Fail("no Piece element");
        if (m_pieces > 1)
            return Fail("the data comes in " + std::to_string(m_pieces) +
                        " pieces; only single-piece files are read");
        return true;
    }

    // The AppendedData element: its encoding and where its data begins (after
    // the '_' that marks the start).
    bool FindAppended(std::size_t at) {
        const std::size_t close = m_bytes.find('>', at);
        if (close == std::string_view::npos) return Fail("an unfinished AppendedData tag");
        const std::string_view tag = m_bytes.substr(at, close - at);
        const std::size_t enc = tag.find("encoding");
        std::string_view encoding;
        if (enc != std::string_view::npos) {
            const std::size_t q = tag.find_first_of("\"'", enc);
            if (q != std::string_view::npos) {
                const std::size_t q2 = tag.find(tag[q], q + 1);
                if (q2 != std::string_view::npos) encoding = tag.substr(q + 1, q2 - q - 1);
            }
        }
        if (encoding == "raw") {
            m_appendedBase64 = false;
        } else if (encoding == "base64") {
            m_appendedBase64 = true;
        } else {
            return Fail("AppendedData encoding must be raw or base64");
        }
        const std::size_t mark = m_bytes.find('_', close);
        if (mark == std::string_view::npos) return Fail("AppendedData without its '_' mark");
        m_appended = m_bytes.substr(mark + 1);
        if (m_appendedBase64) {
            const std::size_t end = m_appended.find("</AppendedData");
            if (end != std::string_view::npos) m_appended = m_appended.substr(0, end);
        }
        m_haveAppended = true;
        return true;
    }

    static const char* Attr(const XML_Char** attrs, const char* name) {
        for (std::size_t i = 0; attrs[i] != nullptr && attrs[i + 1] != nullptr; i += 2) {
            if (std::strcmp(attrs[i], name) == 0) return attrs[i + 1];
        }
        return nullptr;
    }

    static void OnStart(void* self, const XML_Char* name, const XML_Char** attrs) {
        static_cast<XmlReader*>(self)->Start(name, attrs);
    }
    static void OnEnd(void* self, const XML_Char* name) {
        static_cast<XmlReader*>(self)->End(name);
    }
    static void OnText(void* self, const XML_Char* text, int length) {
        auto* r = static_cast<XmlReader*>(self);
        // Text of the array element itself, not of elements nested in it.
        if (r->m_collect != nullptr && length > 0 && r->m_path.size() == r->m_collectDepth)
            r->m_collect->text.append(text, static_cast<std::size_t>(length));
    }

    void Start(std::string_view name, const XML_Char** attrs) {
        m_path.emplace_back(name);
        if (!m_error.empty()) return;
        std::string_view parent;
        if (m_path.size() >= 2) parent = m_path[m_path.size() - 2];
        if (m_path.size() == 1) {
            StartRoot(name, attrs);
        } else if (parent == "VTKFile" && (name == "ImageData" || name == "RectilinearGrid")) {
            if (name != m_kind) {
                Fail("a " + std::string(name) + " element in a file of type " + m_kind);
                return;
            }
            m_sawGrid = true;
            const char* extent = Attr(attrs, "WholeExtent");
            if (extent == nullptr || !ParseExtent(extent, &m_extent))
                Fail("a missing or bad WholeExtent");
            CheckExtent();
            if (name == "ImageData") StartImage(attrs);
        } else if (name == "Piece" && parent == m_kind) {
            ++m_pieces;
            const char* extent = Attr(attrs, "Extent");
            if (extent != nullptr && !ParseExtent(extent, &m_extent)) Fail("a bad piece Extent");
            CheckExtent();
        } else if (name == "PointData" && parent == "Piece") {
            const char* active = Attr(attrs, "Vectors");
            if (active != nullptr) m_activeVectors = active;
        } else if (name == "DataArray" && (parent == "PointData" || parent == "Coordinates")) {
            StartArray(parent == "PointData", attrs);
        }
    }

    void StartRoot(std::string_view name, const XML_Char** attrs) {
        if (name != "VTKFile") {
            Fail("the root element is " + std::string(name.substr(0, 40)) + ", not VTKFile");
            return;
        }
        m_sawRoot = true;
        const char* type = Attr(attrs, "type");
        const std::string kind = type == nullptr ? "" : type;
        if (kind == "ImageData" || kind == "RectilinearGrid") {
            m_kind = kind;
        } else if (kind == "StructuredGrid") {
            Fail(
                "a curvilinear grid (StructuredGrid) cannot be traced; image or rectilinear "
                "data can");
        } else if (kind == "UnstructuredGrid" || kind == "PolyData") {
            Fail("unstructured data (" + kind +
                 ") cannot be traced; image or rectilinear data can");
        } else if (kind.rfind("P", 0) == 0) {
            Fail("a parallel index file (" + kind.substr(0, 40) + "); open one of its pieces");
        } else {
            Fail("a VTKFile of type '" + kind.substr(0, 40) + "' cannot be traced");
        }
        const char* order = Attr(attrs, "byte_order");
        m_layout.bigEndian = order != nullptr && std::strcmp(order, "BigEndian") == 0;
        const char* header = Attr(attrs, "header_type");
        if (header != nullptr && std::strcmp(header, "UInt64") == 0) {
            m_layout.headerWidth = 8;
        } else if (header != nullptr && std::strcmp(header, "UInt32") != 0) {
            Fail("header_type must be UInt32 or UInt64");
        }
        const char* compressor = Attr(attrs, "compressor");
        if (compressor != nullptr && *compressor != '\0') {
            if (std::strcmp(compressor, "vtkZLibDataCompressor") == 0) {
                m_layout.zlib = true;
            } else {
                Fail(std::string("the compressor ") + std::string(compressor).substr(0, 40) +
                     " is not supported; zlib-compressed or uncompressed data is");
            }
        }
    }

    void StartImage(const XML_Char** attrs) {
        const char* origin = Attr(attrs, "Origin");
        const char* spacing = Attr(attrs, "Spacing");
        const char* direction = Attr(attrs, "Direction");
        if (origin != nullptr && !ParseNumbers(origin, &m_origin)) Fail("a bad Origin");
        if (spacing != nullptr && !ParseNumbers(spacing, &m_spacing)) Fail("a bad Spacing");
        std::array<double, 9> d = {1, 0, 0, 0, 1, 0, 0, 0, 1};
        if (direction != nullptr && !ParseNumbers(direction, &d)) Fail("a bad Direction");
        for (std::size_t r = 0; r < 3; ++r) {
            for (std::size_t c = 0; c < 3; ++c) {
                if (r != c && d[r * 3 + c] != 0.0) {
                    Fail(
                        "the image is rotated (Direction not along the axes) and cannot be "
                        "traced");
                    return;
                }
            }
            if (d[r * 4] == 0.0) Fail("a bad Direction");
            m_spacing[r] *= d[r * 4];
        }
    }

    void StartArray(bool point, const XML_Char** attrs) {
        ArrayInfo a;
        const char* name = Attr(attrs, "Name");
        const char* type = Attr(attrs, "type");
        const char* comps = Attr(attrs, "NumberOfComponents");
        const char* format = Attr(attrs, "format");
        const char* offset = Attr(attrs, "offset");
        a.name = name == nullptr ? "" : name;
        a.type = type == nullptr ? "" : type;
        a.format = format == nullptr ? "ascii" : format;
        if (comps != nullptr) {
            const auto [end, ec] = std::from_chars(comps, comps + std::strlen(comps), a.components);
            if (ec != std::errc() || *end != '\0' || a.components == 0 || a.components > 1024) {
                Fail("array '" + a.name + "' has a bad NumberOfComponents");
                return;
            }
        }
        if (offset != nullptr) {
            const auto [end, ec] = std::from_chars(offset, offset + std::strlen(offset), a.offset);
            if (ec != std::errc() || *end != '\0') {
                Fail("array '" + a.name + "' has a bad offset");
                return;
            }
        }
        auto& list = point ? m_pointArrays : m_coordArrays;
        list.push_back(std::move(a));
        // Inline text is kept for arrays that may be read; others are skipped.
        if (m_collect == nullptr && list.back().format != "appended" &&
            (!point || list.back().components == 2 || list.back().components == 3)) {
            m_collect = &list.back();
            m_collectDepth = m_path.size();
        }
    }

    void End(std::string_view) {
        if (m_path.size() == m_collectDepth) m_collect = nullptr;
        if (!m_path.empty()) m_path.pop_back();
    }

    const ArrayInfo* Choose(const std::string& vectors) {
        std::vector<PointArray> arrays;
        for (const auto& a : m_pointArrays) {
            arrays.push_back({a.name, a.components,
                              !m_activeVectors.empty() && a.name == m_activeVectors,
                              a.components == 2 || a.components == 3});
        }
        std::string why;
        const int index = ChooseVectorArray(arrays, vectors, &why);
        if (index < 0) {
            Fail(why);
            return nullptr;
        }
        return &m_pointArrays[static_cast<std::size_t>(index)];
    }

    void CheckExtent() {
        if (!m_error.empty()) return;
        for (std::size_t a = 0; a < 3; ++a) {
            if (m_extent[2 * a + 1] < m_extent[2 * a]) {
                Fail("an empty extent");
                return;
            }
        }
        std::size_t nodes = 0;
        CheckNodeCount(Nodes(0), Nodes(1), Nodes(2), m_file, &nodes, &m_error);
    }

    std::size_t Nodes(std::size_t axis) const {
        return static_cast<std::size_t>(m_extent[2 * axis + 1] - m_extent[2 * axis] + 1);
    }

    bool MakeAxes(RawGrid* grid) {
        for (std::size_t a = 0; a < 3; ++a) {
            if (m_extent[2 * a + 1] < m_extent[2 * a]) return Fail("an empty extent");
        }
        std::size_t nodes = 0;
        if (!CheckNodeCount(Nodes(0), Nodes(1), Nodes(2), m_file, &nodes, &m_error)) return false;
        if (m_kind == "ImageData") {
            for (std::size_t a = 0; a < 3; ++a) {
                if (Nodes(a) > 1 && m_spacing[a] == 0.0) return Fail("a spacing of zero");
                grid->axis[a].resize(Nodes(a));
                for (std::size_t i = 0; i < Nodes(a); ++i)
                    grid->axis[a][i] =
                        m_origin[a] + m_spacing[a] * static_cast<double>(m_extent[2 * a] +
                                                                         static_cast<long long>(i));
            }
            return true;
        }
        if (m_coordArrays.size() != 3)
            return Fail("the Coordinates element must hold three arrays, not " +
                        std::to_string(m_coordArrays.size()));
        for (std::size_t a = 0; a < 3; ++a) {
            if (m_coordArrays[a].components != 1)
                return Fail("coordinate array '" + m_coordArrays[a].name + "' has " +
                            std::to_string(m_coordArrays[a].components) + " components");
            if (!ReadArray(m_coordArrays[a], Nodes(a), &grid->axis[a])) return false;
        }
        return true;
    }

    bool ReadVelocity(const ArrayInfo& a, RawGrid* grid) {
        const std::size_t n = Nodes(0) * Nodes(1) * Nodes(2);
        std::vector<double> values;
        if (!ReadArray(a, n, &values)) return false;
        for (std::size_t k = 0; k < a.components; ++k) {
            grid->comp[k].resize(n);
            for (std::size_t i = 0; i < n; ++i) grid->comp[k][i] = values[i * a.components + k];
        }
        return true;
    }

    // Reads tuples * components values of the array as doubles.
    bool ReadArray(const ArrayInfo& a, std::size_t tuples, std::vector<double>* out) {
        const std::string what = "array '" + a.name + "'";
        const auto type = ParseType(a.type);
        if (!type)
            return Fail(what + " has type '" + a.type.substr(0, 40) + "', not a number type");
        const std::size_t count = tuples * a.components;
        const std::size_t size = ValueSize(*type);
        if (a.format == "ascii") {
            // Token by token: a list of all tokens would cost 16 bytes each.
            out->clear();
            const std::string_view text = a.text;
            std::size_t at = 0;
            while (out->size() < count) {
                at = text.find_first_not_of(" \t\r\n", at);
                if (at == std::string_view::npos) break;
                const std::size_t end = std::min(text.find_first_of(" \t\r\n", at), text.size());
                const std::string_view word = text.substr(at, end - at);
                double value = 0;
                if (!ParseNumber(word, &value))
                    return Fail("'" + std::string(word.substr(0, 40)) + "' in " + what +
                                " is not a number");
                // Each value has at least two characters of text behind it.
                if (out->empty()) out->reserve(std::min(count, text.size() / 2 + 1));
                out->push_back(value);
                at = end;
            }
            if (out->size() < count)
                return Fail(what + " holds " + std::to_string(out->size()) + " values of " +
                            std::to_string(count));
            return true;
        }
        std::string decoded;
        std::string_view data;
        // Header and data are padded separately, so padded groups may follow
        // each other.
        constexpr Base64Options kVtkBase64{.paddedGroups = true};
        if (a.format == "binary") {
            if (const Base64Result r = DecodeBase64(a.text, decoded, kVtkBase64); !r)
                return Fail(what + ": " + Base64ErrorText(r));
            data = decoded;
        } else if (a.format == "appended") {
            if (!m_haveAppended) return Fail(what + " is appended but there is no AppendedData");
            if (a.offset > m_appended.size())
                return Fail(what + " starts past the end of the appended data");
            const std::string_view from = m_appended.substr(a.offset);
            if (m_appendedBase64) {
                if (const Base64Result r = DecodeBase64(from, decoded, kVtkBase64); !r)
                    return Fail(what + ": " + Base64ErrorText(r));
                data = decoded;
            } else {
                data = from;  // raw bytes are read where they lie
            }
        } else {
            return Fail(what + " has format '" + a.format.substr(0, 40) +
                        "'; ascii, binary or appended");
        }
        // Every value needs its bytes in the file (or in compressed form):
        // checked by the unpacking before it allocates.
        std::string bytes, error;
        if (count > SIZE_MAX / size || !UnpackArray(data, m_layout, count * size, &bytes, &error))
            return Fail(what + ": " + (error.empty() ? "too large" : error));
        out->resize(count);
        DecodeValues(reinterpret_cast<const unsigned char*>(bytes.data()), count, *type,
                     m_layout.bigEndian, out->data());
        return true;
    }

    std::string_view m_bytes;
    std::string m_file;
    std::string m_error;
    std::vector<std::string> m_path;
    bool m_sawRoot = false;
    bool m_sawGrid = false;
    std::string m_kind;
    int m_pieces = 0;
    std::array<long long, 6> m_extent = {0, 0, 0, 0, 0, 0};
    std::array<double, 3> m_origin = {0, 0, 0};
    std::array<double, 3> m_spacing = {1, 1, 1};
    BlockLayout m_layout;
    std::string m_activeVectors;
    // Deques: m_collect points into them while more arrays are added.
    std::deque<ArrayInfo> m_pointArrays;
    std::deque<ArrayInfo> m_coordArrays;
    ArrayInfo* m_collect = nullptr;
    std::size_t m_collectDepth = 0;
    bool m_haveAppended = false;
    bool m_appendedBase64 = false;
    std::string_view m_appended;
};

}  // namespace

FieldResult ReadVtkXml(std::string_view bytes, const std::string& file,
                       const std::string& vectors) {
    return XmlReader(bytes, file).Read(vectors);
}

}  // namespace vortan::field
