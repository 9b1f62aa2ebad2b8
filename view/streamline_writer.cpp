#include "view/streamline_writer.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "platform/numeric.h"

namespace vortan {

namespace {

// Source index of knot i when m > kLastStreamlineKnot + 1 points are thinned
// to kLastStreamlineKnot + 1: round(i * (m - 1) / kLastStreamlineKnot),
// halves up, the selection the reader makes from a longer record.
std::size_t ThinnedIndex(std::size_t i, std::size_t m) {
    return (2 * i * (m - 1) + kLastStreamlineKnot) / (2 * kLastStreamlineKnot);
}

// Appends to out the shortest text for v (to_chars' own choice between fixed
// and scientific form) in Mathematica's spelling: a point always, and "*^"
// for the exponent.
template <class Real>
void AppendShortest(std::string& out, Real v) {
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    const std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf));
    const std::size_t e = text.find('e');
    const std::string_view mantissa = text.substr(0, e);
    out += mantissa;
    if (mantissa.find('.') == std::string_view::npos) out += '.';
    if (e == std::string_view::npos) return;
    std::string_view exponent = text.substr(e + 1);
    bool negative = false;
    if (!exponent.empty() && (exponent.front() == '+' || exponent.front() == '-')) {
        negative = exponent.front() == '-';
        exponent.remove_prefix(1);
    }
    while (exponent.size() > 1 && exponent.front() == '0') exponent.remove_prefix(1);
    out += negative ? "*^-" : "*^";
    out += exponent;
}

void AppendNumber(std::string& out, double v, StreamlinePrecision precision) {
    if (precision == StreamlinePrecision::kSingle) {
        const float f = NarrowToFloat(v);
        if (f == 0.0f || !std::isfinite(f)) {
            out += "0.";
        } else {
            AppendShortest(out, f);
        }
    } else if (v == 0.0 || !std::isfinite(v)) {
        out += "0.";
    } else {
        AppendShortest(out, v);
    }
}

bool Holds(double v, StreamlinePrecision precision) {
    if (!std::isfinite(v)) return false;
    return precision == StreamlinePrecision::kDouble || std::isfinite(NarrowToFloat(v));
}

}  // namespace

std::string FormatStreamlineNumber(double v, StreamlinePrecision precision) {
    std::string out;
    AppendNumber(out, v, precision);
    return out;
}

std::string FormatStreamlineHeader(const StreamlineHeader& h) {
    const float numbers[] = {h.imageWidth,   h.imageHeight, h.dimension, h.tMax,
                             h.progressStep, h.xMin,        h.xMax,      h.yMin,
                             h.yMax,         h.zMin,        h.zMax};
    std::string out;
    for (float v : numbers) {
        AppendNumber(out, v, StreamlinePrecision::kSingle);
        out += '\n';
    }
    return out;
}

std::string CheckStreamlinePoints(const std::vector<StreamlinePoint>& points, int dimension,
                                  StreamlinePrecision precision) {
    if (points.size() < 2) return "fewer than two points";
    const double t0 = points.front().t;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const StreamlinePoint& p = points[i];
        // The file holds t relative to the first point's, so only that must fit.
        if (!std::isfinite(p.t)) {
            return "point " + std::to_string(i + 1) + " holds a value that is not a finite number";
        }
        const double values[] = {p.t - t0, p.x, p.dx, p.y, p.dy, p.z, p.dz};
        const std::size_t count = dimension == 2 ? 5 : 7;
        for (std::size_t k = 0; k < count; ++k) {
            if (!Holds(values[k], precision)) {
                return "point " + std::to_string(i + 1) +
                       (std::isfinite(values[k])
                            ? " holds a value beyond the single-precision range"
                            : " holds a value that is not a finite number");
            }
        }
        if (i > 0 && p.t < points[i - 1].t) {
            return "the parameter decreases at point " + std::to_string(i + 1);
        }
    }
    return {};
}

