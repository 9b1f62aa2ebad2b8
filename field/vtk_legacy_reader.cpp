#include "field/vtk_legacy_reader.h"

#include <array>
#include <charconv>
#include <cstddef>
#include <optional>
#include <vector>

#include "field/field_grid.h"
#include "field/value_decode.h"

namespace vortan::field {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

// Walks the text parts of the file; binary blocks are skipped by byte count.
class Cursor {
  public:
    explicit Cursor(std::string_view text) : m_text(text) {}
    std::size_t Pos() const { return m_pos; }
    void Seek(std::size_t pos) { m_pos = pos < m_text.size() ? pos : m_text.size(); }
    std::size_t Remaining() const { return m_text.size() - m_pos; }
    bool AtEnd() const { return m_pos >= m_text.size(); }
    void SkipBlanks() {
        while (m_pos < m_text.size() && IsBlank(m_text[m_pos])) ++m_pos;
    }
    // The rest of the current line, without its end; the cursor moves past it.
    std::string_view Line() {
        const std::size_t start = m_pos;
        std::size_t end = m_text.find('\n', m_pos);
        if (end == std::string_view::npos) end = m_text.size();
        m_pos = end < m_text.size() ? end + 1 : end;
        return m_text.substr(start, end - start);
    }
    std::string_view Token() {
        SkipBlanks();
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() && !IsBlank(m_text[m_pos])) ++m_pos;
        return m_text.substr(start, m_pos - start);
    }
    const unsigned char* Bytes() const {
        return reinterpret_cast<const unsigned char*>(m_text.data()) + m_pos;
    }

  private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

std::vector<std::string_view> Split(std::string_view line) {
    std::vector<std::string_view> tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        const std::size_t start = i;
        while (i < line.size() && !IsBlank(line[i])) ++i;
        if (i > start) tokens.push_back(line.substr(start, i - start));
    }
    return tokens;
}

bool ParseCount(std::string_view token, std::size_t* value) {
    unsigned long long parsed = 0;
    const auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), parsed);
    if (ec != std::errc() || end != token.data() + token.size()) return false;
    if (parsed > static_cast<unsigned long long>(SIZE_MAX)) return false;
    *value = static_cast<std::size_t>(parsed);
    return true;
}

// Names are written with "%20" and the like for blanks and specials.
std::string DecodeName(std::string_view name) {
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        unsigned value = 0;
        if (name[i] == '%' && i + 2 < name.size() &&
            std::from_chars(name.data() + i + 1, name.data() + i + 3, value, 16).ptr ==
                name.data() + i + 3) {
            out += static_cast<char>(value);
            i += 2;
        } else {
            out += name[i];
        }
    }
    return out;
}

// How an array's values are stored.
struct Storage {
    enum Kind { kNumber, kBit, kString } kind = kNumber;
    ValueType type = ValueType::kFloat32;
};

std::optional<Storage> ParseStorage(std::string_view token) {
    static const std::array<std::pair<const char*, ValueType>, 17> kTypes = {{
        {"unsigned_char", ValueType::kUInt8},
        {"char", ValueType::kInt8},
        {"signed_char", ValueType::kInt8},
        {"unsigned_short", ValueType::kUInt16},
        {"short", ValueType::kInt16},
        {"unsigned_int", ValueType::kUInt32},
        {"int", ValueType::kInt32},
        {"unsigned_long", ValueType::kUInt64},
        {"long", ValueType::kInt64},
        {"float", ValueType::kFloat32},
        {"double", ValueType::kFloat64},
        {"vtkIdType", ValueType::kInt32},
        {"vtktypeint64", ValueType::kInt64},
        {"vtktypeuint64", ValueType::kUInt64},
        {"vtktypeint32", ValueType::kInt32},
        {"vtktypeuint32", ValueType::kUInt32},
        {"unsigned_long_long", ValueType::kUInt64},
    }};
    for (const auto& [name, type] : kTypes) {
        if (EqualsIgnoreCase(token, name)) return Storage{Storage::kNumber, type};
    }
    if (EqualsIgnoreCase(token, "bit")) return Storage{Storage::kBit, ValueType::kUInt8};
    if (EqualsIgnoreCase(token, "string") || EqualsIgnoreCase(token, "utf8_string"))
        return Storage{Storage::kString, ValueType::kUInt8};
    return std::nullopt;
}

