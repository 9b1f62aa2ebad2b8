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
char DetectSeparator(std::string_view line) {
    if (line.find(';') != std::string_view::npos) return ';';
    if (line.find(',') != std::string_view::npos) return ',';
    return ' ';
}

std::vector<std::string_view> SplitFields(std::string_view line, char separator) {
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

}  // namespace

bool ReadTable(std::istream& in, const std::string& name, Table& table, std::string& error) {
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
        text = Trim(text);
        if (text.empty() || text.front() == '#' || text.front() == '%') {
            if (in.eof()) break;
            continue;
        }
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
            if (!ParseNumber(fields[k], v)) {
                return fail("column " + std::to_string(k + 1) + " (" + names[k - 1] + "): \"" +
                            std::string(fields[k].substr(0, 40)) + "\" is not a finite number");
            }
            (k == 1 ? p.t : k == 2 ? p.x : k == 3 ? p.y : p.z) = v;
        }
        if (table.points >= kMaxPoints) {
            return fail("more than " + std::to_string(kMaxPoints) + " points");
        }
        const std::string id(Unquote(fields[0]));
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
