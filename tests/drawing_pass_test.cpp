#include "view/drawing_pass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/crt_rand.h"
#include "tests/streamline_fixtures.h"
#include "tests/test_support.h"

namespace vortan {
namespace {

using test::ClassicRecord;
using test::HeaderText;

// Records what a pass asks of its window, in order.
class FakeHost : public IFrameHost {
  public:
    int MessageBox(const std::string& text, const std::string& caption, unsigned type) override {
        events.push_back("message " + text + " | " + caption + " | " + std::to_string(type));
        return IDOK;
    }
    void SetStatusText(const std::string& text, bool repaintFirst) override {
        events.push_back(std::string(repaintFirst ? "status! " : "status ") + text);
        texts.push_back(text);
    }
    bool SetTimer(unsigned id, std::uint32_t period) override {
        events.push_back("timer " + std::to_string(id) + " " + std::to_string(period));
        return timerAvailable;
    }
    void KillTimer(unsigned id) override { events.push_back("kill " + std::to_string(id)); }
    void StreamletDrawn() override { events.push_back("drawn"); }

    std::vector<std::string> events;
    std::vector<std::string> texts;
    bool timerAvailable = true;
};

// A streamline given by the model coordinates of its 64 samples: the knots
// sit at t = 0, 1, ..., 63 and the file's tMax is 63, so sample j is knot j.
struct Line {
    std::vector<float> a, b;
};

std::string RecordOf(const Line& l) {
    std::vector<float> t;
    for (int j = 0; j < kSamplesPerStreamline; ++j) t.push_back(static_cast<float>(j));
    return ClassicRecord(t, {l.a, l.b});
}

// Samples j at (x0 + dx j, y0 + dy j).
Line Straight(float x0, float y0, float dx, float dy) {
    Line l;
    for (int j = 0; j < kSamplesPerStreamline; ++j) {
        l.a.push_back(x0 + dx * j);
        l.b.push_back(y0 + dy * j);
    }
    return l;
}

// Every sample at one point.
Line Still(float x, float y) {
    return Straight(x, y, 0, 0);
}

// Header of a 2-D picture W x H whose model coordinates equal pixel
// coordinates across and count up from the bottom (py = H - y).
std::vector<float> Header2D(float w, float h, float progressStep = 10.0f) {
    return {w, h, 2, 63, progressStep, 0, w, 0, h, 0, 0};
}

struct Fixture {
    test::TempDir dir;
    std::string path = dir.file("lines.txt");
    VortanFrameState state;
    FakeHost host;

