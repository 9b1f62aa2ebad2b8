#include "platform/picture_runs.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>
#include <vector>

#include "platform/indexed_canvas.h"
#include "tests/test_support.h"

namespace vortan {
namespace {

const ColourLut kLut = MakeColourLut(test::DistinctPalette());

// A picture of runs up to longest pixels: palette values, cleared pixels, and
// values past the table (black, as cleared).
std::vector<CanvasPixel> RunPicture(int width, int height, int longest, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<CanvasPixel> pixels(static_cast<std::size_t>(width) * height);
    for (std::size_t i = 0; i < pixels.size();) {
        const std::size_t length = 1 + rng() % static_cast<unsigned>(longest);
        const auto pick = rng() % 10;
        const auto value = static_cast<CanvasPixel>(pick < 3   ? kClearedPixel
                                                    : pick < 4 ? 0x1FF + (rng() % 2) * 0xFE00
                                                               : rng() % 256);
        for (std::size_t k = 0; k < length && i < pixels.size(); ++k) pixels[i++] = value;
    }
    return pixels;
}

// Looks up the rectangle into a target margin pixels wider and compares the whole target
// with the pixel-by-pixel look-up: nothing may be written around the rectangle.
void ExpectRectangle(const PictureRuns& runs, const std::vector<CanvasPixel>& pixels, int width,
                     int left, int top, int w, int h, std::size_t margin) {
    const std::size_t stride = static_cast<std::size_t>(w) + margin;
    std::vector<std::uint32_t> out(stride * static_cast<std::size_t>(h) + 16, 7u), want(out);
    runs.LookUp(pixels.data(), left, top, w, h, out.data(), stride, kLut);
    for (int y = 0; y < h; ++y)
        LookUpRowPortable(pixels.data() + static_cast<std::size_t>(top + y) * width + left,
                          want.data() + y * stride, static_cast<std::size_t>(w), kLut);
    EXPECT_EQ(out, want) << w << " x " << h << " at " << left << "," << top;
}

TEST(PictureRuns, PicturesAndRectanglesLookUpAsPixelByPixel) {
    // {width, height, longest run, left, top, w, h, margin}: runs around the 8- and 16-pixel
    // stores, rows narrower than a store, runs longer than a row; rectangles cut inside runs.
    const std::tuple<int, int, int, int, int, int, int, std::size_t> cases[] = {
        {2, 1, 1, 0, 0, 2, 1, 0},          {7, 3, 4, 0, 0, 7, 3, 0},
        {16, 4, 40, 0, 0, 16, 4, 0},       {17, 5, 40, 0, 0, 17, 5, 0},
        {333, 7, 40, 0, 0, 333, 7, 0},     {1920, 3, 8, 0, 0, 1920, 3, 0},
        {1000, 2, 2000, 0, 0, 1000, 2, 0}, {211, 13, 48, 210, 12, 1, 1, 5},
        {211, 13, 48, 5, 0, 1, 13, 5},     {211, 13, 48, 3, 2, 17, 4, 5},
        {211, 13, 48, 100, 0, 111, 13, 5}, {211, 13, 48, 0, 0, 211, 13, 5},
        {211, 13, 48, 190, 1, 20, 11, 5},  {211, 13, 48, 7, 7, 8, 1, 5}};
    unsigned seed = 1;
    for (auto [width, height, longest, left, top, w, h, margin] : cases) {
        const auto pixels = RunPicture(width, height, longest, seed++);
        PictureRuns runs;
        ASSERT_TRUE(runs.Build(pixels.data(), width, height));
        ExpectRectangle(runs, pixels, width, left, top, w, h, margin);
    }
}

TEST(PictureRuns, RowsOfShortRunsAreLookedUpByPairsOrPixels) {
    // Rows 0 and 3 are two runs each; rows 1 and 2 change at every pixel.
    constexpr int kWidth = 40;
    std::vector<CanvasPixel> mixed(kWidth * 4);
    for (int x = 0; x < kWidth; ++x) {
        mixed[x] = x < 25 ? kClearedPixel : 17;
        mixed[kWidth + x] = static_cast<CanvasPixel>(x);
        mixed[2 * kWidth + x] = static_cast<CanvasPixel>(x % 2 ? 255 : kClearedPixel);
        mixed[3 * kWidth + x] = x < 3 ? 0x1FF : 200;
    }
    PictureRuns runs;
    ASSERT_TRUE(runs.Build(mixed.data(), kWidth, 4));
    EXPECT_EQ(runs.RunCount(), 4u);
    for (auto [left, top, w, h] : {std::tuple{0, 0, kWidth, 4}, std::tuple{1, 0, 38, 4},
                                   std::tuple{30, 1, 10, 3}, std::tuple{0, 2, 5, 1}})
        ExpectRectangle(runs, mixed, kWidth, left, top, w, h, 0);
    // Every pair of values once per row: more distinct pairs than ids and no
    // runs, so nothing is kept; runs longer than 65535 pixels are split.
    std::vector<CanvasPixel> allPairs;
    for (int k = 0; k < 257 * 257; ++k) {
        allPairs.push_back(static_cast<CanvasPixel>(k / 257));
        allPairs.push_back(static_cast<CanvasPixel>(k % 257));
    }
    EXPECT_FALSE(runs.Build(allPairs.data(), 2 * 257, 257));
    EXPECT_TRUE(runs.Empty());
    const std::vector<CanvasPixel> longRow(70000, 42);
    ASSERT_TRUE(runs.Build(longRow.data(), 70000, 1));
    EXPECT_EQ(runs.RunCount(), 2u);
    ExpectRectangle(runs, longRow, 70000, 0, 0, 70000, 1, 0);
}

TEST(PictureRuns, ACanvasKeepsRunsOnlyWhileItsPictureStaysTheSame) {
    IndexedCanvas canvas(64, 16);
    canvas.SelectPen(5, PALETTEINDEX(9));
    canvas.Ellipse(10, 4, 20, 10);
    const PaletteEntries palette = test::DistinctPalette();
    const auto expectShown = [&](const char* when) {
        std::vector<std::uint32_t> out(64u * 16u, 7u), want(out.size());
        ConvertToRgb32(canvas, palette, out.data());
        LookUpRowPortable(canvas.Row(0), want.data(), want.size(), kLut);
        EXPECT_EQ(out, want) << when;
    };
    // Seen once: pixel by pixel; seen again unchanged (asking for the runs counts): by runs.
    for (const char* when : {"first", "second"}) expectShown(when);
    EXPECT_NE(canvas.StableRuns(), nullptr);
    // Every drawing call makes the runs stale; the picture shown is the new one.
    using Draw = void (*)(IndexedCanvas&);
    const std::pair<const char*, Draw> draws[] = {
        {"Ellipse", [](IndexedCanvas& c) { c.Ellipse(30, 2, 34, 6); }},
        {"LineTo", [](IndexedCanvas& c) { c.LineTo(63, 0); }},
        {"FillBlack", [](IndexedCanvas& c) { c.FillBlack(0, 0, 32, 8); }},
        {"Resize", [](IndexedCanvas& c) { c.Resize(64, 16); }},
    };
    for (const auto& [name, draw] : draws) {
        SCOPED_TRACE(name);
        canvas.SelectPen(3, PALETTEINDEX(200));
        draw(canvas);
        EXPECT_EQ(canvas.StableRuns(), nullptr);  // stale runs are never handed out
        for (const char* when : {"after", "again", "once more"}) expectShown(when);
    }
    // A rectangle past the right and bottom edges writes only the picture's part, both ways.
    canvas.Ellipse(30, 5, 36, 9);
    constexpr std::size_t kStride = 50;
    std::vector<std::uint32_t> expected(kStride * 12, 7u);
    for (int y = 0; y < 6; ++y)
        LookUpRowPortable(canvas.Row(10 + y) + 20, expected.data() + y * kStride, 44, kLut);
    for (int pass = 0; pass < 2; ++pass) {
        std::vector<std::uint32_t> out(kStride * 12, 7u);
        ConvertRectToRgb32(canvas, kLut, 20, 10, 50, 12, out.data(), kStride);
        EXPECT_EQ(out, expected) << "pass " << pass;
    }
}

}  // namespace
}  // namespace vortan
