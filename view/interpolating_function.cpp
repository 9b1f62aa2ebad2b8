#include "view/interpolating_function.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/numeric.h"

namespace vortan {
namespace {

using mexpr::Expression;
using mexpr::NodeKind;
using Index = Expression::Index;

// Highest B-spline degree accepted (Mathematica writes 3).
constexpr int kMaxSplineDegree = 15;

class FunctionReader {
  public:
    explicit FunctionReader(const Expression& e) : m_e(e) {}

    SkipReason Read(Index function, CoordinateFunction& out) const {
        const std::size_t args = m_e.Size(function) - 1;
        if (args < 4) return SkipReason::Malformed;
        const Index domain = m_e.Child(function, 1);
        if (m_e.Kind(domain) == NodeKind::List && m_e.Size(domain) > 1) {
            return SkipReason::SeveralVariables;
        }
        SkipReason r = ReadGrid(m_e.Child(function, 3), out.grid);
        if (r != SkipReason::None) return r;
        out.domainStart = out.grid.front();
        out.domainEnd = out.grid.back();
        const Index values = m_e.Child(function, 4);
        if (const Index spline = Spline(values); spline != kNone) {
            return ReadSpline(spline, out.grid, out.values);
        }
        r = ReadValues(values, out.values);
        if (r != SkipReason::None) return r;
        if (out.values.size() != out.grid.size()) {
            return IsPacked(values) ? SkipReason::BadOffsets : SkipReason::Malformed;
        }
        return SkipReason::None;
    }

  private:
    static constexpr Index kNone = std::numeric_limits<Index>::max();

    // Whether a value that is not a number is complex (Complex[...], or a
    // formula with the imaginary unit I) or otherwise symbolic.
    SkipReason NotANumber(Index i) const {
        std::vector<Index> pending{i};
        while (!pending.empty()) {
            const Index n = pending.back();
            pending.pop_back();
            if (m_e.IsSymbol(n, "I") || m_e.IsSymbol(n, "Complex")) {
                return SkipReason::ComplexValues;
            }
            for (std::size_t k = 0; k < m_e.Size(n); ++k) pending.push_back(m_e.Child(n, k));
        }
        return SkipReason::SymbolicValues;
    }

    // A real number that fits a float.
    SkipReason Real(Index i, double& v) const {
        if (m_e.Kind(i) != NodeKind::Number) return NotANumber(i);
        v = m_e.Number(i);
        if (!FitsFloat(v)) return SkipReason::NonNumeric;
        return SkipReason::None;
    }

    // A number, or a list holding one number first ({v, dv, ...}).
    SkipReason FirstReal(Index i, double& v) const {
        if (m_e.Kind(i) == NodeKind::List) {
            if (m_e.Size(i) == 0) return SkipReason::Malformed;
            i = m_e.Child(i, 0);
        }
        return Real(i, v);
    }

    // Values of a packed list, each checked to fit a float.
    static SkipReason Reals(std::span<const double> values, std::vector<double>& out) {
        out.assign(values.begin(), values.end());
        for (const double v : values) {
            if (!FitsFloat(v)) return SkipReason::NonNumeric;
        }
        return SkipReason::None;
    }

