#include "palette/color_tables.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace vortan {
namespace {

// The record is large; keep it off the stack.
std::unique_ptr<VortanFrameState> Built(int tables, bool oriented = true, bool colors64 = false) {
    auto s = std::make_unique<VortanFrameState>();
    s->m_withOrientation = oriented;
    s->m_withoutOrientation = !oriented;
    s->m_colors32 = !colors64;
    s->m_colors64 = colors64;
    s->m_colortableCount = tables;
    BuildWindowPalette(*s);
    return s;
}

std::vector<int> Levels(const VortanFrameState& s, int first, int n) {
    std::vector<int> v;
    for (int i = first; i < first + n; ++i) v.push_back(s.m_palette.Entries()[i].peRed);
    return v;
}

TEST(BuildPaletteWithOrientation, LayoutByTableCount) {
    // clang-format off
    struct Layout {
        int count, e, usedEnd;    // usedEnd: first black entry
        std::vector<int> starts;  // where tables 1.. start their ramp at level 0
        int brightest;
        std::vector<int> first12;
    } layouts[] = {
        {1, 224, 224, {}, 255, {0, 1, 2, 3, 5, 6, 7, 8, 9, 10, 11, 13}},
        {2, 112, 224, {168}, 254, {0, 2, 5, 7, 9, 11, 14, 16, 18, 21, 23, 25}},
        {3, 74, 222, {98, 196}, 253, {0, 3, 7, 10, 14, 17, 21, 24, 28, 31, 35, 38}},
        {4, 56, 224, {70, 140, 210}, 251, {0, 5, 9, 14, 18, 23, 27, 32, 37, 41, 46, 50}},
        {5, 44, 220, {52, 104, 156, 208}, 250, {0, 6, 12, 17, 23, 29, 35, 41, 47, 52, 58, 64}},
        {6, 37, 222, {43, 86, 129, 172, 215}, 249, {0, 7, 14, 21, 28, 35, 42, 48, 55, 62, 69, 76}},
        {7, 32, 224, {36, 72, 108, 144, 180, 216}, 248, {0, 8, 16, 24, 32, 40, 48, 56, 64, 72, 80, 88}}};
    // clang-format on
    for (const Layout& l : layouts) {
        SCOPED_TRACE(l.count);
        auto s = Built(l.count);
        EXPECT_EQ(s->m_entriesPerTable, l.e);
        const PaletteEntries& p = s->m_palette.Entries();
        EXPECT_EQ(Levels(*s, 0, 12), l.first12);
        EXPECT_EQ(p[l.e - 1].peRed, l.brightest);
        for (int i = 0; i < kPaletteSize; ++i) {  // reserved greys up to usedEnd, black after
            const std::uint8_t v = p[i].peRed;
            const PaletteEntry grey{v, v, v, PC_RESERVED};
            EXPECT_EQ(p[i], i < l.usedEnd ? grey : PaletteEntry{}) << i;
            EXPECT_LE(v, l.brightest) << i;
        }
        for (int i = 0; i < 7 * l.e; ++i) {  // both copies of each table, unused ones black
            const PaletteEntry want = i < l.count * l.e ? p[i] : PaletteEntry{};
            EXPECT_EQ(s->m_colorTables[i / l.e].m_outputEntries[i % l.e], want) << i;
            EXPECT_EQ(s->m_colorTables[i / l.e].m_rotatingEntries[i % l.e], want) << i;
        }
        for (int t = 1; t < l.count; ++t) {
            const int start = l.starts[t - 1], phase = start - t * l.e;
            // Each table is table 0's ramp turned by its phase, running on across its end.
            for (int j = 0; j < l.e; ++j)
                EXPECT_EQ(p[t * l.e + j], p[(j - phase + l.e) % l.e]) << t << "/" << j;
        }
    }
}

TEST(BuildPaletteWithOrientation, WorkedLayouts) {
    // clang-format off
    struct Case {
        int tables, first;
        std::vector<int> levels;
    } cases[] = {{7, 32, {224, 232, 240, 248, 0, 8}}, {2, 110, {251, 254, 128, 130, 133}},
                 {2, 223, {126}}, {1, 218, {249, 250, 251, 253, 254, 255}}};
    // clang-format on
    for (const Case& c : cases)
        EXPECT_EQ(Levels(*Built(c.tables), c.first, static_cast<int>(c.levels.size())), c.levels)
            << c.tables << " tables from " << c.first;
}

TEST(BuildPaletteWithOrientation, CountOutsideOneToSevenIsClamped) {
    for (auto [count, e] :
         {std::pair{0, 224}, {-3, 224}, {8, 32}, {1000000, 32}, {INT32_MIN, 224}}) {
        auto s = Built(count);
        EXPECT_EQ(s->m_entriesPerTable, e) << count;
        EXPECT_EQ(s->m_colortableCount, count);  // the record's field is left alone
        EXPECT_EQ(s->m_palette.Entries()[224], PaletteEntry{});
        EXPECT_EQ(s->m_colorTables[0].m_rotatingEntries[1], s->m_palette.Entries()[1]);
    }
}

TEST(BuildPaletteWithoutOrientation, TriangleWave) {
    // 32 colours: 0, 8, ..., 248 (entry 31), down to 0 at 62, ...; 64 colours in steps of 4.
    for (bool colors64 : {false, true}) {
        auto s = Built(1, false, colors64);
        const int step = colors64 ? 4 : 8, period = colors64 ? 124 : 62;
        EXPECT_EQ(s->m_entriesPerTable, colors64 ? 64 : 32);
        EXPECT_EQ(Levels(*s, 0, 3), (std::vector<int>{0, step, 2 * step}));
        EXPECT_EQ(Levels(*s, period / 2 - 1, 3), (std::vector<int>{248 - step, 248, 248 - step}));
        EXPECT_EQ(Levels(*s, period - 1, 3), (std::vector<int>{step, 0, step}));
        EXPECT_EQ(Levels(*s, 255, 1)[0], colors64 ? 28 : 56);
        for (int k = 0; k < 256; ++k) {
            EXPECT_EQ(Levels(*s, k, 1)[0], Levels(*s, k % period, 1)[0]) << k;
            EXPECT_EQ(s->m_palette.Entries()[k].peFlags, PC_RESERVED) << k;
        }
        EXPECT_EQ(s->m_colorTables[0].m_rotatingEntries[1], PaletteEntry{});  // no table copies
    }
}

TEST(BuildWindowPalette, NeitherFlagBuildsNothing) {
    auto none = std::make_unique<VortanFrameState>();
    none->m_colortableCount = 2;
    BuildWindowPalette(*none);
    EXPECT_FALSE(none->m_palette.IsCreated());
    EXPECT_EQ(none->m_entriesPerTable, 0);
}

}  // namespace
}  // namespace vortan