    Fixture() {
        state.m_inputPath = path;
        state.m_axisX = 1;
        state.m_axisY = 1;
        state.m_axisZ = 0;
        state.m_diskDiameter = 2;
        state.m_animationOn = 1;
        state.m_timeDelay = 50;
        SetTables(7);
    }
    void SetTables(int count) {
        state.m_withOrientation = 1;
        state.m_withoutOrientation = 0;
        state.m_colortableCount = count;
        state.m_entriesPerTable = 224 / count;
    }
    void SetWithoutOrientation(int levels) {
        state.m_withOrientation = 0;
        state.m_withoutOrientation = 1;
        state.m_colors32 = levels == 32;
        state.m_colors64 = levels == 64;
        state.m_colortableCount = 1;
        state.m_entriesPerTable = levels;
    }
    void Write(const std::vector<float>& header, const std::vector<Line>& lines,
               const std::string& separator = "\n") {
        std::string text = HeaderText(header, separator);
        for (const Line& l : lines) text += RecordOf(l);
        test::WriteTextFile(path, text);
    }
    // The canvas of the client area: picture W x H, status strip below.
    PassStats Run(IndexedCanvas& canvas, PassKind kind = PassKind::Screen) {
        return RunDrawingPass(state, canvas, host, kind);
    }
};

// RoundNearest(C - k E / 64) computed exactly: the float accumulator of the
// pass is exact for these table lengths, so the two must agree.
int ExpectedIndex(int c, int e, int k) {
    const long num = 64L * c - static_cast<long>(k) * e;
    const long mag = std::labs(num);
    long i = mag / 64;
    if (mag % 64 > 32) ++i;
    return static_cast<int>(num < 0 ? -i : i);
}

int InkCount(const IndexedCanvas& c) {
    int n = 0;
    for (CanvasPixel p : c.Pixels()) n += p != kClearedPixel;
    return n;
}

// Streamlets in rows 12 pixels apart, their samples 3 pixels apart (close
// enough that no line joins them): pixel (px + 1, py) shows disk j alone.
TEST(DrawingPass, DiskIndicesRunDownOneColourTable) {
    struct Case {
        int tables;  // 0: without orientation
        int levels;  // without orientation: 32 or 64
    } cases[] = {{7, 0}, {1, 0}, {2, 0}, {3, 0}, {6, 0}, {0, 64}, {0, 32}};
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << "tables " << k.tables << " levels " << k.levels);
        Fixture f;
        if (k.tables)
            f.SetTables(k.tables);
        else
            f.SetWithoutOrientation(k.levels);
        const int e = f.state.m_entriesPerTable;
        const int rows = 10;
        std::vector<Line> lines;
        for (int r = 0; r < rows; ++r) lines.push_back(Straight(5, 200 - 10 - 12.0f * r, 3, 0));
        f.Write(Header2D(200, 200), lines);
        IndexedCanvas canvas(200, 230);
        const PassStats stats = f.Run(canvas);
        ASSERT_EQ(stats.drawn, rows);
        if (!k.tables) {
            EXPECT_EQ(f.state.m_colortableCount, 3 * e);
        }
        EXPECT_EQ(f.state.m_sampleCount, 64);

        CrtRand random;
        random.srand(1);
        bool sawTableZero = false;
        for (int r = 0; r < rows; ++r) {
            const int a = random.rand() % (k.tables ? k.tables : 3 * e);
            const int c = k.tables ? (a + 1) * e - 1 : (a < e ? a + e : a);
            const int py = 10 + 12 * r;
            for (int j = 63; j >= 0; --j) {
                const int expected = ExpectedIndex(c, e, 63 - j);
                ASSERT_EQ(canvas.Pixel(5 + 3 * j + 1, py), expected)
                    << "row " << r << " sample " << j;
                if (k.tables) {
                    // Inside table a, except that with E = 32 sample 0 takes
                    // the last entry of the table before (or 0).
                    const bool spill = e == 32 && j == 0;
                    const int lo = spill ? std::max(a * e - 1, 0) : a * e;
                    EXPECT_GE(expected, lo);
                    EXPECT_LE(expected, a * e + e - 1);
                } else {
                    EXPECT_GE(c, e);
                    EXPECT_LE(c, 3 * e - 1);
                }
            }
            if (k.tables == 7) {
                // The literal run: 32A + 31 down to 32A, then 32A - 1 (or 0).
                EXPECT_EQ(canvas.Pixel(5 + 3 * 63 + 1, py), 32 * a + 31);
                EXPECT_EQ(canvas.Pixel(5 + 3 * 1 + 1, py), 32 * a);
                EXPECT_EQ(canvas.Pixel(5 + 1, py), a == 0 ? 0 : 32 * a - 1);
                sawTableZero |= a == 0;
            }
            if (k.tables == 1) {
                EXPECT_EQ(canvas.Pixel(5 + 3 * 63 + 1, py), 223);
                EXPECT_EQ(canvas.Pixel(5 + 1, py), 2);
            }
            if (k.levels == 64) {
                EXPECT_EQ(canvas.Pixel(5 + 1, py), c - 63);
            }
        }
        if (k.tables == 7) {
            EXPECT_TRUE(sawTableZero) << "no streamlet of table 0 in the sample";
        }
        EXPECT_EQ(canvas.LineCount(), 0u);
        EXPECT_EQ(canvas.EllipseCount(), 64u * rows);
    }
}

