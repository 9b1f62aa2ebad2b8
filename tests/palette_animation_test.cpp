#include "palette/palette_animation.h"

#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <memory>
#include <utility>
#include <vector>

#include "palette/color_tables.h"

namespace vortan {
namespace {

using Table = std::vector<int>;  // grey levels

std::unique_ptr<VortanFrameState> Window(int tables, bool dimming, int shift = 1) {
    auto s = std::make_unique<VortanFrameState>();
    s->m_withOrientation = 1;
    s->m_colortableCount = tables;
    s->m_intensityDimming = dimming;
    s->m_colortableShift = shift;
    BuildWindowPalette(*s);
    return s;
}

std::unique_ptr<VortanFrameState> Unoriented(bool colors32, int shift = 1) {
    auto s = std::make_unique<VortanFrameState>();
    s->m_withoutOrientation = 1;
    s->m_colors32 = colors32;
    s->m_colortableShift = shift;
    BuildWindowPalette(*s);
    return s;
}

Table Levels(const PaletteEntry* e, int n) {
    Table t;
    for (int i = 0; i < n; ++i) t.push_back(e[i].peRed);
    return t;
}

// Rounds x * num / den to the nearest integer, an exact half toward zero.
int Exact(int x, int num, int den) {
    const int q = x * num / den, r = x * num % den;
    return 2 * r > den ? q + 1 : q;
}

// The dimming factor of position j in a table of E entries, as a fraction.
std::pair<int, int> Factor(int j, int e) {
    static const std::pair<int, int> in[] = {{1, 40}, {1, 5}, {2, 5}, {3, 5}, {4, 5}, {1, 1}};
    static const std::pair<int, int> out[] = {{4, 5}, {3, 5}, {2, 5}, {1, 5}, {1, 40}, {1, 40}};
    if (j <= 5) return in[j];
    if (j >= e - 6) return out[j - (e - 6)];
    return {1, 1};
}

TEST(RotateColorTable, DimmingFactorsForEveryChannelValue) {
    for (int e : {32, 37, 44, 224}) {
        auto s = std::make_unique<VortanFrameState>();
        s->m_entriesPerTable = e;
        s->m_intensityDimming = 1;
        for (int x = 0; x < 256; ++x) {
            // A uniform table: the rotation leaves it alone, so every position sees x.
            std::vector<PaletteEntry> r(
                e, PaletteEntry{std::uint8_t(x), std::uint8_t(x), std::uint8_t(x), PC_RESERVED});
            std::vector<PaletteEntry> o(e, PaletteEntry{1, 2, 3, PC_RESERVED});
            RotateColorTable(*s, r.data(), o.data());
            for (int j = 0; j < e; ++j) {
                const auto [num, den] = Factor(j, e);
                const int want = Exact(x, num, den);
                ASSERT_EQ(o[j], (PaletteEntry{std::uint8_t(want), std::uint8_t(want),
                                              std::uint8_t(want), PC_RESERVED}))
                    << "E " << e << " x " << x << " j " << j;
            }
        }
    }
}

TEST(RotateColorTable, WorkedChannelValues) {
    struct Case {
        int position;  // in a 32-entry table
        int channel;
        int result;
    };
    const Case cases[] = {
        {0, 255, 6},    {0, 248, 6},  {0, 220, 5},   {0, 100, 2},   {0, 60, 1},
        {0, 20, 0},     {30, 20, 0},  {31, 60, 1},   {4, 248, 198}, {4, 255, 204},
        {26, 255, 204}, {1, 255, 51}, {1, 2, 0},     {2, 2, 1},     {2, 128, 51},
        {5, 255, 255},  {5, 1, 1},    {5, 137, 137}, {17, 99, 99},
    };
    for (const Case& c : cases) {
        auto s = std::make_unique<VortanFrameState>();
        s->m_entriesPerTable = 32;
        s->m_intensityDimming = 1;
        std::vector<PaletteEntry> r(32), o(32);
        // The entry lands on the position after the rotation; the channels differ so a
        // mixed-up channel shows.
        const auto x = std::uint8_t(c.channel);
        r[(c.position + 31) % 32] = PaletteEntry{x, x, x, PC_RESERVED};
        RotateColorTable(*s, r.data(), o.data());
        EXPECT_EQ(o[c.position].peRed, c.result) << c.position << " " << c.channel;
        EXPECT_EQ(o[c.position].peGreen, c.result);
        EXPECT_EQ(o[c.position].peBlue, c.result);
    }
}

TEST(RotateColorTable, ChannelsAreScaledSeparately) {
    auto s = std::make_unique<VortanFrameState>();
    s->m_entriesPerTable = 32;
    s->m_intensityDimming = 1;
    std::vector<PaletteEntry> r(32), o(32);
    r[31] = PaletteEntry{255, 100, 20, PC_RESERVED};  // becomes position 0: factor 1/40
    r[3] = PaletteEntry{255, 128, 2, PC_RESERVED};    // position 4: 4/5
    RotateColorTable(*s, r.data(), o.data());
    EXPECT_EQ(o[0], (PaletteEntry{6, 2, 0, 0}));  // flags at dimmed positions are not written
    EXPECT_EQ(o[4], (PaletteEntry{204, 102, 2, 0}));
}

TEST(RotateColorTable, SetsTheDimmingConstants) {
    auto s = std::make_unique<VortanFrameState>();
    s->m_entriesPerTable = 32;
    std::vector<PaletteEntry> r(32), o(32);
    RotateColorTable(*s, r.data(), o.data());
    EXPECT_EQ(std::bit_cast<std::uint32_t>(s->m_dimStep), 0x3E4CCCCDu);
    EXPECT_EQ(s->m_dimLength, 5);
}

TEST(AnimationTick, FirstStepSevenTablesDimmed) {
    auto s = Window(7, true);
    AnimationTick(*s);
    Table rot = {248};
    for (int j = 0; j < 31; ++j) rot.push_back(8 * j);
    EXPECT_EQ(Levels(s->m_colorTables[0].m_rotatingEntries.data(), 32), rot);
    Table out = {6, 0, 3, 10, 19, 32};
    for (int v = 40; v <= 192; v += 8) out.push_back(v);
    for (int v : {160, 125, 86, 45, 6, 6}) out.push_back(v);
    EXPECT_EQ(Levels(s->m_colorTables[0].m_outputEntries.data(), 32), out);
    EXPECT_EQ(Levels(&s->m_palette.Entries()[0], 32), out);
    for (int i = 0; i < 224; ++i) EXPECT_EQ(s->m_palette.Entries()[i].peFlags, PC_RESERVED) << i;
}

TEST(AnimationTick, FirstStepOneTableDimmed) {
    auto s = Window(1, true);
    AnimationTick(*s);
    const Table out = Levels(&s->m_palette.Entries()[0], 224);
    EXPECT_EQ(Table(out.begin(), out.begin() + 8), (Table{6, 0, 0, 1, 2, 5, 6, 7}));
    EXPECT_EQ(Table(out.end() - 8, out.end()), (Table{246, 247, 198, 149, 100, 50, 6, 6}));
    EXPECT_EQ(s->m_palette.Entries()[224], PaletteEntry{});
}

TEST(AnimationTick, AfterEStepsEveryTableIsBackWhereItBegan) {
    struct Case {
        int tables, e;
    };
    for (const Case c : {Case{7, 32}, Case{1, 224}, Case{3, 74}, Case{6, 37}}) {
        auto s = Window(c.tables, true);
        const auto initial = s->m_colorTables;
        for (int step = 1; step <= c.e; ++step) {
            AnimationTick(*s);
            if (step < c.e) {
                EXPECT_NE(s->m_colorTables[0].m_rotatingEntries, initial[0].m_rotatingEntries)
                    << step;
            }
        }
        for (int t = 0; t < c.tables; ++t)
            EXPECT_EQ(s->m_colorTables[t].m_rotatingEntries, initial[t].m_rotatingEntries)
                << c.tables << "/" << t;
    }
}

TEST(AnimationTick, SevenTablesShiftThreeMakesTwentyOneCalls) {
    auto s = Window(7, true, 3);
    std::vector<std::pair<int, int>> calls;
    s->m_palette.SetAnimateListener(
        [&](int first, int count) { calls.emplace_back(first, count); });
    const auto initial = s->m_colorTables;
    AnimationTick(*s);
    std::vector<std::pair<int, int>> want;
    for (int rep = 0; rep < 3; ++rep)
        for (int t = 0; t < 7; ++t) want.emplace_back(32 * t, 32);
    EXPECT_EQ(calls, want);
    for (int t = 0; t < 7; ++t)
        for (int j = 0; j < 32; ++j)
            EXPECT_EQ(s->m_colorTables[t].m_rotatingEntries[j],
                      initial[t].m_rotatingEntries[(j + 29) % 32]);
}

TEST(AnimationTick, ShiftIsReadAgainBeforeEachRepetition) {
    auto s = Window(2, false, 5);
    int calls = 0;
    VortanFrameState* raw = s.get();
    s->m_palette.SetAnimateListener([&](int, int) {
        // The Settings dialog lowering the shift mid-tick stops after this repetition.
        if (++calls == 2) raw->m_colortableShift = 1;
    });
    AnimationTick(*s);
    EXPECT_EQ(calls, 2);
}

TEST(AnimationTick, DimmingOffOutputEqualsRotating) {
    // Disk-scale dimming acts in the renderer only: the palette animates as undimmed.
    for (bool diskScale : {false, true}) {
        auto s = Window(4, false, 2);
        s->m_diskScaleDimming = diskScale;
        for (int tick = 0; tick < 30; ++tick) {
            AnimationTick(*s);
            for (int t = 0; t < 4; ++t) {
                EXPECT_EQ(s->m_colorTables[t].m_outputEntries,
                          s->m_colorTables[t].m_rotatingEntries);
                for (int j = 0; j < 56; ++j)
                    ASSERT_EQ(s->m_palette.Entries()[56 * t + j],
                              s->m_colorTables[t].m_rotatingEntries[j]);
            }
        }
    }
}

TEST(AnimationTick, WithoutOrientationTurnsTheWholePalette) {
    for (bool dimming : {false, true}) {
        auto s = Unoriented(true);
        s->m_intensityDimming = dimming;
        const PaletteEntries before = s->m_palette.Entries();
        int calls = 0;
        s->m_palette.SetAnimateListener([&](int first, int count) {
            ++calls;
            EXPECT_EQ(first, 0);
            EXPECT_EQ(count, 256);
        });
        AnimationTick(*s);
        EXPECT_EQ(calls, 1);
        const PaletteEntries& p = s->m_palette.Entries();
        EXPECT_EQ(p[0].peRed, 56);
        EXPECT_EQ(p[1].peRed, 0);
        EXPECT_EQ(p[32].peRed, 248);
        for (int i = 0; i < 256; ++i) EXPECT_EQ(p[i], before[(i + 255) % 256]) << i;
    }
}

TEST(AnimationTick, WithoutOrientationShiftFive) {
    auto s = Unoriented(false, 5);
    const PaletteEntries before = s->m_palette.Entries();
    int calls = 0;
    s->m_palette.SetAnimateListener([&](int, int) { ++calls; });
    AnimationTick(*s);
    EXPECT_EQ(calls, 5);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(s->m_palette.Entries()[i], before[(i + 251) % 256]) << i;
}

TEST(AnimationTick, ShiftZeroOrNegativeDoesNothing) {
    for (int shift : {0, -1, -32, INT_MIN}) {
        for (bool oriented : {true, false}) {
            auto s = oriented ? Window(7, true, shift) : Unoriented(true, shift);
            const PaletteEntries before = s->m_palette.Entries();
            int calls = 0;
            s->m_palette.SetAnimateListener([&](int, int) { ++calls; });
            AnimationTick(*s);
            EXPECT_EQ(calls, 0) << shift;
            EXPECT_EQ(s->m_palette.Entries(), before);
        }
    }
}

TEST(AnimationTick, HugeShiftEqualsItsRemainder) {
    // 2^31 - 1 steps: 31 mod 32 for seven tables, 255 mod 256 without orientation.
    {
        auto big = Window(7, true, INT_MAX);
        auto ref = Window(7, true, 1);
        AnimationTick(*big);
        for (int i = 0; i < 31; ++i) AnimationTick(*ref);
        EXPECT_EQ(big->m_palette.Entries(), ref->m_palette.Entries());
        for (int t = 0; t < 7; ++t)
            EXPECT_EQ(big->m_colorTables[t].m_rotatingEntries,
                      ref->m_colorTables[t].m_rotatingEntries);
    }
    {
        // A multiple of E still steps (dimmed outputs replace the undimmed build).
        auto big = Window(7, true, 32 * 1000);
        auto ref = Window(7, true, 32);
        AnimationTick(*big);
        AnimationTick(*ref);
        EXPECT_EQ(big->m_palette.Entries(), ref->m_palette.Entries());
        EXPECT_EQ(big->m_palette.Entries()[0].peRed, 0);   // position 0 of level 0, dimmed
        EXPECT_EQ(big->m_palette.Entries()[31].peRed, 6);  // 248 at 1/40
    }
    {
        auto big = Unoriented(false, INT_MAX);
        const PaletteEntries before = big->m_palette.Entries();
        AnimationTick(*big);
        for (int i = 0; i < 256; ++i)
            EXPECT_EQ(big->m_palette.Entries()[i], before[(i + 1) % 256]) << i;
    }
}

TEST(AnimationTick, DamagedTableLengthStaysInBounds) {
    for (int e : {0, -5, 225, 100000, INT_MIN}) {
        auto s = Window(7, true, 3);
        s->m_entriesPerTable = e;
        AnimationTick(*s);  // must neither crash nor write outside the copies
        for (int i = 224; i < 256; ++i) EXPECT_EQ(s->m_palette.Entries()[i], PaletteEntry{}) << e;
        EXPECT_GE(AnimationPeriod(*s), 1);
    }
}

TEST(AnimationPeriod, Values) {
    struct Case {
        bool oriented;
        int tablesOr32;  // table count, or 1 for 32 colours without orientation
        int shift;
        int period;
    };
    const Case cases[] = {
        {true, 7, 1, 32},   {true, 7, 3, 32},  {true, 7, 4, 8},   {true, 7, 32, 1},
        {true, 7, 48, 2},   {true, 1, 8, 28},  {true, 1, 1, 224}, {true, 3, 2, 37},
        {true, 6, 37, 1},   {true, 7, 0, 1},   {true, 7, -4, 1},  {true, 7, INT_MAX, 32},
        {false, 1, 1, 256}, {false, 0, 96, 8}, {false, 1, 0, 1},  {false, 0, INT_MAX, 256},
        {false, 1, 256, 1}, {false, 1, 64, 4},
    };
    for (const Case& c : cases) {
        auto s =
            c.oriented ? Window(c.tablesOr32, false, c.shift) : Unoriented(c.tablesOr32, c.shift);
        EXPECT_EQ(AnimationPeriod(*s), c.period)
            << c.oriented << " " << c.tablesOr32 << " " << c.shift;
    }
}

TEST(AnimationPeriod, MatchesTheTicksTheRotationTakes) {
    struct Case {
        bool oriented;
        int tables;
        int shift;
    };
    for (const Case c : {Case{true, 7, 12}, Case{true, 5, 11}, Case{true, 2, 14},
                         Case{false, 1, 24}, Case{false, 0, 3}}) {
        auto s = c.oriented ? Window(c.tables, true, c.shift) : Unoriented(c.tables, c.shift);
        const int period = AnimationPeriod(*s);
        // Compare against the state after one tick (the first tick dims the build).
        AnimationTick(*s);
        const PaletteEntries start = s->m_palette.Entries();
        int seen = 0;
        for (int tick = 1; tick <= 300; ++tick) {
            AnimationTick(*s);
            if (s->m_palette.Entries() == start) {
                seen = tick;
                break;
            }
        }
        EXPECT_EQ(seen, period) << c.oriented << " " << c.tables << " " << c.shift;
    }
}

}  // namespace
}  // namespace vortan
