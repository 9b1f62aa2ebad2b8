#include "view/text_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

namespace vortan {
namespace {

// Random texts rich in the characters looked for, against a plain loop.
TEST(TextScan, CountsAndFindsAsAPlainLoopDoes) {
    // Lengths around the 16-byte step and the 255-step flush of the byte counters.
    const std::size_t lengths[] = {
        0, 1, 15, 16, 17, 31, 255 * 16 - 1, 255 * 16, 255 * 16 + 17, 3 * 255 * 16 + 5, 70001};
    const std::string alphabet = "{}{}[],. 0123456789x";
    std::mt19937 rng(9);
    for (std::size_t length : lengths) {
        for (int dense = 0; dense < 2; ++dense) {
            std::string text(length, 'a');
            for (char& c : text)
                if (dense || rng() % 50 == 0) c = alphabet[rng() % alphabet.size()];
            std::int64_t opens = 5, closes = 7;  // added to, not replaced
            CountBraces(text.data(), text.size(), opens, closes);
            EXPECT_EQ(std::pair(opens, closes), std::pair(5 + std::ranges::count(text, '{'),
                                                          7 + std::ranges::count(text, '}')))
                << length;
            // Every start position of a short text, some of a long one.
            for (std::size_t from = 0; from <= length; from += length < 100 ? 1 : 97) {
                EXPECT_EQ(FindFirstOf3(text.data(), from, length, '[', ',', '}'),
                          std::min(text.find_first_of("[,}", from), length))
                    << length << " from " << from;
            }
        }
    }
    // The end given bounds the search, whatever lies beyond it.
    const std::string text = "abcdefghijklmnopqrstuvwxyz{";
    EXPECT_EQ(FindFirstOf3(text.data(), 0, 26, '{', '{', '{'), 26u);
    EXPECT_EQ(FindFirstOf3(text.data(), 3, 27, '{', 'q', '{'), 16u);
}

}  // namespace
}  // namespace vortan
