// The value of one pixel of an indexed picture.
#pragma once

#include <cstdint>

namespace vortan {

// A pixel holds a palette index 0..255, or kClearedPixel for the black the
// canvas was cleared to (black for good: it never takes a palette colour).
using CanvasPixel = std::uint16_t;
inline constexpr CanvasPixel kClearedPixel = 0x100;

}  // namespace vortan
