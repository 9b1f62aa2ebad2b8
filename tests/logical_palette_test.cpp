#include "platform/logical_palette.h"

#include <gtest/gtest.h>

#include <climits>
#include <utility>
#include <vector>

namespace vortan {
namespace {

PaletteEntry E(int v, std::uint8_t flags) {
    const auto b = static_cast<std::uint8_t>(v);
    return {b, b, b, flags};
}

// Entries 0..255 grey i; even indices reserved, odd ones not.
PaletteEntries Alternating() {
    PaletteEntries p{};
    for (int i = 0; i < kPaletteSize; ++i) p[i] = E(i, (i % 2 == 0) ? PC_RESERVED : 0);
    return p;
}

TEST(LogicalPalette, NothingBeforeCreate) {
    LogicalPalette pal;
    EXPECT_FALSE(pal.IsCreated());
    PaletteEntry out[4]{};
    EXPECT_EQ(pal.GetEntries(0, 4, out), 0);
    int calls = 0;
    pal.SetAnimateListener([&](int, int) { ++calls; });
    const PaletteEntry in[1] = {E(9, PC_RESERVED)};
    pal.Animate(0, 1, in);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(pal.Generation(), 0u);
}

TEST(LogicalPalette, CreateCopiesEntriesAndBumpsGeneration) {
    LogicalPalette pal;
    pal.Create(Alternating());
    EXPECT_TRUE(pal.IsCreated());
    EXPECT_EQ(pal.Generation(), 1u);
    EXPECT_EQ(pal.Entries()[7], E(7, 0));
    EXPECT_EQ(pal.Entries()[8], E(8, PC_RESERVED));
}

TEST(LogicalPalette, AnimateReplacesOnlyCurrentlyReservedEntries) {
    LogicalPalette pal;
    pal.Create(Alternating());
    std::vector<PaletteEntry> in(10, E(200, PC_RESERVED));
    pal.Animate(10, 10, in.data());
    for (int i = 10; i < 20; ++i) {
        if (i % 2 == 0)
            EXPECT_EQ(pal.Entries()[i], E(200, PC_RESERVED)) << i;
        else
            EXPECT_EQ(pal.Entries()[i], E(i, 0)) << i;
    }
    EXPECT_EQ(pal.Entries()[9], E(9, 0));
    EXPECT_EQ(pal.Entries()[20], E(20, PC_RESERVED));
}

TEST(LogicalPalette, FlagsOfTheCurrentEntryDecide) {
    LogicalPalette pal;
    pal.Create(Alternating());
    // A reserved entry replaced by an unreserved one is frozen from then on.
    const PaletteEntry clear[1] = {E(77, 0)};
    pal.Animate(4, 1, clear);
    EXPECT_EQ(pal.Entries()[4], E(77, 0));
    const PaletteEntry again[1] = {E(99, PC_RESERVED)};
    pal.Animate(4, 1, again);
    EXPECT_EQ(pal.Entries()[4], E(77, 0));
}

TEST(LogicalPalette, ListenerOncePerCallAndGenerationPerCall) {
    LogicalPalette pal;
    pal.Create(Alternating());
    std::vector<std::pair<int, int>> calls;
    pal.SetAnimateListener([&](int first, int count) { calls.emplace_back(first, count); });
    std::vector<PaletteEntry> in(256, E(1, PC_RESERVED));
    pal.Animate(0, 256, in.data());
    pal.Animate(32, 32, in.data());
    pal.Animate(300, 5, in.data());  // entirely outside: still one call
    EXPECT_EQ(calls, (std::vector<std::pair<int, int>>{{0, 256}, {32, 32}, {300, 5}}));
    EXPECT_EQ(pal.Generation(), 4u);
}

TEST(LogicalPalette, AnimateIgnoresIndicesOutsideThePalette) {
    struct Case {
        int first, count;
        int touchedLo, touchedHi;  // inclusive range of replaced (even) indices; lo > hi: none
    };
    const Case cases[] = {
        {250, 20, 250, 255}, {-4, 8, 0, 3},          {256, 10, 1, 0},
        {-100, 50, 1, 0},    {INT_MAX - 1, 5, 1, 0}, {0, -7, 1, 0},
    };
    for (const Case& c : cases) {
        LogicalPalette pal;
        pal.Create(Alternating());
        // Only the in-range part of the source is read: give exactly what the call names
        // where that is small, so a stray read would trip a sanitizer.
        std::vector<PaletteEntry> in(c.count > 0 && c.count < 1000 ? c.count : 1);
        for (std::size_t i = 0; i < in.size(); ++i)
            in[i] = E(static_cast<int>(100 + i), PC_RESERVED);
        pal.Animate(c.first, c.count, in.data());
        for (int i = 0; i < kPaletteSize; ++i) {
            const bool touched = i >= c.touchedLo && i <= c.touchedHi && i % 2 == 0;
            const PaletteEntry want =
                touched ? E(100 + (i - c.first), PC_RESERVED) : Alternating()[i];
            EXPECT_EQ(pal.Entries()[i], want) << c.first << "," << c.count << " at " << i;
        }
    }
}

TEST(LogicalPalette, GetEntriesCopiesTheInRangePart) {
    struct Case {
        int first, count, copied;
    };
    const Case cases[] = {
        {0, 256, 256}, {255, 1, 1}, {250, 10, 6}, {0, 300, 256},         {-1, 5, 0},
        {256, 1, 0},   {0, 0, 0},   {10, -3, 0},  {INT_MAX, INT_MAX, 0}, {100, INT_MAX, 156}};
    LogicalPalette pal;
    pal.Create(Alternating());
    for (const Case& c : cases) {
        std::vector<PaletteEntry> out(256, E(1, 0x55));
        EXPECT_EQ(pal.GetEntries(c.first, c.count, out.data()), c.copied)
            << c.first << "," << c.count;
        for (int i = 0; i < c.copied; ++i) EXPECT_EQ(out[i], Alternating()[c.first + i]);
        for (int i = c.copied; i < 256; ++i) EXPECT_EQ(out[i], E(1, 0x55));
    }
}

TEST(LogicalPalette, GetEntriesSeesAnimatedEntries) {
    LogicalPalette pal;
    pal.Create(Alternating());
    const PaletteEntry in[2] = {E(5, PC_RESERVED), E(6, PC_RESERVED)};
    pal.Animate(254, 2, in);
    PaletteEntry out[2]{};
    ASSERT_EQ(pal.GetEntries(254, 2, out), 2);
    EXPECT_EQ(out[0], E(5, PC_RESERVED));
    EXPECT_EQ(out[1], E(255, 0));  // odd index: not reserved, unchanged
}

}  // namespace
}  // namespace vortan
