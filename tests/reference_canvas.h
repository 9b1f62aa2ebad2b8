// The canvas's former rasteriser, the reference for the span rasteriser: every disk and stroke
// row by row with its own square roots. Coverage as IndexedCanvas: pixel centres inside the
// shape, chords half-open, disks too small for any centre paint the pixel under their centre.
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
        FillDiskAt(cx - 0.5, cy - 0.5, static_cast<double>(right) - left + m_penWidth);
    }
    void MoveTo(int x, int y) {
        m_curX = x;
        m_curY = y;
    }
    void LineTo(int x, int y) {
        FillCapsule(m_curX - 0.5, m_curY - 0.5, x - 0.5, y - 0.5, m_penWidth / 2.0);
        MoveTo(x, y);
    }

  private:
    static int FirstCentreAtOrAfter(double v, int lo, int hi) {
        if (!(v > lo)) return lo;
        return v < hi ? static_cast<int>(std::ceil(v)) : hi;
    }
    void FillSpan(int y, double xl, double xr) {
        FillPixels(y, FirstCentreAtOrAfter(xl, 0, m_width), FirstCentreAtOrAfter(xr, 0, m_width));
    }
    void FillPixels(std::int64_t y, std::int64_t x0, std::int64_t x1) {  // clipped, x1 excluded
        x0 = std::max<std::int64_t>(x0, 0);
        x1 = std::min<std::int64_t>(x1, m_width);
        if (y < 0 || y >= m_height || x0 >= x1) return;
        CanvasPixel* row = m_pixels.data() + static_cast<std::size_t>(y) * m_width;
        std::fill(row + x0, row + x1, m_penIndex);
    }
    void FillDiskAt(double cx, double cy, double diameter) {
        if (!(diameter > 0.0) || m_width == 0 || m_height == 0) return;
        const double r = diameter / 2.0;
        if (diameter <= 256.0) {  // rows of the disk around the fraction of its centre
            const double nx = std::floor(cx), ny = std::floor(cy), fx = cx - nx, fy = cy - ny;
            const auto bx = static_cast<std::int64_t>(nx), by = static_cast<std::int64_t>(ny);
            bool any = false;
            for (double i = std::ceil(fy - r); i < fy + r; i += 1.0) {
                const double h2 = r * r - (i - fy) * (i - fy);
                if (h2 < 0.0) continue;
                const double x0 = std::ceil(fx - std::sqrt(h2)), x1 = std::ceil(fx + std::sqrt(h2));
                if (x0 >= x1) continue;
                any = true;
                FillPixels(by + static_cast<int>(i), bx + static_cast<int>(x0),
                           bx + static_cast<int>(x1));
            }
            if (!any) {  // no pixel centre inside: the pixel under the centre
                const std::int64_t px = bx + (fx >= 0.5 ? 1 : 0);
                FillPixels(by + (fy >= 0.5 ? 1 : 0), px, px + 1);
            }
            return;
        }
        const int y0 = FirstCentreAtOrAfter(cy - r, 0, m_height);
        const int y1 = FirstCentreAtOrAfter(cy + r, 0, m_height);
        for (int y = y0; y < y1; ++y) {
            const double h2 = r * r - (y - cy) * (y - cy);
            if (h2 >= 0.0) FillSpan(y, cx - std::sqrt(h2), cx + std::sqrt(h2));
        }
    }
    void FillCapsule(double x0, double y0, double x1, double y1, double r) {
        if (m_width == 0) return;
        const double dx = x1 - x0, dy = y1 - y0;
        const double len = std::sqrt(dx * dx + dy * dy);
        if (len == 0.0) return FillDiskAt(x0, y0, 2.0 * r);
        const double ux = dx / len, uy = dy / len;
        const double iux = ux != 0.0 ? 1.0 / ux : 0.0, iuy = uy != 0.0 ? 1.0 / uy : 0.0;
        const int ya = FirstCentreAtOrAfter(std::min(y0, y1) - r, 0, m_height);
        const int yb = FirstCentreAtOrAfter(std::max(y0, y1) + r, 0, m_height);
        constexpr double kInf = std::numeric_limits<double>::infinity();
        const std::array<std::array<double, 2>, 2> ends{{{x0, y0}, {x1, y1}}};
        for (int y = ya; y < yb; ++y) {
            double lo = kInf, hi = -kInf;  // the round ends
            for (const auto& e : ends) {
                const double h2 = r * r - (y - e[1]) * (y - e[1]);
                if (h2 < 0.0) continue;
                lo = std::min(lo, e[0] - std::sqrt(h2));
                hi = std::max(hi, e[0] + std::sqrt(h2));
            }
            const double yv = y - y0;
            double bl = -kInf, br = kInf;  // the band along the segment
            const auto narrow = [&](double a, double b) {
                bl = std::max(bl, std::min(a, b));
                br = std::min(br, std::max(a, b));
            };
            if (ux != 0.0) {
                narrow(-yv * uy * iux, (len - yv * uy) * iux);
            } else if (yv * uy < 0.0 || yv * uy > len) {
                br = -kInf;
            }
            if (uy != 0.0) {
                narrow((yv * ux - r) * iuy, (yv * ux + r) * iuy);
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

    int m_width, m_height;
    std::vector<CanvasPixel> m_pixels;
    int m_penWidth = 1;
    CanvasPixel m_penIndex = 0;
    int m_curX = 0, m_curY = 0;
};

}  // namespace vortan::test
