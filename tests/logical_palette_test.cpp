#include "platform/logical_palette.h"

#include <gtest/gtest.h>

#include <climits>
#include <tuple>
#include <utility>
#include <vector>

namespace vortan {
namespace {

// Entry i grey i + add; even indices reserved, odd ones not.
PaletteEntry E(long long i, long long add = 0) {
    const auto b = static_cast<std::uint8_t>(i + add);
    return {b, b, b, static_cast<std::uint8_t>(i % 2 ? 0 : PC_RESERVED)};
}

TEST(LogicalPalette, AnimateReplacesOnlyReservedEntriesInRange) {
    // {first, count, lo, hi}: the even indices lo..hi are replaced (lo > hi: none); the
    // listener hears every call, even one wholly outside.
    const std::tuple<int, int, int, int> cases[] = {{10, 10, 10, 19},       {250, 20, 250, 255},
                                                    {-4, 8, 0, 3},          {256, 10, 1, 0},
                                                    {INT_MAX - 1, 5, 1, 0}, {0, -7, 1, 0}};
    for (auto [first, count, lo, hi] : cases) {
        LogicalPalette pal;
        std::vector<std::pair<int, int>> calls;
        pal.SetAnimateListener([&](int f, int c) { calls.emplace_back(f, c); });
        // Exactly as many source entries as the call names: a stray read trips a sanitizer.
        std::vector<PaletteEntry> in(count > 0 ? count : 1);
        for (int i = 0; i < static_cast<int>(in.size()); ++i)
            in[i] = E(static_cast<long long>(first) + i, 100 - first);
        pal.Animate(first, count, in.data());  // before Create: nothing
        PaletteEntries entries;
        for (int i = 0; i < kPaletteSize; ++i) entries[i] = E(i);
        pal.Create(entries);
        EXPECT_EQ(pal.Generation(), 1u);
        pal.Animate(first, count, in.data());
        EXPECT_EQ(calls, (std::vector<std::pair<int, int>>{{first, count}}));
        EXPECT_EQ(pal.Generation(), 2u);
        for (int i = 0; i < kPaletteSize; ++i)
            EXPECT_EQ(pal.Entries()[i], i >= lo && i <= hi && i % 2 == 0 ? E(i, 100 - first) : E(i))
                << first << " at " << i;
    }
}

TEST(LogicalPalette, GetEntriesCopiesTheInRangePartAsAnimated) {
    const std::tuple<int, int, int> cases[] = {
        {0, 256, 256}, {250, 10, 6}, {0, 300, 256},         {-1, 5, 0},
        {256, 1, 0},   {10, -3, 0},  {INT_MAX, INT_MAX, 0}, {100, INT_MAX, 156}};
    LogicalPalette pal;
    PaletteEntry out[256];
    EXPECT_EQ(pal.GetEntries(0, 1, out), 0);  // not created yet
    PaletteEntries entries;
    for (int i = 0; i < kPaletteSize; ++i) entries[i] = E(i);
    pal.Create(entries);
    const PaletteEntry in[2] = {{9, 9, 9, 0}, {99, 99, 99, PC_RESERVED}};
    pal.Animate(4, 1, in);  // reserved entry 4 becomes unreserved: frozen from then on
    pal.Animate(4, 1, in + 1);
    entries[4] = in[0];
    for (auto [first, count, copied] : cases) {
        std::fill(std::begin(out), std::end(out), E(1, 80));
        EXPECT_EQ(pal.GetEntries(first, count, out), copied) << first << "," << count;
        for (int i = 0; i < 256; ++i)
            EXPECT_EQ(out[i], i < copied ? entries[first + i] : E(1, 80)) << first << " " << i;
    }
}

}  // namespace
}  // namespace vortan
