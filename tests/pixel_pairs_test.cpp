#include "platform/pixel_pairs.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace vortan {
namespace {

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
