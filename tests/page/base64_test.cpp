#include "page/base64.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/page/page_test_support.h"

namespace vortan::test {
namespace {

std::string Encode(const std::string& text) {
    return page::Base64(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

TEST(Base64, StandardVectorsAndPadding) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
        {std::string("\xff\xfe\x00\x3e\x3f", 5), "//4APj8="},
    };
    for (const auto& [plain, encoded] : cases) {
        EXPECT_EQ(Encode(plain), encoded) << plain;
    }
}

TEST(Base64, EveryByteValueRoundTrips) {
    std::vector<std::uint8_t> bytes(256 * 3 + 1);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    const std::string text = page::Base64(bytes.data(), bytes.size());
    EXPECT_EQ(text.size(), (bytes.size() + 2) / 3 * 4);
    EXPECT_EQ(DecodeBase64(text), bytes);
}

}  // namespace
}  // namespace vortan::test
