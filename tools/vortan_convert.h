// The core of vortan-convert: reads streamlines given as plain columns
// (streamline id, t, x, y[, z], one point a line, separated by commas,
// semicolons or blanks, with or without a header line) and writes them as a
// streamline file: a header computed from the data, then one classic record
// per streamline. Header-only, so that the tool and its tests share it.
#pragma once

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <istream>
#include <limits>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "platform/atomic_file.h"

namespace vortan::convert {

// Most points read from one table (about 40 bytes each in memory).
inline constexpr std::size_t kMaxPoints = 10'000'000;
// Longest line of the table.
inline constexpr std::size_t kMaxLineLength = 65536;
// Largest knot index a streamline file can hold: more points are thinned.
inline constexpr std::size_t kLastKnot = 1000;
// Records of this many characters or fewer are not drawn; shorter ones are padded.
inline constexpr std::size_t kShortRecord = 200;

struct Options {
    int width = 800;
    int height = 600;
    double margin = 0.05;  // fraction of each coordinate's span added on both sides
    int dimension = 0;     // 2 or 3; 0 takes it from the columns
    double tMax = 0.0;     // 0: the longest streamline's parameter span
};

struct Point {
    double t = 0.0;
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

struct Streamline {
    std::string id;
    std::vector<Point> points;  // in the order read
};

struct Table {
    int columns = 0;  // 4 (id, t, x, y) or 5 (with z)
    std::size_t points = 0;
    std::vector<Streamline> streamlines;  // in order of first appearance
};

namespace detail {

inline std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

inline std::string_view Unquote(std::string_view s) {
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"') return s.substr(1, s.size() - 2);
    return s;
}

// A finite decimal number filling the whole field (a leading + allowed).
inline bool ParseNumber(std::string_view s, double& v) {
    s = Trim(Unquote(Trim(s)));
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    if (s.empty()) return false;
    const auto res = std::from_chars(s.data(), s.data() + s.size(), v);
    return res.ec == std::errc() && res.ptr == s.data() + s.size() && std::isfinite(v);
}

// The separator of a table, from its first line: ';' when it holds one,
// otherwise ',' when it holds one, otherwise blanks (' ').
inline char DetectSeparator(std::string_view line) {
    if (line.find(';') != std::string_view::npos) return ';';
    if (line.find(',') != std::string_view::npos) return ',';
    return ' ';
}

inline std::vector<std::string_view> SplitFields(std::string_view line, char separator) {
    std::vector<std::string_view> fields;
    if (separator == ' ') {
        std::size_t i = 0;
        while (i < line.size()) {
            while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
            if (i >= line.size()) break;
            const std::size_t start = i;
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
            fields.push_back(line.substr(start, i - start));
        }
        return fields;
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t cut = line.find(separator, start);
        fields.push_back(
            Trim(line.substr(start, cut == std::string_view::npos ? cut : cut - start)));
        if (cut == std::string_view::npos) break;
        start = cut + 1;
    }
    return fields;
}

// Shortest text that reads back as the same float, in fixed notation with
// a decimal point (Mathematica's form of a machine real: "0.", "1.5").
inline std::string Number(float v) {
    if (v == 0.0f) return "0.";
    char buf[80];
    const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
    std::string s(buf, res.ptr);
    if (s.find('.') == std::string::npos) s += '.';
    return s;
}

// Source index of knot i when m > 1001 points are thinned to 1001, keeping
// the first and the last: round(i * (m - 1) / 1000), halves up.
inline std::size_t ThinnedIndex(std::size_t i, std::size_t m) {
    return (2 * i * (m - 1) + kLastKnot) / (2 * kLastKnot);
}

}  // namespace detail

// Reads the table from in. name is used in messages ("NAME:LINE: ...").
// Blank lines and lines starting with '#' or '%' are passed over; the first
// other line is a header when its number fields are not all numbers.
inline bool ReadTable(std::istream& in, const std::string& name, Table& table, std::string& error) {
    table = Table{};
    std::unordered_map<std::string, std::size_t> index;
    std::string line;
    char separator = 0;
    std::size_t lineNumber = 0;
    bool first = true;
    auto fail = [&](const std::string& what) {
        error = name + ":" + std::to_string(lineNumber) + ": " + what;
        return false;
    };
    std::vector<char> buffer(kMaxLineLength + 2);
    for (;;) {
        in.getline(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const auto got = in.gcount();
        if (in.bad()) {
            error = name + ": read error";
            return false;
        }
        if (in.fail() && !in.eof()) {
            ++lineNumber;
            return fail("line longer than " + std::to_string(kMaxLineLength) + " characters");
        }
        if (got == 0 && in.eof()) break;
        ++lineNumber;
        // The line end was taken unless the input ended first.
        const std::size_t length = static_cast<std::size_t>(got) - (in.eof() ? 0 : 1);
        std::string_view text(buffer.data(), std::strlen(buffer.data()));
        if (text.size() != length) return fail("line holds a zero byte");
        text = detail::Trim(text);
        if (text.empty() || text.front() == '#' || text.front() == '%') {
            if (in.eof()) break;
            continue;
        }
        if (!separator) separator = detail::DetectSeparator(text);
        const auto fields = detail::SplitFields(text, separator);
        if (first) {
            // A first line whose later fields are not all numbers names the columns.
            first = false;
            bool numbers = fields.size() >= 2;
            for (std::size_t k = 1; k < fields.size() && numbers; ++k) {
                double v = 0.0;
                numbers = detail::ParseNumber(fields[k], v);
            }
            if (!numbers) {
                if (in.eof()) break;
                continue;
            }
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
            if (!detail::ParseNumber(fields[k], v)) {
                return fail("column " + std::to_string(k + 1) + " (" + names[k - 1] + "): \"" +
                            std::string(fields[k].substr(0, 40)) + "\" is not a finite number");
            }
            (k == 1 ? p.t : k == 2 ? p.x : k == 3 ? p.y : p.z) = v;
        }
        if (table.points >= kMaxPoints) {
            return fail("more than " + std::to_string(kMaxPoints) + " points");
        }
        const std::string id(detail::Unquote(fields[0]));
        auto [it, added] = index.emplace(id, table.streamlines.size());
        if (added) table.streamlines.push_back(Streamline{id, {}});
        table.streamlines[it->second].points.push_back(p);
        ++table.points;
        if (in.eof()) break;
    }
    if (table.points == 0) {
        error = name + ": no points (expected lines of id, t, x, y[, z])";
        return false;
    }
    return true;
}

// Writes the streamline file for table: the eleven header numbers, then one
// record per streamline of two or more points. Each streamline's points are
// ordered by t and its t made relative to its first; more than 1001 points
// are thinned evenly, keeping the first and the last. Streamlines left out
// are named in warnings.
inline bool WriteStreamlineFile(const Table& table, const Options& options, std::ostream& out,
                                std::string& error, std::vector<std::string>* warnings = nullptr) {
    const int dimension = options.dimension ? options.dimension : (table.columns == 5 ? 3 : 2);
    if (dimension == 3 && table.columns != 5) {
        error = "three dimensions need a z column (id, t, x, y, z)";
        return false;
    }
    struct Prepared {
        const Streamline* source;
        std::vector<Point> points;
    };
    std::vector<Prepared> lines;
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
        Prepared p{&s, s.points};
        std::stable_sort(p.points.begin(), p.points.end(),
                         [](const Point& a, const Point& b) { return a.t < b.t; });
        const double t0 = p.points.front().t;
        for (Point& q : p.points) {
            q.t -= t0;
            const double c[3] = {q.x, q.y, q.z};
            for (int k = 0; k < 3; ++k) {
                lo[k] = std::min(lo[k], c[k]);
                hi[k] = std::max(hi[k], c[k]);
            }
        }
        span = std::max(span, p.points.back().t);
        lines.push_back(std::move(p));
    }
    if (lines.empty()) {
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
        if (!fits(r[0]) || !fits(r[1]) || !(static_cast<float>(r[0]) < static_cast<float>(r[1]))) {
            error = "coordinates beyond the single-precision range";
            return false;
        }
    }
    if (!fits(tMax) || !fits(span)) {
        error = "parameter span beyond the single-precision range";
        return false;
    }

    using detail::Number;
    const double header[11] = {double(options.width),
                               double(options.height),
                               double(dimension),
                               tMax,
                               100.0 / static_cast<double>(lines.size()),
                               range[0][0],
                               range[0][1],
                               range[1][0],
                               range[1][1],
                               range[2][0],
                               range[2][1]};
    for (double v : header) out << Number(static_cast<float>(v)) << '\n';

    const char* const names[] = {"x", "y", "z"};
    std::string record;
    for (const Prepared& p : lines) {
        const std::size_t m = p.points.size();
        const std::size_t knots = std::min(m, kLastKnot + 1);
        auto at = [&](std::size_t i) -> const Point& {
            return p.points[m > kLastKnot + 1 ? detail::ThinnedIndex(i, m) : i];
        };
        std::string grid = "{{0.";
        for (std::size_t i = 1; i < knots; ++i) grid += ", " + Number(static_cast<float>(at(i).t));
        grid += "}}";
        const std::string domain =
            "{{0., " + Number(static_cast<float>(at(knots - 1).t)) + "}}, {3, 1, 0, 0}, ";
        record = "{{";
        for (int c = 0; c < dimension; ++c) {
            if (c) record += ", ";
            record += names[c];
            record += " -> InterpolatingFunction[" + domain + grid + ", {";
            for (std::size_t i = 0; i < knots; ++i) {
                const Point& q = at(i);
                const double v = c == 0 ? q.x : c == 1 ? q.y : q.z;
                if (i) record += ", ";
                record += "{" + Number(static_cast<float>(v)) + ", 0.}";
            }
            record += "}]";
        }
        record += "}}\n";
        // Blanks after the leading braces lift a short record over the
        // length below which records are not drawn; nothing reads them.
        if (record.size() <= kShortRecord) record.insert(2, kShortRecord + 1 - record.size(), ' ');
        out << record;
    }
    if (!out) {
        error = "write error";
        return false;
    }
    return true;
}

// An output stream's buffer that writes into an AtomicFile (which buffers).
class AtomicFileBuf : public std::streambuf {
  public:
    explicit AtomicFileBuf(AtomicFile& file) : m_file(file) {}

  protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        const char byte = traits_type::to_char_type(c);
        return m_file.Write(&byte, 1) ? c : traits_type::eof();
    }
    std::streamsize xsputn(const char* data, std::streamsize n) override {
        return n <= 0 || m_file.Write(data, static_cast<std::size_t>(n)) ? n : 0;
    }

  private:
    AtomicFile& m_file;
};

// Runs write(stream, why) into a temporary file beside path and renames it
// over path once complete, so that a failure leaves an existing file as it
// was. A failure of write gives its why as error; one of the file gives
// "cannot write PATH: reason", also when it made write fail.
template <typename Writer>
bool WriteAtomically(const std::string& path, Writer write, std::string& error) {
    AtomicFile file;
    auto fileFailure = [&] {
        const std::string reason = file.Error() ? file.ErrorText() : "write error";
        error = "cannot write " + path + ": " + reason;
        return false;
    };
    if (!file.Open(path)) return fileFailure();
    AtomicFileBuf buffer(file);
    std::ostream out(&buffer);
    std::string why;
    if (!write(out, why)) {
        if (file.FailedStep() != AtomicFile::Step::kNone) return fileFailure();
        error = why;
        return false;
    }
    if (!out || !file.Commit()) return fileFailure();
    return true;
}

}  // namespace vortan::convert
