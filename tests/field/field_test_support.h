// Helpers shared by the field reader tests: fixture paths and the double gyre
// every fixture holds.
#pragma once

#include <cmath>
#include <numbers>
#include <string>

#include "field/vector_field.h"
#include "tests/test_support.h"

namespace vortan::field::test {

using vortan::test::ReadWholeFile;

inline std::string Fixture(const std::string& name) {
    return vortan::test::SourcePath("tests/fixtures/fields/" + name);
}

// The double gyre: u = -sin(pi x) cos(pi y), v = cos(pi x) sin(pi y).
inline double GyreU(double x, double y) {
    return -std::sin(std::numbers::pi * x) * std::cos(std::numbers::pi * y);
}
inline double GyreV(double x, double y) {
    return std::cos(std::numbers::pi * x) * std::sin(std::numbers::pi * y);
}

// Nodes whose u, v differ from scale times the gyre by more than tolerance
// (masked ones too); -1 when u or v is not one value per node.
inline int GyreMismatches(const VectorField& f, double tolerance, double scale = 1.0) {
    if (f.u.size() != f.Nodes() || f.v.size() != f.Nodes()) return -1;
    int bad = 0;
    for (std::size_t j = 0; j < f.Ny(); ++j)
        for (std::size_t i = 0; i < f.Nx(); ++i) {
            const std::size_t n = f.Index(i, j);
            bad += !(std::abs(f.u[n] - scale * GyreU(f.x[i], f.y[j])) <= tolerance &&
                     std::abs(f.v[n] - scale * GyreV(f.x[i], f.y[j])) <= tolerance);
        }
    return bad;
}

}  // namespace vortan::field::test