// A point array, which may hold the velocity.
struct Candidate {
    std::string name;
    bool isVectors = false;
    bool usable = false;  // numbers of two or three components
    std::size_t components = 0;
    std::size_t tuples = 0;
    Storage storage;
    std::size_t dataPos = 0;
};

class LegacyReader {
  public:
    LegacyReader(std::string_view bytes, const std::string& file) : m_cur(bytes), m_file(file) {}

    FieldResult Read(const std::string& vectors) {
        if (!ReadHeader() || !ReadBody()) return FieldError(m_error);
        const Candidate* chosen = Choose(vectors);
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

    bool ReadHeader() {
        const std::string_view first = m_cur.Line();
        if (first.substr(0, 14) != "# vtk DataFile") return Fail("not a legacy VTK file");
        m_cur.Line();  // title
        const auto format = Split(m_cur.Line());
        if (format.size() == 1 && EqualsIgnoreCase(format[0], "ASCII")) return true;
        if (format.size() == 1 && EqualsIgnoreCase(format[0], "BINARY")) {
            m_binary = true;
            return true;
        }
        return Fail("the third line must say ASCII or BINARY");
    }

    bool ReadBody() {
        while (true) {
            m_cur.SkipBlanks();
            if (m_cur.AtEnd()) break;
            const std::size_t lineStart = m_cur.Pos();
            const auto t = Split(m_cur.Line());
            if (t.empty()) continue;
            const std::string_view key = t[0];
            if (EqualsIgnoreCase(key, "DATASET")) {
                if (!ReadDataset(t)) return false;
            } else if (EqualsIgnoreCase(key, "DIMENSIONS")) {
                if (!ReadTriple(t, &m_dims)) return false;
                std::size_t nodes = 0;
                if (!CheckNodeCount(m_dims[0], m_dims[1], m_dims[2], m_file, &nodes, &m_error))
                    return false;
                m_haveDims = true;
            } else if (EqualsIgnoreCase(key, "ORIGIN")) {
                if (!ReadTriple(t, &m_origin)) return false;
            } else if (EqualsIgnoreCase(key, "SPACING") || EqualsIgnoreCase(key, "ASPECT_RATIO")) {
                if (!ReadTriple(t, &m_spacing)) return false;
            } else if (key.size() == 13 && EqualsIgnoreCase(key.substr(1), "_COORDINATES") &&
                       (key[0] == 'X' || key[0] == 'Y' || key[0] == 'Z' || key[0] == 'x' ||
                        key[0] == 'y' || key[0] == 'z')) {
                if (!ReadCoordinates(t)) return false;
            } else if (EqualsIgnoreCase(key, "POINT_DATA") || EqualsIgnoreCase(key, "CELL_DATA")) {
                if (t.size() < 2 || !ParseCount(t[1], &m_tuples))
                    return Fail("a bad count after " + std::string(key));
                m_inPoints = EqualsIgnoreCase(key, "POINT_DATA");
                if (m_inPoints) m_pointTuples = m_tuples;
            } else if (EqualsIgnoreCase(key, "METADATA")) {
                SkipMetadata();
            } else if (!ReadAttribute(t)) {
                if (!m_error.empty()) return false;
                // An unknown keyword ends the part this reader understands.
                if (m_points.empty()) {
                    m_cur.Seek(lineStart);
                    return Fail("unexpected '" + std::string(key.substr(0, 40)) + "'");
                }
                break;
            }
        }
        if (m_dataset.empty()) return Fail("no DATASET line");
        if (!m_haveDims) return Fail("no DIMENSIONS line");
        return true;
    }

    bool ReadDataset(const std::vector<std::string_view>& t) {
        if (t.size() < 2) return Fail("DATASET without a kind");
        const std::string kind(t[1]);
        if (EqualsIgnoreCase(kind, "STRUCTURED_POINTS") ||
            EqualsIgnoreCase(kind, "RECTILINEAR_GRID")) {
            m_dataset = kind;
            m_rectilinear = EqualsIgnoreCase(kind, "RECTILINEAR_GRID");
            return true;
        }
        if (EqualsIgnoreCase(kind, "STRUCTURED_GRID"))
            return Fail(
                "a curvilinear grid (STRUCTURED_GRID) cannot be traced; "
                "image or rectilinear data can");
        if (EqualsIgnoreCase(kind, "UNSTRUCTURED_GRID") || EqualsIgnoreCase(kind, "POLYDATA"))
            return Fail("an unstructured data set (" + kind +
                        ") cannot be traced; image or rectilinear data can");
        return Fail("a data set of kind '" + kind.substr(0, 40) + "' cannot be traced");
    }

    template <typename T>
    bool ReadTriple(const std::vector<std::string_view>& t, std::array<T, 3>* out) {
        if (t.size() < 4) return Fail(std::string(t[0]) + " needs three numbers");
        for (std::size_t i = 0; i < 3; ++i) {
            bool good;
            if constexpr (std::is_same_v<T, double>) {
                good = ParseNumber(t[i + 1], &(*out)[i]);
            } else {
                good = ParseCount(t[i + 1], &(*out)[i]);
            }
            if (!good)
                return Fail("'" + std::string(t[i + 1].substr(0, 40)) + "' after " +
                            std::string(t[0]) + " is not a valid number");
        }
        return true;
    }

    bool ReadCoordinates(const std::vector<std::string_view>& t) {
        std::size_t n = 0;
        std::optional<Storage> storage;
        if (t.size() < 3 || !ParseCount(t[1], &n) || !(storage = ParseStorage(t[2])) ||
            storage->kind != Storage::kNumber)
            return Fail("a bad " + std::string(t[0]) + " line");
        if (n > kMaxFieldNodes) return Fail(std::string(t[0]) + " holds too many values");
        const auto axis = static_cast<std::size_t>(t[0][0] == 'X' || t[0][0] == 'x'   ? 0
                                                   : t[0][0] == 'Y' || t[0][0] == 'y' ? 1
                                                                                      : 2);
        Candidate c;
        c.name = std::string(t[0]);
        c.components = 1;
        c.tuples = n;
        c.storage = *storage;
        if (!StartData(&c)) return false;
        // Each value takes a byte at least: a short file cannot ask for much memory.
        if (n > m_cur.Remaining()) return Fail("the file ends inside " + c.name);
        m_coords[axis].resize(n);
        std::size_t end = 0;
        if (!ReadValues(c, m_coords[axis].data(), n, &end)) return false;
        m_cur.Seek(end);
        return true;
    }

    // Reads an attribute line and skips its data; remembers point arrays of
    // two or three components. False with no error for an unknown keyword.
    bool ReadAttribute(const std::vector<std::string_view>& t) {
        const std::string_view key = t[0];
        auto bad = [&] { return Fail("a bad " + std::string(key) + " line"); };
        Candidate c;
        c.tuples = m_tuples;
        if (EqualsIgnoreCase(key, "VECTORS") || EqualsIgnoreCase(key, "NORMALS")) {
            if (t.size() < 3 || !Store(t[2], &c)) return bad();
            c.components = 3;
            c.isVectors = EqualsIgnoreCase(key, "VECTORS");
            return AddArray(t[1], c, c.isVectors);
        }
        if (EqualsIgnoreCase(key, "SCALARS")) {
            if (t.size() < 3 || !Store(t[2], &c)) return bad();
            c.components = 1;
            if (t.size() > 3 && (!ParseCount(t[3], &c.components) || c.components == 0))
                return bad();
            // The lookup table line belongs to the scalars.
            const std::size_t save = m_cur.Pos();
            m_cur.SkipBlanks();
            const auto next = Split(m_cur.Line());
            if (next.empty() || !EqualsIgnoreCase(next[0], "LOOKUP_TABLE")) m_cur.Seek(save);
            return AddArray(t[1], c, true);
        }
        if (EqualsIgnoreCase(key, "TEXTURE_COORDINATES")) {
            if (t.size() < 4 || !ParseCount(t[2], &c.components) || !Store(t[3], &c)) return bad();
            return AddArray(t[1], c, false);
        }
        if (EqualsIgnoreCase(key, "TENSORS") || EqualsIgnoreCase(key, "TENSORS6")) {
            if (t.size() < 3 || !Store(t[2], &c)) return bad();
            c.components = key.size() == 7 ? 9 : 6;
            return AddArray(t[1], c, false);
        }
        if (EqualsIgnoreCase(key, "GLOBAL_IDS") || EqualsIgnoreCase(key, "PEDIGREE_IDS")) {
            if (t.size() < 3 || !Store(t[2], &c)) return bad();
            c.components = 1;
            return AddArray(t[1], c, false);
        }
        if (EqualsIgnoreCase(key, "COLOR_SCALARS") || EqualsIgnoreCase(key, "LOOKUP_TABLE")) {
            // Bytes in binary files, floats in ASCII ones.
            std::size_t m = 0;
            if (t.size() < 3 || !ParseCount(t[2], &m)) return bad();
            c.storage = Storage{Storage::kNumber, ValueType::kUInt8};
            if (EqualsIgnoreCase(key, "LOOKUP_TABLE")) {
                c.tuples = m;
                c.components = 4;
            } else {
                c.components = m;
            }
            return AddArray(t[1], c, false);
        }
        if (EqualsIgnoreCase(key, "FIELD")) {
            std::size_t arrays = 0;
            if (t.size() < 3 || !ParseCount(t[2], &arrays)) return bad();
            for (std::size_t a = 0; a < arrays; ++a) {
                m_cur.SkipBlanks();
                const auto line = Split(m_cur.Line());
                if (line.empty()) return Fail("FIELD " + std::string(t[1]) + " ends early");
                if (line[0] == "NULL_ARRAY") continue;
                Candidate f;
                if (line.size() < 4 || !ParseCount(line[1], &f.components) ||
                    !ParseCount(line[2], &f.tuples) || !Store(line[3], &f))
                    return Fail("a bad array line in FIELD " + std::string(t[1]));
                if (!AddArray(line[0], f, m_inPoints && f.tuples == m_pointTuples)) return false;
                if (m_stopped) return true;
                SkipMetadataIfAny();
            }
            return true;
        }
        return false;
    }

    bool Store(std::string_view token, Candidate* c) {
        const auto storage = ParseStorage(token);
        if (!storage) return false;
        c->storage = *storage;
        return true;
    }

    // Records the array (when it is point data and may be the velocity) and
    // moves past its data.
    bool AddArray(std::string_view rawName, Candidate c, bool mayBeVelocity) {
        c.name = DecodeName(rawName);
        if (c.storage.kind == Storage::kString) {
            // Strings cannot be skipped reliably; what came before is used.
            m_stopped = true;
            m_cur.Seek(SIZE_MAX);
            return true;
        }
        if (!StartData(&c)) return false;
        if (m_inPoints) {
            c.usable = mayBeVelocity && c.storage.kind == Storage::kNumber &&
                       (c.components == 2 || c.components == 3);
            m_points.push_back(c);
        }
        return SkipData(c);
    }

    // Positions the array's data: binary data begins on the next line.
    bool StartData(Candidate* c) {
        if (c->components != 0 && c->tuples > SIZE_MAX / c->components)
            return Fail("array '" + c->name + "' is too large");
        c->dataPos = m_cur.Pos();
        return true;
    }

    bool SkipData(const Candidate& c) {
        const std::size_t count = c.tuples * c.components;
        if (m_binary) {
            if (count > SIZE_MAX / 8) return Fail("array '" + c.name + "' is too large");
            const std::size_t bytes = c.storage.kind == Storage::kBit
                                          ? count / 8 + (count % 8 != 0)
                                          : count * ValueSize(c.storage.type);
            if (bytes > m_cur.Remaining())
                return Fail("the file ends inside array '" + c.name + "'");
            m_cur.Seek(m_cur.Pos() + bytes);
            return true;
        }
        for (std::size_t i = 0; i < count; ++i) {
            if (m_cur.Token().empty()) return Fail("the file ends inside array '" + c.name + "'");
        }
        return true;
    }

    void SkipMetadata() {
        // Lines up to the first empty one.
        while (!m_cur.AtEnd()) {
            if (Split(m_cur.Line()).empty()) break;
        }
    }

    void SkipMetadataIfAny() {
        const std::size_t save = m_cur.Pos();
        m_cur.SkipBlanks();
        const auto t = Split(m_cur.Line());
        if (!t.empty() && EqualsIgnoreCase(t[0], "METADATA")) {
            SkipMetadata();
        } else {
            m_cur.Seek(save);
        }
    }

    // Reads the first count values of c's data into out; *end is where they end.
    bool ReadValues(const Candidate& c, double* out, std::size_t count, std::size_t* end) {
        Cursor cur = m_cur;
        cur.Seek(c.dataPos);
        if (c.storage.kind != Storage::kNumber)
            return Fail("array '" + c.name + "' does not hold numbers");
        if (m_binary) {
            const std::size_t size = ValueSize(c.storage.type);
            if (count > cur.Remaining() / size)
                return Fail("the file ends inside array '" + c.name + "'");
            DecodeValues(cur.Bytes(), count, c.storage.type, true, out);
            *end = c.dataPos + count * size;
            return true;
        }
        for (std::size_t i = 0; i < count; ++i) {
            const std::string_view token = cur.Token();
            if (token.empty()) return Fail("the file ends inside array '" + c.name + "'");
            if (!ParseNumber(token, &out[i]))
                return Fail("'" + std::string(token.substr(0, 40)) + "' in array '" + c.name +
                            "' is not a number");
        }
        *end = cur.Pos();
        return true;
    }

    const Candidate* Choose(const std::string& vectors) {
        if (m_pointTuples == 0 && m_points.empty()) {
            Fail("no point data; the velocity must be given at the grid points");
            return nullptr;
        }
        std::vector<PointArray> arrays;
        for (const auto& c : m_points)
            arrays.push_back({c.name, c.components, c.isVectors, c.usable});
        std::string why;
        const int index = ChooseVectorArray(arrays, vectors, &why);
        if (index < 0) {
            Fail(why);
            return nullptr;
        }
        return &m_points[static_cast<std::size_t>(index)];
    }

    bool MakeAxes(RawGrid* grid) {
        std::size_t nodes = 0;
        if (!CheckNodeCount(m_dims[0], m_dims[1], m_dims[2], m_file, &nodes, &m_error))
            return false;
        if (m_pointTuples != nodes)
            return Fail("POINT_DATA gives " + std::to_string(m_pointTuples) + " points for " +
                        std::to_string(nodes) + " grid nodes");
        for (std::size_t a = 0; a < 3; ++a) {
            if (m_rectilinear) {
                if (m_coords[a].size() != m_dims[a])
                    return Fail(std::string(1, static_cast<char>('X' + a)) + "_COORDINATES holds " +
                                std::to_string(m_coords[a].size()) + " values for " +
                                std::to_string(m_dims[a]) + " nodes");
                grid->axis[a] = m_coords[a];
            } else {
                if (m_dims[a] > 1 && m_spacing[a] == 0.0) return Fail("a spacing of zero");
                grid->axis[a].resize(m_dims[a]);
                for (std::size_t i = 0; i < m_dims[a]; ++i)
                    grid->axis[a][i] = m_origin[a] + static_cast<double>(i) * m_spacing[a];
            }
        }
        return true;
    }

    bool ReadVelocity(const Candidate& c, RawGrid* grid) {
        const std::size_t n = c.tuples;
        std::vector<double> values(n * c.components);
        std::size_t end = 0;
        if (!ReadValues(c, values.data(), n * c.components, &end)) return false;
        for (std::size_t k = 0; k < c.components; ++k) {
            grid->comp[k].resize(n);
            for (std::size_t i = 0; i < n; ++i) grid->comp[k][i] = values[i * c.components + k];
        }
        return true;
    }

    Cursor m_cur;
    std::string m_file;
    std::string m_error;
    bool m_binary = false;
    std::string m_dataset;
    bool m_rectilinear = false;
    bool m_haveDims = false;
    std::array<std::size_t, 3> m_dims = {1, 1, 1};
    std::array<double, 3> m_origin = {0, 0, 0};
    std::array<double, 3> m_spacing = {1, 1, 1};
    std::array<std::vector<double>, 3> m_coords;
    bool m_inPoints = false;
    bool m_stopped = false;
    std::size_t m_tuples = 0;
    std::size_t m_pointTuples = 0;
    std::vector<Candidate> m_points;  // the point arrays, in the file's order
};

}  // namespace

FieldResult ReadVtkLegacy(std::string_view bytes, const std::string& file,
                          const std::string& vectors) {
    return LegacyReader(bytes, file).Read(vectors);
}

}  // namespace vortan::field
