// Turning rows of palette indices into 0xFFRRGGBB pixels through a 257-entry
// colour table (256 palette entries, then the black of cleared pixels).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/indexed_canvas.h"

namespace vortan {

using ColourLut = std::array<std::uint32_t, kPaletteSize + 1>;

// The table of a palette: entry i is 0xFF000000 | RGB of palette entry i,
// entry 256 opaque black.
ColourLut MakeColourLut(const PaletteEntries& palette);

// out[i] = lut[min(in[i], 256)] for n pixels, the fastest way this processor
// offers (vector gathers where present).
void LookUpRow(const CanvasPixel* in, std::uint32_t* out, std::size_t n, const ColourLut& lut);
// The same in plain C++, four pixels per step; every processor takes it.
void LookUpRowPortable(const CanvasPixel* in, std::uint32_t* out, std::size_t n,
                       const ColourLut& lut);

}  // namespace vortan
