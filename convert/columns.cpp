#include "convert/columns.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <string_view>
#include <system_error>
#include <unordered_map>

#include "platform/numeric.h"

namespace vortan::convert {

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

std::string_view Unquote(std::string_view s) {
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"') return s.substr(1, s.size() - 2);
    return s;
}

// A field's text: without its quotes, a doubled quote inside read as one.
std::string FieldText(std::string_view s) {
    const bool quoted = s.size() >= 2 && s.front() == '"' && s.back() == '"';
    if (!quoted) return std::string(s);
    std::string text;
    s = s.substr(1, s.size() - 2);
    for (std::size_t i = 0; i < s.size(); ++i) {
        text += s[i];
        if (s[i] == '"' && i + 1 < s.size() && s[i + 1] == '"') ++i;
    }
    return text;
}

// Just past the quoted part that opens at line[i] (a '"'): its closing quote,
// doubled quotes inside passed over; the line's end when it is not closed.
std::size_t PassQuoted(std::string_view line, std::size_t i) {
    for (++i; i < line.size(); ++i) {
        if (line[i] != '"') continue;
        if (i + 1 < line.size() && line[i + 1] == '"') {
            ++i;
        } else {
            return i + 1;
        }
    }
    return line.size();
}

// A finite decimal number filling the whole field (a leading + allowed).
bool ParseNumber(std::string_view s, double& v) {
    s = Trim(Unquote(Trim(s)));
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    if (s.empty()) return false;
    const auto res = std::from_chars(s.data(), s.data() + s.size(), v);
    return res.ec == std::errc() && res.ptr == s.data() + s.size() && std::isfinite(v);
}

// The separator of a table, from its first line: ';' when it holds one,
// otherwise ',' when it holds one, otherwise blanks (' ').
// Quoted text (an id holding a comma) does not count.
char DetectSeparator(std::string_view line) {
    bool comma = false;
    for (std::size_t i = 0; i < line.size();) {
        if (line[i] == '"') {
            i = PassQuoted(line, i);
            continue;
        }
        if (line[i] == ';') return ';';
        comma = comma || line[i] == ',';
        ++i;
    }
    return comma ? ',' : ' ';
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

// Fields of a line; a separator (or blank) inside quotes belongs to its field.
std::vector<std::string_view> SplitFields(std::string_view line, char separator) {
    std::vector<std::string_view> fields;
    if (separator == ' ') {
        std::size_t i = 0;
        while (i < line.size()) {
            while (i < line.size() && IsBlank(line[i])) ++i;
            if (i >= line.size()) break;
            const std::size_t start = i;
            while (i < line.size() && !IsBlank(line[i])) {
                i = line[i] == '"' ? PassQuoted(line, i) : i + 1;
            }
            fields.push_back(line.substr(start, i - start));
        }
        return fields;
    }
    std::size_t start = 0;
    std::size_t i = 0;
    for (;;) {
        while (i < line.size() && line[i] != separator) {
            i = line[i] == '"' ? PassQuoted(line, i) : i + 1;
        }
        fields.push_back(Trim(line.substr(start, i - start)));
        if (i >= line.size()) break;
        start = ++i;
    }
    return fields;
}

// The lines of a table, ended by LF, CR LF or a lone CR (classic Mac OS and
// some spreadsheet exports), read in blocks.
class LineReader {
  public:
    enum class Result { kLine, kEnd, kTooLong, kReadError };

    explicit LineReader(std::istream& in) : m_in(in), m_block(64 * 1024) {}

    // The next line without its end; at most kMaxLineLength characters.
    Result Next(std::string& line) {
        line.clear();
        bool any = false;
        for (;;) {
            if (m_pos == m_end && !Fill()) {
                if (m_in.bad()) return Result::kReadError;
                return any ? Result::kLine : Result::kEnd;
            }
            if (m_afterCr) {
                m_afterCr = false;
                if (m_block[m_pos] == '\n') {
                    ++m_pos;
                    continue;
                }
            }
            any = true;
            const char* from = m_block.data() + m_pos;
            const std::size_t avail = m_end - m_pos;
            std::size_t n = 0;
            while (n < avail && from[n] != '\n' && from[n] != '\r') ++n;
            if (line.size() + n > kMaxLineLength) return Result::kTooLong;
            line.append(from, n);
            m_pos += n;
            if (n < avail) {
                m_afterCr = m_block[m_pos++] == '\r';
                return Result::kLine;
            }
        }
    }

  private:
    bool Fill() {
        m_pos = m_end = 0;
        if (!m_in.good()) return false;
        m_in.read(m_block.data(), static_cast<std::streamsize>(m_block.size()));
        m_end = static_cast<std::size_t>(m_in.gcount());
        return m_end > 0;
    }

    std::istream& m_in;
    std::vector<char> m_block;
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
    bool m_afterCr = false;  // a LF next is the second half of CR LF
};

}  // namespace

bool ReadTable(std::istream& in, const std::string& name, Table& table, std::string& error) {
    table = Table{};
    std::unordered_map<std::string, std::size_t> index;
    char separator = 0;
    std::size_t lineNumber = 0;
    bool first = true;
    auto fail = [&](const std::string& what) {
        error = name + ":" + std::to_string(lineNumber) + ": " + what;
        return false;
    };
    LineReader lines(in);
    std::string raw;
    for (;;) {
        const LineReader::Result got = lines.Next(raw);
        if (got == LineReader::Result::kReadError) {
            error = name + ": read error";
            return false;
        }
        if (got == LineReader::Result::kEnd) break;
        ++lineNumber;
        if (got == LineReader::Result::kTooLong) {
            return fail("line longer than " + std::to_string(kMaxLineLength) + " characters");
        }
        if (raw.find('\0') != std::string::npos) return fail("line holds a zero byte");
        std::string_view text(raw);
        // The byte-order mark of "CSV UTF-8" files is not part of the first id.
        if (lineNumber == 1 && text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
        text = Trim(text);
        if (text.empty() || text.front() == '#' || text.front() == '%') continue;
        if (!separator) separator = DetectSeparator(text);
        const auto fields = SplitFields(text, separator);
        if (first) {
            // A first line whose later fields are not all numbers names the columns.
            first = false;
            bool numbers = fields.size() >= 2;
            for (std::size_t k = 1; k < fields.size() && numbers; ++k) {
                double v = 0.0;
                numbers = ParseNumber(fields[k], v);
            }
            if (!numbers) continue;
        }
        if (fields.size() != 4 && fields.size() != 5) {
            return fail("expected 4 or 5 columns (id, t, x, y[, z]), found " +
                        std::to_string(fields.size()));
        }
        if (table.columns == 0) table.columns = static_cast<int>(fields.size());
        if (static_cast<int>(fields.size()) != table.columns) {
            return fail("expected " + std::to_string(table.columns) + " columns as above, found " +
                        std::to_string(fields.size()));
        }
        Point p;
        const char* const names[] = {"t", "x", "y", "z"};
        for (std::size_t k = 1; k < fields.size(); ++k) {
            double v = 0.0;
            if (!ParseNumber(fields[k], v)) {
                return fail("column " + std::to_string(k + 1) + " (" + names[k - 1] + "): \"" +
                            std::string(fields[k].substr(0, 40)) + "\" is not a finite number");
            }
            (k == 1 ? p.t : k == 2 ? p.x : k == 3 ? p.y : p.z) = v;
        }
        if (table.points >= kMaxPoints) {
            return fail("more than " + std::to_string(kMaxPoints) + " points");
        }
        const std::string id = FieldText(fields[0]);
        auto [it, added] = index.emplace(id, table.streamlines.size());
        if (added) table.streamlines.push_back(Streamline{id, {}});
        table.streamlines[it->second].points.push_back(p);
        ++table.points;
    }
    if (table.points == 0) {
        error = name + ": no points (expected lines of id, t, x, y[, z])";
        return false;
    }
    return true;
}

bool ComputeHeader(const Table& table, const Options& options, StreamlineHeader& header,
                   std::string& error, std::vector<std::string>* warnings) {
    const int dimension = options.dimension ? options.dimension : (table.columns == 5 ? 3 : 2);
    if (dimension == 3 && table.columns != 5) {
        error = "three dimensions need a z column (id, t, x, y, z)";
        return false;
    }
    std::size_t lines = 0;
    double span = 0.0;
    double lo[3] = {std::numeric_limits<double>::infinity(),
                    std::numeric_limits<double>::infinity(),
                    std::numeric_limits<double>::infinity()};
    double hi[3] = {-lo[0], -lo[0], -lo[0]};
    for (const Streamline& s : table.streamlines) {
        if (s.points.size() < 2) {
            if (warnings) {
                warnings->push_back("streamline " + s.id + " has a single point and is left out");
            }
            continue;
        }
        ++lines;
        double tLo = s.points.front().t, tHi = tLo;
        for (const Point& q : s.points) {
            tLo = std::min(tLo, q.t);
            tHi = std::max(tHi, q.t);
            const double c[3] = {q.x, q.y, q.z};
            for (int k = 0; k < 3; ++k) {
                lo[k] = std::min(lo[k], c[k]);
                hi[k] = std::max(hi[k], c[k]);
            }
        }
        span = std::max(span, tHi - tLo);
    }
    if (lines == 0) {
        error = "no streamline has two or more points";
        return false;
    }
    const double tMax = options.tMax > 0.0 ? options.tMax : span;
    if (!(tMax > 0.0)) {
        error = "every streamline has a parameter span of 0 (all t equal)";
        return false;
    }

    // Coordinate ranges with the margin; a coordinate without spread gets
    // one around its value so that the picture's scale stays finite.
    double range[3][2];
    for (int k = 0; k < 3; ++k) {
        const double width = hi[k] - lo[k];
        const double pad =
            width > 0.0 ? options.margin * width : std::max(1.0, std::fabs(lo[k]) * 0.01);
        range[k][0] = lo[k] - pad;
        range[k][1] = hi[k] + pad;
    }
    if (dimension == 2) {
        range[2][0] = -1.0;
        range[2][1] = 1.0;
    }
    auto fits = [](double v) {
        return std::isfinite(v) && std::fabs(v) <= std::numeric_limits<float>::max();
    };
    for (const auto& r : range) {
        if (!fits(r[0]) || !fits(r[1]) || !(NarrowToFloat(r[0]) < NarrowToFloat(r[1]))) {
            error = "coordinates beyond the single-precision range";
            return false;
        }
    }
    if (!fits(tMax) || !fits(span)) {
        error = "parameter span beyond the single-precision range";
        return false;
    }
    header = StreamlineHeader{};
    header.imageWidth = static_cast<float>(options.width);
    header.imageHeight = static_cast<float>(options.height);
    header.dimension = static_cast<float>(dimension);
    header.tMax = NarrowToFloat(tMax);
    header.progressStep = NarrowToFloat(100.0 / static_cast<double>(lines));
    float* const ranges[] = {&header.xMin, &header.xMax, &header.yMin,
                             &header.yMax, &header.zMin, &header.zMax};
    for (int k = 0; k < 6; ++k) *ranges[k] = NarrowToFloat(range[k / 2][k % 2]);
    header.numbersRead = 11;
    return true;
}

std::vector<StreamlinePoint> OrderedPoints(const Streamline& streamline) {
    std::vector<StreamlinePoint> points;
    points.reserve(streamline.points.size());
    for (const Point& p : streamline.points) points.push_back({p.t, p.x, p.y, p.z});
    std::stable_sort(points.begin(), points.end(),
                     [](const StreamlinePoint& a, const StreamlinePoint& b) { return a.t < b.t; });
    return points;
}

bool WriteStreamlineFile(const Table& table, const StreamlineHeader& header,
                         const std::string& path, std::string& error) {
    StreamlineWriter writer;
    bool ok = writer.Open(path, header);
    for (const Streamline& s : table.streamlines) {
        if (!ok) break;
        if (s.points.size() >= 2) ok = writer.Write(OrderedPoints(s));
    }
    if (ok) ok = writer.Commit();
    if (!ok) {
        writer.Abandon();
        error = writer.Error();
    }
    return ok;
}

}  // namespace vortan::convert
