// Turning rows of palette indices into 0xFFRRGGBB pixels through a colour
// table: the 256 palette entries, then black for every index above them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/canvas_pixel.h"
#include "platform/logical_palette.h"

namespace vortan {

// Entries 0..255 are the palette's colours; 256..511 are opaque black, so an
// index below 512 needs no clamp (cleared pixels are 256).
inline constexpr int kColourLutSize = 2 * kPaletteSize;
using ColourLut = std::array<std::uint32_t, kColourLutSize>;

// The table of a palette: entry i is 0xFF000000 | RGB of palette entry i.
ColourLut MakeColourLut(const PaletteEntries& palette);

// The table entry of any pixel value: values above the palette (only
// kClearedPixel is ever drawn) are black.
inline unsigned LutIndex(CanvasPixel p) {
    return p < kPaletteSize ? p : kPaletteSize;
}

// Whether this processor runs AVX2 code (asked once).
bool HaveAvx2();

// out[i] = lut[min(in[i], 256)] for n pixels, the fastest way this processor
// offers (AVX2 where present).
void LookUpRow(const CanvasPixel* in, std::uint32_t* out, std::size_t n, const ColourLut& lut);
// The same in plain C++, eight pixels per step; every processor takes it.
void LookUpRowPortable(const CanvasPixel* in, std::uint32_t* out, std::size_t n,
                       const ColourLut& lut);

}  // namespace vortan
