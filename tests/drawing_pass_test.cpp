#include "view/drawing_pass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/crt_rand.h"
#include "tests/streamline_fixtures.h"
#include "tests/test_support.h"

namespace vortan {
namespace {

using Events = std::vector<std::string>;

// Records what a pass asks of its window, in order.
struct FakeHost : IFrameHost {
    int MessageBox(const std::string& text, const std::string& caption, unsigned type) override {
        events.push_back("message " + text + " | " + caption + " | " + std::to_string(type));
        return IDOK;
    }
    void SetStatusText(const std::string& text, bool first) override {
        events.push_back((first ? "status! " : "status ") + text);
    }
    bool SetTimer(unsigned id, std::uint32_t ms) override {
        events.push_back("timer " + std::to_string(id) + " " + std::to_string(ms));
        return true;
    }
    void KillTimer(unsigned id) override { events.push_back("kill " + std::to_string(id)); }
    void StreamletDrawn() override { events.push_back("drawn"); }
    void ProgressChanged(int p) override { events.push_back("progress " + std::to_string(p)); }
    Events events;
};

// v0 + d j for the 64 samples j (the knots sit at t = 0..63, tMax 63: sample j is knot j).
std::vector<float> Ramp(float v0, float d = 0) {
    std::vector<float> v;
    for (int j = 0; j < kSamplesPerStreamline; ++j) v.push_back(v0 + d * static_cast<float>(j));
    return v;
}
std::string Record(const std::vector<float>& a, const std::vector<float>& b) {
    return test::ClassicRecord(Ramp(0, 1), {a, b});
}
std::string Straight(float x0, float y0, float dx = 0, float dy = 0) {
    return Record(Ramp(x0, dx), Ramp(y0, dy));
}
// A 2-D picture W x H whose model x is pixel x and model y counts up (py = H - y).
std::string Head(float w, float h, float progressStep = 10.0f) {
    return test::HeaderText({w, h, 2, 63, progressStep, 0, w, 0, h, 0, 0});
}

struct Fixture {
    test::TempDir dir;
    VortanFrameState state;
    FakeHost host;
    IndexedCanvas canvas;
    explicit Fixture(int width = 100, int height = 130) : canvas(width, height) {
        state.m_inputPath = dir.file("lines.txt");
        state.m_axisX = state.m_axisY = state.m_animationOn = state.m_withOrientation = 1;
        std::tie(state.m_diskDiameter, state.m_timeDelay, state.m_colortableCount,
                 state.m_entriesPerTable) = std::tuple(2, 50, 7, 32);
    }
    PassStats Run(const std::string& file, IndexedCanvas* on = nullptr,
                  PassKind kind = PassKind::Screen) {
        test::WriteTextFile(dir.file("lines.txt"), file);
        return RunDrawingPass(state, on ? *on : canvas, host, kind);
    }
};

int InkCount(const IndexedCanvas& c) {
    return static_cast<int>(c.Pixels().size() - std::ranges::count(c.Pixels(), kClearedPixel));
}

TEST(DrawingPass, DiskIndicesRunDownOneColourTable) {
    // Ten rows 12 pixels apart, samples 3 pixels apart: (px + 1, py) shows disk j alone.
    struct Case {
        int tables, levels;  // tables 0: without orientation, 32 or 64 levels
        int down32, down0;   // how far the indices of samples 32 and 0 lie below sample 63's
    } cases[] = {{7, 0, 16, 32}, {1, 0, 109, 221}, {2, 0, 54, 110}, {3, 0, 36, 73},
                 {6, 0, 18, 36}, {0, 64, 31, 63},  {0, 32, 16, 32}};
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << "tables " << k.tables << " levels " << k.levels);
        Fixture f(200, 230);
        const int e = k.tables ? 224 / k.tables : k.levels;
        std::tie(f.state.m_withOrientation, f.state.m_withoutOrientation, f.state.m_colors32,
                 f.state.m_colors64, f.state.m_colortableCount, f.state.m_entriesPerTable) =
            std::tuple(k.tables > 0, !k.tables, k.levels == 32, k.levels == 64,
                       k.tables ? k.tables : 1, e);
        std::string file = Head(200, 200);
        for (int r = 0; r < 10; ++r) file += Straight(5, 190 - 12.0f * static_cast<float>(r), 3, 0);
        ASSERT_EQ(f.Run(file).drawn, 10);
        // tables, samples, lines and disks drawn
        EXPECT_EQ(std::tuple(f.state.m_colortableCount, f.state.m_sampleCount, f.canvas.LineCount(),
                             f.canvas.EllipseCount()),
                  std::tuple(k.tables ? k.tables : 3 * e, 64, 0u, 640u));
        CrtRand random;  // as after srand(1)
        bool sawTableZero = false;
        for (int r = 0; r < 10; ++r) {
            const int a = random.rand() % (k.tables ? k.tables : 3 * e);
            const int c = k.tables ? (a + 1) * e - 1 : (a < e ? a + e : a);
            auto at = [&](int j) { return f.canvas.Pixel(5 + 3 * j + 1, 10 + 12 * r); };
            SCOPED_TRACE(testing::Message() << "row " << r << " table " << a);
            // Sample 0 may spill into the table before.
            EXPECT_EQ(std::tuple(at(63), at(32), at(0)),
                      std::tuple(c, c - k.down32, std::max(c - k.down0, 0)));
            for (int j = 0; j < 63; ++j) ASSERT_LE(at(j), at(j + 1)) << j;
            EXPECT_TRUE(k.tables != 7 || at(1) == 32 * a) << at(1);
            sawTableZero |= a == 0;
        }
        EXPECT_TRUE(k.tables != 7 || sawTableZero) << "no streamlet of table 0 in the sample";
    }
}