TEST(DrawingPass, StatusTextsAndTimerOfAScreenPass) {
    Fixture f;
    // 12.5 per streamline: the read-out shows the percentage before each one,
    // rounded half toward zero (12.5 -> 12, 37.5 -> 37). The short record in
    // between is skipped without a trace.
    std::string text = HeaderText(Header2D(200, 100, 12.5f));
    text += RecordOf(Still(50, 50));
    text += RecordOf(Still(60, 50));
    text += "{{short}}]}}\n";
    text += RecordOf(Still(70, 50));
    text += RecordOf(Still(80, 50));
    test::WriteTextFile(f.path, text);
    IndexedCanvas canvas(200, 130);
    const PassStats stats = f.Run(canvas);
    EXPECT_EQ(stats.records, 5);
    EXPECT_EQ(stats.drawn, 4);
    EXPECT_EQ(stats.skipped.at(SkipReason::TooShort), 1);
    const std::vector<std::string> expected = {
        "status!    Drawing:   0%",
        "status!    Drawing:   0%",
        "drawn",
        "status!    Drawing:   12%",
        "drawn",
        "status!    Drawing:   25%",
        "drawn",
        "status!    Drawing:   37%",
        "drawn",
        "status    Drawing:   DONE",
        "timer 1 50",
    };
    EXPECT_EQ(f.host.events, expected);
}

TEST(DrawingPass, TimerRules) {
    struct Case {
        int animationOn;
        bool available;
        int delay;
        std::vector<std::string> tail;  // events after the DONE text
    } cases[] = {
        {1, true, 50, {"timer 1 50"}},
        {1, true, 0, {"timer 1 0"}},
        {1, true, -5, {"timer 1 4294967291"}},  // handed on as uint32; the host clamps
        {0, true, 50, {}},
        {1,
         false,
         50,
         {"timer 1 50",
          "message Not enough timers available for this window. | vortan:CVortanFrame | 48"}},
    };
    for (const Case& k : cases) {
        Fixture f;
        f.state.m_animationOn = k.animationOn;
        f.state.m_timeDelay = k.delay;
        f.host.timerAvailable = k.available;
        f.Write(Header2D(100, 100), {Still(50, 50)});
        IndexedCanvas canvas(100, 130);
        f.Run(canvas);
        auto done =
            std::find(f.host.events.begin(), f.host.events.end(), "status    Drawing:   DONE");
        ASSERT_NE(done, f.host.events.end());
        EXPECT_EQ(std::vector<std::string>(done + 1, f.host.events.end()), k.tail)
            << "animation " << k.animationOn << " delay " << k.delay;
        EXPECT_EQ(f.state.m_timerRunning, 0);  // the window's command state is not the pass's
    }
}

TEST(DrawingPass, UnopenableFileLeavesBlackAndStillEnds) {
    Fixture f;
    f.state.m_inputPath = f.dir.file("missing.txt");
    IndexedCanvas canvas(40, 70);
    canvas.SelectPen(100, PALETTEINDEX(9));
    canvas.Ellipse(20, 20, 20, 20);  // an old picture
    const PassStats stats = f.Run(canvas);
    EXPECT_FALSE(stats.opened);
    EXPECT_EQ(InkCount(canvas), 0);
    const std::vector<std::string> expected = {
        "status!    Drawing:   0%",
        "message Unable to open " + f.dir.file("missing.txt") + " | Error | 48",
        "status    Drawing:   DONE",
        "timer 1 50",
    };
    EXPECT_EQ(f.host.events, expected);
}

TEST(DrawingPass, PrintPassDrawsTheSamePictureWithItsOwnTexts) {
    Fixture screen, print;
    for (Fixture* f : {&screen, &print})
        f->Write(Header2D(200, 100, 50), {Straight(10, 20, 2.5f, 1), Straight(150, 80, -2, -1)});
    IndexedCanvas a(200, 130), b(200, 130);
    screen.Run(a, PassKind::Screen);
    print.Run(b, PassKind::Print);
    EXPECT_GT(InkCount(a), 500);
    EXPECT_EQ(a.Pixels(), b.Pixels());
    const std::vector<std::string> expected = {
        "status!    Printing:   0%",  "drawn", "status!    Printing:   50%", "drawn",
        "status    Printing:   DONE",  // and no timer
    };
    EXPECT_EQ(print.host.events, expected);
}

