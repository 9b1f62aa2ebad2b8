// The canvas's former rasteriser, kept only as the reference the span
// rasteriser is compared with: every disk and stroke computed row by row
// with its own square roots. Same calls and same coverage rule as
// IndexedCanvas (pixel centres inside the shape, chords half-open, disks too
// small for any centre paint the pixel under their centre).
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "platform/indexed_canvas.h"

namespace vortan::test {

class ReferenceCanvas {
  public:
    ReferenceCanvas(int width, int height)
        : m_width(std::max(width, 0)),
          m_height(std::max(height, 0)),
          m_pixels(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height),
                   kClearedPixel) {}

    const std::vector<CanvasPixel>& Pixels() const { return m_pixels; }
    void Clear() { std::fill(m_pixels.begin(), m_pixels.end(), kClearedPixel); }

    void SelectPen(int width, std::uint32_t colour) {
        m_penWidth = std::max(width, 1);
        const bool palette = (colour & 0xFF000000u) == 0x01000000u && (colour & 0xFFFFu) < 256u;
        m_penIndex = palette ? static_cast<CanvasPixel>(colour & 0xFFFFu) : CanvasPixel{0};
    }
    void Ellipse(int left, int top, int right, int bottom) {
        const double cx = (static_cast<double>(left) + right) / 2.0;
        const double cy = (static_cast<double>(top) + bottom) / 2.0;
        const double diameter = static_cast<double>(right) - left + m_penWidth;
        FillDiskAt(cx - 0.5, cy - 0.5, diameter);
    }
    void MoveTo(int x, int y) {
        m_curX = x;
        m_curY = y;
    }
    void LineTo(int x, int y) {
        FillCapsule(m_curX - 0.5, m_curY - 0.5, x - 0.5, y - 0.5, m_penWidth / 2.0);
        m_curX = x;
        m_curY = y;
    }

  private:
    struct DiskRow {
        int dy, x0, x1;
    };

    static int FirstCentreAtOrAfter(double v, int lo, int hi) {
        if (!(v > lo)) return lo;
        if (!(v < hi)) return hi;
        const int i = static_cast<int>(v);
        return i < v ? i + 1 : i;
    }
    void FillSpan(int y, double xl, double xr) {
        const int x0 = FirstCentreAtOrAfter(xl, 0, m_width);
        const int x1 = FirstCentreAtOrAfter(xr, 0, m_width);
        if (x0 >= x1) return;
        CanvasPixel* row = m_pixels.data() + static_cast<std::size_t>(y) * m_width;
        std::fill(row + x0, row + x1, m_penIndex);
    }
    static std::vector<DiskRow> BuildDiskRows(double d, double fx, double fy) {
        std::vector<DiskRow> rows;
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
        return rows;
    }
    void FillDiskAt(double cx, double cy, double diameter) {
        if (!(diameter > 0.0) || m_width == 0 || m_height == 0) return;
        const double r = diameter / 2.0;
        if (diameter <= 256.0) {
            const double nx = std::floor(cx);
            const double ny = std::floor(cy);
            const std::vector<DiskRow> rows = BuildDiskRows(diameter, cx - nx, cy - ny);
            const auto bx = static_cast<std::int64_t>(nx);
            const auto by = static_cast<std::int64_t>(ny);
            if (rows.empty()) {
                const std::int64_t px = bx + (cx - nx >= 0.5 ? 1 : 0);
                const std::int64_t py = by + (cy - ny >= 0.5 ? 1 : 0);
                if (px >= 0 && px < m_width && py >= 0 && py < m_height)
                    m_pixels[static_cast<std::size_t>(py) * m_width +
                             static_cast<std::size_t>(px)] = m_penIndex;
                return;
            }
            for (const DiskRow& row : rows) {
                const std::int64_t y = by + row.dy;
                if (y < 0 || y >= m_height) continue;
                const int x0 = static_cast<int>(std::clamp<std::int64_t>(bx + row.x0, 0, m_width));
                const int x1 = static_cast<int>(std::clamp<std::int64_t>(bx + row.x1, 0, m_width));
                if (x0 >= x1) continue;
                CanvasPixel* p = m_pixels.data() + static_cast<std::size_t>(y) * m_width;
                std::fill(p + x0, p + x1, m_penIndex);
            }
            return;
        }
        const double r2 = r * r;
        const int y0 = FirstCentreAtOrAfter(cy - r, 0, m_height);
        const int y1 = FirstCentreAtOrAfter(cy + r, 0, m_height);
        for (int y = y0; y < y1; ++y) {
            const double dy = y - cy;
            const double h2 = r2 - dy * dy;
            if (h2 < 0.0) continue;
            const double h = std::sqrt(h2);
            FillSpan(y, cx - h, cx + h);
        }
    }
    void FillCapsule(double x0, double y0, double x1, double y1, double r) {
        if (m_width == 0) return;
        const double dx = x1 - x0;
        const double dy = y1 - y0;
        const double len = std::sqrt(dx * dx + dy * dy);
        if (len == 0.0) {
            FillDiskAt(x0, y0, 2.0 * r);
            return;
        }
        const double ux = dx / len;
        const double uy = dy / len;
        const double iux = ux != 0.0 ? 1.0 / ux : 0.0;
        const double iuy = uy != 0.0 ? 1.0 / uy : 0.0;
        const double r2 = r * r;
        const int ya = FirstCentreAtOrAfter(std::min(y0, y1) - r, 0, m_height);
        const int yb = FirstCentreAtOrAfter(std::max(y0, y1) + r, 0, m_height);
        constexpr double kInf = std::numeric_limits<double>::infinity();
        const std::array<std::array<double, 2>, 2> ends{{{x0, y0}, {x1, y1}}};
        for (int y = ya; y < yb; ++y) {
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
            if (lo < hi) FillSpan(y, lo, hi);
        }
    }

    int m_width;
    int m_height;
    std::vector<CanvasPixel> m_pixels;
    int m_penWidth = 1;
    CanvasPixel m_penIndex = 0;
    int m_curX = 0;
    int m_curY = 0;
};

}  // namespace vortan::test
