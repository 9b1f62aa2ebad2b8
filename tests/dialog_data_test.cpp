#include "platform/dialog_data.h"

#include <gtest/gtest.h>

#include <utility>

namespace vortan {
namespace {

TEST(DialogData, FormatsSixSignificantDigitsAndParsesNumbersWithBlanks) {
    // clang-format off
    const std::pair<float, const char*> formats[] = {{2.0f, "2"}, {2.5f, "2.5"}, {0.0f, "0"},
        {7.0f, "7"}, {-1.0f, "-1"}, {3e9f, "3e+09"}, {1234567.0f, "1.23457e+06"}, {0.1f, "0.1"}};
    const std::pair<const char*, std::optional<float>> parses[] = {{"2", 2.0f}, {"  2.5 ", 2.5f},
        {"-1", -1.0f}, {"+3", 3.0f}, {"1e3", 1000.0f}, {".5", 0.5f}, {"3000000000", 3e9f},
        {"", std::nullopt}, {"   ", std::nullopt}, {"a", std::nullopt}, {"2a", std::nullopt},
        {"inf", std::nullopt}, {"nan", std::nullopt}, {"0x10", std::nullopt}, {"--1", std::nullopt},
        {"1 2", std::nullopt}, {"-", std::nullopt}};
    // clang-format on
    for (auto [v, text] : formats) EXPECT_EQ(FormatDialogFloat(v), text) << v;
    for (auto [text, v] : parses) EXPECT_EQ(ParseDialogFloat(text), v) << '"' << text << '"';
}

}  // namespace
}  // namespace vortan