TEST(DrawingPass, TwoPassesGiveTheSamePicture) {
    Fixture f;
    std::vector<Line> lines;
    for (int i = 0; i < 12; ++i)
        lines.push_back(Straight(10 + 7.0f * i, 15, 1.5f + 0.1f * i, 1.0f + 0.05f * i));
    f.Write(Header2D(200, 120), lines);
    IndexedCanvas first(200, 150);
    f.Run(first);
    IndexedCanvas second(200, 150);
    second.SelectPen(300, PALETTEINDEX(77));
    second.Ellipse(100, 75, 100, 75);  // dirty: the pass clears it first
    f.Run(second);
    EXPECT_GT(InkCount(first), 1000);
    EXPECT_EQ(first.Pixels(), second.Pixels());
}

TEST(DrawingPass, VisibilityOfASample) {
    // All 64 samples at one model point on a 100 x 100 picture (canvas
    // 100 x 130); D = 2, so a disk needs px > 2, px < 98, py > 2.
    struct Case {
        float x, y;
        bool drawn;
    } cases[] = {
        {50, 50, true},    {0, 50, false},    {100, 50, false},  // px = 0 or W
        {50, 100, false},  {50, 0, false},                       // py = 0 or H
        {-1, 50, false},   {101, 50, false},  {50, -3, false},    {2, 50, false},
        {3, 50, true},     {97, 50, true},    {98, 50, false},  // disk margin
        {50, 98, false},   {50, 97, true},    {50, 1, true},    // py = 2 / 3 / 99
        {0.4f, 50, false}, {0.6f, 50, false}, {99.5f, 50, false}, {99.6f, 50, false},
    };
    for (const Case& k : cases) {
        Fixture f;
        f.Write(Header2D(100, 100), {Still(k.x, k.y)});
        IndexedCanvas canvas(100, 130);
        f.Run(canvas);
        EXPECT_EQ(InkCount(canvas) > 0, k.drawn) << k.x << "," << k.y;
        EXPECT_EQ(canvas.LineCount(), 0u);
    }
}

TEST(DrawingPass, InvisibleSampleBreaksNoLine) {
    // Samples 63..33 at (50, 50); sample 32 at x = 0 (px = 0, invisible);
    // samples 31..0 at (30, 50). The line to sample 31 starts at (0, 50).
    Fixture f;
    Line l = Still(50, 50);
    l.a[32] = 0;
    for (int j = 0; j < 32; ++j) l.a[j] = 30;
    f.Write(Header2D(100, 100), {l});
    IndexedCanvas canvas(100, 130);
    f.Run(canvas);
    EXPECT_EQ(canvas.LineCount(), 1u);
    CrtRand random;
    random.srand(1);
    const int c = (random.rand() % 7 + 1) * 32 - 1;
    const int pen31 = ExpectedIndex(c, 32, 63 - 31);
    // The line from (0, 50) to (30, 50) in sample 31's pen; between 3 and
    // 26 only the line reaches row 50.
    for (int x = 4; x < 26; ++x) EXPECT_EQ(canvas.Pixel(x, 50), pen31) << x;
    EXPECT_EQ(canvas.Pixel(1, 50), pen31);  // its round end at (0, 50)
    // Nothing joins (50, 50) and the invisible sample: the gap 34..46 is black.
    for (int x = 34; x < 47; ++x) EXPECT_EQ(canvas.Pixel(x, 50), kClearedPixel) << x;
}

