#include "view/modern_record.h"

#include <cmath>
#include <cstddef>
#include <limits>
#include <string_view>
#include <vector>

#include "platform/numeric.h"
#include "view/compressed_data.h"
#include "view/interpolating_function.h"
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
// pos: a version header (a list of 9, 10 or 13 elements) marks the newer
// layout. Nested lists count as one element each: the classic layout's
// {3, 1, 0, {n}} is no version header.
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
            ++depth;
        } else if (c == '}') {
            if (--depth == 0) break;
        } else if (c == ',' && depth == 1) {
            ++elements;
        }
    }
    return elements == 9 || elements == 10 || elements == 13;
}

class RecordReader {
  public:
    explicit RecordReader(const Expression& e) : m_e(e) {}

    // Finds CompressedData[...] left undecoded and OutputForm's <> anywhere
    // in the record, and the InterpolatingFunction applications in document
    // order (not looking inside one once found). Returns the first account met.
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
            // Children in reverse so that they come off the stack in order;
            // a packed list holds numbers only.
            if (!m_e.PackedNumbers(i).empty()) continue;
            for (std::size_t k = m_e.Size(i); k-- > 0;) pending.push_back(m_e.Child(i, k));
        }
        return SkipReason::None;
    }

  private:
    const Expression& m_e;
};

}  // namespace

// The newer layout is told from the classic one by text marks only, cheaply,
// so that classic records keep the classic algorithm: a record is in the
// newer layout when it holds CompressedData[, or when it holds
// InterpolatingFunction[ and any of: a version header as the first
// function's second argument (a list of 9, 10 or 13 elements),
// PackedArrayForm, OutputForm's "<>", or an end other than "}}]}}"
// (followed by one character, or by blanks and line ends), such as "[t]}}"
// or "}]}}".
bool IsModernRecord(std::string_view text) {
    if (text.find("CompressedData[") != std::string_view::npos) return true;
    static constexpr std::string_view kHead = "InterpolatingFunction[";
    const std::size_t head = text.find(kHead);
    if (head == std::string_view::npos) return false;
    // The classic end: "}}]}}" and one more character (the reader's own
    // test), or "}}]}}" before trailing blanks.
    const std::size_t size = text.size();
    std::size_t end = size;
    while (end > 0 && IsSpace(text[end - 1])) --end;
    const bool classicEnd = (end >= 5 && text.compare(end - 5, 5, "}}]}}") == 0) ||
                            (size >= 6 && text.compare(size - 6, 5, "}}]}}") == 0);
    if (!classicEnd) return true;
    if (text.find("PackedArrayForm") != std::string_view::npos) return true;
    if (text.find("<>") != std::string_view::npos) return true;
    return HasVersionHeader(text, head + kHead.size());
}

SkipReason ShortRecordReason(std::string_view text) {
    if (text.find("CompressedData[") != std::string_view::npos) return SkipReason::CompressedData;
    if (text.find("InterpolatingFunction[") != std::string_view::npos &&
        text.find("<>") != std::string_view::npos) {
        return SkipReason::OutputForm;
    }
    return SkipReason::TooShort;
}

bool ParseModernRecord(std::string_view text, const StreamlineHeader& header,
                       VortanFrameState& state, SkipReason* reason) {
    return ParseModernRecord(text, header, state, reason, mexpr::ListReading::Fast);
}

bool ParseModernRecord(std::string_view text, const StreamlineHeader& header,
                       VortanFrameState& state, SkipReason* reason, mexpr::ListReading lists) {
    auto fail = [reason](SkipReason r) {
        if (reason) *reason = r;
        return false;
    };
    state.m_knots[0].t = 0.0f;
    if (text.size() > kMaxRecordLength) return fail(SkipReason::TooLong);

    Expression e;
    if (e.Parse(text, lists) != mexpr::ParseStatus::Ok) {
        // Text that is not list syntax: name the known kinds of such text.
        if (text.find("CompressedData[") != std::string_view::npos) {
            return fail(SkipReason::CompressedData);
        }
        if (text.find("<>]") != std::string_view::npos) return fail(SkipReason::OutputForm);
        return fail(SkipReason::Malformed);
    }

    if (SkipReason r = CompressedSkipReason(ExpandCompressedData(e, kMaxRecordLength));
        r != SkipReason::None) {
        return fail(r);
    }

    const std::size_t wanted = header.dimension == 3.0f ? 3 : 2;
    std::vector<Index> functions;
    RecordReader reader(e);
    if (SkipReason r = reader.Scan(wanted, functions); r != SkipReason::None) return fail(r);
    if (functions.size() < wanted) return fail(SkipReason::Malformed);

    CoordinateFunction coords[3];
    for (std::size_t c = 0; c < wanted; ++c) {
        if (SkipReason r = ReadInterpolatingFunction(e, functions[c], coords[c]);
            r != SkipReason::None) {
            return fail(r);
        }
    }

    // Knots from the first function's grid: knot 0 at t = 0, knots 1..n at
    // the grid's later points less the first, so that every streamline
    // starts at t = 0 (above tMax stored as 0). More than 1000 later points
    // are thinned evenly to 1000, keeping the first and the last.
    const std::vector<double>& grid = coords[0].grid;
    const double start = grid.front();
    const std::size_t points = grid.size() - 1;
    const std::size_t n = points > 1000 ? 1000 : points;
    auto source = [points, n](std::size_t i) { return n == points ? i : (i * points + n / 2) / n; };
    for (std::size_t i = 0; i <= n; ++i) {
        const std::size_t s = source(i);
        Knot& knot = state.m_knots[i];
        if (i > 0) {
            const float t = NarrowToFloat(grid[s] - start);
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
