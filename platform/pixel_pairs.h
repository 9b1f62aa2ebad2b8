// A picture of palette indices held as ids of its pixel pairs. A picture
// dense with streamlines has a few thousand distinct pairs of neighbouring
// pixels, so a frame looks up two pixels with one load from a table of pair
// colours built for that frame, and stores them at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/palette_lookup.h"

namespace vortan {

class PixelPairs {
  public:
    // Ids of pairs (pixels[2i], pixels[2i + 1]) of count pixels. Gives up (and
    // holds nothing) when there are more distinct pairs than 16-bit ids.
    bool Build(const CanvasPixel* pixels, std::size_t count);
    void Clear();
    bool Empty() const { return m_pairs.empty(); }
    std::size_t PairCount() const { return m_pairs.size(); }

    // The colours of every distinct pair through lut: one table per frame.
    void MakeColours(const ColourLut& lut, std::vector<std::uint64_t>& colours) const;

    // out[k] = colour of pixels[first + k] for k < count, from the pair colours
    // made for lut; pixels is the picture the pairs were built from.
    void LookUp(const CanvasPixel* pixels, std::size_t first, std::size_t count, std::uint32_t* out,
                const ColourLut& lut, const std::uint64_t* colours) const;

  private:
    std::vector<std::uint16_t> m_ids;    // one per pair of pixels
    std::vector<std::uint32_t> m_pairs;  // distinct pairs: first | second << 16, clamped to 256
};

}  // namespace vortan