TEST(DrawingPass, FirstDiskGetsNoLine) {
    // Sample 63 far from the rest: the only line joins it to sample 62.
    Fixture f;
    Line l = Still(20, 50);
    l.a[63] = 80;
    f.Write(Header2D(100, 100), {l});
    IndexedCanvas canvas(100, 130);
    f.Run(canvas);
    EXPECT_EQ(canvas.LineCount(), 1u);
    EXPECT_EQ(canvas.EllipseCount(), 64u);
    // The line stays on row 50's band; the picture's corners are untouched.
    for (int y = 0; y < 130; ++y)
        for (int x = 0; x < 100; ++x)
            if (std::abs(y - 50) > 3) {
                EXPECT_EQ(canvas.Pixel(x, y), kClearedPixel) << x << "," << y;
            }
}

TEST(DrawingPass, DiskNearTheBottomIsLeftOutButItsLineIsDrawn) {
    // D = 20, pen 22. Samples 63..32 at py = 100, samples 31..0 at py = 145:
    // py + s = 165 reaches clientBottom - 20 = 160, so those disks are left
    // out, while the line from py = 100 to py = 145 is drawn.
    Fixture f;
    f.state.m_diskDiameter = 20;
    Line l = Still(100, 50);
    for (int j = 0; j < 32; ++j) l.b[j] = 5;
    f.Write(Header2D(200, 150), {l});
    IndexedCanvas canvas(200, 180);
    f.Run(canvas);
    EXPECT_EQ(canvas.EllipseCount(), 32u);
    EXPECT_EQ(canvas.LineCount(), 1u);
    CrtRand random;
    random.srand(1);
    const int c = (random.rand() % 7 + 1) * 32 - 1;
    EXPECT_EQ(canvas.Pixel(100, 145), ExpectedIndex(c, 32, 63 - 31));  // the line's end
    EXPECT_EQ(canvas.Pixel(115, 145), kClearedPixel);  // a disk of 42 would reach here
    EXPECT_EQ(canvas.Pixel(115, 100), ExpectedIndex(c, 32, 63 - 32));  // the upper disks do
}

// Samples on a column 25 pixels apart, so that disks never overlap: the
// widest run of row py - 1 is the disk of that sample, s + D + 2 pixels
// (the joining lines are only D + 2 wide).
std::vector<int> DiskSizes(int d, bool dimming) {
    Fixture f;
    f.state.m_diskDiameter = d;
    f.state.m_diskScaleDimming = dimming;
    f.Write(Header2D(60, 1640), {Straight(30, 20, 0, 25)});
    IndexedCanvas canvas(60, 1670);
    f.Run(canvas);
    std::vector<int> sizes(64);
    for (int j = 0; j < 64; ++j) {
        const int py = 1640 - (20 + 25 * j);
        int n = 0;
        for (int x = 0; x < 60; ++x) n += canvas.Pixel(x, py - 1) != kClearedPixel;
        sizes[j] = n - (d + 2);
    }
    return sizes;
}

TEST(DrawingPass, DiskScaleDimmingGrowsAndShrinksTheDisks) {
    const std::vector<int> s = DiskSizes(10, true);
    // 1 (sample 63), 1, 1, 2, 2, 2, ... up to 10, 10 down to sample 19, then
    // falling to 1 at samples 1 and 0.
    EXPECT_EQ(s[63], 1);
    EXPECT_EQ(s[62], 1);
    EXPECT_EQ(s[61], 1);
    EXPECT_EQ(s[60], 2);
    EXPECT_EQ(s[59], 2);
    EXPECT_EQ(s[58], 2);
    for (int j = 43; j >= 19; --j) EXPECT_EQ(s[j], 10) << j;
    EXPECT_EQ(s[18], 9);
    EXPECT_EQ(s[1], 1);
    EXPECT_EQ(s[0], 1);
    for (int j = 63; j > 43; --j) EXPECT_LE(s[j], s[j - 1]) << j;
    for (int j = 19; j > 0; --j) EXPECT_GE(s[j], s[j - 1]) << j;

    for (int v : DiskSizes(10, false)) EXPECT_EQ(v, 10);
    for (int v : DiskSizes(1, true)) EXPECT_EQ(v, 1);
    for (int v : DiskSizes(3, false)) EXPECT_EQ(v, 3);
}

