// Reading a velocity field from a file: NetCDF (classic, 64-bit offset,
// NetCDF-4/HDF5), legacy VTK and XML VTK image or rectilinear data. The format
// is recognised by the file's content, never by its name.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "field/vector_field.h"

namespace vortan::field {

enum class FieldFormat { kUnknown, kNetCdf, kVtkLegacy, kVtkXml };

// By content: the NetCDF classic, 64-bit offset and 64-bit data signatures
// ("CDF" then 1, 2 or 5) and the HDF5 signature (NetCDF-4), "# vtk DataFile",
// or "<VTKFile" after an optional byte order mark, blanks and XML declaration.
FieldFormat DetectFieldFormat(const std::string& path);
// The same test on the first bytes of a file (a kilobyte or two is enough).
FieldFormat DetectFieldFormatBytes(std::string_view head);

struct ReadOptions {
    // NetCDF component names; empty: found by CF standard_name, then by
    // common names (u, v, w, U, V, uo, vo, ...).
    std::string u, v, w;
    // VTK array name; empty: the active vectors, then the first array of two
    // or three components.
    std::string vectors;
    // NetCDF indices into the dimensions that are not grid axes: time takes
    // the time dimension, level every other one.
    std::size_t time = 0, level = 0;
};

// Reads the field; on failure the error names the file and what was found.
FieldResult ReadFieldFile(const std::string& path, const ReadOptions& options);

// Largest field file read into memory whole (VTK files), in bytes.
inline constexpr std::size_t kMaxFieldFileBytes = std::size_t{2} << 30;

}  // namespace vortan::field