// The first three skipped records of each reason by number and line, with two-line records.
TEST(DrawingPass, SkippedRecordsAreNamedByRecordAndLine) {
    const std::string printed = "{{x -> InterpolatingFunction[{{0., 1.}}, <>]}}\n";
    const std::string records = Straight(50, 50) + "{{short\n}}]}}\n" + Straight(60, 50) +
                                "{{short}}]}}\n" + printed + "{{a}}]}}\n{{b}}]}}\n" + printed +
                                "{{c}}]}}\n" + Straight(70, 50);
    const std::vector<std::string> want = {
        "skipped 5 records: 200 characters or fewer: record 2 (line 13), record 4 (line 16), "
        "record 6 (line 18) and 2 more",
        "skipped 2 records: function printed without its data: record 5 (line 17), record 8 "
        "(line 20)"};
    for (const std::string& file :
         {Head(200, 100) + records,
          std::regex_replace(Head(200, 100) + records, std::regex("\n"), "\r\n")}) {
        SCOPED_TRACE(file.substr(0, 20));  // LF or CR LF
        Fixture f(200, 130);
        const PassStats stats = f.Run(file);
        EXPECT_EQ(std::tuple(stats.records, stats.drawn, SkippedRecordsLines(stats)),
                  std::tuple(10, 3, want));
    }
}