TEST(DrawingPass, HeaderLengthDecidesWhetherAnythingIsDrawn) {
    const std::vector<float> full = Header2D(100, 100);
    struct Case {
        int numbers;  // header numbers written
        std::string separator;
        bool drawn;
    } cases[] = {
        {11, "\n", true}, {11, " ", true},  {9, "\n", true},  {9, " ", true},
        {8, "\n", false}, {5, "\n", false}, {0, "\n", false},
    };
    IndexedCanvas reference(100, 130);
    {
        Fixture f;
        f.Write(full, {Straight(20, 20, 1, 0.5f)});
        f.Run(reference);
        ASSERT_GT(InkCount(reference), 0);
    }
    for (const Case& k : cases) {
        Fixture f;
        f.Write(std::vector<float>(full.begin(), full.begin() + k.numbers),
                {Straight(20, 20, 1, 0.5f)}, k.separator);
        IndexedCanvas canvas(100, 130);
        const PassStats stats = f.Run(canvas);
        SCOPED_TRACE(k.numbers);
        EXPECT_EQ(stats.headerNumbers, k.numbers);
        if (k.drawn) {
            EXPECT_EQ(canvas.Pixels(), reference.Pixels());
        } else {
            EXPECT_EQ(stats.drawn, 0);
            EXPECT_EQ(InkCount(canvas), 0);
        }
        EXPECT_EQ(f.host.texts.back(), "   Drawing:   DONE");
        EXPECT_EQ(f.host.events.back(), "timer 1 50");
    }
}

TEST(DrawingPass, ThreeDimensionsUseTheChosenAxes) {
    // x runs 10..73, y is constant 30 and z constant 70; the ranges are all
    // 0..100 on a 100 x 100 picture.
    struct Case {
        int axisX, axisY, axisZ;
        int headerNumbers;
        int row;  // expected pixel row of the streamlet, -1: nothing drawn
    } cases[] = {
        {1, 1, 0, 11, 70},  // (x, y)
        {1, 0, 1, 11, 30},  // (x, z)
        {1, 1, 0, 9, -1},   // a 3-D file needs all eleven numbers
        {1, 0, 1, 9, -1},
    };
    for (const Case& k : cases) {
        Fixture f;
        f.state.m_axisX = k.axisX;
        f.state.m_axisY = k.axisY;
        f.state.m_axisZ = k.axisZ;
        std::vector<float> header = {100, 100, 3, 63, 10, 0, 100, 0, 100, 0, 100};
        header.resize(k.headerNumbers);
        std::vector<float> t, x, y, z;
        for (int j = 0; j < 64; ++j) {
            t.push_back(static_cast<float>(j));
            x.push_back(10.0f + j);
            y.push_back(30);
            z.push_back(70);
        }
        test::WriteTextFile(f.path, HeaderText(header) + ClassicRecord(t, {x, y, z}));
        IndexedCanvas canvas(100, 130);
        f.Run(canvas);
        SCOPED_TRACE(testing::Message() << k.axisX << k.axisY << k.axisZ << " " << k.headerNumbers);
        if (k.row < 0) {
            EXPECT_EQ(InkCount(canvas), 0);
        } else {
            EXPECT_NE(canvas.Pixel(40, k.row), kClearedPixel);
            EXPECT_EQ(canvas.Pixel(40, 100 - k.row), kClearedPixel);
        }
    }
}

