// XML VTK image data (.vti) and rectilinear grids (.vtr): ascii, inline
// base64, appended raw or base64 data, with or without zlib compression,
// UInt32 or UInt64 headers, either byte order, integer or float values.
#pragma once

#include <string>
#include <string_view>

#include "field/vector_field.h"

namespace vortan::field {

// bytes: the whole file; file: its name for messages; vectors: the point
// array to use, or empty for the active vectors, then the first array of two
// or three components.
FieldResult ReadVtkXml(std::string_view bytes, const std::string& file, const std::string& vectors);

}  // namespace vortan::field
