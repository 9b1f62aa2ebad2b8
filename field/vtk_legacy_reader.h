// Legacy VTK files ("# vtk DataFile"): STRUCTURED_POINTS and RECTILINEAR_GRID,
// ASCII or BINARY (big-endian), velocity from POINT_DATA VECTORS or any point
// array of two or three components (FIELD arrays included).
#pragma once

#include <string>
#include <string_view>

#include "field/vector_field.h"

namespace vortan::field {

// bytes: the whole file; file: its name for messages; vectors: the array to
// use, or empty for the first VECTORS, then the first 2- or 3-component array.
FieldResult ReadVtkLegacy(std::string_view bytes, const std::string& file,
                          const std::string& vectors);

}  // namespace vortan::field
