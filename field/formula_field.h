// A velocity field given as formulas in x, y (and z), sampled on a uniform grid.
#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "field/vector_field.h"

namespace vortan::field {

// formula: "u = -sin(pi*x)*cos(pi*y); v = cos(pi*x)*sin(pi*y)" (and w in 3-D),
// each component once, separated by ';' or new lines; pi, x, y, z are known.
// domain: "x0:x1,y0:y1[,z0:z1]"; grid: nodes along each axis, "512x256[x64]",
// or empty for a default that keeps the domain's aspect.
FieldResult SampleFormula(const std::string& formula, const std::string& domain,
                          const std::string& grid);

// The grid text alone: fills nodes (z = 1 in 2-D) and returns true, or returns
// false with a message. dimension is the domain's (2 or 3).
bool ParseGridSpec(const std::string& grid, int dimension, std::array<std::size_t, 3>* nodes,
                   std::string* error);

}  // namespace vortan::field
