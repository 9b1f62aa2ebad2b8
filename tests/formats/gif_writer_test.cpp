#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <set>
#include <utility>

#include "output/formats/formats.h"
#include "palette/palette_animation.h"
#include "tests/formats/format_test_support.h"
#include "tests/streamline_fixtures.h"
#include "tests/test_support.h"
#include "view/drawing_pass.h"

namespace vortan::test {
namespace {

// Indices a drawing in the layout would use: every entry of every table
// (with orientation), or 0..3E-1 (without).
std::vector<int> DrawnIndices(const VortanFrameState& s) {
    if (s.m_withOrientation) return IndexRange(0, s.m_colortableCount * s.m_entriesPerTable - 1);
    return IndexRange(0, 3 * s.m_entriesPerTable - 1);
}

struct PeriodCase {
    LayoutCase layout;
    int period;      // expected frame count of the default export
    bool entryTick;  // the creation palette is off the cycle (dimming on)
};

void PrintTo(const PeriodCase& c, std::ostream* os) {
    *os << c.layout.name;
}

class GifPeriodTest : public ::testing::TestWithParam<PeriodCase> {};

// The default export is one period: the frame count is the fewest ticks after
// which the palette is back, each frame's table is the palette after that
// many ticks, and one more tick after the last frame gives the first again.
TEST_P(GifPeriodTest, OnePeriodLoopsWithoutSeam) {
    const PeriodCase& c = GetParam();
    auto state = MakeState(c.layout);
    const IndexedCanvas canvas = GridCanvas(DrawnIndices(*state), 32);
    const CanvasUse use = UseOf(canvas, canvas.Height());
    ASSERT_TRUE(use.cleared);

    // The palettes expected in the frames, from an independent twin.
    auto twin = Twin(*state);
    if (c.entryTick) AnimationTick(*twin);
    std::vector<PaletteEntries> expected;
    for (int k = 0; k <= c.period; ++k) {
        expected.push_back(twin->m_palette.Entries());
        AnimationTick(*twin);
    }

    TempDir dir;
    RecordingSink sink;
    GifOptions options;
    options.delayMs = 40;
    ASSERT_TRUE(WriteAnimatedGif(dir.file("a.gif"), canvas, *state, options, sink));
    EXPECT_TRUE(sink.messages.empty());

    const GifPicture gif = ReadGif(dir.file("a.gif"));
    ASSERT_TRUE(gif.ok) << gif.error;
    EXPECT_EQ(gif.width, canvas.Width());
    EXPECT_EQ(gif.height, canvas.Height());
    ASSERT_EQ(static_cast<int>(gif.frames.size()), c.period);

    // The one index that cleared pixels are written as, black in every frame.
    std::set<int> clearedIndices;
    for (int f = 0; f < c.period; ++f) {
        const GifFrame& frame = gif.frames[f];
        ASSERT_EQ(frame.colours.size(), 256u);
        ASSERT_EQ(frame.width, canvas.Width());
        ASSERT_EQ(frame.height, canvas.Height());
        EXPECT_EQ(frame.delay, 4);
        for (int y = 0; y < canvas.Height(); ++y)
            for (int x = 0; x < canvas.Width(); ++x) {
                const CanvasPixel p = canvas.Pixel(x, y);
                const int got = frame.indices[static_cast<std::size_t>(y) * canvas.Width() + x];
                if (p == kClearedPixel) {
                    clearedIndices.insert(got);
                    ASSERT_TRUE(IsBlack(frame.colours[got])) << "frame " << f;
                } else {
                    ASSERT_EQ(got, p) << "frame " << f << " at " << x << "," << y;
                }
            }
    }
    ASSERT_EQ(clearedIndices.size(), 1u);
    const int cleared = *clearedIndices.begin();
    EXPECT_FALSE(use.used[cleared]);
    for (int f = 0; f < c.period; ++f)
        for (int i = 0; i < 256; ++i) {
            if (i == cleared) continue;
            ASSERT_TRUE(SameRgb(gif.frames[f].colours[i], expected[f][i]))
                << "frame " << f << " entry " << i;
        }
    // With orientation the cleared index is an entry that is black for good,
    // so every table is the palette itself, entry for entry.
    if (c.layout.withOrientation) {
        for (int f = 0; f < c.period; ++f)
            EXPECT_TRUE(SameRgb(gif.frames[f].colours[cleared], expected[f][cleared]));
    }

    // No seam: the palette after one more tick is the first frame's, and no
    // earlier frame repeats the first (the period is the fewest ticks).
    EXPECT_EQ(expected[c.period], expected[0]);
    for (int f = 1; f < c.period; ++f) EXPECT_NE(expected[f], expected[0]) << "frame " << f;
    // The state was advanced by the frames written: back at the first frame.
    EXPECT_EQ(state->m_palette.Entries(), expected[0]);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, GifPeriodTest,
    ::testing::Values(PeriodCase{{"seven_tables_shift1", true, 7, 0, 1, 0}, 32, false},
                      PeriodCase{{"seven_tables_shift3", true, 7, 0, 3, 0}, 32, false},
                      PeriodCase{{"seven_tables_shift8", true, 7, 0, 8, 0}, 4, false},
                      PeriodCase{{"seven_tables_shift32", true, 7, 0, 32, 0}, 1, false},
                      PeriodCase{{"one_table_shift1", true, 1, 0, 1, 0}, 224, false},
                      PeriodCase{{"two_tables_shift8", true, 2, 0, 8, 0}, 14, false},
                      PeriodCase{{"three_tables_shift2", true, 3, 0, 2, 0}, 37, false},
                      PeriodCase{{"five_tables_shift11", true, 5, 0, 11, 0}, 4, false},
                      PeriodCase{{"seven_tables_dimmed", true, 7, 0, 1, 1}, 32, true},
                      PeriodCase{{"two_tables_dimmed_shift7", true, 2, 0, 7, 1}, 16, true},
                      PeriodCase{{"without_32_shift1", false, 0, 1, 1, 0}, 256, false},
                      PeriodCase{{"without_64_shift64", false, 0, 0, 64, 0}, 4, false},
                      PeriodCase{{"without_32_shift96", false, 0, 1, 96, 0}, 8, false},
                      PeriodCase{{"without_64_dimming_ignored", false, 0, 0, 128, 1}, 2, false}),
    [](const auto& info) { return std::string(info.param.layout.name); });

TEST(GifWriter, ExplicitFrameCountAdvancesThePaletteByThatMany) {
    auto state = MakeState({"", true, 7, 0, 3, 0});
    const IndexedCanvas canvas = GridCanvas(IndexRange(0, 40), 8);
    auto twin = Twin(*state);
    TempDir dir;
    RecordingSink sink;
    GifOptions options;
    options.frames = 5;
    std::vector<std::pair<int, int>> progress;
    options.progress = [&](int done, int all) { progress.emplace_back(done, all); };
    ASSERT_TRUE(WriteAnimatedGif(dir.file("f.gif"), canvas, *state, options, sink));
    const GifPicture gif = ReadGif(dir.file("f.gif"));
    ASSERT_TRUE(gif.ok);
    ASSERT_EQ(gif.frames.size(), 5u);
    for (int f = 0; f < 5; ++f) {
        for (int i = 0; i < 256; ++i)
            ASSERT_TRUE(SameRgb(gif.frames[f].colours[i], twin->m_palette.Entries()[i]));
        AnimationTick(*twin);
    }
    EXPECT_EQ(state->m_palette.Entries(), twin->m_palette.Entries());
    const std::vector<std::pair<int, int>> want = {{1, 5}, {2, 5}, {3, 5}, {4, 5}, {5, 5}};
    EXPECT_EQ(progress, want);
}

TEST(GifWriter, DelayInHundredths) {
    const std::pair<int, int> cases[] = {
        {0, 2},          {1, 2},    {19, 2},  {20, 2},         {24, 2},         {25, 3},
        {30, 3},         {100, 10}, {-40, 2}, {655345, 65535}, {655350, 65535}, {2147483647, 65535},
        {655344, 65534},
    };
    for (const auto& [ms, hundredths] : cases) EXPECT_EQ(GifDelayHundredths(ms), hundredths) << ms;
}

TEST(GifWriter, FileCarriesDelayLoopAndHeaderBytes) {
    auto state = MakeState({"", true, 7, 0, 8, 0});
    const IndexedCanvas canvas = GridCanvas(IndexRange(0, 63), 16);
    TempDir dir;
    RecordingSink sink;
    GifOptions options;
    options.delayMs = 7;  // below 20 ms: written as 20 ms
    ASSERT_TRUE(WriteAnimatedGif(dir.file("h.gif"), canvas, *state, options, sink));
    const std::string bytes = ReadWholeFile(dir.file("h.gif"));
    ASSERT_GT(bytes.size(), 13u);
    EXPECT_EQ(bytes.substr(0, 6), "GIF89a");
    EXPECT_EQ(static_cast<unsigned char>(bytes[6]) | static_cast<unsigned char>(bytes[7]) << 8,
              canvas.Width());
    EXPECT_EQ(static_cast<unsigned char>(bytes[8]) | static_cast<unsigned char>(bytes[9]) << 8,
              canvas.Height());
    // Loop forever: NETSCAPE2.0 application extension with loop count 0.
    const std::string loop("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
    EXPECT_EQ(bytes.find(loop), 13u + 3 * 256);  // right after the global table
    EXPECT_EQ(bytes.back(), '\x3B');
    const GifPicture gif = ReadGif(dir.file("h.gif"));
    ASSERT_TRUE(gif.ok);
    ASSERT_EQ(gif.frames.size(), 4u);
    for (const GifFrame& f : gif.frames) {
        EXPECT_EQ(f.delay, 2);
        EXPECT_EQ(f.disposal, DISPOSE_DO_NOT);
        EXPECT_EQ(f.transparent, NO_TRANSPARENT_COLOR);
        EXPECT_EQ(f.left, 0);
        EXPECT_EQ(f.top, 0);
    }
}

TEST(GifWriter, PictureHeightLimitsTheRows) {
    auto state = MakeState({"", true, 7, 0, 1, 0});
    const IndexedCanvas canvas = GridCanvas(IndexRange(0, 223), 16);  // 82 x 72
    TempDir dir;
    RecordingSink sink;
    const std::pair<int, int> cases[] = {{30, 30}, {-1, 72}, {500, 72}};
    for (const auto& [asked, written] : cases) {
        GifOptions options;
        options.frames = 2;
        options.pictureHeight = asked;
        ASSERT_TRUE(WriteAnimatedGif(dir.file("p.gif"), canvas, *state, options, sink));
        const GifPicture gif = ReadGif(dir.file("p.gif"));
        ASSERT_TRUE(gif.ok);
        EXPECT_EQ(gif.height, written) << asked;
        ASSERT_EQ(gif.frames[1].height, written);
        for (int y = 0; y < written; ++y)
            for (int x = 0; x < canvas.Width(); ++x)
                if (canvas.Pixel(x, y) != kClearedPixel) {
                    ASSERT_EQ(gif.frames[1].indices[y * canvas.Width() + x], canvas.Pixel(x, y));
                }
    }
    EXPECT_TRUE(sink.messages.empty());
}

struct PlanCase {
    const char* name;
    LayoutCase layout;
    std::vector<int> drawn;
    ClearedPixelPlan::Kind kind;
    int index;
};

TEST(GifWriter, ClearedPixelPlans) {
    const PlanCase cases[] = {
        {"seven tables: first black unreserved entry",
         {"", true, 7, 0, 1, 0},
         IndexRange(0, 223),
         ClearedPixelPlan::Kind::FixedBlack,
         224},
        {"three tables: 222 onward is black",
         {"", true, 3, 0, 1, 0},
         IndexRange(0, 221),
         ClearedPixelPlan::Kind::FixedBlack,
         222},
        {"without: highest index not drawn",
         {"", false, 0, 1, 1, 0},
         IndexRange(0, 95),
         ClearedPixelPlan::Kind::SpareIndex,
         255},
        {"without: 255 drawn, 254 spare",
         {"", false, 0, 0, 1, 0},
         {3, 255, 100},
         ClearedPixelPlan::Kind::SpareIndex,
         254},
        {"without: every index drawn",
         {"", false, 0, 0, 1, 0},
         IndexRange(0, 255),
         ClearedPixelPlan::Kind::PerFrame,
         0},
    };
    for (const PlanCase& c : cases) {
        auto state = MakeState(c.layout);
        const IndexedCanvas canvas = GridCanvas(c.drawn, 16);
        const ClearedPixelPlan plan =
            PlanClearedPixels(canvas, canvas.Height(), state->m_palette.Entries());
        EXPECT_EQ(plan.kind, c.kind) << c.name;
        if (c.kind != ClearedPixelPlan::Kind::PerFrame) {
            EXPECT_EQ(plan.index, c.index) << c.name;
        }
    }
    // A picture without a cleared pixel needs no index.
    IndexedCanvas full(3, 2);
    full.SelectPen(40, PALETTEINDEX(9));
    full.Ellipse(0, 0, 3, 2);
    auto state = MakeState({"", true, 7, 0, 1, 0});
    ASSERT_EQ(UseOf(full, 2).cleared, false);
    EXPECT_EQ(PlanClearedPixels(full, 2, state->m_palette.Entries()).kind,
              ClearedPixelPlan::Kind::None);
}

// Every index drawn and every entry animated: the cleared pixels follow the
// black entry from frame to frame, and the tables stay the palette's own.
TEST(GifWriter, EveryIndexDrawnReindexesClearedPixelsPerFrame) {
    auto state = MakeState({"", false, 0, 0, 1, 0});
    const IndexedCanvas canvas = GridCanvas(IndexRange(0, 255), 16);
    ASSERT_EQ(UseOf(canvas, canvas.Height()).distinct, 256);
    auto twin = Twin(*state);
    TempDir dir;
    RecordingSink sink;
    GifOptions options;
    options.frames = 6;
    ASSERT_TRUE(WriteAnimatedGif(dir.file("e.gif"), canvas, *state, options, sink));
    const GifPicture gif = ReadGif(dir.file("e.gif"));
    ASSERT_TRUE(gif.ok);
    ASSERT_EQ(gif.frames.size(), 6u);
    std::set<int> clearedIndices;
    for (int f = 0; f < 6; ++f) {
        const PaletteEntries& palette = twin->m_palette.Entries();
        for (int i = 0; i < 256; ++i) ASSERT_TRUE(SameRgb(gif.frames[f].colours[i], palette[i]));
        for (int y = 0; y < canvas.Height(); ++y)
            for (int x = 0; x < canvas.Width(); ++x) {
                const int got = gif.frames[f].indices[y * canvas.Width() + x];
                if (canvas.Pixel(x, y) == kClearedPixel) {
                    ASSERT_TRUE(IsBlack(gif.frames[f].colours[got])) << f;
                    clearedIndices.insert(got);
                } else {
                    ASSERT_EQ(got, canvas.Pixel(x, y));
                }
            }
        AnimationTick(*twin);
    }
    // The black entry moves one index per tick.
    EXPECT_GT(clearedIndices.size(), 1u);
}

// A picture drawn by the drawing pass from a streamline file comes back
// from the file pixel for pixel, with the picture area's rows only.
TEST(GifWriter, DrawnStreamlinesDecodeToTheRenderedPicture) {
    TempDir dir;
    std::string text = HeaderText({160, 120, 2, 6.3f, 10, -1, 1, -1, 1, 0, 0});
    for (int s = 0; s < 10; ++s) {
        std::vector<float> t, x, y;
        const float r = 0.15f + 0.08f * s;
        for (int k = 0; k <= 63; ++k) {
            t.push_back(0.1f * k);
            x.push_back(r * std::cos(0.1f * k));
            y.push_back(r * std::sin(0.1f * k));
        }
        text += ClassicRecord(t, {x, y});
    }
    WriteTextFile(dir.file("rings.math"), text);

    struct Host : IFrameHost {
        int MessageBox(const std::string&, const std::string&, unsigned) override { return IDOK; }
        void SetStatusText(const std::string&, bool) override {}
        bool SetTimer(unsigned, std::uint32_t) override { return true; }
        void KillTimer(unsigned) override {}
    } host;
    auto state = MakeState({"", true, 7, 0, 1, 1});
    state->m_inputPath = dir.file("rings.math");
    state->m_diskDiameter = 5;
    state->m_axisX = state->m_axisY = 1;
    state->m_dimension = 2;
    IndexedCanvas canvas(160, 120 + kStatusBarHeight);
    const PassStats stats = RunDrawingPass(*state, canvas, host);
    ASSERT_EQ(stats.drawn, 10);
    ASSERT_GT(UseOf(canvas, 120).distinct, 20);

    auto twin = Twin(*state);
    AnimationTick(*twin);  // dimming on: the loop starts after the first tick
    RecordingSink sink;
    GifOptions options;
    options.pictureHeight = 120;
    ASSERT_TRUE(WriteAnimatedGif(dir.file("rings.gif"), canvas, *state, options, sink));
    const GifPicture gif = ReadGif(dir.file("rings.gif"));
    ASSERT_TRUE(gif.ok);
    ASSERT_EQ(gif.frames.size(), 32u);
    EXPECT_EQ(gif.height, 120);
    for (int f = 0; f < 32; ++f) {
        for (int i = 0; i < 256; ++i)
            ASSERT_TRUE(SameRgb(gif.frames[f].colours[i], twin->m_palette.Entries()[i]));
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 160; ++x) {
                const CanvasPixel p = canvas.Pixel(x, y);
                const int got = gif.frames[f].indices[y * 160 + x];
                ASSERT_EQ(got, p == kClearedPixel ? 224 : p) << f << ": " << x << "," << y;
            }
        AnimationTick(*twin);
    }
}

struct RefusedCase {
    const char* name;
    int width, height;
    int frames;
    std::string reason;
};

// Refused exports name the file, write nothing and leave the palette alone.
TEST(GifWriter, RefusedExportsWriteNothing) {
    const RefusedCase cases[] = {
        {"empty picture", 0, 0, 0, "the picture is empty"},
        {"no rows", 10, 0, 0, "the picture is empty"},
        {"too wide", 65536, 1, 0, "a GIF picture is at most 65535 pixels wide and high"},
        {"negative frames", 8, 8, -1, "the frame count -1 is not between 1 and 10000"},
        {"too many frames", 8, 8, 10001, "the frame count 10001 is not between 1 and 10000"},
    };
    for (const RefusedCase& c : cases) {
        auto state = MakeState({"", true, 7, 0, 1, 0});
        const PaletteEntries before = state->m_palette.Entries();
        IndexedCanvas canvas(c.width, c.height);
        TempDir dir;
        RecordingSink sink;
        GifOptions options;
        options.frames = c.frames;
        const std::string path = dir.file("r.gif");
        EXPECT_FALSE(WriteAnimatedGif(path, canvas, *state, options, sink)) << c.name;
        const std::vector<RecordedMessage> want = {
            {"Unable to write " + path + ": " + c.reason, "Error", MB_OK | MB_ICONEXCLAMATION}};
        EXPECT_EQ(sink.messages, want) << c.name;
        EXPECT_TRUE(FolderNames(dir.path()).empty()) << c.name;
        EXPECT_EQ(state->m_palette.Entries(), before) << c.name;
    }
}

TEST(GifWriter, UncreatableFileIsReportedOnce) {
    auto state = MakeState({"", true, 7, 0, 1, 0});
    const IndexedCanvas canvas = GridCanvas(IndexRange(0, 9), 5);
    TempDir dir;
    RecordingSink sink;
    const std::string path = dir.file("missing/flow.gif");
    EXPECT_FALSE(WriteAnimatedGif(path, canvas, *state, {}, sink));
    const std::vector<RecordedMessage> want = {
        {"Unable to create " + path + ": No such file or directory", "Error",
         MB_OK | MB_ICONEXCLAMATION}};
    EXPECT_EQ(sink.messages, want);

    // A folder in the way is not replaced.
    std::filesystem::create_directory(dir.file("folder.gif"));
    sink.messages.clear();
    EXPECT_FALSE(WriteAnimatedGif(dir.file("folder.gif"), canvas, *state, {}, sink));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text,
              "Unable to create " + dir.file("folder.gif") + ": Is a directory");
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("folder.gif")));
}

