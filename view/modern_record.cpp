#include "view/modern_record.h"

#include <cmath>
#include <cstddef>
#include <limits>
#include <string_view>
#include <vector>

#include "platform/numeric.h"
#include "view/mathematica_expr.h"

namespace vortan {
namespace {

using mexpr::Expression;
using mexpr::NodeKind;
using Index = Expression::Index;

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// Skips one balanced brace group starting at text[pos] == '{'; returns the
// position after it, or npos when the text ends first.
std::size_t SkipGroup(std::string_view text, std::size_t pos) {
    int depth = 0;
    for (; pos < text.size(); ++pos) {
        if (text[pos] == '{') ++depth;
        if (text[pos] == '}' && --depth == 0) return pos + 1;
    }
    return std::string_view::npos;
}

// Looks at the second argument of the function whose '[' ends just before
// pos: a version header (a list with a nested list, or of 9, 10 or 13
// elements) marks the newer layout.
bool HasVersionHeader(std::string_view text, std::size_t pos) {
    while (pos < text.size() && IsSpace(text[pos])) ++pos;
    if (pos >= text.size() || text[pos] != '{') return false;
    pos = SkipGroup(text, pos);
    if (pos == std::string_view::npos) return false;
    while (pos < text.size() && IsSpace(text[pos])) ++pos;
    if (pos >= text.size() || text[pos] != ',') return false;
    ++pos;
    while (pos < text.size() && IsSpace(text[pos])) ++pos;
    if (pos >= text.size() || text[pos] != '{') return false;
    int depth = 0;
    int elements = 1;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c == '{') {
            if (++depth == 2) return true;
        } else if (c == '}') {
            if (--depth == 0) break;
        } else if (c == ',' && depth == 1) {
            ++elements;
        }
    }
    return elements == 9 || elements == 10 || elements == 13;
}

// A coordinate function read from the record: its grid and its value at
// every grid point.
struct CoordinateFunction {
    std::vector<double> grid;
    std::vector<double> values;
};

class RecordReader {
  public:
    explicit RecordReader(const Expression& e) : m_e(e) {}

    // Finds CompressedData[...] and OutputForm's <> anywhere in the record,
    // and the InterpolatingFunction applications in document order (not
    // looking inside one once found). Returns the first account met.
    SkipReason Scan(std::size_t wanted, std::vector<Index>& functions) const {
        std::vector<Index> pending{m_e.Root()};
        while (!pending.empty()) {
            const Index i = pending.back();
            pending.pop_back();
            const NodeKind kind = m_e.Kind(i);
            if (kind == NodeKind::Elided) return SkipReason::OutputForm;
            if (kind == NodeKind::Apply) {
                const Index head = m_e.Child(i, 0);
                if (m_e.IsSymbol(head, "CompressedData")) return SkipReason::CompressedData;
                if (m_e.IsSymbol(head, "InterpolatingFunction") && functions.size() < wanted) {
                    functions.push_back(i);
                }
            }
            // Children in reverse so that they come off the stack in order.
            for (std::size_t k = m_e.Size(i); k-- > 0;) pending.push_back(m_e.Child(i, k));
        }
        return SkipReason::None;
    }

    // Reads grid and values of one InterpolatingFunction[domain, header,
    // grid, values, ...] application.
    SkipReason Read(Index function, CoordinateFunction& out) const {
        const std::size_t args = m_e.Size(function) - 1;
        if (args < 4) return SkipReason::Malformed;
        SkipReason r = ReadGrid(m_e.Child(function, 3), out.grid);
        if (r != SkipReason::None) return r;
        r = ReadValues(m_e.Child(function, 4), out.values);
        if (r != SkipReason::None) return r;
        if (out.values.size() != out.grid.size()) {
            return IsPacked(m_e.Child(function, 4)) ? SkipReason::BadOffsets
                                                    : SkipReason::Malformed;
        }
        return SkipReason::None;
    }

  private:
    // A real number that fits a float; symbols, complex values and numbers
    // beyond the single-precision range are not.
    SkipReason Real(Index i, double& v) const {
        if (m_e.Kind(i) != NodeKind::Number) return SkipReason::NonNumeric;
        v = m_e.Number(i);
        if (!std::isfinite(NarrowToFloat(v))) return SkipReason::NonNumeric;
        return SkipReason::None;
    }

