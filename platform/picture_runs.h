// A picture of palette indices held in forms that are quick to look up again
// and again: runs of equal pixels for rows whose runs are long, ids of pixel
// pairs for the other rows. An animated picture stays the same from frame to
// frame while its palette turns, so a frame costs one table load and a few
// stores per run, or one per two pixels, instead of one per pixel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/palette_lookup.h"
#include "platform/pixel_pairs.h"

namespace vortan {

// One run: its pixel value (clamped to the colour table) and its length.
struct PictureRun {
    std::uint16_t value;
    std::uint16_t length;
};

class PictureRuns {
  public:
    // A row is kept as runs when they average at least this many pixels.
    static constexpr std::size_t kPixelsPerRun = 16;

    // Runs of the rows of a width x height picture (top row first) whose runs
    // are long enough to pay, and pixel pairs for the others. Gives up (and
    // holds nothing) when no row has such runs and the picture has too many
    // distinct pairs: such a picture is looked up pixel by pixel.
    bool Build(const CanvasPixel* pixels, int width, int height);
    void Clear();
    bool Empty() const { return m_rowStart.empty(); }
    std::size_t RunCount() const { return m_runs.size(); }
    std::size_t PairCount() const { return m_pairs.PairCount(); }

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
    std::vector<std::uint8_t> m_rowByRuns;  // 0: the row is looked up by pairs or pixels
    PixelPairs m_pairs;                     // of the whole picture, when some row has no runs
    // The pair colours for m_pairColoursLut (none made yet while empty), kept
    // while the look-ups of one frame (the rectangles of one paint) use the
    // same table.
    mutable std::vector<std::uint64_t> m_pairColours;
    mutable ColourLut m_pairColoursLut{};
};

}  // namespace vortan
