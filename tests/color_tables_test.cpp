#include "palette/color_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

namespace vortan {
namespace {

// The record is large; keep it off the stack.
std::unique_ptr<VortanFrameState> WithTables(int count) {
    auto s = std::make_unique<VortanFrameState>();
    s->m_withOrientation = 1;
    s->m_colortableCount = count;
    return s;
}

int Level(const PaletteEntry& e) {
    return e.peRed;
}

bool IsGrey(const PaletteEntry& e) {
    return e.peRed == e.peGreen && e.peGreen == e.peBlue;
}

// Nearest integer to num/den (both positive), an exact half rounded down.
int RoundedQuotient(int num, int den) {
    const int q = num / den, r = num % den;
    return 2 * r > den ? q + 1 : q;
}

struct Layout {
    int count;
    int e;
    int usedEnd;  // first black entry
    std::vector<int> starts;
    int brightest;
    std::vector<int> first12;
};

const Layout kLayouts[] = {
    {1, 224, 224, {}, 255, {0, 1, 2, 3, 5, 6, 7, 8, 9, 10, 11, 13}},
    {2, 112, 224, {168}, 254, {0, 2, 5, 7, 9, 11, 14, 16, 18, 21, 23, 25}},
    {3, 74, 222, {98, 196}, 253, {0, 3, 7, 10, 14, 17, 21, 24, 28, 31, 35, 38}},
    {4, 56, 224, {70, 140, 210}, 251, {0, 5, 9, 14, 18, 23, 27, 32, 37, 41, 46, 50}},
    {5, 44, 220, {52, 104, 156, 208}, 250, {0, 6, 12, 17, 23, 29, 35, 41, 47, 52, 58, 64}},
    {6, 37, 222, {43, 86, 129, 172, 215}, 249, {0, 7, 14, 21, 28, 35, 42, 48, 55, 62, 69, 76}},
    {7, 32, 224, {36, 72, 108, 144, 180, 216}, 248, {0, 8, 16, 24, 32, 40, 48, 56, 64, 72, 80, 88}},
};

TEST(BuildPaletteWithOrientation, LayoutByTableCount) {
    for (const Layout& l : kLayouts) {
        SCOPED_TRACE(l.count);
        auto s = WithTables(l.count);
        LogicalPalette pal;
        BuildPaletteWithOrientation(*s, pal);
        ASSERT_TRUE(pal.IsCreated());
        EXPECT_EQ(s->m_entriesPerTable, l.e);
        const PaletteEntries& p = pal.Entries();

        for (int k = 0; k < 12; ++k) EXPECT_EQ(Level(p[k]), l.first12[k]) << k;
        // The whole ramp of table 0 is the exactly rounded k * 256 / E.
        for (int k = 0; k < l.e; ++k) EXPECT_EQ(Level(p[k]), RoundedQuotient(k * 256, l.e)) << k;

        int brightest = 0;
        for (int i = 0; i < l.usedEnd; ++i) {
            EXPECT_TRUE(IsGrey(p[i])) << i;
            EXPECT_EQ(p[i].peFlags, PC_RESERVED) << i;
            brightest = std::max(brightest, Level(p[i]));
        }
        EXPECT_EQ(brightest, l.brightest);
        EXPECT_EQ(Level(p[l.e - 1]), l.brightest);
        for (int i = l.usedEnd; i < kPaletteSize; ++i) EXPECT_EQ(p[i], PaletteEntry{}) << i;

        ASSERT_EQ(static_cast<int>(l.starts.size()), l.count - 1);
        for (int t = 1; t < l.count; ++t) {
            const int s0 = l.starts[t - 1];
            const int pshift = s0 - t * l.e;
            EXPECT_EQ(Level(p[s0]), 0) << "table " << t;
            EXPECT_EQ(Level(p[s0 - 1]), l.brightest) << "table " << t;
            // Every entry of the table is the shared ramp moved by its phase, so the ramp
            // runs on across the table's end: last entry level E-1-p, first entry level E-p.
            for (int j = 0; j < l.e; ++j)
                EXPECT_EQ(p[t * l.e + j], p[((j - pshift) % l.e + l.e) % l.e]) << t << "/" << j;
            EXPECT_EQ(p[(t + 1) * l.e - 1], p[l.e - 1 - pshift]);
            EXPECT_EQ(p[t * l.e], p[l.e - pshift]);
        }
    }
}

TEST(BuildPaletteWithOrientation, SevenTablesWorked) {
    auto s = WithTables(7);
    LogicalPalette pal;
    BuildPaletteWithOrientation(*s, pal);
    const PaletteEntries& p = pal.Entries();
    for (int j = 0; j < 32; ++j) {
        EXPECT_EQ(Level(p[j]), 8 * j);
        EXPECT_EQ(Level(p[32 + j]), 8 * ((j + 28) % 32));
        EXPECT_EQ(Level(p[192 + j]), 8 * ((j + 8) % 32));
    }
    EXPECT_EQ(Level(p[32]), 224);
    EXPECT_EQ(Level(p[35]), 248);
    EXPECT_EQ(Level(p[36]), 0);
    EXPECT_EQ(Level(p[192]), 64);
    EXPECT_EQ(Level(p[216]), 0);
    for (int t = 1; t < 7; ++t) EXPECT_EQ(Level(p[36 * t]), 0) << t;
    for (int i = 0; i < 224; ++i) EXPECT_EQ(Level(p[i]) % 8, 0) << i;
}

TEST(BuildPaletteWithOrientation, TwoTablesWorked) {
    auto s = WithTables(2);
    LogicalPalette pal;
    BuildPaletteWithOrientation(*s, pal);
    const PaletteEntries& p = pal.Entries();
    const int table0Start[] = {0, 2, 5, 7, 9, 11, 14};
    for (int j = 0; j < 7; ++j) EXPECT_EQ(Level(p[j]), table0Start[j]);
    EXPECT_EQ(Level(p[110]), 251);
    EXPECT_EQ(Level(p[111]), 254);
    EXPECT_EQ(Level(p[112]), 128);
    EXPECT_EQ(Level(p[113]), 130);
    EXPECT_EQ(Level(p[114]), 133);
    EXPECT_EQ(Level(p[167]), 254);
    EXPECT_EQ(Level(p[168]), 0);
    EXPECT_EQ(Level(p[169]), 2);
    EXPECT_EQ(Level(p[170]), 5);
    EXPECT_EQ(Level(p[223]), 126);
}

TEST(BuildPaletteWithOrientation, OneTableWorked) {
    auto s = WithTables(1);
    LogicalPalette pal;
    BuildPaletteWithOrientation(*s, pal);
    const PaletteEntries& p = pal.Entries();
    for (int k = 0; k < 224; ++k) {
        EXPECT_EQ(Level(p[k]), RoundedQuotient(8 * k, 7)) << k;
        EXPECT_EQ(p[k].peFlags, PC_RESERVED);
    }
    EXPECT_EQ(Level(p[223]), 255);
    for (int k = 224; k < 256; ++k) EXPECT_EQ(p[k], PaletteEntry{});
}

TEST(BuildPaletteWithOrientation, CountOutsideOneToSevenIsClamped) {
    struct Case {
        int count, e, usedEnd;
    };
    const Case cases[] = {
        {0, 224, 224}, {-3, 224, 224}, {8, 32, 224}, {1000000, 32, 224}, {INT32_MIN, 224, 224}};
    for (const Case& c : cases) {
        auto s = WithTables(c.count);
        LogicalPalette& pal = s->m_palette;
        BuildPaletteWithOrientation(*s, pal);
        EXPECT_EQ(s->m_entriesPerTable, c.e) << c.count;
        EXPECT_EQ(s->m_colortableCount, c.count);  // the record's field is left alone
        for (int i = c.usedEnd; i < 256; ++i) EXPECT_EQ(pal.Entries()[i], PaletteEntry{});
        StoreColorTables(*s);  // must stay inside the seven pairs
        EXPECT_EQ(s->m_colorTables[0].m_rotatingEntries[1], pal.Entries()[1]);
    }
}

TEST(BuildPaletteWithoutOrientation, TriangleWave) {
    struct Case {
        int colors32;
        int e;
        int period;
        int step;
        int entry255;
        std::vector<int> zeros;
        std::vector<int> peaks;
    };
    const Case cases[] = {
        {1, 32, 62, 8, 56, {0, 62, 124, 186, 248}, {31, 93, 155, 217}},
        {0, 64, 124, 4, 28, {0, 124, 248}, {62, 186}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.e);
        auto owner = std::make_unique<VortanFrameState>();
        VortanFrameState& s = *owner;
        s.m_withoutOrientation = 1;
        s.m_colors32 = c.colors32;
        s.m_colors64 = !c.colors32;
        LogicalPalette pal;
        BuildPaletteWithoutOrientation(s, pal);
        EXPECT_EQ(s.m_entriesPerTable, c.e);
        const PaletteEntries& p = pal.Entries();
        int highest = 0;
        for (int k = 0; k < 256; ++k) {
            const int m = k % c.period;
            const int want = c.step * (m <= c.period / 2 ? m : c.period - m);
            EXPECT_EQ(Level(p[k]), want) << k;
            EXPECT_TRUE(IsGrey(p[k]));
            EXPECT_EQ(p[k].peFlags, PC_RESERVED) << k;
            highest = std::max(highest, Level(p[k]));
        }
        EXPECT_EQ(highest, 248);
        EXPECT_EQ(Level(p[255]), c.entry255);
        for (int z : c.zeros) EXPECT_EQ(Level(p[z]), 0) << z;
        for (int k : c.peaks) EXPECT_EQ(Level(p[k]), 248) << k;
    }
}

TEST(StoreColorTables, BothArraysOfEveryUsedPairEqualTheTable) {
    for (int count = 1; count <= 7; ++count) {
        auto s = WithTables(count);
        BuildPaletteWithOrientation(*s, s->m_palette);
        StoreColorTables(*s);
        const int e = s->m_entriesPerTable;
        const PaletteEntries& p = s->m_palette.Entries();
        for (int t = 0; t < 7; ++t) {
            for (int j = 0; j < e; ++j) {
                const PaletteEntry want = t < count ? p[t * e + j] : PaletteEntry{};
                EXPECT_EQ(s->m_colorTables[t].m_outputEntries[j], want)
                    << count << "/" << t << "/" << j;
                EXPECT_EQ(s->m_colorTables[t].m_rotatingEntries[j], want)
                    << count << "/" << t << "/" << j;
            }
        }
    }
}

TEST(BuildWindowPalette, ChoosesTheLayoutFromTheFlags) {
    {
        auto s = WithTables(3);
        BuildWindowPalette(*s);
        EXPECT_TRUE(s->m_palette.IsCreated());
        EXPECT_EQ(s->m_entriesPerTable, 74);
        EXPECT_EQ(s->m_colorTables[2].m_rotatingEntries[0], s->m_palette.Entries()[148]);
        EXPECT_EQ(Level(s->m_colorTables[2].m_rotatingEntries[48]), 0);  // start index 196
    }
    {
        auto s = std::make_unique<VortanFrameState>();
        s->m_withoutOrientation = 1;
        s->m_colors32 = 1;
        s->m_colortableCount = 4;
        BuildWindowPalette(*s);
        EXPECT_TRUE(s->m_palette.IsCreated());
        EXPECT_EQ(s->m_entriesPerTable, 32);
        EXPECT_EQ(Level(s->m_palette.Entries()[255]), 56);
        // No per-table copies in this layout.
        EXPECT_EQ(s->m_colorTables[0].m_rotatingEntries[1], PaletteEntry{});
    }
    {
        auto s = std::make_unique<VortanFrameState>();
        s->m_colortableCount = 2;
        BuildWindowPalette(*s);
        EXPECT_FALSE(s->m_palette.IsCreated());
        EXPECT_EQ(s->m_entriesPerTable, 0);
    }
    {
        // Both flags (never set together by the panel): with orientation wins.
        auto s = WithTables(7);
        s->m_withoutOrientation = 1;
        BuildWindowPalette(*s);
        EXPECT_EQ(s->m_entriesPerTable, 32);
        EXPECT_EQ(s->m_palette.Entries()[240], PaletteEntry{});
    }
}

}  // namespace
}  // namespace vortan
