// Feeds arbitrary bytes to the XML VTK reader; a field read must be
// consistent and a failure must name the file.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "field/vtk_xml_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const vortan::field::FieldResult r = vortan::field::ReadVtkXml(bytes, "f.vti", "");
    const auto& f = r.field;
    if (r.ok && (f.u.size() != f.Nodes() || f.v.size() != f.Nodes() ||
                 (f.dimension == 3 && f.w.size() != f.Nodes())))
        __builtin_trap();
    if (!r.ok && r.error.rfind("f.vti: ", 0) != 0) __builtin_trap();
    return 0;
}