    // Numbers of a list, in order.
    SkipReason RealList(Index list, std::vector<double>& out) const {
        if (m_e.Kind(list) != NodeKind::List) return SkipReason::Malformed;
        const std::size_t n = m_e.Size(list);
        out.resize(n);
        for (std::size_t k = 0; k < n; ++k) {
            const Index c = m_e.Child(list, k);
            if (m_e.Kind(c) == NodeKind::List) return SkipReason::Malformed;
            SkipReason r = Real(c, out[k]);
            if (r != SkipReason::None) return r;
        }
        return SkipReason::None;
    }

    // The grid {{t0, t1, ..., tn}} (a bare {t0, ..., tn} is taken too).
    SkipReason ReadGrid(Index grid, std::vector<double>& out) const {
        if (m_e.Kind(grid) != NodeKind::List || m_e.Size(grid) == 0) return SkipReason::Malformed;
        Index list = grid;
        if (m_e.Kind(m_e.Child(grid, 0)) == NodeKind::List) {
            if (m_e.Size(grid) != 1) return SkipReason::Malformed;  // a grid of several dimensions
            list = m_e.Child(grid, 0);
        }
        SkipReason r = RealList(list, out);
        if (r == SkipReason::None && out.empty()) r = SkipReason::Malformed;
        return r;
    }

    bool IsPacked(Index values) const {
        return m_e.Kind(values) == NodeKind::List && m_e.Size(values) > 0 &&
               m_e.IsSymbol(m_e.Child(values, 0), "PackedArrayForm");
    }

    // The value list: {Developer`PackedArrayForm, {offsets}, {flat}}, one
    // group {v, dv, ...} per grid point, or one plain number per grid point.
    SkipReason ReadValues(Index values, std::vector<double>& out) const {
        if (m_e.Kind(values) != NodeKind::List) return SkipReason::Malformed;
        if (IsPacked(values)) return ReadPacked(values, out);
        const std::size_t n = m_e.Size(values);
        out.resize(n);
        for (std::size_t k = 0; k < n; ++k) {
            Index c = m_e.Child(values, k);
            if (m_e.Kind(c) == NodeKind::List) {
                if (m_e.Size(c) == 0) return SkipReason::Malformed;
                c = m_e.Child(c, 0);
            }
            SkipReason r = Real(c, out[k]);
            if (r != SkipReason::None) return r;
        }
        return SkipReason::None;
    }

    // Packed values: knot i's value is flat[offsets[i]]; the offsets start
    // at 0, rise strictly and end with the length of the flat list.
    SkipReason ReadPacked(Index values, std::vector<double>& out) const {
        if (m_e.Size(values) != 3) return SkipReason::BadOffsets;
        const Index offsets = m_e.Child(values, 1);
        const Index flat = m_e.Child(values, 2);
        if (m_e.Kind(offsets) != NodeKind::List || m_e.Kind(flat) != NodeKind::List) {
            return SkipReason::BadOffsets;
        }
        const std::size_t count = m_e.Size(offsets);
        const std::size_t length = m_e.Size(flat);
        if (count < 2) return SkipReason::BadOffsets;
        std::vector<std::size_t> at(count);
        for (std::size_t k = 0; k < count; ++k) {
            const Index o = m_e.Child(offsets, k);
            if (m_e.Kind(o) != NodeKind::Number) return SkipReason::BadOffsets;
            const double v = m_e.Number(o);
            if (!(v >= 0.0) || v > static_cast<double>(length) || v != std::floor(v)) {
                return SkipReason::BadOffsets;
            }
            at[k] = static_cast<std::size_t>(v);
            if (k == 0 ? at[k] != 0 : at[k] <= at[k - 1]) return SkipReason::BadOffsets;
        }
        if (at[count - 1] != length) return SkipReason::BadOffsets;
        out.resize(count - 1);
        for (std::size_t k = 0; k + 1 < count; ++k) {
            SkipReason r = Real(m_e.Child(flat, at[k]), out[k]);
            if (r != SkipReason::None) return r;
        }
        return SkipReason::None;
    }

    const Expression& m_e;
};

}  // namespace