// A write that fails half-way (the disk refuses more bytes) leaves the old
// file as it was and no temporary file behind.
TEST(GifWriter, FailedWriteKeepsThePreviousFile) {
    auto state = MakeState({"", true, 1, 0, 1, 0});
    const IndexedCanvas canvas = GridCanvas(IndexRange(0, 223), 16);
    TempDir dir;
    const std::string path = dir.file("old.gif");
    WriteTextFile(path, "the previous picture");
    RecordingSink sink;
    bool written = true;
    {
        FileSizeLimit limit(4096);
        written = WriteAnimatedGif(path, canvas, *state, {}, sink);
    }
    EXPECT_FALSE(written);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, "Unable to write " + path + ": File too large");
    EXPECT_EQ(sink.messages[0].caption, "Error");
    EXPECT_EQ(ReadWholeFile(path), "the previous picture");
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"old.gif"});
}

TEST(GifWriter, ReplacesAnExistingFileWhole) {
    auto state = MakeState({"", true, 7, 0, 16, 0});
    const IndexedCanvas canvas = GridCanvas(IndexRange(0, 9), 5);
    TempDir dir;
    const std::string path = dir.file("new.gif");
    WriteTextFile(path, std::string(100000, 'x'));
    RecordingSink sink;
    ASSERT_TRUE(WriteAnimatedGif(path, canvas, *state, {}, sink));
    const GifPicture gif = ReadGif(path);
    ASSERT_TRUE(gif.ok) << gif.error;
    EXPECT_EQ(gif.frames.size(), 2u);
    EXPECT_LT(ReadWholeFile(path).size(), 100000u);
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"new.gif"});
}

}  // namespace
}  // namespace vortan::test
