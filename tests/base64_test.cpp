// Base64 decoding: the layouts each caller's text comes in, and the ways
// text can fail to be base64.
#include "platform/base64.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
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
    const Case cases[] = {
        {"", kStrict, Base64Error::None, ""},
        {"TWFu", kStrict, Base64Error::None, "Man"},
        {"TWE=", kStrict, Base64Error::None, "Ma"},
        {"TQ==", kStrict, Base64Error::None, "M"},
        {"TQ", kStrict, Base64Error::None, "M"},  // unpadded tails carry the same bytes
        {"TWE", kStrict, Base64Error::None, "Ma"},
        {"T W\nF\tu\r\n", kStrict, Base64Error::None, "Man"},  // blanks anywhere
        {"TQ=\n= ", kStrict, Base64Error::None, "M"},
        {"TWFuTWFuTW\nFuTWFu", kStrict, Base64Error::None, "ManManManMan"},
        {"/+/+", kStrict, Base64Error::None, "\xff\xef\xfe"},
        // VTK: an array's header and its data, each padded.
        {"TQ==TWFu", kGroups, Base64Error::None, "MMan"},
        {"TW\nE=  TQ", kGroups, Base64Error::None, "MaM"},
        {"TWE=TWE=TQ==", kGroups, Base64Error::None, "MaMaM"},
        // Notebooks: backslash-newlines, also inside a group.
        {"TW\\\nFu", kLines, Base64Error::None, "Man"},
        {"TWFu\\\r\nTQ==", kLines, Base64Error::None, "ManM"},
        // Each tolerance only where asked for.
        {"TQ==TWFu", kStrict, Base64Error::DataAfterPadding, "", 4},
        {"TQ==TWFu", kLines, Base64Error::DataAfterPadding, "", 4},
        {"TW\\\nFu", kStrict, Base64Error::BadCharacter, "", 2},
        {"TW\\\nFu", kGroups, Base64Error::BadCharacter, "", 2},
        // Corrupt text.
        {"TWFu!TWFu", kGroups, Base64Error::BadCharacter, "", 4},
        {"TWFu-", kStrict, Base64Error::BadCharacter, "", 4},
        {"TWF\x80", kStrict, Base64Error::BadCharacter, "", 3},
        {"TW\\Fu", kLines, Base64Error::BadCharacter, "", 2},  // a backslash not before a line end
        {"TW\\", kLines, Base64Error::BadCharacter, "", 2},
        {"T", kStrict, Base64Error::BadLength, "", 1},
        {"TWFuT", kGroups, Base64Error::BadLength, "", 5},
        {"TQ=", kStrict, Base64Error::BadPadding, "", 3},
        {"TQ=T", kGroups, Base64Error::BadPadding, "", 3},
        {"=TWF", kStrict, Base64Error::BadPadding, "", 0},
        {"T===", kGroups, Base64Error::BadPadding, "", 1},
        {"TWFu=", kGroups, Base64Error::BadPadding, "", 4},
        {"TWE==", kStrict, Base64Error::BadPadding, "", 4},
        {"TQ==T", kStrict, Base64Error::DataAfterPadding, "", 4},
    };
    for (const Case& c : cases) {
        std::string out;
        const Base64Result r = DecodeBase64(c.text, out, c.options);
        EXPECT_EQ(r.error, c.error) << c.text;
        if (c.error == Base64Error::None) {
            EXPECT_EQ(out, c.bytes) << c.text;
        } else {
            EXPECT_EQ(r.position, c.position) << c.text;
        }
    }
}

// Every byte value through every layout of groups: clean runs, a blank or
// a continuation inside every fourth group, and every tail length, against
// bytes encoded here.
TEST(Base64, EveryByteThroughFastAndSlowPaths) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (std::size_t length = 250; length <= 256; ++length) {
        std::string bytes(length, '\0');
        for (std::size_t k = 0; k < length; ++k) bytes[k] = static_cast<char>((k * 7 + 3) & 0xFF);
        for (const char* gap : {"", " ", "\n", "\\\n"}) {
            std::string text;
            for (std::size_t k = 0; k < length; k += 3) {
                const auto at = [&](std::size_t j) {
                    return j < length
                               ? static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[j]))
                               : 0u;
                };
                const std::uint32_t v = at(k) << 16 | at(k + 1) << 8 | at(k + 2);
                text += kAlphabet[v >> 18];
                text += kAlphabet[(v >> 12) & 63];
                if (k % 12 == 9) text += gap;  // inside a group
                text += k + 1 < length ? kAlphabet[(v >> 6) & 63] : '=';
                text += k + 2 < length ? kAlphabet[v & 63] : '=';
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
