// Numbers from text and from bytes in either order.
#include "field/value_decode.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vortan::field {
namespace {

TEST(ValueDecode, NumbersFromText) {
    const std::tuple<const char*, bool, double> cases[] = {
        // clang-format off
        {"1.5", true, 1.5}, {"-2e3", true, -2000}, {"+0.25", true, 0.25},
        {"1e400", true, HUGE_VAL}, {"-1e400", true, -HUGE_VAL}, {"1e-400", true, 0.0},
        {"inf", true, HUGE_VAL}, {"-Infinity", true, -HUGE_VAL},
        {"", false, 0}, {"+-1", false, 0}, {"1.5x", false, 0}, {"--1", false, 0},
        {"0x10", false, 0}, {"+", false, 0},
        // clang-format on
    };
    for (const auto& [text, ok, want] : cases) {
        double value = 7;
        EXPECT_EQ(ParseNumber(text, &value), ok) << text;
        if (ok) {
            EXPECT_EQ(value, want) << text;
        }
    }
    double value = 0;
    EXPECT_TRUE(ParseNumber("NaN", &value));
    EXPECT_TRUE(std::isnan(value));
    EXPECT_TRUE(ParseNumber("-nan", &value));
    EXPECT_TRUE(std::isnan(value));
}

TEST(ValueDecode, BothByteOrders) {
    const unsigned char be[] = {0xC0, 0x00, 0x00, 0x00, 0x3F, 0x80, 0x00, 0x00};
    const unsigned char le[] = {0x00, 0x00, 0x00, 0xC0, 0x00, 0x00, 0x80, 0x3F};
    double out[2] = {};
    DecodeValues(be, 2, ValueType::kFloat32, true, out);
    EXPECT_EQ(out[0], -2.0);
    EXPECT_EQ(out[1], 1.0);
    DecodeValues(le, 2, ValueType::kFloat32, false, out);
    EXPECT_EQ(out[0], -2.0);
    EXPECT_EQ(out[1], 1.0);
    DecodeValues(be, 2, ValueType::kInt16, true, out);
    EXPECT_EQ(out[0], -16384.0);
    EXPECT_EQ(out[1], 0.0);
    DecodeValues(be, 1, ValueType::kUInt64, false, out);
    EXPECT_EQ(out[0], static_cast<double>(0x0000803F000000C0ull));
    EXPECT_EQ(DecodeUnsigned(be, 4, true), 0xC0000000ull);
    EXPECT_EQ(DecodeUnsigned(le, 8, false), 0x3F800000C0000000ull);
    EXPECT_EQ(DecodeUnsigned(le, 8, true), 0x000000C00000803Full);
}

}  // namespace
}  // namespace vortan::field
