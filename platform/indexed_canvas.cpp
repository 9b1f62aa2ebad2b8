#include "platform/indexed_canvas.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "platform/palette_lookup.h"
#include "platform/span_raster.h"

namespace vortan {

namespace {

// Palette index a PALETTEINDEX colour names; GDI reads the index from the low
// word. Anything that is not a palette index, or names an entry beyond the
// 256-entry palette, draws with entry 0.
CanvasPixel IndexOfColour(std::uint32_t colour) {
    if ((colour & 0xFF000000u) != 0x01000000u) return 0;
    const std::uint32_t index = colour & 0xFFFFu;
    return index < static_cast<std::uint32_t>(kPaletteSize) ? static_cast<CanvasPixel>(index) : 0;
}

}  // namespace

IndexedCanvas::IndexedCanvas(int width, int height) {
    Resize(width, height);
}

void IndexedCanvas::Resize(int width, int height) {
    m_width = std::max(width, 0);
    m_height = std::max(height, 0);
    m_pixels.assign(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height),
                    kClearedPixel);
    Changed();
}

void IndexedCanvas::FillBlack(int left, int top, int right, int bottom) {
    const int l = std::clamp(left, 0, m_width);
    const int r = std::clamp(right, 0, m_width);
    const int t = std::clamp(top, 0, m_height);
    const int b = std::clamp(bottom, 0, m_height);
    if (l >= r) return;
    Changed();
    for (int y = t; y < b; ++y) {
        CanvasPixel* row = m_pixels.data() + static_cast<std::size_t>(y) * m_width;
        std::fill(row + l, row + r, kClearedPixel);
    }
}

void IndexedCanvas::SelectPen(int width, std::uint32_t colour) {
    m_penWidth = std::max(width, 1);
    m_penIndex = IndexOfColour(colour);
}

void IndexedCanvas::Ellipse(int left, int top, int right, int bottom) {
    ++m_ellipses;
    Changed();
    // A pen wider than the rectangle's outline covers the whole inside, so the
    // ellipse shows as one disk of the pen's colour; the brush never shows.
    FillDiskSpans(Target(), m_penIndex, std::int64_t{left} + right, std::int64_t{top} + bottom,
                  std::int64_t{right} - left + m_penWidth);
}

void IndexedCanvas::MoveTo(int x, int y) {
    m_curX = x;
    m_curY = y;
}

void IndexedCanvas::LineTo(int x, int y) {
    ++m_lines;
    Changed();
    FillStrokeSpans(Target(), m_penIndex, m_curX, m_curY, x, y, m_penWidth);
    m_curX = x;
    m_curY = y;
}

const PictureRuns* IndexedCanvas::StableRuns() const {
    if (m_runsGeneration != m_generation) {
        // The first look-up of a picture goes pixel by pixel: a picture still
        // being drawn changes before its runs would pay for themselves.
        if (m_askedGeneration != m_generation) {
            m_askedGeneration = m_generation;
            return nullptr;
        }
        m_runs.Build(m_pixels.data(), m_width, m_height);
        m_runsGeneration = m_generation;
    }
    return m_runs.Empty() ? nullptr : &m_runs;
}

Rgb PixelColour(CanvasPixel p, const PaletteEntries& palette) {
    if (p >= kPaletteSize) return {};
    const PaletteEntry& e = palette[p];
    return {e.peRed, e.peGreen, e.peBlue};
}

void ConvertToRgb32(const IndexedCanvas& canvas, const PaletteEntries& palette, std::uint32_t* out,
                    int rows) {
    const int height = canvas.Height();
    const int n = (rows < 0 || rows > height) ? height : rows;
    const int width = canvas.Width();
    if (n == 0 || width == 0 || out == nullptr) return;
    const ColourLut lut = MakeColourLut(palette);
    ConvertRectToRgb32(canvas, lut, 0, 0, width, n, out, static_cast<std::size_t>(width));
}

void ConvertRectToRgb32(const IndexedCanvas& canvas, const ColourLut& lut, int left, int top,
                        int width, int height, std::uint32_t* out, std::size_t stride) {
    const int l = std::clamp(left, 0, canvas.Width());
    const int t = std::clamp(top, 0, canvas.Height());
    const int r = std::clamp(left + std::max(width, 0), l, canvas.Width());
    const int b = std::clamp(top + std::max(height, 0), t, canvas.Height());
    if (l == r || t == b || out == nullptr) return;
    out += static_cast<std::size_t>(t - top) * stride + static_cast<std::size_t>(l - left);
    if (const PictureRuns* runs = canvas.StableRuns()) {
        runs->LookUp(canvas.Row(0), l, t, r - l, b - t, out, stride, lut);
        return;
    }
    const auto w = static_cast<std::size_t>(r - l);
    if (l == 0 && r == canvas.Width() && stride == w) {
        // Whole rows, contiguous in both pictures: one pass over all of them.
        LookUpRow(canvas.Row(t), out, w * static_cast<std::size_t>(b - t), lut);
        return;
    }
    for (int y = t; y < b; ++y, out += stride) LookUpRow(canvas.Row(y) + l, out, w, lut);
}

int NearestPaletteEntry(const PaletteEntries& palette, std::uint8_t r, std::uint8_t g,
                        std::uint8_t b) {
    int best = 0;
    long bestDistance = std::numeric_limits<long>::max();
    for (int i = 0; i < kPaletteSize; ++i) {
        const long dr = long{palette[i].peRed} - r;
        const long dg = long{palette[i].peGreen} - g;
        const long db = long{palette[i].peBlue} - b;
        const long d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

}  // namespace vortan
