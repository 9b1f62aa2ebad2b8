// Disks and strokes from span tables against the row-by-row reference: every pixel must agree.
#include "platform/span_raster.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <random>
#include <utility>
#include <vector>

#include "platform/indexed_canvas.h"
#include "tests/reference_canvas.h"

namespace vortan {
namespace {

// The same calls on the canvas and on the reference.
class Twin {
  public:
    Twin(int w, int h) : m_now(w, h), m_ref(w, h) {}

    void Pen(int width, int index) {
        const auto colour = PALETTEINDEX(static_cast<std::uint32_t>(index));
        m_now.SelectPen(width, colour);
        m_ref.SelectPen(width, colour);
    }
    void Ellipse(int l, int t, int r, int b) {
        m_now.Ellipse(l, t, r, b);
        m_ref.Ellipse(l, t, r, b);
    }
    void Line(int x0, int y0, int x1, int y1) {
        m_now.MoveTo(x0, y0);
        m_now.LineTo(x1, y1);
        m_ref.MoveTo(x0, y0);
        m_ref.LineTo(x1, y1);
    }
    void Clear() {
        m_now.FillBlack(0, 0, m_now.Width(), m_now.Height());
        m_ref.Clear();
    }
    // One stroke on a cleared canvas, compared; a failure names it.
    testing::AssertionResult Stroke(int pen, int index, int x0, int y0, int x1, int y1) {
        Clear();
        Pen(pen, index);
        Line(x0, y0, x1, y1);
        return Same() << " (pen " << pen << ": " << x0 << "," << y0 << " to " << x1 << "," << y1
                      << ")";
    }
    int Painted() const {
        return static_cast<int>(std::count_if(m_now.Pixels().begin(), m_now.Pixels().end(),
                                              [](CanvasPixel p) { return p != kClearedPixel; }));
    }
    // Equal pictures, or the first pixel where they differ.
    testing::AssertionResult Same() const {
        const auto &a = m_now.Pixels(), &b = m_ref.Pixels();
        if (a == b) return testing::AssertionSuccess();
        const auto at =
            static_cast<int>(std::mismatch(a.begin(), a.end(), b.begin()).first - a.begin());
        return testing::AssertionFailure()
               << "pixel (" << at % m_now.Width() << ", " << at / m_now.Width() << ") is " << a[at]
               << ", the reference has " << b[at];
    }

