#include "platform/indexed_canvas.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "platform/palette_lookup.h"

// Pixel coverage rule. Pixel (x, y) is the unit square from (x, y) to
// (x + 1, y + 1), as in GDI. A shape paints the pixels whose centres
// (x + 0.5, y + 0.5) lie inside it, with the top-left rule for centres on its
// outline: in every pixel row the shape's chord [xl, xr] is taken half-open,
// [xl, xr), and a row whose centre lies on the shape's lowest point is left
// out. A shape of whole-number width w thus paints exactly w pixels across; a
// disk of even diameter around a pixel corner, or of odd diameter around a
// pixel centre, is symmetric. A disk too small to hold any pixel centre paints
// the pixel under its centre, so nothing drawn vanishes. No antialiasing.
//
// Internally the shapes are moved by half a pixel, so that pixel x's centre is
// the integer x.

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

// First pixel whose centre is at or after v, clamped to [lo, hi] with
// 0 <= lo (v may be huge or NaN).
inline int FirstCentreAtOrAfter(double v, int lo, int hi) {
    if (!(v > lo)) return lo;
    if (!(v < hi)) return hi;
    const int i = static_cast<int>(v);  // v > 0: truncation is floor
    return i < v ? i + 1 : i;
}

// The pixels one drawing call paints into, with the pen's index.
struct Target {
    CanvasPixel* pixels;
    int width;
    int height;
    CanvasPixel index;
};

// Paints the pixels of row y whose centres x satisfy xl <= x < xr.
inline void FillSpan(const Target& t, int y, double xl, double xr) {
    const int x0 = FirstCentreAtOrAfter(xl, 0, t.width);
    const int x1 = FirstCentreAtOrAfter(xr, 0, t.width);
    if (x0 >= x1) return;
    CanvasPixel* row = t.pixels + static_cast<std::size_t>(y) * t.width;
    std::fill(row + x0, row + x1, t.index);
}

// One row of a disk, relative to the pixel holding its centre: row dy, pixels
// x0 to x1 - 1.
struct DiskRow {
    int dy, x0, x1;
};

// The rows of a disk of diameter d whose centre lies at (fx, fy) within its
// pixel (0 <= fx, fy < 1): one square root per row.
void BuildDiskRows(double d, double fx, double fy, std::vector<DiskRow>& rows) {
    rows.clear();
    const double r = d / 2.0;
    const double r2 = r * r;
    for (double i = std::ceil(fy - r); i < fy + r; i += 1.0) {
        const double dy = i - fy;
        const double h2 = r2 - dy * dy;
        if (h2 < 0.0) continue;
        const double h = std::sqrt(h2);
        const double x0 = std::ceil(fx - h);
        const double x1 = std::ceil(fx + h);
        if (x0 < x1)
            rows.push_back({static_cast<int>(i), static_cast<int>(x0), static_cast<int>(x1)});
    }
}

// Disks of the common small sizes repeat over and over with the same
// position within their pixel: their rows are kept in a small cache.
constexpr double kCachedDiameter = 256.0;

const std::vector<DiskRow>& CachedDiskRows(double d, double fx, double fy) {
    struct Entry {
        double d = -1.0, fx = 0.0, fy = 0.0;
        std::vector<DiskRow> rows;
    };
    thread_local std::array<Entry, 16> cache;
    thread_local std::size_t next = 0;
    for (Entry& e : cache)
        if (e.d == d && e.fx == fx && e.fy == fy) return e.rows;
    Entry& e = cache[next];
    next = (next + 1) % cache.size();
    e.d = d;
    e.fx = fx;
    e.fy = fy;
    BuildDiskRows(d, fx, fy, e.rows);
    return e.rows;
}

// Clamps a pixel position held in 64 bits to [0, limit].
inline int ClampPixel(std::int64_t v, int limit) {
    return static_cast<int>(std::clamp<std::int64_t>(v, 0, limit));
}

// The disk of the given diameter around (cx, cy). A disk too small to hold
// any pixel centre paints the pixel that contains its centre.
void FillDiskAt(const Target& t, double cx, double cy, double diameter) {
    if (!(diameter > 0.0) || t.width == 0 || t.height == 0) return;
    const double r = diameter / 2.0;
    if (diameter <= kCachedDiameter) {
        const double nx = std::floor(cx);
        const double ny = std::floor(cy);
        const std::vector<DiskRow>& rows = CachedDiskRows(diameter, cx - nx, cy - ny);
        const auto bx = static_cast<std::int64_t>(nx);
        const auto by = static_cast<std::int64_t>(ny);
        if (rows.empty()) {
            const std::int64_t px = bx + (cx - nx >= 0.5 ? 1 : 0);
            const std::int64_t py = by + (cy - ny >= 0.5 ? 1 : 0);
            if (px >= 0 && px < t.width && py >= 0 && py < t.height)
                t.pixels[static_cast<std::size_t>(py) * t.width + static_cast<std::size_t>(px)] =
                    t.index;
            return;
        }
        for (const DiskRow& row : rows) {
            const std::int64_t y = by + row.dy;
            if (y < 0 || y >= t.height) continue;
            const int x0 = ClampPixel(bx + row.x0, t.width);
            const int x1 = ClampPixel(bx + row.x1, t.width);
            if (x0 >= x1) continue;
            CanvasPixel* p = t.pixels + static_cast<std::size_t>(y) * t.width;
            std::fill(p + x0, p + x1, t.index);
        }
        return;
    }
    // Large disks: only the rows on the canvas are visited.
    const double r2 = r * r;
    const int y0 = FirstCentreAtOrAfter(cy - r, 0, t.height);
    const int y1 = FirstCentreAtOrAfter(cy + r, 0, t.height);
    for (int y = y0; y < y1; ++y) {
        const double dy = y - cy;
        const double h2 = r2 - dy * dy;
        if (h2 < 0.0) continue;
        const double h = std::sqrt(h2);
        FillSpan(t, y, cx - h, cx + h);
    }
}

