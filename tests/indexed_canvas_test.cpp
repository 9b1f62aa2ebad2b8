#include "platform/indexed_canvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <vector>

namespace vortan {
namespace {

constexpr CanvasPixel kInk = 7;

// A w x h canvas with one disk (pen, rectangle) in ink.
IndexedCanvas Disk(int w, int h, int pen, int l, int t, int r, int b,
                   std::uint32_t ink = PALETTEINDEX(kInk)) {
    IndexedCanvas c(w, h);
    c.SelectPen(pen, ink);
    c.Ellipse(l, t, r, b);
    return c;
}
// A w x h canvas with one stroke in ink.
IndexedCanvas Stroke(int w, int h, int pen, int x0, int y0, int x1, int y1) {
    IndexedCanvas c(w, h);
    c.SelectPen(pen, PALETTEINDEX(kInk));
    c.MoveTo(x0, y0);
    c.LineTo(x1, y1);
    return c;
}
int Ink(const IndexedCanvas& c) {
    return static_cast<int>(std::count(c.Pixels().begin(), c.Pixels().end(), kInk));
}
// Painted box {left, top, right, bottom}, {INT_MAX, INT_MAX, INT_MIN, INT_MIN} if empty.
std::vector<int> Box(const IndexedCanvas& c) {
    std::vector<int> b = {INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int y = 0; y < c.Height(); ++y)
        for (int x = 0; x < c.Width(); ++x)
            if (c.Pixel(x, y) == kInk)
                b = {std::min(b[0], x), std::min(b[1], y), std::max(b[2], x), std::max(b[3], y)};
    return b;
}

TEST(IndexedCanvas, ClearingResizeAndFillBlack) {
    IndexedCanvas c = Disk(10, 8, 100, 5, 4, 5, 4);  // ink everywhere
    ASSERT_EQ(Ink(c), 80);
    c.FillBlack(2, 3, 5, 6);  // right and bottom excluded
    c.FillBlack(8, 6, 2, 1);  // reversed: nothing
    EXPECT_EQ(Ink(c), 80 - 9);
    for (auto [x, y] : {std::pair{2, 3}, {4, 5}}) EXPECT_EQ(c.Pixel(x, y), kClearedPixel);
    for (auto [x, y] : {std::pair{1, 3}, {5, 5}, {4, 6}, {2, 2}}) EXPECT_EQ(c.Pixel(x, y), kInk);
    c.FillBlack(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    EXPECT_EQ(Ink(c), 0);
    c = Disk(5, 4, 4, 1, 1, 3, 3);
    c.Resize(6, 3);
    EXPECT_EQ(c.Pixels(), std::vector<CanvasPixel>(18, kClearedPixel));
    for (auto [w, h] : {std::pair{0, 10}, {-5, -7}}) {  // an empty canvas takes every call
        IndexedCanvas e = Stroke(w, h, 4, -3, -3, 8, 8);
        e.FillBlack(0, 0, 10, 10);
        e.Ellipse(0, 0, 5, 5);
        std::uint32_t sentinel = 0x12345678u;
        ConvertToRgb32(e, PaletteEntries{}, &sentinel);
        EXPECT_EQ(sentinel, 0x12345678u);
    }
}

TEST(IndexedCanvas, PenIndexOutsidePaletteDrawsEntryZero) {
    const std::uint32_t colours[] = {PALETTEINDEX(5), PALETTEINDEX(255), PALETTEINDEX(256),
                                     PALETTEINDEX(0xFFFF), 0x00FF00FFu};  // the last is RGB
    const CanvasPixel drawn[] = {5, 255, 0, 0, 0};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Disk(10, 10, 4, 4, 4, 6, 6, colours[i]).Pixel(5, 5), drawn[i]) << i;
}

TEST(IndexedCanvas, LineIsAStrokeOfPenWidthWithRoundEnds) {
    const IndexedCanvas c = Stroke(50, 30, 4, 10, 10, 30, 10);
    EXPECT_EQ(c.LineCount(), 1u);
    EXPECT_EQ(Box(c), (std::vector<int>{8, 8, 31, 11}));  // rows 8..11, 2 beyond each end
    for (int y = 8; y <= 11; ++y) EXPECT_EQ(c.Pixel(20, y), kInk);
    EXPECT_EQ(c.Pixel(8, 8), kClearedPixel);  // the outer rows reach less far
    EXPECT_EQ(c.Pixel(9, 8), kInk);
    EXPECT_EQ(c.Pixel(31, 11), kClearedPixel);
    // LineTo moves the current point.
    IndexedCanvas a = Stroke(40, 40, 2, 5, 5, 30, 5), b = a;
    a.LineTo(30, 30);
    b.MoveTo(30, 5);
    b.LineTo(30, 30);
    EXPECT_EQ(a.Pixels(), b.Pixels());
    EXPECT_EQ(a.Pixel(30, 20), kInk);
}

TEST(IndexedCanvas, ColoursThroughThePalette) {
    PaletteEntries p{};
    for (auto& e : p) e = {255, 255, 255, 0};
    p[0] = {1, 2, 3, 0};            // entry 0 is not black here; a cleared pixel is
    p[3] = p[9] = {9, 246, 17, 0};  // same colour: the lower index is nearest
    IndexedCanvas c = Disk(4, 3, 1, 1, 1, 1, 1, PALETTEINDEX(9));  // pixel (1, 1)
    c.SelectPen(1, PALETTEINDEX(0));
    c.Ellipse(3, 2, 3, 2);  // pixel (3, 2)
    std::vector<std::uint32_t> all(12, 0xFF000000u);
    all[5] = 0xFF09F611u;
    all[11] = 0xFF010203u;
    // Only the rows asked for (all when out of range); seen again, the picture goes by runs.
    for (int rows : {-1, 0, 2, 3, 9, 2, 0, -1}) {
        std::vector<std::uint32_t> out(12, 0xDEADBEEFu), want = all;
        if (rows >= 0 && rows < 3) std::fill(want.begin() + 4 * rows, want.end(), 0xDEADBEEFu);
        ConvertToRgb32(c, p, out.data(), rows);
        EXPECT_EQ(out, want) << "rows " << rows;
    }
    EXPECT_EQ(NearestPaletteEntry(p, 10, 240, 20), 3);
    EXPECT_EQ(NearestPaletteEntry(p, 0, 0, 0), 0);
    EXPECT_EQ(NearestPaletteEntry(p, 250, 250, 250), 1);
}

}  // namespace
}  // namespace vortan
