// What every field reader shares: the node limit, the choice of the vector
// array, and turning a grid of one to three axes with two or three
// components into a VectorField.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "field/vector_field.h"

namespace vortan::field {

// A grid as a reader finds it: three axes (a missing axis holds one node) and
// the components at the nodes, the first axis varying fastest. comp[2] is
// empty when the file has two components.
struct RawGrid {
    std::array<std::vector<double>, 3> axis;
    std::array<std::vector<double>, 3> comp;
};

// n0 * n1 * n2 without overflow; false (and a message naming the file) when it
// is zero or beyond kMaxFieldNodes.
bool CheckNodeCount(std::size_t n0, std::size_t n1, std::size_t n2, const std::string& file,
                    std::size_t* nodes, std::string* error);

// Makes the field: the axes with more than one node become x, y (and z); a
// decreasing axis is reversed together with the data; non-finite components
// become NaN. Fails with a message for a grid of fewer than two axes, an axis
// that is neither increasing nor decreasing, or a 3-D grid with two components.
FieldResult BuildField(RawGrid grid, const std::string& file, const std::string& description);

FieldResult FieldError(std::string message);

// A point array of a VTK file, as the choice of the velocity sees it.
struct PointArray {
    std::string name;
    std::size_t components = 0;
    bool active = false;  // the file marks it as its vectors
    bool usable = false;  // numbers of two or three components, one tuple a point
};

// The array that holds the velocity: the usable one named vectors when
// given, else the active one, else the first usable one. Its index, or -1
// with why (a sentence that lists the arrays found).
int ChooseVectorArray(const std::vector<PointArray>& arrays, const std::string& vectors,
                      std::string* why);

// "dir/ocean.nc" gives "ocean.nc".
std::string BaseName(const std::string& path);

}  // namespace vortan::field