    SkipReason RealList(Index list, std::vector<double>& out) const {
        if (m_e.Kind(list) != NodeKind::List) return SkipReason::Malformed;
        // A packed list (decoded, or plain numbers in the text): one run.
        if (const std::span<const double> packed = m_e.PackedNumbers(list); !packed.empty()) {
            return Reals(packed, out);
        }
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

    // {{x0, ...}} or {x0, ...}: the inner list of a one-element list.
    Index Inner(Index list) const {
        if (m_e.Kind(list) == NodeKind::List && m_e.Size(list) == 1 &&
            m_e.Kind(m_e.Child(list, 0)) == NodeKind::List) {
            return m_e.Child(list, 0);
        }
        return list;
    }

    // The grid {{t0, t1, ..., tn}} (a bare {t0, ..., tn} is taken too).
    SkipReason ReadGrid(Index grid, std::vector<double>& out) const {
        if (m_e.Kind(grid) != NodeKind::List || m_e.Size(grid) == 0) return SkipReason::Malformed;
        if (m_e.Kind(m_e.Child(grid, 0)) == NodeKind::List && m_e.Size(grid) != 1) {
            return SkipReason::SeveralVariables;  // a grid per variable
        }
        SkipReason r = RealList(Inner(grid), out);
        if (r == SkipReason::None && out.empty()) r = SkipReason::Malformed;
        return r;
    }

    bool IsPacked(Index values) const {
        return m_e.Kind(values) == NodeKind::List && m_e.Size(values) > 0 &&
               m_e.IsSymbol(m_e.Child(values, 0), "PackedArrayForm");
    }

    // The BSplineFunction[...] of a value argument {BSplineFunction[...]}
    // (or of a bare BSplineFunction[...]); kNone when there is none.
    Index Spline(Index values) const {
        if (m_e.Kind(values) == NodeKind::List && m_e.Size(values) == 1) {
            values = m_e.Child(values, 0);
        }
        if (m_e.Kind(values) == NodeKind::Apply &&
            m_e.IsSymbol(m_e.Child(values, 0), "BSplineFunction")) {
            return values;
        }
        return kNone;
    }

    // BSplineFunction[1, {{a, b}}, {p}, {False}, {{control points}, {}},
    // {{knots}}, ...]: the values at the grid points by de Boor evaluation.
    SkipReason ReadSpline(Index spline, const std::vector<double>& grid,
                          std::vector<double>& out) const {
        if (m_e.Size(spline) < 7) return SkipReason::Malformed;
        const Index degree = Inner(m_e.Child(spline, 3));
        Index degreeValue = degree;
        if (m_e.Kind(degree) == NodeKind::List) {
            if (m_e.Size(degree) != 1) return SkipReason::SeveralVariables;
            degreeValue = m_e.Child(degree, 0);
        }
        if (m_e.Kind(degreeValue) != NodeKind::Number || !m_e.IsInteger(degreeValue)) {
            return SkipReason::BadSpline;
        }
        const double p = m_e.Number(degreeValue);
        if (!(p >= 1.0 && p <= kMaxSplineDegree)) return SkipReason::BadSpline;
        const Index points = m_e.Child(spline, 5);
        if (m_e.Kind(points) != NodeKind::List || m_e.Size(points) == 0) {
            return SkipReason::Malformed;
        }
        const Index controlList = m_e.Child(points, 0);
        if (m_e.Kind(controlList) != NodeKind::List) return SkipReason::Malformed;
        std::vector<double> control(m_e.Size(controlList));
        for (std::size_t k = 0; k < control.size(); ++k) {
            SkipReason r = FirstReal(m_e.Child(controlList, k), control[k]);
            if (r != SkipReason::None) return r;
        }
        std::vector<double> knots;
        if (SkipReason r = RealList(Inner(m_e.Child(spline, 6)), knots); r != SkipReason::None) {
            return r;
        }
        const auto degreeInt = static_cast<int>(p);
        const std::size_t n = control.size();
        if (n < static_cast<std::size_t>(degreeInt) + 1 ||
            knots.size() != n + static_cast<std::size_t>(degreeInt) + 1 ||
            !std::is_sorted(knots.begin(), knots.end()) ||
            !(knots[static_cast<std::size_t>(degreeInt)] < knots[n])) {
            return SkipReason::BadSpline;
        }
        out.resize(grid.size());
        for (std::size_t k = 0; k < grid.size(); ++k) {
            out[k] = EvaluateBSpline(control, knots, degreeInt, grid[k]);
            if (!FitsFloat(out[k])) return SkipReason::NonNumeric;
        }
        return SkipReason::None;
    }

    // The value list: {Developer`PackedArrayForm, {offsets}, {flat}}, one
    // group {v, dv, ...} per grid point, or one plain number per grid point.
    SkipReason ReadValues(Index values, std::vector<double>& out) const {
        if (m_e.Kind(values) != NodeKind::List) return SkipReason::Malformed;
        if (IsPacked(values)) return ReadPacked(values, out);
        if (const std::span<const double> packed = m_e.PackedNumbers(values); !packed.empty()) {
            return Reals(packed, out);
        }
        const std::size_t n = m_e.Size(values);
        out.resize(n);
        for (std::size_t k = 0; k < n; ++k) {
            SkipReason r = FirstReal(m_e.Child(values, k), out[k]);
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

double EvaluateBSpline(std::span<const double> control, std::span<const double> knots, int p,
                       double t) {
    if (p < 1 || p > kMaxSplineDegree || control.size() < static_cast<std::size_t>(p) + 1 ||
        knots.size() != control.size() + static_cast<std::size_t>(p) + 1) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    const auto deg = static_cast<std::size_t>(p);
    const std::size_t n = control.size();
    if (std::isnan(t)) return t;
    t = std::clamp(t, knots[deg], knots[n]);
    // The span k with knots[k] <= t < knots[k + 1], deg <= k < n; the right
    // end belongs to the last span.
    const auto first = knots.begin() + static_cast<std::ptrdiff_t>(deg);
    const auto last = knots.begin() + static_cast<std::ptrdiff_t>(n);
    std::size_t k = static_cast<std::size_t>(std::upper_bound(first, last, t) - knots.begin());
    k = std::clamp<std::size_t>(k == 0 ? 0 : k - 1, deg, n - 1);
    double d[kMaxSplineDegree + 1];
    for (std::size_t j = 0; j <= deg; ++j) d[j] = control[j + k - deg];
    for (std::size_t r = 1; r <= deg; ++r) {
        for (std::size_t j = deg; j >= r; --j) {
            const double lo = knots[j + k - deg];
            const double span = knots[j + 1 + k - r] - lo;
            const double alpha = span > 0.0 ? (t - lo) / span : 0.0;
            d[j] = (1.0 - alpha) * d[j - 1] + alpha * d[j];
        }
    }
    return d[deg];
}

SkipReason ReadInterpolatingFunction(const Expression& e, Index function, CoordinateFunction& out) {
    return FunctionReader(e).Read(function, out);
}

}  // namespace vortan