TEST(DrawingPass, StatusTextsOfAScreenPassAndSkippedRecords) {
    // 12.5 per streamline, rounded half toward zero. A short and a too long record are skipped
    // silently and take no random number: the streamlets after them take the next ones.
    Fixture f(200, 130);
    const PassStats stats =
        f.Run(Head(200, 100, 12.5f) + Straight(50, 50) + Straight(60, 50) + "{{short}}]}}\n" +
              Straight(70, 50) + "{{" + std::string(kMaxRecordLength + 10, ' ') + "}}]}}\n" +
              Straight(80, 50));
    EXPECT_EQ(std::tuple(stats.records, stats.drawn, stats.skipped.at(SkipReason::TooShort),
                         stats.skipped.at(SkipReason::TooLong)),
              std::tuple(6, 4, 1, 1));
    EXPECT_EQ(
        f.host.events,
        (Events{"status!    Drawing:   0%", "progress 0", "status!    Drawing:   0%", "progress 0",
                "drawn", "status!    Drawing:   12%", "progress 12", "drawn",
                "status!    Drawing:   25%", "progress 25", "drawn", "status!    Drawing:   37%",
                "progress 37", "drawn", "status    Drawing:   DONE", "timer 1 50"}));
    CrtRand random;  // as after srand(1)
    for (int x : {50, 60, 70, 80}) {
        const int a = random.rand() % 7;  // sample 0 is drawn last and shows
        EXPECT_EQ(f.canvas.Pixel(x, 50), a == 0 ? 0 : 32 * a - 1) << x;
    }
}

TEST(DrawingPass, TimerRules) {
    // {animation on, delay, events after DONE}; -5 is handed on as uint32. A refused timer's
    // message is seen in the window's tests.
    const std::tuple<int, int, Events> cases[] = {
        {1, 0, {"timer 1 0"}}, {1, -5, {"timer 1 4294967291"}}, {0, 50, {}}};
    for (const auto& [animationOn, delay, tail] : cases) {
        Fixture f;
        std::tie(f.state.m_animationOn, f.state.m_timeDelay) = std::pair{animationOn, delay};
        f.Run(Head(100, 100) + Straight(50, 50));
        const Events& ev = f.host.events;
        const auto done = std::ranges::find(ev, "status    Drawing:   DONE");
        ASSERT_NE(done, ev.end());
        EXPECT_EQ(Events(done + 1, ev.end()), tail) << animationOn << " " << delay;
        EXPECT_EQ(f.state.m_timerRunning, 0);
    }
}

TEST(DrawingPass, ADirtyCanvasGivesTheSamePictureOrBlackWithoutAFile) {
    Fixture f;
    const std::string file =
        Head(200, 120, 50) + Straight(10, 15, 1.5f, 1) + Straight(80, 15, 1.5f, 0.5f);
    IndexedCanvas first(200, 150), second(200, 150);
    f.Run(file, &first);
    second.SelectPen(300, PALETTEINDEX(77));
    second.Ellipse(100, 75, 100, 75);
    f.host.events.clear();
    f.Run(file, &second, PassKind::Print);
    EXPECT_GT(InkCount(first), 500);
    EXPECT_EQ(first.Pixels(), second.Pixels());
    EXPECT_EQ(f.host.events, (Events{"status!    Printing:   0%", "progress 0", "drawn",
                                     "status!    Printing:   50%", "progress 50", "drawn",
                                     "status    Printing:   DONE"}));  // and no timer
    // An unopenable file leaves the canvas black and the pass still ends.
    Fixture g(40, 70);
    g.state.m_inputPath = g.dir.file("missing.txt");
    g.canvas.SelectPen(100, PALETTEINDEX(9));
    g.canvas.Ellipse(20, 20, 20, 20);  // an old picture
    EXPECT_FALSE(g.Run("").opened);
    EXPECT_EQ(InkCount(g.canvas), 0);
    EXPECT_EQ(g.host.events.back(), "timer 1 50");  // the message: in the window's tests
}

