#include "palette/palette_animation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <tuple>
#include <utility>
#include <vector>

#include "palette/color_tables.h"
#include "view/frame_host.h"

namespace vortan {
namespace {

using Table = std::vector<int>;  // grey levels
using Calls = std::vector<std::pair<int, int>>;

// tables 0: without orientation, 32 colours (64 with colors64).
std::unique_ptr<VortanFrameState> Window(int tables, bool dimming, int shift = 1, bool c64 = 0) {
    auto s = std::make_unique<VortanFrameState>();
    s->m_withOrientation = tables > 0;
    s->m_withoutOrientation = tables == 0;
    s->m_colors32 = !c64;
    s->m_colortableCount = tables;
    s->m_intensityDimming = dimming;
    s->m_colortableShift = shift;
    BuildWindowPalette(*s);
    return s;
}

Table Levels(const PaletteEntry* e, int n) {
    Table t;
    for (int i = 0; i < n; ++i) t.push_back(e[i].peRed);
    return t;
}

Calls Record(VortanFrameState& s) {
    Calls calls;
    s.m_palette.SetAnimateListener([&calls](int first, int n) { calls.emplace_back(first, n); });
    AnimationTick(s);
    s.m_palette.SetAnimateListener(nullptr);
    return calls;
}

TEST(RotateColorTable, DimsEachChannelByPosition) {
    // {position in a 32-entry table, channels in, channels out}; factors 1/40, 1/5 .. 4/5, 1
    // at the start, 4/5 .. 1/5, 1/40, 1/40 at the end, halves rounded toward zero.
    // clang-format off
    const std::tuple<int, Table, Table> cases[] = {
        {0, {255, 248, 220}, {6, 6, 5}}, {0, {60, 20, 100}, {1, 0, 2}}, {30, {20, 255, 248}, {0, 6, 6}},
        {31, {60, 255, 220}, {1, 6, 5}}, {4, {248, 255, 128}, {198, 204, 102}}, {26, {255, 128, 2}, {204, 102, 2}},
        {1, {255, 2, 0}, {51, 0, 0}}, {2, {2, 128, 0}, {1, 51, 0}}, {5, {255, 1, 137}, {255, 1, 137}},
        {17, {99, 0, 255}, {99, 0, 255}}};
    // clang-format on
    for (const auto& [position, in, out] : cases) {
        auto s = Window(7, true);  // 32 entries a table
        std::vector<PaletteEntry> r(32), o(32);
        r[(position + 31) % 32] = {std::uint8_t(in[0]), std::uint8_t(in[1]), std::uint8_t(in[2]),
                                   PC_RESERVED};
        RotateColorTable(*s, r.data(), o.data());  // the entry rotates onto the position
        EXPECT_EQ((Table{o[position].peRed, o[position].peGreen, o[position].peBlue}), out)
            << position;
    }
}

TEST(AnimationTick, FirstStepDimmed) {
    auto s = Window(7, true);
    AnimationTick(*s);
    Table out = {6, 0, 3, 10, 19, 32};
    for (int v = 40; v <= 192; v += 8) out.push_back(v);
    for (int v : {160, 125, 86, 45, 6, 6}) out.push_back(v);
    EXPECT_EQ(Levels(&s->m_palette.Entries()[0], 32), out);
    for (int i = 0; i < 224; ++i) ASSERT_EQ(s->m_palette.Entries()[i].peFlags, PC_RESERVED) << i;

    auto one = Window(1, true);
    AnimationTick(*one);
    const Table all = Levels(&one->m_palette.Entries()[0], 224);
    EXPECT_EQ(Table(all.begin(), all.begin() + 8), (Table{6, 0, 0, 1, 2, 5, 6, 7}));
    EXPECT_EQ(Table(all.end() - 8, all.end()), (Table{246, 247, 198, 149, 100, 50, 6, 6}));
}

TEST(AnimationTick, EveryTableTurnsShiftTimesATick) {
    // {tables (0: without orientation), dimming, 64 colours, shift, calls a table, entries moved,
    // levels of entries 0 and 31 (-1: unchecked)}: a huge shift turns modulo the table length;
    // undimmed, the palette shows the tables (disk-scale dimming is the renderer's).
    // clang-format off
    const std::tuple<int, bool, bool, int, int, int, int, int> cases[] = {
        {7, true, false, 3, 3, 3, 6, 6}, {7, true, false, INT_MAX, 31, 31, 0, 0},
        {7, true, false, 32 * 1000, 32, 0, 0, 6}, {0, false, false, 1, 1, 1, 56, 240},
        {0, true, false, 1, 1, 1, 56, 240}, {0, false, true, 5, 5, 5, 12, 104},
        {0, false, true, INT_MAX, 255, 255, 4, 128}, {4, false, false, 3, 3, 3, -1, -1}};
    // clang-format on
    for (auto [tables, dimming, c64, shift, calls, moved, level0, level31] : cases) {
        SCOPED_TRACE(testing::Message() << tables << " tables, shift " << shift);
        auto s = Window(tables, dimming, shift, c64), initial = Window(tables, dimming, shift, c64);
        s->m_diskScaleDimming = 1;
        const int n = std::max(tables, 1), e = tables ? s->m_entriesPerTable : 256;
        Calls want;
        for (int call = 0; call < n * calls; ++call) want.emplace_back(e * (call % n), e);
        EXPECT_EQ(Record(*s), want);
        const auto entry = [&](const VortanFrameState& f, int t, int j) {
            return tables ? f.m_colorTables[t].m_rotatingEntries[j] : f.m_palette.Entries()[j];
        };
        for (int i = 0; i < n * e; ++i) {
            EXPECT_EQ(entry(*s, i / e, i % e), entry(*initial, i / e, (i + e - moved) % e)) << i;
            if (!dimming && tables > 0) {
                EXPECT_EQ(s->m_palette.Entries()[i], entry(*s, i / e, i % e)) << i;
            }
        }
        if (level0 >= 0) {
            EXPECT_EQ((Table{s->m_palette.Entries()[0].peRed, s->m_palette.Entries()[31].peRed}),
                      (Table{level0, level31}));
        }
    }
}

// A host that keeps the palette as it stands at every presentation.
struct PresentingHost : IFrameHost {
    explicit PresentingHost(const VortanFrameState& s) : state(s) {}
    int MessageBox(const std::string&, const std::string&, unsigned) override { return 0; }
    void SetStatusText(const std::string&, bool) override {}
    bool SetTimer(unsigned, std::uint32_t) override { return true; }
    void KillTimer(unsigned) override {}
    void PaletteAnimated() override { shown.push_back(state.m_palette.Entries()); }
    const VortanFrameState& state;
    std::vector<PaletteEntries> shown;
};

TEST(AnimationTick, PresentsOncePerRepetitionAfterEveryTable) {
    // {tables (0: without orientation), shift}: a tick presents `shift` times (none for 0), and
    // presentation k shows the palette of k + 1 single steps, every table moved.
    const std::pair<int, int> cases[] = {{1, 1}, {1, 3}, {7, 1}, {7, 3}, {3, 2},
                                         {0, 1}, {0, 3}, {7, 0}, {0, 0}};
    for (auto [tables, shift] : cases) {
        SCOPED_TRACE(testing::Message() << tables << " tables, shift " << shift);
        auto s = Window(tables, true, shift);
        auto single = Window(tables, true, 1);
        PresentingHost host(*s);
        for (int tick = 0; tick < 2; ++tick) {
            host.shown.clear();
            AnimationTick(*s, &host);
            ASSERT_EQ(host.shown.size(), static_cast<std::size_t>(shift));
            for (int k = 0; k < shift; ++k) {
                AnimationTick(*single);
                EXPECT_EQ(host.shown[static_cast<std::size_t>(k)], single->m_palette.Entries())
                    << "tick " << tick << " repetition " << k;
            }
        }
    }
}

TEST(AnimationTick, DamagedTableLengthStaysInBounds) {
    for (int e : {0, -5, 225, 100000, INT_MIN}) {
        auto s = Window(7, true, 3);
        s->m_entriesPerTable = e;
        AnimationTick(*s);
        for (int i = 224; i < 256; ++i) EXPECT_EQ(s->m_palette.Entries()[i], PaletteEntry{}) << e;
        EXPECT_GE(AnimationPeriod(*s), 1);
    }
}

TEST(AnimationPeriod, ValuesAndTheTicksTheRotationTakes) {
    // {tables (0: without orientation), 64 colours, shift, period}; the common layouts show their
    // periods as GIF frames (formats/gif_writer_test.cpp).
    // clang-format off
    const std::tuple<int, bool, int, int> cases[] = {
        {7, false, 3, 32}, {7, false, 4, 8}, {7, false, 48, 2}, {1, false, 8, 28}, {6, false, 37, 1},
        {2, false, 14, 8}, {7, false, 0, 1}, {7, false, -4, 1}, {7, false, INT_MAX, 32}, {0, true, 96, 8},
        {0, false, 0, 1}, {0, true, INT_MAX, 256}, {0, false, 256, 1}, {0, false, 64, 4}, {0, false, 24, 32}};
    // clang-format on
    for (auto [tables, colors64, shift, period] : cases) {
        SCOPED_TRACE(testing::Message() << tables << " " << colors64 << " " << shift);
        auto s = Window(tables, true, shift, colors64);
        EXPECT_EQ(AnimationPeriod(*s), period);
        const PaletteEntries before = s->m_palette.Entries();
        // A fresh dimmed palette holds colours the animation never returns to, unless nothing
        // turns or (without orientation) nothing is dimmed.
        EXPECT_EQ(PaletteOnCycle(*s), shift <= 0 || tables == 0);
        if (shift <= 0) {  // no step at all
            EXPECT_EQ(Record(*s), Calls{});
        }
        EXPECT_EQ(s->m_palette.Entries(), before);
        if (shift <= 0 || shift == INT_MAX) continue;
        AnimationTick(*s);  // the first tick dims the build and puts it on its cycle
        EXPECT_TRUE(PaletteOnCycle(*s));
        const PaletteEntries start = s->m_palette.Entries();
        int seen = 0;
        while (++seen < 300) {
            AnimationTick(*s);
            if (s->m_palette.Entries() == start) break;
        }
        EXPECT_EQ(seen, period);
    }
}

}  // namespace
}  // namespace vortan
