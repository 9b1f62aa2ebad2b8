#include "platform/numeric.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>

namespace vortan {
namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

TEST(FloatToInt, HalvesRoundTowardZeroAndOutOfRangeGivesInt32Min) {
    // clang-format off
    const std::pair<float, std::int32_t> cases[] = {
        {2.5f, 2}, {2.51f, 3}, {-2.5f, -2}, {-2.7f, -3}, {0.5f, 0}, {-0.0f, 0}, {1.5f, 1}, {9.5f, 9},
        {223.0f - 63 * 3.5f, 2}, {0.4999f, 0}, {16777215.0f, 16777215}, {-1.49f, -1},
        {NAN, kMin}, {3.0e9f, kMin}, {-3.0e9f, kMin}, {HUGE_VALF, kMin}, {2147483648.0f, kMin},
        {-2147483648.0f, kMin}, {2147483520.0f, 2147483520}, {-2147483520.0f, -2147483520},
        {0.50000006f, 1}, {-0.50000006f, -1}, {0.49999997f, 0}, {8388607.5f, 8388607},
        {-8388607.5f, -8388607}, {-HUGE_VALF, kMin}};
    // clang-format on
    for (auto [in, out] : cases) EXPECT_EQ(RoundNearest(in), out) << in;
    // Truncation goes toward zero, with the same value out of range; whole numbers.
    const std::pair<double, std::int32_t> truncs[] = {
        {640.9, 640},          {-2.7, -2},  {2147483647.0, 2147483647},
        {-2147483648.0, kMin}, {3e9, kMin}, {std::nan(""), kMin}};
    for (auto [in, out] : truncs) EXPECT_EQ(TruncToInt32(in), out) << in;
    const std::pair<float, bool> wholes[] = {
        {3.0f, true},     {-4.0f, true}, {0.0f, true},   {2.5f, false}, {3.0e9f, false},
        {-3.0e9f, false}, {0.5f, false}, {1e-7f, false}, {NAN, false},  {HUGE_VALF, false}};
    for (auto [v, whole] : wholes) EXPECT_EQ(IsWholeNumber(v), whole) << v;
}

TEST(FitsFloat, AgreesWithNarrowToFloatAtTheOverflowThreshold) {
    const double threshold = 0x1.ffffffp127, below = std::nextafter(threshold, 0.0);
    // 3.4028234663852886e38 is FLT_MAX.
    for (const double v : {0.0, -0.0, 1e-300, 3.4028234663852886e38, below, threshold,
                           std::nextafter(threshold, 1e300), 1e39, HUGE_VAL, std::nan("")}) {
        for (const double value : {v, -v})
            EXPECT_EQ(FitsFloat(value), std::isfinite(NarrowToFloat(value))) << value;
    }
    EXPECT_TRUE(FitsFloat(below) && !FitsFloat(threshold));
}

}  // namespace
}  // namespace vortan
