// An in-memory picture of palette indices with the few GDI drawing calls the
// drawing pass uses: black fill, solid palette-index pens, Ellipse, MoveTo/LineTo.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/canvas_pixel.h"
#include "platform/logical_palette.h"
#include "platform/picture_runs.h"
#include "platform/span_raster.h"

namespace vortan {

class IndexedCanvas {
  public:
    IndexedCanvas() = default;
    IndexedCanvas(int width, int height);  // every pixel cleared

    void Resize(int width, int height);  // every pixel cleared
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    CanvasPixel Pixel(int x, int y) const {
        return m_pixels[static_cast<std::size_t>(y) * m_width + x];
    }
    const CanvasPixel* Row(int y) const {
        return m_pixels.data() + static_cast<std::size_t>(y) * m_width;
    }
    const std::vector<CanvasPixel>& Pixels() const { return m_pixels; }

    // FillSolidRect with black over (left, top)-(right, bottom), right and bottom exclusive.
    void FillBlack(int left, int top, int right, int bottom);

    // Selects a solid pen: width in pixels (below 1 draws as 1), colour a
    // PALETTEINDEX value (an index outside 0..255 draws with entry 0).
    void SelectPen(int width, std::uint32_t colour);

    // Ellipse in (l, t, r, b) with the current solid pen: a filled disk of
    // diameter (r - l) + pen width around the rectangle's centre.
    void Ellipse(int left, int top, int right, int bottom);

    void MoveTo(int x, int y);
    // A stroke of the pen's width with round ends from the current point to (x, y).
    void LineTo(int x, int y);

    // Counts set by drawing calls (for tests and benchmarks).
    std::uint64_t EllipseCount() const { return m_ellipses; }
    std::uint64_t LineCount() const { return m_lines; }
    // Changes with every call that may change the pixels (a display that
    // keeps a copy of the picture compares it to know when to copy again).
    std::uint64_t Generation() const { return m_generation; }

    // The picture as runs, for pictures looked up again and again unchanged
    // (an animation): built the second time the same picture is asked for,
    // kept until a drawing call changes it. Null when not (yet) worth it.
    const PictureRuns* StableRuns() const;

  private:
    SpanTarget Target() { return {m_pixels.data(), m_width, m_height}; }
    void Changed() { ++m_generation; }

    int m_width = 0;
    int m_height = 0;
    std::vector<CanvasPixel> m_pixels;
    int m_penWidth = 1;
    CanvasPixel m_penIndex = 0;
    int m_curX = 0;
    int m_curY = 0;
    std::uint64_t m_ellipses = 0;
    std::uint64_t m_lines = 0;
    // Counts changes to the pixels; the runs belong to one generation.
    std::uint64_t m_generation = 0;
    mutable std::uint64_t m_askedGeneration = ~std::uint64_t{0};
    mutable std::uint64_t m_runsGeneration = ~std::uint64_t{0};
    mutable PictureRuns m_runs;
};

// Maps a canvas pixel to RGB through a palette (cleared pixels are black).
struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};
Rgb PixelColour(CanvasPixel p, const PaletteEntries& palette);

// Turns rows [0, rows) of the picture into 0xFFRRGGBB pixels through the
// palette, cleared pixels black; out holds width * rows values.
void ConvertToRgb32(const IndexedCanvas& canvas, const PaletteEntries& palette, std::uint32_t* out,
                    int rows = -1);

// The same for the rectangle [left, left + width) x [top, top + height) of
// the picture (clipped to it): pixel (x, y) goes to
// out[(y - top) * stride + (x - left)], and nothing else in out is written.
void ConvertRectToRgb32(const IndexedCanvas& canvas, const ColourLut& lut, int left, int top,
                        int width, int height, std::uint32_t* out, std::size_t stride);

// The palette entry nearest in colour to (r, g, b) (squared distance; the
// lowest index wins ties). Used to write cleared pixels into 8-bit files.
int NearestPaletteEntry(const PaletteEntries& palette, std::uint8_t r, std::uint8_t g,
                        std::uint8_t b);

}  // namespace vortan
