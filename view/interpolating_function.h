// Reading one InterpolatingFunction[domain, header, grid, values, ...] of
// the newer layouts from a parsed expression: its grid of parameter values
// and its value at every grid point (explicit, packed or as a B-spline).
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "view/mathematica_expr.h"
#include "view/streamline_reader.h"

namespace vortan {

struct CoordinateFunction {
    double domainStart = 0.0;  // the domain's lower end (the grid's first point)
    double domainEnd = 0.0;
    std::vector<double> grid;    // parameter values, as stored
    std::vector<double> values;  // the function's value at each grid point
};

// Reads the application at index function (head InterpolatingFunction).
// SkipReason::None when out holds grid and values of equal length.
SkipReason ReadInterpolatingFunction(const mexpr::Expression& e, mexpr::Expression::Index function,
                                     CoordinateFunction& out);

// The value at t of the B-spline of degree p with the given control points
// and knot vector (control.size() + p + 1 knots, not decreasing), by de
// Boor's algorithm. t outside [knots[p], knots[n]] is clamped to it.
double EvaluateBSpline(std::span<const double> control, std::span<const double> knots, int p,
                       double t);

}  // namespace vortan
