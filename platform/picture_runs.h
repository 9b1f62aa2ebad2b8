// A picture of palette indices held as runs of equal pixels along each row.
// An animated picture stays the same from frame to frame while its palette
// turns, so a frame costs one table load and a few stores per run instead of
// one table load and one store per pixel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/palette_lookup.h"

namespace vortan {

// One run: its pixel value (clamped to the colour table) and its length.
struct PictureRun {
    std::uint16_t value;
    std::uint16_t length;
};

class PictureRuns {
  public:
    // A row is kept as runs when they average at least this many pixels.
    static constexpr std::size_t kPixelsPerRun = 6;

    // Runs of rows [0, height) of a width x height picture, top row first,
    // for the rows whose runs are long enough to pay. Gives up (and holds
    // nothing) when no row is, or the runs would take more memory than the
    // picture itself.
    bool Build(const CanvasPixel* pixels, int width, int height);
    void Clear();
    bool Empty() const { return m_rowStart.empty(); }
    std::size_t RunCount() const { return m_runs.size(); }

    // out[(y - top) * stride + (x - left)] = colour of pixel (x, y) for the
    // rectangle [left, left + width) x [top, top + height), which lies in the
    // picture; pixels is the picture the runs were built from. Nothing
    // outside the rectangle's pixels is written.
    void LookUp(const CanvasPixel* pixels, int left, int top, int width, int height,
                std::uint32_t* out, std::size_t stride, const ColourLut& lut) const;

  private:
    int m_width = 0;
    int m_height = 0;
    std::vector<PictureRun> m_runs;
    std::vector<std::uint32_t> m_rowStart;  // height + 1 indices into m_runs
    std::vector<std::uint8_t> m_rowByRuns;  // 0: the row is looked up pixel by pixel
};

}  // namespace vortan
