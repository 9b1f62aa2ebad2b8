// NetCDF files (classic, 64-bit offset, NetCDF-4/HDF5) through libnetcdf:
// velocity components by name, CF standard_name or common names; axes from
// 1-D coordinate variables; fill and missing values masked; packed values
// unpacked. Longitude and latitude are taken as plane coordinates.
#pragma once

#include <string>
#include <string_view>

#include "field/field_file.h"

namespace vortan::field {

// Checks a classic header first, then reads in a child process so that a
// library crash on a damaged file becomes an error message.
FieldResult ReadNetCdfFile(const std::string& path, const ReadOptions& options);

// The same from a file held in memory, in this process (the header check
// included); name is used in messages.
FieldResult ReadNetCdfMemory(std::string_view bytes, const std::string& name,
                             const ReadOptions& options);

}  // namespace vortan::field