std::string FormatStreamlineRecord(const std::vector<StreamlinePoint>& points, int dimension,
                                   const StreamlineRecordForm& form) {
    const std::size_t m = points.size();
    if (m == 0) return {};
    const bool thin = form.thin && m > kLastStreamlineKnot + 1;
    const std::size_t knots = thin ? kLastStreamlineKnot + 1 : m;
    auto at = [&](std::size_t i) -> const StreamlinePoint& {
        return points[thin ? ThinnedIndex(i, m) : i];
    };
    const double t0 = points.front().t;
    const StreamlinePrecision precision = form.precision;

    // The parameter list and the domain are the same in every coordinate's function.
    std::string grid = "{{0.";
    for (std::size_t i = 1; i < knots; ++i) {
        grid += ", ";
        AppendNumber(grid, at(i).t - t0, precision);
    }
    grid += "}}";
    std::string domain = "{{0., ";
    AppendNumber(domain, at(knots - 1).t - t0, precision);
    domain += "}}, {3, 1, 0, 0}, ";

    const int coordinates = dimension == 2 ? 2 : 3;
    const char* const names[] = {"x", "y", "z"};
    std::string record = "{{";
    for (int c = 0; c < coordinates; ++c) {
        if (c) record += ", ";
        record += names[c];
        record += " -> InterpolatingFunction[";
        record += domain;
        record += grid;
        record += ", {";
        for (std::size_t i = 0; i < knots; ++i) {
            const StreamlinePoint& q = at(i);
            if (i) record += ", ";
            record += '{';
            AppendNumber(record, c == 0 ? q.x : c == 1 ? q.y : q.z, precision);
            record += ", ";
            AppendNumber(record, c == 0 ? q.dx : c == 1 ? q.dy : q.dz, precision);
            record += '}';
        }
        record += "}]";
    }
    record += "}}\n";
    // Blanks after the leading braces lift a short record over the length
    // below which records are not drawn; nothing reads them.
    if (form.pad && record.size() <= kShortStreamlineRecord) {
        record.insert(2, kShortStreamlineRecord + 1 - record.size(), ' ');
    }
    return record;
}

// ---------------------------------------------------------------------------
// StreamlineWriter

bool StreamlineWriter::Fail(const std::string& reason) {
    m_error = "Cannot write " + m_path + ": " + reason + ".";
    return false;
}

bool StreamlineWriter::FileFailure() {
    const std::string reason = m_file.Error() ? m_file.ErrorText() : "write error";
    m_file.Abandon();
    return Fail(reason);
}

// A file that failed keeps the failure's message; otherwise none was opened.
bool StreamlineWriter::NotOpen() {
    if (m_error.empty()) m_error = "No streamline file is open for writing.";
    return false;
}

bool StreamlineWriter::Open(const std::string& path, const StreamlineHeader& header,
                            const StreamlineRecordForm& form) {
    m_file.Abandon();
    m_path = path;
    m_error.clear();
    m_form = form;
    m_records = 0;
    const float numbers[] = {header.imageWidth,   header.imageHeight, header.dimension, header.tMax,
                             header.progressStep, header.xMin,        header.xMax,      header.yMin,
                             header.yMax,         header.zMin,        header.zMax};
    for (float v : numbers) {
        if (!std::isfinite(v)) return Fail("the header holds a number that is not finite");
    }
    if (header.dimension != 2.0f && header.dimension != 3.0f) {
        char given[32];
        std::snprintf(given, sizeof given, "%g", static_cast<double>(header.dimension));
        return Fail(std::string("the dimension must be 2 or 3, not ") + given);
    }
    m_dimension = header.dimension == 2.0f ? 2 : 3;
    if (!m_file.Open(path)) return FileFailure();
    if (!m_file.Write(FormatStreamlineHeader(header))) return FileFailure();
    return true;
}

bool StreamlineWriter::Write(const std::vector<StreamlinePoint>& points) {
    if (!m_file.IsOpen()) return NotOpen();
    const std::string why = CheckStreamlinePoints(points, m_dimension, m_form.precision);
    if (!why.empty()) {
        return Fail("streamline " + std::to_string(m_records + 1) + ": " + why);
    }
    if (!m_file.Write(FormatStreamlineRecord(points, m_dimension, m_form))) return FileFailure();
    ++m_records;
    return true;
}

bool StreamlineWriter::Commit() {
    if (!m_file.IsOpen()) return NotOpen();
    if (!m_file.Commit()) return FileFailure();
    m_error.clear();
    return true;
}

void StreamlineWriter::Abandon() {
    m_file.Abandon();
}

}  // namespace vortan
