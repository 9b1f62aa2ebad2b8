// Numbers from text and from bytes in either order.
#include "field/value_decode.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

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
}

// Float32 and Float64 in either byte order, and header words, are read from the
// fixtures and the block headers; these integer types are not.
TEST(ValueDecode, IntegerTypes) {
    const unsigned char bytes[] = {0xC0, 0x00, 0x00, 0x00, 0x3F, 0x80, 0x00, 0x00};
    double out[2] = {};
    DecodeValues(bytes, 2, ValueType::kInt16, true, out);
    EXPECT_EQ(std::vector<double>(out, out + 2), (std::vector<double>{-16384, 0}));
    DecodeValues(bytes, 1, ValueType::kUInt64, false, out);
    EXPECT_EQ(out[0], static_cast<double>(0x0000803F000000C0ull));
}

}  // namespace
}  // namespace vortan::field
