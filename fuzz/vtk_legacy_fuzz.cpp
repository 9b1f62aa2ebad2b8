// Feeds arbitrary bytes to the legacy VTK reader, with and without an array
// name; a field read must be consistent.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "field/vtk_legacy_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (const char* vectors : {"", "velocity"}) {
        const vortan::field::FieldResult r = vortan::field::ReadVtkLegacy(bytes, "f.vtk", vectors);
        const auto& f = r.field;
        if (r.ok && (f.u.size() != f.Nodes() || f.v.size() != f.Nodes() ||
                     (f.dimension == 3 && f.w.size() != f.Nodes())))
            __builtin_trap();
        if (!r.ok && r.error.rfind("f.vtk: ", 0) != 0) __builtin_trap();
    }
    return 0;
}
