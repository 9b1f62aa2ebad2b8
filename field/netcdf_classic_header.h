// A walk over the header of a NetCDF classic, 64-bit offset or 64-bit data
// file that checks every count and size against the file before the NetCDF
// library is trusted with it (the library may spend minutes or crash on a
// header whose counts are garbage).
#pragma once

#include <string>
#include <string_view>

namespace vortan::field {

// head: the first bytes of the file (all of it, or enough for the header);
// fileSize: the whole file's size. False with a description of the first
// inconsistency; true when the header is sound or runs past head.
bool CheckClassicHeader(std::string_view head, unsigned long long fileSize, std::string* problem);

}  // namespace vortan::field