TEST(DrawingPass, VisibleSamplesAndTheLinesJoiningThem) {
    // All samples at one point of a 100 x 100 picture; D = 2 needs px > 2, px < 98, py > 2.
    const std::tuple<float, float, bool> cases[] = {
        {50, 50, true}, {0, 50, false}, {100, 50, false},  {50, 100, false},  {50, 0, false},
        {2, 50, false}, {3, 50, true},  {97, 50, true},    {98, 50, false},   {50, 98, false},
        {50, 97, true}, {50, 1, true},  {0.4f, 50, false}, {99.6f, 50, false}};
    for (auto [x, y, drawn] : cases) {
        Fixture f;
        f.Run(Head(100, 100) + Straight(x, y));
        EXPECT_EQ(InkCount(f.canvas) > 0, drawn) << x << "," << y;
        EXPECT_EQ(f.canvas.LineCount(), 0u);
    }
    // Lines join visible samples and outlive left-out disks.
    CrtRand random;                                         // as after srand(1)
    const int pen = (random.rand() % 7 + 1) * 32 - 1 - 16;  // samples 32 and 31 of streamlet 1
    // Samples 63..33 at x 50, sample 32 at px = 0 (invisible), samples 31..0 at x 30: the one
    // line runs from (0, 50), round end included, to (30, 50); nothing joins x 50 to it.
    std::vector<float> x = Ramp(50);
    std::fill(x.begin(), x.begin() + 32, 30.0f);
    x[32] = 0;
    Fixture f;
    f.Run(Head(100, 100) + Record(x, Ramp(50)));
    EXPECT_EQ(f.canvas.LineCount(), 1u);
    for (int px : {1, 4, 10, 25}) EXPECT_EQ(f.canvas.Pixel(px, 50), pen) << px;
    for (int px = 34; px < 47; ++px) EXPECT_EQ(f.canvas.Pixel(px, 50), kClearedPixel) << px;
    // D = 20: samples 31..0 at py = 145 reach clientBottom - 20 = 160, so those disks are
    // left out, while the line from py = 100 down to them is drawn.
    std::vector<float> y = Ramp(50);
    std::fill(y.begin(), y.begin() + 32, 5.0f);
    Fixture g(200, 180);
    g.state.m_diskDiameter = 20;
    g.Run(Head(200, 150) + Record(Ramp(100), y));
    // The line's end at (100, 145), no disk of 42 at (115, 145), the upper disks drawn.
    EXPECT_EQ(std::tuple(g.canvas.EllipseCount(), g.canvas.LineCount(), g.canvas.Pixel(100, 145),
                         g.canvas.Pixel(115, 145), g.canvas.Pixel(115, 100)),
              std::tuple(32u, 1u, pen, kClearedPixel, pen));
}

TEST(DrawingPass, ShortHeaderOrDegenerateRangeDrawsNothing) {
    // 1e39 reads as an infinite single-precision value.
    const std::string rest = Straight(10, 10, 1, 1) + Straight(50, 50);
    Fixture r;
    r.Run("100 100 2 63 10 0 100 0 100 0 0 " + rest);
    ASSERT_GT(InkCount(r.canvas), 0);
    // {header, drawn like the full header, canvas width}
    // clang-format off
    const std::tuple<std::string, bool, int> cases[] = {
        {"100\n100\n2\n63\n10\n0\n100\n0\n100\n", true, 100}, {"100 100 2 63 10 0 100 0 100 ", true, 100},
        {"100 100 2 63 10 0 100 0 ", false, 100}, {"", false, 100}, {"100 100 2 63 10 50 50 0 100 ", false, 100},
        {"100 100 2 63 10 -1e39 1e39 0 100 ", false, 100}, {"100 100 2 63 10 1e39 1e39 0 100 ", false, 100},
        {"0 100 2 63 10 0 100 0 100 ", false, 100}, {"100 -100 2 63 10 0 100 0 100 ", false, 100},
        {"100 100 2 63 10 0 100 0 100 ", false, 0}};
    // clang-format on
    for (const auto& [header, drawn, width] : cases) {
        SCOPED_TRACE(header);
        Fixture f(width, width ? 130 : 0);
        f.Run(header + rest);
        EXPECT_TRUE(drawn ? f.canvas.Pixels() == r.canvas.Pixels() : InkCount(f.canvas) == 0);
        EXPECT_EQ(f.host.events.back(), "timer 1 50");
    }
}

}  // namespace
}  // namespace vortan
