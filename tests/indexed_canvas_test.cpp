#include "platform/indexed_canvas.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

namespace vortan {
namespace {

constexpr CanvasPixel kInk = 7;

// Painted extent of a canvas (pixels holding index ink).
struct Extent {
    int count = 0;
    int left = INT_MAX, right = INT_MIN, top = INT_MAX, bottom = INT_MIN;
};

Extent InkExtent(const IndexedCanvas& c, CanvasPixel ink = kInk) {
    Extent e;
    for (int y = 0; y < c.Height(); ++y)
        for (int x = 0; x < c.Width(); ++x)
            if (c.Pixel(x, y) == ink) {
                ++e.count;
                e.left = std::min(e.left, x);
                e.right = std::max(e.right, x);
                e.top = std::min(e.top, y);
                e.bottom = std::max(e.bottom, y);
            }
    return e;
}

// First and last painted pixel of row y, or {-1, -1}.
std::pair<int, int> RowSpan(const IndexedCanvas& c, int y) {
    int first = -1, last = -1;
    for (int x = 0; x < c.Width(); ++x)
        if (c.Pixel(x, y) == kInk) {
            if (first < 0) first = x;
            last = x;
        }
    return {first, last};
}

int ColumnInk(const IndexedCanvas& c, int x) {
    int n = 0;
    for (int y = 0; y < c.Height(); ++y) n += c.Pixel(x, y) == kInk;
    return n;
}

TEST(IndexedCanvas, StartsClearedAndResizeClears) {
    IndexedCanvas c(5, 4);
    ASSERT_EQ(c.Pixels().size(), 20u);
    for (CanvasPixel p : c.Pixels()) EXPECT_EQ(p, kClearedPixel);
    c.SelectPen(4, PALETTEINDEX(kInk));
    c.Ellipse(1, 1, 3, 3);
    EXPECT_GT(InkExtent(c).count, 0);
    c.Resize(6, 3);
    EXPECT_EQ(c.Width(), 6);
    EXPECT_EQ(c.Height(), 3);
    for (CanvasPixel p : c.Pixels()) EXPECT_EQ(p, kClearedPixel);
}

TEST(IndexedCanvas, DiskDiameterIsRectangleWidthPlusPen) {
    struct Case {
        int l, t, r, b, pen;
        int left, right, top, bottom;  // expected painted box
    } cases[] = {
        // Even diameter around a pixel corner: symmetric, exactly d pixels.
        {9, 9, 11, 11, 4, 7, 12, 7, 12},       // 2 + 4 = 6
        {8, 8, 12, 12, 4, 6, 13, 6, 13},       // 4 + 4 = 8
        {18, 18, 22, 22, 12, 12, 27, 12, 27},  // 4 + 12 = 16
        // Odd diameter around a pixel centre (rectangle of odd width).
        {9, 9, 10, 10, 4, 7, 11, 7, 11},  // 1 + 4 = 5, around pixel 9
        {9, 9, 12, 12, 2, 8, 12, 8, 12},  // 3 + 2 = 5, around pixel 10
        {9, 9, 12, 12, 0, 8, 11, 9, 11},  // width 0 draws as 1: 3 + 1 = 4 around pixel 10
    };
    for (const Case& k : cases) {
        IndexedCanvas c(40, 40);
        c.SelectPen(k.pen, PALETTEINDEX(kInk));
        c.Ellipse(k.l, k.t, k.r, k.b);
        const Extent e = InkExtent(c);
        SCOPED_TRACE(testing::Message()
                     << k.l << "," << k.t << "," << k.r << "," << k.b << " pen " << k.pen);
        EXPECT_EQ(e.left, k.left);
        EXPECT_EQ(e.right, k.right);
        EXPECT_EQ(e.top, k.top);
        EXPECT_EQ(e.bottom, k.bottom);
    }
}

TEST(IndexedCanvas, DisksAreRoundAndSymmetric) {
    // Small and large disks (the two are filled by different code).
    for (int d : {5, 6, 9, 10, 20, 41, 255, 256, 257, 300, 301}) {
        // Pen 2 and a rectangle d - 2 wide: around a pixel corner for even d,
        // around the centre of pixel m for odd d.
        const int m = d / 2 + 10;
        IndexedCanvas c(2 * m, 2 * m);
        c.SelectPen(2, PALETTEINDEX(kInk));
        const int w = d - 2;
        const int l = m - w / 2;
        c.Ellipse(l, l, l + w, l + w);
        const Extent e = InkExtent(c);
        SCOPED_TRACE(d);
        EXPECT_EQ(e.right - e.left + 1, d);
        EXPECT_EQ(e.bottom - e.top + 1, d);
        const double area = M_PI * d * d / 4.0;
        EXPECT_NEAR(e.count, area, d);  // within about a perimeter of pixels
        // Mirror images left/right, top/bottom and across the diagonal.
        int asymmetric = 0;
        for (int y = e.top; y <= e.bottom; ++y)
            for (int x = e.left; x <= e.right; ++x) {
                asymmetric += c.Pixel(x, y) != c.Pixel(e.left + e.right - x, y);
                asymmetric += c.Pixel(x, y) != c.Pixel(x, e.top + e.bottom - y);
                asymmetric += c.Pixel(x, y) != c.Pixel(y, x);
            }
        EXPECT_EQ(asymmetric, 0);
    }
}

TEST(IndexedCanvas, TinyDiskStillPaintsThePixelUnderItsCentre) {
    IndexedCanvas c(20, 20);
    c.SelectPen(1, PALETTEINDEX(kInk));
    c.Ellipse(10, 10, 10, 10);  // diameter 1 around the corner (10, 10)
    const Extent e = InkExtent(c);
    EXPECT_EQ(e.count, 1);
    EXPECT_EQ(c.Pixel(10, 10), kInk);
}

TEST(IndexedCanvas, NegativeDiameterDrawsNothing) {
    IndexedCanvas c(30, 30);
    c.SelectPen(4, PALETTEINDEX(kInk));
    c.Ellipse(20, 20, 10, 10);  // (10 - 20) + 4 < 0
    EXPECT_EQ(InkExtent(c).count, 0);
    EXPECT_EQ(c.EllipseCount(), 1u);
}

TEST(IndexedCanvas, PenIndexOutsidePaletteDrawsEntryZero) {
    struct Case {
        std::uint32_t colour;
        CanvasPixel expected;
    } cases[] = {
        {PALETTEINDEX(0), 0},   {PALETTEINDEX(5), 5},      {PALETTEINDEX(255), 255},
        {PALETTEINDEX(256), 0}, {PALETTEINDEX(0xFFFF), 0}, {0x00FF00FFu, 0},  // RGB, not an index
    };
    for (const Case& k : cases) {
        IndexedCanvas c(10, 10);
        c.SelectPen(4, k.colour);
        c.Ellipse(4, 4, 6, 6);
        EXPECT_EQ(c.Pixel(5, 5), k.expected) << std::hex << k.colour;
    }
}

TEST(IndexedCanvas, ClippedDiskKeepsTheVisiblePart) {
    // A disk of diameter 10 around the canvas corner (0, 0) shows exactly a
    // quarter of the same disk drawn in the open.
    IndexedCanvas open(40, 40);
    open.SelectPen(4, PALETTEINDEX(kInk));
    open.Ellipse(17, 17, 23, 23);
    const int full = InkExtent(open).count;

    IndexedCanvas corner(40, 40);
    corner.SelectPen(4, PALETTEINDEX(kInk));
    corner.Ellipse(-3, -3, 3, 3);
    const Extent e = InkExtent(corner);
    EXPECT_EQ(full % 4, 0);
    EXPECT_EQ(e.count, full / 4);
    EXPECT_EQ(corner.Pixel(0, 0), kInk);

    // Same at the opposite corner.
    IndexedCanvas far(40, 40);
    far.SelectPen(4, PALETTEINDEX(kInk));
    far.Ellipse(37, 37, 43, 43);
    EXPECT_EQ(InkExtent(far).count, full / 4);
    EXPECT_EQ(far.Pixel(39, 39), kInk);
}

TEST(IndexedCanvas, HugeCoordinatesAreClipped) {
    IndexedCanvas c(50, 40);
    c.SelectPen(4, PALETTEINDEX(kInk));
    c.Ellipse(INT_MIN, INT_MIN, INT_MAX, INT_MAX);  // covers everything
    EXPECT_EQ(InkExtent(c).count, 50 * 40);

    IndexedCanvas d(50, 40);
    d.SelectPen(INT_MAX, PALETTEINDEX(kInk));
    d.Ellipse(INT_MAX, INT_MAX, INT_MAX, INT_MAX);  // far away: reaches nothing
    d.SelectPen(4, PALETTEINDEX(kInk));
    d.Ellipse(INT_MIN, 0, INT_MIN + 2, 2);
    EXPECT_EQ(InkExtent(d).count, 0);

    // A diagonal from one far corner of the plane to the other passes through.
    IndexedCanvas l(50, 40);
    l.SelectPen(4, PALETTEINDEX(kInk));
    l.MoveTo(INT_MIN, INT_MIN);
    l.LineTo(INT_MAX, INT_MAX);
    EXPECT_EQ(l.Pixel(20, 20), kInk);
    EXPECT_EQ(l.Pixel(0, 39), kClearedPixel);
    EXPECT_EQ(l.Pixel(49, 0), kClearedPixel);
    // A line wholly outside draws nothing.
    IndexedCanvas o(50, 40);
    o.SelectPen(4, PALETTEINDEX(kInk));
    o.MoveTo(INT_MIN, -10);
    o.LineTo(INT_MAX, -10);
    EXPECT_EQ(InkExtent(o).count, 0);
}

TEST(IndexedCanvas, LineIsAStrokeOfPenWidthWithRoundEnds) {
    IndexedCanvas c(50, 30);
    c.SelectPen(4, PALETTEINDEX(kInk));
    c.MoveTo(10, 10);
    c.LineTo(30, 10);
    // Four rows thick, centred on y = 10 (rows 8, 9 above, 10, 11 below).
    EXPECT_EQ(ColumnInk(c, 20), 4);
    EXPECT_EQ(c.Pixel(20, 8), kInk);
    EXPECT_EQ(c.Pixel(20, 11), kInk);
    // Round ends: the rows next to the axis reach 2 pixels beyond the end
    // points, the outer rows less far.
    EXPECT_EQ(RowSpan(c, 9), std::make_pair(8, 31));
    EXPECT_EQ(RowSpan(c, 10), std::make_pair(8, 31));
    EXPECT_EQ(RowSpan(c, 8), std::make_pair(9, 30));
    EXPECT_EQ(RowSpan(c, 11), std::make_pair(9, 30));
    EXPECT_EQ(c.LineCount(), 1u);
}

TEST(IndexedCanvas, LineWidths) {
    struct Case {
        int x0, y0, x1, y1, pen;
        int minThick, maxThick;  // painted pixels across the stroke in its middle
        bool horizontalCut;      // count along a column (else along a row)
    } cases[] = {
        {5, 20, 45, 20, 1, 1, 1, true},
        {5, 20, 45, 20, 0, 1, 1, true},  // below 1 draws as 1
        {5, 20, 45, 20, -5, 1, 1, true},
        {5, 20, 45, 20, 7, 7, 7, true},
        {25, 2, 25, 38, 3, 3, 3, false},
        {25, 2, 25, 38, 6, 6, 6, false},
        // 45 degrees: a row crosses w * sqrt(2) pixels.
        {5, 0, 45, 40, 4, 5, 6, false},
        {5, 0, 45, 40, 1, 1, 2, false},
    };
    for (const Case& k : cases) {
        IndexedCanvas c(50, 40);
        c.SelectPen(k.pen, PALETTEINDEX(kInk));
        c.MoveTo(k.x0, k.y0);
        c.LineTo(k.x1, k.y1);
        const int mx = (k.x0 + k.x1) / 2, my = (k.y0 + k.y1) / 2;
        int thick = 0;
        if (k.horizontalCut) {
            thick = ColumnInk(c, mx);
        } else {
            const auto [a, b] = RowSpan(c, my);
            thick = a < 0 ? 0 : b - a + 1;
        }
        SCOPED_TRACE(testing::Message()
                     << k.x0 << "," << k.y0 << "-" << k.x1 << "," << k.y1 << " pen " << k.pen);
        EXPECT_GE(thick, k.minThick);
        EXPECT_LE(thick, k.maxThick);
    }
}

TEST(IndexedCanvas, ThinSlantedLinesHaveNoGaps) {
    for (auto [x1, y1] : {std::pair{39, 39}, std::pair{39, 13}, std::pair{7, 39}}) {
        IndexedCanvas c(40, 40);
        c.SelectPen(1, PALETTEINDEX(kInk));
        c.MoveTo(0, 0);
        c.LineTo(x1, y1);
        // Every row (steep) or column (shallow) between the ends holds ink.
        if (y1 >= x1) {
            for (int y = 1; y < y1; ++y)
                EXPECT_NE(RowSpan(c, y).first, -1) << x1 << "," << y1 << " row " << y;
        } else {
            for (int x = 1; x < x1; ++x)
                EXPECT_GT(ColumnInk(c, x), 0) << x1 << "," << y1 << " column " << x;
        }
    }
}

TEST(IndexedCanvas, ZeroLengthLineIsADiskOfPenWidth) {
    IndexedCanvas line(20, 20), disk(20, 20);
    line.SelectPen(6, PALETTEINDEX(kInk));
    line.MoveTo(10, 10);
    line.LineTo(10, 10);
    disk.SelectPen(6, PALETTEINDEX(kInk));
    disk.Ellipse(10, 10, 10, 10);
    EXPECT_GT(InkExtent(line).count, 20);
    EXPECT_EQ(line.Pixels(), disk.Pixels());
}

TEST(IndexedCanvas, LineToMovesTheCurrentPoint) {
    IndexedCanvas a(40, 40), b(40, 40);
    a.SelectPen(2, PALETTEINDEX(kInk));
    a.MoveTo(5, 5);
    a.LineTo(30, 5);
    a.LineTo(30, 30);
    b.SelectPen(2, PALETTEINDEX(kInk));
    b.MoveTo(5, 5);
    b.LineTo(30, 5);
    b.MoveTo(30, 5);
    b.LineTo(30, 30);
    EXPECT_EQ(a.Pixels(), b.Pixels());
    EXPECT_EQ(a.Pixel(30, 20), kInk);
}

TEST(IndexedCanvas, FillBlackClipsAndExcludesRightAndBottom) {
    IndexedCanvas c(10, 8);
    c.SelectPen(100, PALETTEINDEX(kInk));
    c.Ellipse(5, 4, 5, 4);  // ink everywhere
    ASSERT_EQ(InkExtent(c).count, 80);
    c.FillBlack(2, 3, 5, 6);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x) {
            const bool inside = x >= 2 && x < 5 && y >= 3 && y < 6;
            EXPECT_EQ(c.Pixel(x, y), inside ? kClearedPixel : kInk) << x << "," << y;
        }
    c.FillBlack(8, 6, 2, 1);  // reversed: nothing
    EXPECT_EQ(InkExtent(c).count, 80 - 9);
    c.FillBlack(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    EXPECT_EQ(InkExtent(c).count, 0);
}

TEST(IndexedCanvas, EmptyCanvasTakesEveryCall) {
    for (auto [w, h] : {std::pair{0, 0}, std::pair{0, 10}, std::pair{10, 0}, std::pair{-5, -7}}) {
        IndexedCanvas c(w, h);
        EXPECT_TRUE(c.Pixels().empty());
        c.FillBlack(0, 0, 10, 10);
        c.SelectPen(4, PALETTEINDEX(kInk));
        c.Ellipse(0, 0, 5, 5);
        c.MoveTo(-3, -3);
        c.LineTo(8, 8);
        std::uint32_t sentinel = 0x12345678u;
        ConvertToRgb32(c, PaletteEntries{}, &sentinel);
        EXPECT_EQ(sentinel, 0x12345678u);
    }
}

PaletteEntries TestPalette() {
    PaletteEntries p{};
    for (int i = 0; i < kPaletteSize; ++i)
        p[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i), 17, PC_RESERVED};
    return p;
}

TEST(IndexedCanvas, PixelColourMapsIndicesAndKeepsClearedBlack) {
    PaletteEntries p = TestPalette();
    p[0] = {200, 100, 50, PC_RESERVED};  // entry 0 is not black here
    EXPECT_EQ(PixelColour(0, p), (Rgb{200, 100, 50}));
    EXPECT_EQ(PixelColour(9, p), (Rgb{9, 246, 17}));
    EXPECT_EQ(PixelColour(255, p), (Rgb{255, 0, 17}));
    EXPECT_EQ(PixelColour(kClearedPixel, p), (Rgb{0, 0, 0}));
}

TEST(IndexedCanvas, ConvertToRgb32FollowsThePaletteRowByRow) {
    PaletteEntries p = TestPalette();
    p[0] = {1, 2, 3, 0};
    IndexedCanvas c(4, 3);
    c.SelectPen(1, PALETTEINDEX(9));
    c.Ellipse(1, 1, 1, 1);  // the single pixel (1, 1)
    c.SelectPen(1, PALETTEINDEX(0));
    c.Ellipse(3, 2, 3, 2);  // pixel (3, 2)
    std::vector<std::uint32_t> out(12, 0xDEADBEEFu);
    ConvertToRgb32(c, p, out.data());
    for (int i = 0; i < 12; ++i) {
        const std::uint32_t expected = i == 5 ? 0xFF09F611u : (i == 11 ? 0xFF010203u : 0xFF000000u);
        EXPECT_EQ(out[i], expected) << i;
    }
    // Only the rows asked for are written.
    std::vector<std::uint32_t> part(12, 0xDEADBEEFu);
    ConvertToRgb32(c, p, part.data(), 2);
    EXPECT_EQ(part[5], 0xFF09F611u);
    for (int i = 8; i < 12; ++i) EXPECT_EQ(part[i], 0xDEADBEEFu);
}

TEST(IndexedCanvas, NearestPaletteEntry) {
    PaletteEntries p{};
    for (auto& e : p) e = {255, 255, 255, 0};
    p[3] = {10, 10, 10, 0};
    p[7] = {10, 10, 10, 0};  // same colour: the lower index wins
    p[9] = {0, 0, 1, 0};
    p[20] = {128, 0, 0, 0};
    struct Case {
        std::uint8_t r, g, b;
        int expected;
    } cases[] = {
        {0, 0, 0, 9},    {0, 0, 1, 9},       {10, 10, 10, 3},    {8, 9, 11, 3},
        {120, 5, 0, 20}, {255, 255, 255, 0}, {250, 250, 250, 0},
    };
    for (const Case& k : cases)
        EXPECT_EQ(NearestPaletteEntry(p, k.r, k.g, k.b), k.expected)
            << int(k.r) << "," << int(k.g) << "," << int(k.b);
}

}  // namespace
}  // namespace vortan