// Every point within r of the segment (x0, y0)-(x1, y1): a stroke with round
// ends. Only rows of the canvas are visited, however far the ends lie outside.
void FillCapsule(const Target& t, double x0, double y0, double x1, double y1, double r) {
    if (t.width == 0) return;
    const double dx = x1 - x0;
    const double dy = y1 - y0;
    const double len = std::sqrt(dx * dx + dy * dy);
    if (len == 0.0) {
        FillDiskAt(t, x0, y0, 2.0 * r);
        return;
    }
    const double ux = dx / len;
    const double uy = dy / len;
    const double iux = ux != 0.0 ? 1.0 / ux : 0.0;
    const double iuy = uy != 0.0 ? 1.0 / uy : 0.0;
    const double r2 = r * r;
    const int ya = FirstCentreAtOrAfter(std::min(y0, y1) - r, 0, t.height);
    const int yb = FirstCentreAtOrAfter(std::max(y0, y1) + r, 0, t.height);
    constexpr double kInf = std::numeric_limits<double>::infinity();
    const std::array<std::array<double, 2>, 2> ends{{{x0, y0}, {x1, y1}}};
    for (int y = ya; y < yb; ++y) {
        // The stroke is convex, so its chord on this row is the hull of the
        // chords of its three parts: the two end disks and the band between.
        double lo = kInf;
        double hi = -kInf;
        for (const auto& e : ends) {
            const double ey = y - e[1];
            const double h2 = r2 - ey * ey;
            if (h2 < 0.0) continue;
            const double h = std::sqrt(h2);
            lo = std::min(lo, e[0] - h);
            hi = std::max(hi, e[0] + h);
        }
        // The band: with X = x - x0 and Y = y - y0, 0 <= X ux + Y uy <= len
        // and -r <= X uy - Y ux <= r, both linear in X.
        const double yv = y - y0;
        double bl = -kInf;
        double br = kInf;
        if (ux != 0.0) {
            double a = -yv * uy * iux;
            double b = (len - yv * uy) * iux;
            if (a > b) std::swap(a, b);
            bl = std::max(bl, a);
            br = std::min(br, b);
        } else if (yv * uy < 0.0 || yv * uy > len) {
            br = -kInf;
        }
        if (uy != 0.0) {
            double a = (yv * ux - r) * iuy;
            double b = (yv * ux + r) * iuy;
            if (a > b) std::swap(a, b);
            bl = std::max(bl, a);
            br = std::min(br, b);
        } else if (std::fabs(yv * ux) > r) {
            br = -kInf;
        }
        if (bl <= br) {
            lo = std::min(lo, x0 + bl);
            hi = std::max(hi, x0 + br);
        }
        if (lo < hi) FillSpan(t, y, lo, hi);
    }
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
}

void IndexedCanvas::FillBlack(int left, int top, int right, int bottom) {
    const int l = std::clamp(left, 0, m_width);
    const int r = std::clamp(right, 0, m_width);
    const int t = std::clamp(top, 0, m_height);
    const int b = std::clamp(bottom, 0, m_height);
    if (l >= r) return;
    for (int y = t; y < b; ++y) {
        CanvasPixel* row = m_pixels.data() + static_cast<std::size_t>(y) * m_width;
        std::fill(row + l, row + r, kClearedPixel);
    }
}

void IndexedCanvas::SelectPen(int width, std::uint32_t colour) {
    m_penWidth = std::max(width, 1);
    m_penIndex = IndexOfColour(colour);
}

void IndexedCanvas::FillDisk(double cx, double cy, double diameter) {
    FillDiskAt({m_pixels.data(), m_width, m_height, m_penIndex}, cx - 0.5, cy - 0.5, diameter);
}

void IndexedCanvas::Ellipse(int left, int top, int right, int bottom) {
    ++m_ellipses;
    // A pen wider than the rectangle's outline covers the whole inside, so the
    // ellipse shows as one disk of the pen's colour; the brush never shows.
    const double cx = (static_cast<double>(left) + right) / 2.0;
    const double cy = (static_cast<double>(top) + bottom) / 2.0;
    const double diameter = static_cast<double>(right) - left + m_penWidth;
    FillDisk(cx, cy, diameter);
}

void IndexedCanvas::MoveTo(int x, int y) {
    m_curX = x;
    m_curY = y;
}

void IndexedCanvas::LineTo(int x, int y) {
    ++m_lines;
    FillCapsule({m_pixels.data(), m_width, m_height, m_penIndex}, m_curX - 0.5, m_curY - 0.5,
                x - 0.5, y - 0.5, m_penWidth / 2.0);
    m_curX = x;
    m_curY = y;
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
    // Rows are contiguous in both pictures: one pass over all of them.
    const ColourLut lut = MakeColourLut(palette);
    LookUpRow(canvas.Row(0), out, static_cast<std::size_t>(width) * static_cast<std::size_t>(n),
              lut);
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
