#include "platform/dialog_data.h"

#include <gtest/gtest.h>

namespace vortan {
namespace {

TEST(DialogData, FormatsSixSignificantDigits) {
    const struct {
        float v;
        const char* text;
    } cases[] = {{2.0f, "2"},
                 {2.5f, "2.5"},
                 {0.0f, "0"},
                 {7.0f, "7"},
                 {-1.0f, "-1"},
                 {3e9f, "3e+09"},
                 {1234567.0f, "1.23457e+06"},
                 {0.1f, "0.1"}};
    for (const auto& c : cases) EXPECT_EQ(FormatDialogFloat(c.v), c.text);
}

TEST(DialogData, ParsesNumbersWithBlanks) {
    const struct {
        const char* text;
        std::optional<float> v;
    } cases[] = {{"2", 2.0f},           {"  2.5 ", 2.5f},       {"-1", -1.0f},
                 {"+3", 3.0f},          {"1e3", 1000.0f},       {".5", 0.5f},
                 {"3000000000", 3e9f},  {"", std::nullopt},     {"   ", std::nullopt},
                 {"a", std::nullopt},   {"2a", std::nullopt},   {"inf", std::nullopt},
                 {"nan", std::nullopt}, {"0x10", std::nullopt}, {"--1", std::nullopt},
                 {"1 2", std::nullopt}, {"-", std::nullopt}};
    for (const auto& c : cases) EXPECT_EQ(ParseDialogFloat(c.text), c.v) << '"' << c.text << '"';
}

}  // namespace
}  // namespace vortan
