#include "platform/numeric.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace vortan {
namespace {

struct RoundCase {
    float in;
    std::int32_t out;
};

TEST(RoundNearest, HalvesGoTowardZero) {
    const RoundCase cases[] = {
        {2.5f, 2},    {2.51f, 3},
        {-2.5f, -2},  {-2.7f, -3},
        {0.5f, 0},    {0.0f, 0},
        {-0.0f, 0},   {1.5f, 1},
        {9.5f, 9},    {223.0f - 63 * 3.5f, 2},
        {0.4999f, 0}, {16777215.0f, 16777215},
        {-1.49f, -1},
    };
    for (const auto& c : cases) EXPECT_EQ(RoundNearest(c.in), c.out) << c.in;
}

TEST(RoundNearest, OutOfRangeGivesInt32Min) {
    const float cases[] = {std::numeric_limits<float>::quiet_NaN(), 3.0e9f, -3.0e9f,
                           std::numeric_limits<float>::infinity(), 2147483648.0f};
    for (float v : cases) EXPECT_EQ(RoundNearest(v), std::numeric_limits<std::int32_t>::min()) << v;
}

TEST(TruncToInt32, TowardZeroAndSafeOutOfRange) {
    EXPECT_EQ(TruncToInt32(640.9), 640);
    EXPECT_EQ(TruncToInt32(-2.7), -2);
    EXPECT_EQ(TruncToInt32(2147483647.0), 2147483647);
    EXPECT_EQ(TruncToInt32(-2147483648.0), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(TruncToInt32(3e9), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(TruncToInt32(std::nan("")), std::numeric_limits<std::int32_t>::min());
}

TEST(IsWholeNumber, Table) {
    struct {
        float v;
        bool whole;
    } cases[] = {{3.0f, true},
                 {-4.0f, true},
                 {0.0f, true},
                 {2.5f, false},
                 {3.0e9f, false},
                 {-3.0e9f, false},
                 {0.5f, false},
                 {1e-7f, false},
                 {std::numeric_limits<float>::quiet_NaN(), false},
                 {std::numeric_limits<float>::infinity(), false}};
    for (const auto& c : cases) EXPECT_EQ(IsWholeNumber(c.v), c.whole) << c.v;
}

}  // namespace
}  // namespace vortan