TEST(DrawingPass, DegenerateRangesAndSizesDrawNothing) {
    // Header texts (1e39 reads as an infinite single-precision value).
    struct Case {
        std::string header;
        int canvasW, canvasH;
    } cases[] = {
        {"100 100 2 63 10 50 50 0 100 ", 100, 130},       // zero x range
        {"100 100 2 63 10 0 100 7 7 ", 100, 130},         // zero y range
        {"100 100 2 63 10 -1e39 1e39 0 100 ", 100, 130},  // infinite range
        {"100 100 2 63 10 1e39 1e39 0 100 ", 100, 130},   // inf - inf: NaN scale
        {"100 100 2 63 10 0 100 -1e39 -1e39 ", 100, 130},
        {"0 100 2 63 10 0 100 0 100 ", 100, 130},      // zero width
        {"100 -100 2 63 10 0 100 0 100 ", 100, 130},   // negative height
        {"1e39 1e39 2 63 10 0 100 0 100 ", 100, 130},  // infinite size
        {"100 100 2 63 10 0 100 0 100 ", 0, 0},        // no canvas
    };
    for (const Case& k : cases) {
        Fixture f;
        test::WriteTextFile(f.path,
                            k.header + RecordOf(Straight(10, 10, 1, 1)) + RecordOf(Still(50, 50)));
        IndexedCanvas canvas(k.canvasW, k.canvasH);
        const PassStats stats = f.Run(canvas);
        SCOPED_TRACE(k.header);
        EXPECT_EQ(stats.headerNumbers, 9);
        EXPECT_EQ(stats.drawn, 2);  // parsed and walked, but no sample is visible
        EXPECT_EQ(InkCount(canvas), 0);
        EXPECT_EQ(f.host.texts.back(), "   Drawing:   DONE");
    }
}

TEST(DrawingPass, OddStateValuesDoNotBreakThePass) {
    struct Case {
        int tables, entries, diameter;
        bool ink;  // something is painted
    } cases[] = {
        {0, 32, 2, true},           {-3, 32, 2, true},  {7, 0, 2, true},
        {7, 32, 0, true},           {7, 32, -6, false},  // a disk of negative size
        {7, 32, 2147483647, false},                      // no disk that wide fits the picture
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << k.tables << " " << k.entries << " " << k.diameter);
        Fixture f;
        f.state.m_colortableCount = k.tables;
        f.state.m_entriesPerTable = k.entries;
        f.state.m_diskDiameter = k.diameter;
        // Samples from (10, 90) to (73, 27) in pixels, one pixel apart.
        f.Write(Header2D(100, 100), {Straight(10, 10, 1, 1)});
        IndexedCanvas canvas(100, 130);
        const PassStats stats = f.Run(canvas);
        EXPECT_EQ(stats.drawn, 1);
        EXPECT_EQ(canvas.LineCount(), 0u);
        EXPECT_EQ(InkCount(canvas) > 0, k.ink);
        // Whatever is drawn stays near the samples.
        for (int y = 0; y < 130; ++y)
            for (int x = 0; x < 100; ++x)
                if (y < 20 || y > 97 || x < 3 || x > 80) {
                    EXPECT_EQ(canvas.Pixel(x, y), kClearedPixel) << x << "," << y;
                }
    }
}

TEST(DrawingPass, SkippedRecordsTakeNoRandomNumber) {
    // A short record and one too long to keep: both are counted and skipped,
    // and the streamlets after them take the second and third random choice.
    Fixture f;
    std::string text = HeaderText(Header2D(100, 100));
    text += RecordOf(Still(20, 50));
    text += "{{x -> too short}}]}}\n";
    text += RecordOf(Still(50, 50));
    text += "{{" + std::string(kMaxRecordLength + 10, ' ') + "}}]}}\n";
    text += RecordOf(Still(80, 50));
    test::WriteTextFile(f.path, text);
    IndexedCanvas canvas(100, 130);
    const PassStats stats = f.Run(canvas);
    EXPECT_EQ(stats.records, 5);
    EXPECT_EQ(stats.drawn, 3);
    EXPECT_EQ(stats.skipped.at(SkipReason::TooShort), 1);
    EXPECT_EQ(stats.skipped.at(SkipReason::TooLong), 1);
    CrtRand random;
    random.srand(1);
    for (int x : {20, 50, 80}) {
        const int a = random.rand() % 7;
        // All 64 disks at one point: the last one drawn (sample 0) shows.
        EXPECT_EQ(canvas.Pixel(x, 50), a == 0 ? 0 : 32 * a - 1) << x;
    }
}

}  // namespace
}  // namespace vortan
