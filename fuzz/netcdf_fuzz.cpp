// Feeds arbitrary bytes to the NetCDF reader in memory (nc_open_mem), classic
// formats only: HDF5 crashes in-process on damaged NetCDF-4 files, which is
// why files are read in a child process by the program.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "field/netcdf_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (bytes.size() < 4 || bytes.substr(0, 3) != "CDF") return 0;
    const vortan::field::FieldResult r = vortan::field::ReadNetCdfMemory(bytes, "f.nc", {});
    const auto& f = r.field;
    if (r.ok && (f.u.size() != f.Nodes() || f.v.size() != f.Nodes())) __builtin_trap();
    if (!r.ok && r.error.rfind("f.nc: ", 0) != 0) __builtin_trap();
    return 0;
}
