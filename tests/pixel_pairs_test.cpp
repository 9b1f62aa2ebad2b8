#include "platform/pixel_pairs.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>
#include <vector>

#include "tests/test_support.h"

namespace vortan {
namespace {

// Pixels of a streamlet-like picture: short runs of neighbouring indices and
// background, a few values past the table.
std::vector<CanvasPixel> Picture(std::size_t count, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<CanvasPixel> pixels(count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto r = rng() % 20;
        pixels[i] = static_cast<CanvasPixel>(r < 8    ? kClearedPixel
                                             : r == 8 ? 0x1FF
                                             : r == 9 ? 0xFFFF
                                                      : 100 + (i / 3) % 40);
    }
    return pixels;
}

TEST(PixelPairs, SpansLookUpAsPixelByPixel) {
    const ColourLut lut = MakeColourLut(test::DistinctPalette());
    // {pixels, first, count}: spans starting on either pixel of a pair, of
    // odd and even length, the whole picture, a picture of odd length.
    const std::tuple<std::size_t, std::size_t, std::size_t> spans[] = {
        {64, 0, 64}, {64, 1, 63}, {64, 1, 62}, {64, 2, 1},  {64, 3, 1},       {64, 5, 8},
        {64, 63, 1}, {65, 0, 65}, {65, 64, 1}, {65, 7, 58}, {1921, 960, 961}, {9, 0, 0}};
    unsigned seed = 1;
    for (auto [n, first, count] : spans) {
        SCOPED_TRACE(testing::Message() << count << " of " << n << " pixels from " << first);
        const auto pixels = Picture(n, seed++);
        PixelPairs pairs;
        ASSERT_TRUE(pairs.Build(pixels.data(), n));
        std::vector<std::uint64_t> colours;
        pairs.MakeColours(lut, colours);
        std::vector<std::uint32_t> out(count + 4, 7u), want(out);  // nothing written past count
        pairs.LookUp(pixels.data(), first, count, out.data(), lut, colours.data());
        LookUpRowPortable(pixels.data() + first, want.data(), count, lut);
        EXPECT_EQ(out, want);
    }
}

TEST(PixelPairs, MoreDistinctPairsThanIdsAreRefused) {
    // {distinct pairs wanted, built}: every id used, and one pair too many.
    const std::pair<std::size_t, bool> cases[] = {{65535, true}, {65536, false}, {66049, false}};
    for (auto [distinct, built] : cases) {
        SCOPED_TRACE(distinct);
        std::vector<CanvasPixel> pixels;
        for (std::size_t k = 0; k < distinct; ++k) {
            pixels.push_back(static_cast<CanvasPixel>(k / 257));
            pixels.push_back(static_cast<CanvasPixel>(k % 257));
        }
        PixelPairs pairs;
        EXPECT_EQ(pairs.Build(pixels.data(), pixels.size()), built);
        EXPECT_EQ(pairs.Empty(), !built);
        EXPECT_EQ(pairs.PairCount(), built ? distinct : 0u);
    }
}

}  // namespace
}  // namespace vortan