  private:
    IndexedCanvas m_now;
    test::ReferenceCanvas m_ref;
};

// A disk of diameter d centred at (sx / 2, sy / 2) on a cleared canvas, drawn as the pass draws
// it: a rectangle of width a (its height, free for a disk, varies too) plus a pen of d - a.
testing::AssertionResult Disk(Twin& twin, int d, int sx, int sy, int index) {
    twin.Clear();
    int a = d / 2;
    if (((sx - a) & 1) != 0) a -= 1;  // l + r and r - l have the same parity; -1 is reversed
    int b = a + 2 * (d % 3) - 2;      // any height of sy's parity
    if (((sy - b) & 1) != 0) b += 1;
    twin.Pen(d - a, index);
    const int l = (sx - a) / 2, t = (sy - b) / 2;
    twin.Ellipse(l, t, l + a, t + b);
    return twin.Same() << " (diameter " << d << ", centre " << sx << "/2, " << sy << "/2)";
}

TEST(SpanRaster, DisksOfEveryDiameterWhole) {
    // Whole or half pixel across and down; beyond 256 the disks are not from tables.
    Twin twin(330, 330);
    int previous = 0;
    for (int d = 1; d <= 300; ++d) {
        for (int place = 0; place < 4; ++place)
            ASSERT_TRUE(Disk(twin, d, 330 + (place & 1), 330 + (place >> 1), d % 256));
        const int painted = twin.Painted();
        EXPECT_GE(painted, previous) << d;  // the disks grow
        previous = painted;
    }
    EXPECT_GT(previous, 300 * 300 * 3 / 4);
}

TEST(SpanRaster, DisksClippedAtEveryEdgeAndCorner) {
    const std::pair<int, int> canvases[] = {{1, 1}, {1, 6}, {6, 1}, {2, 2}, {13, 9}};
    std::vector<int> diameters = {63, 64, 65, 127, 255, 256, 257, 258, 600, 5001, 100000};
    for (int d = 1; d <= 40; ++d) diameters.push_back(d);
    for (const auto& [w, h] : canvases) {
        Twin twin(w, h);
        for (int d : diameters) {
            // Centres wholly outside, on and inside each edge; every pair makes a corner.
            auto places = [d](int n) {
                return std::vector<int>{
                    -d - 2,    -d,    -d / 2 - 1, -d / 2,    -1,           0, 1, n,
                    2 * n - 1, 2 * n, 2 * n + 1,  2 * n + d, 2 * n + d + 2};
            };
            for (int sx : places(w))
                for (int sy : places(h))
                    for (int half = 0; half < 4; ++half)
                        ASSERT_TRUE(Disk(twin, d, sx + (half & 1), sy + (half >> 1), 9))
                            << w << "x" << h;
        }
    }
}

TEST(SpanRaster, DisksWithoutPixelsAndOddRectangles) {
    // {pen, l, t, r, b}: empty and reversed rectangles, pens below 1, extreme corners.
    // clang-format off
    const int cases[][5] = {
        {1, 5, 5, 5, 5}, {0, 5, 5, 5, 5}, {-4, 4, 6, 4, 6}, {1, 6, 6, 5, 5}, {2, 9, 9, 6, 6},
        {3, 9, 1, 6, 12}, {1, 0, 0, 0, 0}, {1, 11, 7, 11, 7}, {1, 12, 8, 12, 8}, {2, -1, -1, -1, -1},
        {4, INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {INT_MAX, 0, 0, 0, 0}, {4, INT_MAX, INT_MAX, INT_MAX, INT_MAX},
        {4, INT_MIN, 0, INT_MIN + 2, 2}, {300, INT_MAX - 10, 3, INT_MAX - 10, 3}, {7, 3, INT_MIN, 5, INT_MIN + 2},
        {2, 5, 5, 3, 9}, {INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX}};
    // clang-format on
    Twin twin(12, 8);
    for (const auto& k : cases) {
        twin.Clear();
        twin.Pen(k[0], 200);
        twin.Ellipse(k[1], k[2], k[3], k[4]);
        EXPECT_TRUE(twin.Same()) << testing::PrintToString(k);
    }
}

TEST(SpanRaster, StrokesOfEveryOctantAndLength) {
    // Every end offset up to 17 pixels each way (lengths 0 and 1, all octants, axes and
    // diagonals), starting inside, on the edges and beyond the corners.
    const std::pair<int, int> starts[] = {{24, 20}, {0, 0},   {47, 39}, {-3, 20},
                                          {24, -2}, {50, 41}, {5, 44}};
    const int pens[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 12, 13, 22, 34, 64, 65};
    Twin twin(48, 40);
    for (int pen : pens)
        for (const auto& [x, y] : starts)
            for (int dx = -17; dx <= 17; ++dx)
                for (int dy = -17; dy <= 17; ++dy)
                    ASSERT_TRUE(twin.Stroke(pen, (dx + 40) * 3 + dy, x, y, x + dx, y + dy));
}

TEST(SpanRaster, LongStrokesAndFarEnds) {
    // Random ends well beyond the canvas (also canvases one pixel wide or high, with ends
    // around them), and ends at the limits of int.
    std::mt19937 rng(12);
    std::uniform_int_distribution<int> pens(-1, 80);
    for (auto [w, h, lo, hi] :
         {std::array{61, 47, -300, 360}, {1, 1, -12, 14}, {1, 5, -12, 16}, {5, 1, -12, 16}}) {
        Twin twin(w, h);
        std::uniform_int_distribution<int> near(lo, hi);
        for (int i = 0; i < 4000; ++i) {
            const int pen = i % 5 ? pens(rng) % 10 : pens(rng);
            const int x0 = near(rng), y0 = near(rng), x1 = near(rng), y1 = near(rng);
            ASSERT_TRUE(twin.Stroke(pen, i % 256, x0, y0, x1, y1)) << w << "x" << h;
        }
    }
    Twin twin(61, 47);
    const int far[] = {INT_MIN, INT_MIN + 1, -1000000, -1, 0, 30, 1000000, INT_MAX - 1, INT_MAX};
    for (int pen : {1, 4, 70})
        for (int x0 : far)
            for (int y0 : far)
                for (int x1 : {INT_MIN, 20, INT_MAX})
                    for (int y1 : {INT_MIN, 20, INT_MAX})
                        ASSERT_TRUE(twin.Stroke(pen, 3, x0, y0, x1, y1));
}

TEST(SpanRaster, StreamletsAsThePassDrawsThem) {
    // Runs of growing disks joined by lines where more than 3 pixels apart, over one another
    // and across the edges: what is already painted must not change the result.
    std::mt19937 rng(7);
    Twin twin(200, 150);
    for (int diameter : {1, 2, 5, 10, 30, 130}) {
        twin.Clear();
        const int pen = diameter + 2;
        for (int line = 0; line < 40; ++line) {
            std::uniform_int_distribution<int> start(-20, 220), step(-7, 7);
            int x = start(rng), y = start(rng), px = x, py = y;
            for (int j = 63; j >= 0; --j) {
                const int s = std::max(1, diameter * std::min(63 - j, 20) / 20);
                twin.Pen(pen, (line * 7 + j) % 256);
                twin.Ellipse(x - s / 2, y - s / 2, x + (s + 1) / 2, y + (s + 1) / 2);
                if (std::abs(x - px) > 3 || std::abs(y - py) > 3) twin.Line(px, py, x, y);
                px = x;
                py = y;
                x += step(rng);
                y += step(rng);
            }
            ASSERT_TRUE(twin.Same()) << "diameter " << diameter << " streamlet " << line;
        }
        EXPECT_GT(twin.Painted(), 1000) << diameter;
    }
}

}  // namespace
}  // namespace vortan
