#include "page/animation_page.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "palette/palette_animation.h"
#include "tests/formats/format_test_support.h"
#include "tests/page/page_test_support.h"
#include "tests/test_support.h"

namespace vortan::test {
namespace {

using page::BuildAnimationPage;
using page::PageOptions;

std::string Build(const IndexedCanvas& canvas, const VortanFrameState& state, int rows = -1,
                  const std::string& name = "flow.math") {
    std::string html, error;
    EXPECT_TRUE(BuildAnimationPage(canvas, state, {name, rows}, html, error)) << error;
    return html;
}

std::string Attribute(const std::string& html, const std::string& name) {
    const auto at = html.find(name + "=\"");
    if (at == std::string::npos) return "";
    const auto begin = at + name.size() + 2;
    return html.substr(begin, html.find('"', begin) - begin);
}

TEST(AnimationPage, IndexPictureHoldsIndicesAndClearedPixels) {
    const std::tuple<const char*, IndexedCanvas, int, int> cases[] = {
        // rows asked, rows shown
        {"grid, the first 30 rows", GridCanvas(0, 223), 30, 30},
        {"grid, more rows asked than drawn", GridCanvas(0, 223), 1000, 72},
        {"every index, 0 to 255", GridCanvas(0, 255), -1, 82},
    };
    auto state = MakeState({"", true, 7, 0, 1, 1});
    for (const auto& [name, canvas, rowsAsked, rows] : cases) {
        SCOPED_TRACE(name);
        const std::string html = Build(canvas, *state, rowsAsked);
        const int width = canvas.Width();
        EXPECT_EQ(Attribute(html, "data-width") + " " + Attribute(html, "data-height"),
                  std::to_string(width) + " " + std::to_string(rows));
        const Decoded png = DecodePng(DecodeBase64(DataUrlOf(html, "indices")), PNG_FORMAT_GA);
        ASSERT_TRUE(png.ok && png.width == width && png.height == rows);
        std::vector<int> want, got;  // the index, or -1 for a cleared (transparent) pixel
        for (int i = 0; i < width * rows; ++i) {
            const CanvasPixel p = canvas.Pixel(i % width, i / width);
            want.push_back(p == kClearedPixel ? -1 : p);
            const int gray = png.samples[2 * i], alpha = png.samples[2 * i + 1];
            got.push_back(alpha == 0 ? -1 : alpha == 255 ? gray : -2);
        }
        EXPECT_EQ(got, want);
        EXPECT_GT(std::ranges::count(want, -1), 0);
    }
}

// Row k: the palette after k ticks, then the cleared colour; the next row wraps to tick 1.
TEST(AnimationPage, PaletteRowsFollowTheEnginesTicks) {
    const LayoutCase layouts[] = {
        {"seven tables, dimming, shift 1", true, 7, 0, 1, 1},
        {"one table, shift 3, no dimming", true, 1, 0, 3, 0},
        {"without orientation, 32 colours, shift 2", false, 0, 1, 2, 0},
        {"without orientation, 64 colours, dimming", false, 0, 0, 1, 1},
    };
    for (const LayoutCase& layout : layouts) {
        SCOPED_TRACE(layout.name);
        auto state = MakeState(layout);
        const PaletteEntries before = state->m_palette.Entries();
        const std::string html = Build(GridCanvas(0, 40), *state);
        EXPECT_EQ(state->m_palette.Entries(), before) << "the caller's palette moved";

        const int period = AnimationPeriod(*state);
        EXPECT_EQ(Attribute(html, "data-period"), std::to_string(period));
        const Decoded png = DecodePng(DecodeBase64(DataUrlOf(html, "palettes")), PNG_FORMAT_RGB);
        ASSERT_TRUE(png.ok && png.width == 257 && png.height == period + 1);
        auto engine = std::make_unique<VortanFrameState>(*state);
        for (int tick = 0; tick <= period + 1; ++tick, AnimationTick(*engine)) {
            const PaletteEntries& p = engine->m_palette.Entries();
            std::vector<std::uint8_t> want;  // the entries, then the colour of cleared pixels
            for (int i = 0; i <= 256; ++i) {
                const PaletteEntry& e = p[i < 256 ? i : NearestPaletteEntry(p, 0, 0, 0)];
                want.insert(want.end(), {e.peRed, e.peGreen, e.peBlue});
            }
            const auto row = png.samples.begin() + (tick <= period ? tick : 1) * 257 * 3;
            ASSERT_EQ(std::vector(row, row + 257 * 3), want) << "tick " << tick;
        }
    }
}

// The settings described under the file's name, which is escaped.
TEST(AnimationPage, DescribesTheSettingsUnderTheEscapedName) {
    const std::string name = "<b id=x>&\"'.math", shown = "&lt;b id=x&gt;&amp;&quot;&#39;.math";
    // layout, delay, the text after "82 x 7 pixels, "
    // clang-format off
    const std::tuple<LayoutCase, int, std::string> cases[] = {
        {{"", true, 7, 0, 1, 1}, 0,
         "7 colour tables of 32 entries, shift 1, intensity dimming, 10 ms a tick, period 32 ticks"},
        {{"", true, 1, 0, 3, 0}, 250,
         "1 colour table of 224 entries, shift 3, 250 ms a tick, period 224 ticks"},
        {{"", false, 0, 0, 2, 0}, 9,
         "without orientation (64 colours), shift 2, 10 ms a tick, period 128 ticks"},
    };
    // clang-format on
    for (const auto& [layout, delay, rest] : cases) {
        auto state = MakeState(layout);
        state->m_timeDelay = delay;
        const std::string text = "82 \u00d7 7 pixels, " + rest;
        EXPECT_EQ(page::DescribeAnimation(*state, 82, 7), text);
        const std::string html = Build(GridCanvas(0, 3), *state, 7, name);
        EXPECT_EQ(html.find("<b id=x>"), std::string::npos);
        EXPECT_NE(html.find("<title>" + shown + " \u2013 Vortan</title>"), std::string::npos);
        EXPECT_NE(html.find("<b>" + shown + "</b>: " + page::EscapeHtml(text)), std::string::npos);
    }
}

// A page that cannot be made or written leaves the previous file as it was.
TEST(AnimationPage, FailuresKeepThePreviousFile) {
    auto fine = MakeState({"", true, 7, 0, 1, 1});
    // Tables of 223 entries and the whole palette turning (periods 223, 256): 57088 ticks.
    auto endless = MakeState({"", true, 1, 0, 1, 0});
    endless->m_withoutOrientation = 1;
    endless->m_entriesPerTable = 223;
    // what; state; canvas; rows; bytes the disk takes (0: any); the message after the path
    const std::tuple<const char*, const VortanFrameState*, IndexedCanvas, int, rlim_t, std::string>
        cases[] = {
            {"empty canvas", fine.get(), IndexedCanvas(), -1, 0, ": the picture is empty"},
            {"no rows", fine.get(), GridCanvas(0, 3), 0, 0, ": the picture is empty"},
            {"period too long", endless.get(), GridCanvas(0, 3), -1, 0,
             ": the animation's period of 57088 ticks is longer than a page carries (8192)"},
            {"full disk", fine.get(), GridCanvas(0, 223), -1, 2000, ": File too large"},
        };
    for (const auto& [name, state, canvas, rows, sizeLimit, message] : cases) {
        SCOPED_TRACE(name);
        TempDir dir;
        const std::string path = dir.file("p.html");
        WriteTextFile(path, "old page");
        RecordingSink sink;
        {
            FileSizeLimit limit(sizeLimit);
            EXPECT_FALSE(page::WriteAnimationPage(path, canvas, *state, {"", rows}, sink));
        }
        EXPECT_EQ(sink.messages,
                  (std::vector<RecordedMessage>{
                      {"Unable to write " + path + message, "Error", MB_OK | MB_ICONEXCLAMATION}}));
        EXPECT_EQ(ReadWholeFile(path), "old page");
        EXPECT_EQ(CountEntries(dir.path()), 1);
    }
}

}  // namespace
}  // namespace vortan::test