// The newer layout is told from the classic one by text marks only, cheaply,
// so that classic records keep the classic algorithm: a record is in the
// newer layout when it holds CompressedData[, or when it holds
// InterpolatingFunction[ and any of: a version header as the first
// function's second argument (a list holding a list, or of 9, 10 or 13
// elements), PackedArrayForm, OutputForm's "<>", or an end other than
// "}}]}}" (followed by one character, or by blanks and line ends), such as
// "[t]}}" or "}]}}".
bool IsModernRecord(const std::string& text) {
    if (text.find("CompressedData[") != std::string::npos) return true;
    static constexpr std::string_view kHead = "InterpolatingFunction[";
    const std::size_t head = text.find(kHead);
    if (head == std::string::npos) return false;
    // The classic end: "}}]}}" and one more character (the reader's own
    // test), or "}}]}}" before trailing blanks.
    const std::size_t size = text.size();
    std::size_t end = size;
    while (end > 0 && IsSpace(text[end - 1])) --end;
    const bool classicEnd = (end >= 5 && text.compare(end - 5, 5, "}}]}}") == 0) ||
                            (size >= 6 && text.compare(size - 6, 5, "}}]}}") == 0);
    if (!classicEnd) return true;
    if (text.find("PackedArrayForm") != std::string::npos) return true;
    if (text.find("<>") != std::string::npos) return true;
    return HasVersionHeader(text, head + kHead.size());
}

SkipReason ShortRecordReason(const std::string& text) {
    if (text.find("CompressedData[") != std::string::npos) return SkipReason::CompressedData;
    if (text.find("InterpolatingFunction[") != std::string::npos &&
        text.find("<>") != std::string::npos) {
        return SkipReason::OutputForm;
    }
    return SkipReason::TooShort;
}

bool ParseModernRecord(const std::string& text, const StreamlineHeader& header,
                       VortanFrameState& state, SkipReason* reason) {
    auto fail = [reason](SkipReason r) {
        if (reason) *reason = r;
        return false;
    };
    state.m_knots[0].t = 0.0f;
    if (text.size() > kMaxRecordLength) return fail(SkipReason::TooLong);

    Expression e;
    if (e.Parse(text) != mexpr::ParseStatus::Ok) {
        // Text that is not list syntax: name the known kinds of such text.
        if (text.find("CompressedData[") != std::string::npos) {
            return fail(SkipReason::CompressedData);
        }
        if (text.find("<>]") != std::string::npos) return fail(SkipReason::OutputForm);
        return fail(SkipReason::Malformed);
    }

    const std::size_t wanted = header.dimension == 3.0f ? 3 : 2;
    std::vector<Index> functions;
    RecordReader reader(e);
    if (SkipReason r = reader.Scan(wanted, functions); r != SkipReason::None) return fail(r);
    if (functions.size() < wanted) return fail(SkipReason::Malformed);

    CoordinateFunction coords[3];
    for (std::size_t c = 0; c < wanted; ++c) {
        if (SkipReason r = reader.Read(functions[c], coords[c]); r != SkipReason::None) {
            return fail(r);
        }
    }

    // Knots from the first function's grid: knot 0 at t = 0, knots 1..n at
    // the grid's later points (above tMax stored as 0). More than 1000 later
    // points are thinned evenly to 1000, keeping the first and the last.
    const std::vector<double>& grid = coords[0].grid;
    const std::size_t points = grid.size() - 1;
    const std::size_t n = points > 1000 ? 1000 : points;
    auto source = [points, n](std::size_t i) { return n == points ? i : (i * points + n / 2) / n; };
    for (std::size_t i = 0; i <= n; ++i) {
        const std::size_t s = source(i);
        Knot& knot = state.m_knots[i];
        if (i > 0) {
            const float t = NarrowToFloat(grid[s]);
            knot.t = t > header.tMax ? 0.0f : t;
        }
        if (s < coords[0].values.size()) knot.x = NarrowToFloat(coords[0].values[s]);
        if (s < coords[1].values.size()) knot.y = NarrowToFloat(coords[1].values[s]);
        if (wanted == 3 && s < coords[2].values.size()) {
            knot.z = NarrowToFloat(coords[2].values[s]);
        }
    }
    state.m_knotCount = static_cast<std::int32_t>(n);
    if (reason) *reason = SkipReason::None;
    return true;
}

}  // namespace vortan
