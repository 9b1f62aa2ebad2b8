// Base64: the encoder's standard vectors, the layouts each decoding caller's
// text comes in, and the ways text can fail to be base64.
#include "platform/base64.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vortan {
namespace {

constexpr Base64Options kStrict{};
constexpr Base64Options kGroups{.paddedGroups = true};
constexpr Base64Options kLines{.continuations = true};

struct Case {
    const char* text;
    Base64Options options;
    Base64Error error;
    std::string bytes;  // decoded bytes when error is None
    std::size_t position = 0;
};

TEST(Base64, DecodesTheLayoutsEachCallerAllows) {
    using enum Base64Error;
    // clang-format off
    const Case cases[] = {
        {"", kStrict, None, ""}, {"TWFu", kStrict, None, "Man"}, {"TWE=", kStrict, None, "Ma"},
        {"TQ==", kStrict, None, "M"}, {"/+/+", kStrict, None, "\xff\xef\xfe"},
        // Unpadded tails carry the same bytes; blanks anywhere.
        {"TQ", kStrict, None, "M"}, {"TWE", kStrict, None, "Ma"}, {"TQ=\n= ", kStrict, None, "M"},
        {"T W\nF\tu\r\n", kStrict, None, "Man"},
        // VTK: an array's header and its data, each padded.
        {"TQ==TWFu", kGroups, None, "MMan"}, {"TW\nE=  TQ", kGroups, None, "MaM"},
        {"TWE=TWE=TQ==", kGroups, None, "MaMaM"},
        // Notebooks: backslash-newlines, also inside a group.
        {"TW\\\nFu", kLines, None, "Man"}, {"TWFu\\\r\nTQ==", kLines, None, "ManM"},
        // Each tolerance only where asked for.
        {"TQ==TWFu", kStrict, DataAfterPadding, "", 4},
        {"TQ==TWFu", kLines, DataAfterPadding, "", 4},
        {"TW\\\nFu", kStrict, BadCharacter, "", 2}, {"TW\\\nFu", kGroups, BadCharacter, "", 2},
        // Corrupt text; a backslash not before a line end.
        {"TWFu!TWFu", kGroups, BadCharacter, "", 4}, {"TWFu-", kStrict, BadCharacter, "", 4},
        {"TWF\x80", kStrict, BadCharacter, "", 3}, {"TW\\Fu", kLines, BadCharacter, "", 2},
        {"TW\\", kLines, BadCharacter, "", 2}, {"T", kStrict, BadLength, "", 1},
        {"TWFuT", kGroups, BadLength, "", 5}, {"TQ=", kStrict, BadPadding, "", 3},
        {"TQ=T", kGroups, BadPadding, "", 3}, {"=TWF", kStrict, BadPadding, "", 0},
        {"T===", kGroups, BadPadding, "", 1}, {"TWFu=", kGroups, BadPadding, "", 4},
        {"TWE==", kStrict, BadPadding, "", 4}};
    // clang-format on
    for (const Case& c : cases) {
        std::string out;
        const Base64Result r = DecodeBase64(c.text, out, c.options);
        EXPECT_EQ(r.error, c.error) << c.text;
        EXPECT_EQ(c.error == None ? out : "", c.bytes) << c.text;  // error rows expect no bytes
        EXPECT_EQ(c.error == None ? 0 : r.position, c.position) << c.text;
    }
}

TEST(Base64, EncodesStandardVectorsWithPadding) {
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}, {std::string("\xff\xfe\x00\x3e\x3f", 5), "//4APj8="}};
    // clang-format on
    for (const auto& [plain, encoded] : cases) EXPECT_EQ(EncodeBase64(plain), encoded) << plain;
}

// Every byte value through the decoder's fast and slow paths: clean runs, a gap inside every
// fourth group, every tail length.
TEST(Base64, EveryByteRoundTripsThroughEveryLayout) {
    for (std::size_t length = 250; length <= 256; ++length) {
        std::string bytes(length, '\0');
        for (std::size_t k = 0; k < length; ++k) bytes[k] = static_cast<char>((k * 7 + 3) & 0xFF);
        const std::string encoded = EncodeBase64(bytes);
        ASSERT_EQ(encoded.size(), (length + 2) / 3 * 4);
        for (const char* gap : {"", " ", "\n", "\\\n"}) {
            std::string text;
            for (std::size_t k = 0; k < encoded.size(); k += 4) {
                text += encoded.substr(k, 2);
                if (k % 16 == 12) text += gap;  // inside a group
                text += encoded.substr(k + 2, 2);
            }
            std::vector<unsigned char> out(Base64DecodedBound(text.size()) + 1, 0xAA);
            const Base64Result r = DecodeBase64(text, out.data(), kLines);
            ASSERT_TRUE(r) << Base64ErrorText(r);
            ASSERT_EQ(r.size, length);
            EXPECT_EQ(std::string(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(length)),
                      bytes);
            EXPECT_EQ(out.back(), 0xAA) << "wrote past the bound";
        }
    }
}

TEST(Base64, ErrorTextNamesTheFaultAndWhere) {
    std::string out;
    EXPECT_EQ(Base64ErrorText(DecodeBase64("TWFu!", out)),
              "a character that is not base64 at offset 4");
    EXPECT_EQ(Base64ErrorText(DecodeBase64("TQ==TQ==", out)),
              "base64 data after its final padding at offset 4");
    EXPECT_EQ(Base64ErrorText(DecodeBase64("TWFuT", out)),
              "base64 that ends one character into a group");
}

}  // namespace
}  // namespace vortan
