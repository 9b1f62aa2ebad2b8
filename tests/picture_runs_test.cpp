#include "platform/picture_runs.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>
#include <vector>

#include "platform/indexed_canvas.h"

namespace vortan {
namespace {

PaletteEntries Distinct() {
    PaletteEntries p{};
    for (int i = 0; i < kPaletteSize; ++i)
        p[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                static_cast<std::uint8_t>(i * 7), PC_RESERVED};
    return p;
}

// A picture of runs whose lengths come from a generator: values from the
// palette, cleared pixels, and values past the table (black, as cleared).
std::vector<CanvasPixel> RunPicture(int width, int height, int longest, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<CanvasPixel> pixels(static_cast<std::size_t>(width) * height);
    std::size_t i = 0;
    while (i < pixels.size()) {
        const std::size_t length = 1 + rng() % static_cast<unsigned>(longest);
        const auto pick = rng() % 10;
        const auto value = static_cast<CanvasPixel>(pick < 3   ? kClearedPixel
                                                    : pick < 4 ? 0x1FF + (rng() % 2) * 0xFE00
                                                               : rng() % 256);
        for (std::size_t k = 0; k < length && i < pixels.size(); ++k) pixels[i++] = value;
    }
    return pixels;
}

// The colours the pixel-by-pixel look-up gives for a rectangle.
std::vector<std::uint32_t> Want(const std::vector<CanvasPixel>& pixels, int width, int left,
                                int top, int w, int h, const ColourLut& lut) {
    std::vector<std::uint32_t> want(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        LookUpRowPortable(pixels.data() + static_cast<std::size_t>(top + y) * width + left,
                          want.data() + static_cast<std::size_t>(y) * w,
                          static_cast<std::size_t>(w), lut);
    return want;
}

TEST(PictureRuns, WholePicturesLookUpAsPixelByPixel) {
    // {width, height, longest run}: runs around the 8- and 16-pixel stores,
    // rows narrower than one store, runs longer than a row.
    const std::tuple<int, int, int> cases[] = {
        {1, 1, 1},   {7, 3, 4},    {8, 2, 9},    {16, 4, 17},    {17, 5, 40},
        {64, 9, 16}, {333, 7, 25}, {1920, 3, 8}, {100, 50, 400}, {1000, 2, 2000}};
    const ColourLut lut = MakeColourLut(Distinct());
    unsigned seed = 1;
    for (auto [width, height, longest] : cases) {
        SCOPED_TRACE(testing::Message() << width << " x " << height << ", runs up to " << longest);
        const auto pixels = RunPicture(width, height, longest, seed++);
        PictureRuns runs;
        // Rows of runs this long are worth keeping; shorter ones may not be.
        const bool built = runs.Build(pixels.data(), width, height);
        if (longest >= 16 && width >= 16) {
            ASSERT_TRUE(built);
        }
        if (!built) continue;
        std::vector<std::uint32_t> out(pixels.size() + 9, 7u);
        runs.LookUp(pixels.data(), 0, 0, width, height, out.data(), static_cast<std::size_t>(width),
                    lut);
        EXPECT_EQ(std::vector(out.begin(), out.end() - 9),
                  Want(pixels, width, 0, 0, width, height, lut));
        // Nothing past the picture is written.
        EXPECT_EQ(std::vector(out.end() - 9, out.end()), std::vector<std::uint32_t>(9, 7u));
    }
}

TEST(PictureRuns, RectanglesWriteTheirPixelsAndNothingElse) {
    constexpr int kWidth = 211, kHeight = 13;
    const auto pixels = RunPicture(kWidth, kHeight, 30, 9);
    const ColourLut lut = MakeColourLut(Distinct());
    PictureRuns runs;
    ASSERT_TRUE(runs.Build(pixels.data(), kWidth, kHeight));
    // {left, top, width, height}: corners, single pixels and columns, rows
    // cut inside runs, the whole picture written into a wider target.
    const std::tuple<int, int, int, int> rects[] = {
        {0, 0, 1, 1},      {210, 12, 1, 1}, {5, 0, 1, 13},   {0, 3, 211, 1},   {3, 2, 17, 4},
        {100, 0, 111, 13}, {0, 0, 211, 13}, {29, 5, 150, 8}, {190, 1, 20, 11}, {7, 7, 8, 1}};
    for (auto [left, top, w, h] : rects) {
        SCOPED_TRACE(testing::Message() << w << " x " << h << " at " << left << "," << top);
        const std::size_t stride = static_cast<std::size_t>(w) + 5;
        std::vector<std::uint32_t> out(stride * static_cast<std::size_t>(h) + 16, 7u);
        runs.LookUp(pixels.data(), left, top, w, h, out.data(), stride, lut);
        const auto want = Want(pixels, kWidth, left, top, w, h, lut);
        for (std::size_t i = 0; i < out.size(); ++i) {
            const std::size_t y = i / stride, x = i % stride;
            const bool inside = y < static_cast<std::size_t>(h) && x < static_cast<std::size_t>(w);
            ASSERT_EQ(out[i], inside ? want[y * static_cast<std::size_t>(w) + x] : 7u)
                << "at " << x << "," << y;
        }
    }
}

TEST(PictureRuns, RowsOfShortRunsAreLookedUpByPairs) {
    // Rows 0 and 3 are two runs each; rows 1 and 2 change at every pixel.
    constexpr int kWidth = 40;
    std::vector<CanvasPixel> pixels(kWidth * 4);
    for (int x = 0; x < kWidth; ++x) {
        pixels[x] = x < 25 ? kClearedPixel : 17;
        pixels[kWidth + x] = static_cast<CanvasPixel>(x);
        pixels[2 * kWidth + x] = static_cast<CanvasPixel>(x % 2 ? 255 : kClearedPixel);
        pixels[3 * kWidth + x] = x < 3 ? 0x1FF : 200;
    }
    PictureRuns runs;
    ASSERT_TRUE(runs.Build(pixels.data(), kWidth, 4));
    EXPECT_EQ(runs.RunCount(), 4u);
    const ColourLut lut = MakeColourLut(Distinct());
    const std::tuple<int, int, int, int> rects[] = {
        {0, 0, kWidth, 4}, {1, 0, 38, 4}, {30, 1, 10, 3}, {0, 2, 5, 1}};
    for (auto [left, top, w, h] : rects) {
        SCOPED_TRACE(testing::Message() << w << " x " << h << " at " << left << "," << top);
        std::vector<std::uint32_t> out(static_cast<std::size_t>(w) * h + 8, 7u);
        runs.LookUp(pixels.data(), left, top, w, h, out.data(), static_cast<std::size_t>(w), lut);
        EXPECT_EQ(std::vector(out.begin(), out.end() - 8),
                  Want(pixels, kWidth, left, top, w, h, lut));
        EXPECT_EQ(std::vector(out.end() - 8, out.end()), std::vector<std::uint32_t>(8, 7u));
    }
}

TEST(PictureRuns, PicturesOfShortRunsAreLookedUpByPairsOrPixels) {
    // Alternating pixels: no row of runs, one distinct pair.
    std::vector<CanvasPixel> alternating(1000);
    for (std::size_t i = 0; i < alternating.size(); ++i)
        alternating[i] = static_cast<CanvasPixel>(i % 2 ? 5 : kClearedPixel);
    // Every pair of values once per row: more distinct pairs than ids, and
    // no runs either, so nothing is kept.
    constexpr int kAllWidth = 2 * 257;
    std::vector<CanvasPixel> allPairs;
    for (int a = 0; a < 257; ++a)
        for (int b = 0; b < 257; ++b) {
            allPairs.push_back(static_cast<CanvasPixel>(a));
            allPairs.push_back(static_cast<CanvasPixel>(b));
        }
    PictureRuns runs;
    ASSERT_TRUE(runs.Build(alternating.data(), 100, 10));
    EXPECT_EQ(runs.RunCount(), 0u);
    EXPECT_EQ(runs.PairCount(), 1u);
    const ColourLut lut = MakeColourLut(Distinct());
    std::vector<std::uint32_t> out(1000, 7u);
    runs.LookUp(alternating.data(), 0, 0, 100, 10, out.data(), 100, lut);
    EXPECT_EQ(out, Want(alternating, 100, 0, 0, 100, 10, lut));
    EXPECT_FALSE(runs.Build(allPairs.data(), kAllWidth, 257));
    EXPECT_TRUE(runs.Empty());
    // Runs longer than 65535 pixels are split and still kept.
    const std::vector<CanvasPixel> long_row(70000, 42);
    ASSERT_TRUE(runs.Build(long_row.data(), 70000, 1));
    EXPECT_EQ(runs.RunCount(), 2u);
    std::vector<std::uint32_t> longOut(70000, 7u);
    runs.LookUp(long_row.data(), 0, 0, 70000, 1, longOut.data(), 70000, lut);
    EXPECT_EQ(longOut, std::vector<std::uint32_t>(70000, lut[42]));
}

TEST(PictureRuns, ACanvasKeepsRunsOnlyWhileItsPictureStaysTheSame) {
    IndexedCanvas canvas(64, 16);
    canvas.SelectPen(5, PALETTEINDEX(9));
    canvas.Ellipse(10, 4, 20, 10);
    const PaletteEntries palette = Distinct();
    const auto convert = [&] {
        std::vector<std::uint32_t> out(64u * 16u, 7u);
        ConvertToRgb32(canvas, palette, out.data());
        return out;
    };
    const auto expected = [&] {
        std::vector<std::uint32_t> out(64u * 16u);
        LookUpRowPortable(canvas.Row(0), out.data(), out.size(), MakeColourLut(palette));
        return out;
    };
    // Seen once: pixel by pixel; seen again unchanged: by runs. (Asking for
    // the runs counts as seeing the picture.)
    EXPECT_EQ(convert(), expected());
    EXPECT_EQ(convert(), expected());
    EXPECT_NE(canvas.StableRuns(), nullptr);
    // Every drawing call makes the runs stale; the picture shown is the new one.
    using Draw = void (*)(IndexedCanvas&);
    const std::pair<const char*, Draw> draws[] = {
        {"Ellipse", [](IndexedCanvas& c) { c.Ellipse(30, 2, 34, 6); }},
        {"LineTo",
         [](IndexedCanvas& c) {
             c.MoveTo(0, 15);
             c.LineTo(63, 0);
         }},
        {"FillBlack", [](IndexedCanvas& c) { c.FillBlack(0, 0, 32, 8); }},
        {"Resize", [](IndexedCanvas& c) { c.Resize(64, 16); }},
    };
    for (const auto& [name, draw] : draws) {
        SCOPED_TRACE(name);
        canvas.SelectPen(3, PALETTEINDEX(200));
        draw(canvas);
        EXPECT_EQ(canvas.StableRuns(), nullptr);  // stale runs are never handed out
        for (int i = 0; i < 3; ++i) EXPECT_EQ(convert(), expected()) << "conversion " << i;
    }
}

TEST(PictureRuns, ARectangleOfACanvasIsClippedToThePicture) {
    IndexedCanvas canvas(40, 10);
    canvas.SelectPen(7, PALETTEINDEX(77));
    canvas.Ellipse(30, 5, 36, 9);
    const ColourLut lut = MakeColourLut(Distinct());
    std::vector<std::uint32_t> want(40u * 10u);
    LookUpRowPortable(canvas.Row(0), want.data(), want.size(), lut);
    // Twice each, once pixel by pixel and once by runs: a rectangle reaching
    // past the right and bottom edges writes only the picture's part.
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass);
        constexpr std::size_t kStride = 30;
        std::vector<std::uint32_t> out(kStride * 8, 7u);
        ConvertRectToRgb32(canvas, lut, 20, 4, 30, 8, out.data(), kStride);
        for (std::size_t y = 0; y < 8; ++y)
            for (std::size_t x = 0; x < kStride; ++x)
                ASSERT_EQ(out[y * kStride + x],
                          (x < 20 && y < 6) ? want[(y + 4) * 40 + x + 20] : 7u)
                    << x << "," << y;
    }
}

}  // namespace
}  // namespace vortan
