#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <utility>

#include "output/formats/formats.h"
#include "palette/palette_animation.h"
#include "tests/formats/format_test_support.h"
#include "tests/test_support.h"

namespace vortan::test {
namespace {

bool SameColour(const GifColorType& c, const PaletteEntry& e) {
    return c.Red == e.peRed && c.Green == e.peGreen && c.Blue == e.peBlue;
}

// Frame f against the twin's palette after f ticks; collects the indices of cleared pixels.
void ExpectFrames(const GifPicture& gif, const IndexedCanvas& canvas, int rows,
                  VortanFrameState& twin, bool spare, int delay, std::set<int>& cleared) {
    const PaletteEntries first = twin.m_palette.Entries();
    for (std::size_t f = 0; f < gif.frames.size(); ++f) {
        const GifFrame& frame = gif.frames[f];
        const PaletteEntries& palette = twin.m_palette.Entries();
        ASSERT_EQ(std::tuple(frame.colours.size(), frame.width, frame.height, frame.delay),
                  std::tuple(256u, canvas.Width(), rows, delay));
        EXPECT_TRUE(f == 0 || palette != first) << "frame " << f << " repeats the first";
        int spareIndex = -1;
        for (int y = 0; y < rows; ++y)
            for (int x = 0; x < canvas.Width(); ++x) {
                const CanvasPixel p = canvas.Pixel(x, y);
                const int got = frame.indices[y * canvas.Width() + x];
                ASSERT_TRUE(p == kClearedPixel ? SameColour(frame.colours[got], PaletteEntry{})
                                               : got == p)
                    << "frame " << f << " at " << x << "," << y << ": " << got;
                if (p == kClearedPixel) cleared.insert(spareIndex = got);
            }
        for (int i = 0; i < 256; ++i)
            ASSERT_TRUE((spare && i == spareIndex) || SameColour(frame.colours[i], palette[i]))
                << "frame " << f << " #" << i;
        AnimationTick(twin);
    }
}

// The default export is one period, and a tick after the last frame gives the first.
TEST(GifWriter, OnePeriodLoopsWithoutSeam) {
    // layout; frames; dimmed (the creation palette off the cycle); the index of cleared pixels
    const std::tuple<LayoutCase, int, bool, int> cases[] = {
        {{"seven_tables_shift1", true, 7, 0, 1, 0}, 32, false, 224},
        {{"seven_tables_shift32", true, 7, 0, 32, 0}, 1, false, 224},
        {{"three_tables_shift2", true, 3, 0, 2, 0}, 37, false, 222},
        {{"seven_tables_dimmed", true, 7, 0, 1, 1}, 32, true, 224},
        {{"without_32_shift1", false, 0, 1, 1, 0}, 256, false, 255},
        {{"without_64_dimming_ignored", false, 0, 0, 128, 1}, 2, false, 255},
    };
    for (const auto& [layout, period, entryTick, cleared] : cases) {
        SCOPED_TRACE(layout.name);
        auto state = MakeState(layout);
        const int tables = layout.withOrientation ? layout.tables : 3;
        const IndexedCanvas canvas = GridCanvas(0, tables * state->m_entriesPerTable - 1);
        VortanFrameState twin = *state;  // ticked along as the frames should be
        if (entryTick) AnimationTick(twin);
        const PaletteEntries first = twin.m_palette.Entries();
        TempDir dir;
        RecordingSink sink;
        GifOptions options;
        options.delayMs = 40;
        options.pictureHeight = canvas.Height() - 2;  // 2 blank rows
        ASSERT_TRUE(WriteAnimatedGif(dir.file("a.gif"), canvas, *state, options, sink));
        EXPECT_TRUE(sink.messages.empty());
        const GifPicture gif = ReadGif(dir.file("a.gif"));
        ASSERT_TRUE(gif.ok);
        EXPECT_EQ(std::pair(gif.width, gif.height), std::pair(canvas.Width(), canvas.Height() - 2));
        ASSERT_EQ(static_cast<int>(gif.frames.size()), period);
        std::set<int> clearedSeen;
        ExpectFrames(gif, canvas, gif.height, twin, !layout.withOrientation, 4, clearedSeen);
        EXPECT_EQ(clearedSeen, std::set<int>{cleared});
        EXPECT_EQ(twin.m_palette.Entries(), first);
        EXPECT_EQ(state->m_palette.Entries(), first);  // advanced by the frames written
    }
}

// Every index drawn: the cleared pixels follow the black entry; the file loops for ever.
TEST(GifWriter, EveryIndexDrawnReindexesClearedPixelsPerFrame) {
    auto state = MakeState({"", false, 0, 0, 1, 0});
    const IndexedCanvas canvas = GridCanvas(0, 255);  // 82 x 82
    VortanFrameState twin = *state;                   // ticked along as the frames should be
    TempDir dir;
    RecordingSink sink;
    GifOptions options;
    options.frames = 5;
    options.delayMs = 7;
    ASSERT_TRUE(WriteAnimatedGif(dir.file("e.gif"), canvas, *state, options, sink));
    const std::string bytes = ReadWholeFile(dir.file("e.gif"));
    const std::string loop("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
    EXPECT_EQ(bytes.find(loop), 13u + 3 * 256);
    const GifPicture gif = ReadGif(dir.file("e.gif"));
    ASSERT_TRUE(gif.ok && gif.frames.size() == 5u) << gif.frames.size();
    std::set<int> cleared;
    ExpectFrames(gif, canvas, canvas.Height(), twin, false, 2, cleared);
    EXPECT_EQ(cleared.size(), 5u);
    EXPECT_EQ(state->m_palette.Entries(), twin.m_palette.Entries());
    // The delay in hundredths: at least 2, at most 65535, rounded half up.
    const std::pair<int, int> delays[] = {{0, 2},          {19, 2},         {24, 2},
                                          {25, 3},         {100, 10},       {-40, 2},
                                          {655344, 65534}, {655345, 65535}, {2147483647, 65535}};
    for (const auto& [ms, hundredths] : delays) EXPECT_EQ(GifDelayHundredths(ms), hundredths) << ms;
}

// A size at or above the limit is announced before writing, exact when frames share pixels.
TEST(GifWriter, LargeOutputsAreAnnouncedWithTheirSize) {
    // with orientation (else cleared pixels are re-indexed per frame), the announcement limit
    const std::tuple<const char*, bool, std::uint64_t> cases[] = {
        {"shared pixels", true, 0},
        {"per-frame pixels", false, 0},
        {"below the limit", true, std::uint64_t{1} << 30},
    };
    for (const auto& [name, withOrientation, from] : cases) {
        SCOPED_TRACE(name);
        auto state = MakeState({name, withOrientation, 7, 1, 1, 0});
        TempDir dir;
        RecordingSink sink;
        std::vector<std::uint64_t> said;
        GifOptions options;
        options.frames = 40;
        options.largeOutputFrom = from;
        options.largeOutput = [&](std::uint64_t bytes) {
            said.push_back(bytes);
            EXPECT_EQ(CountEntries(dir.path()), 0);  // said before the file is made
        };
        ASSERT_TRUE(WriteAnimatedGif(dir.file("a.gif"), GridCanvas(0, 255), *state, options, sink));
        const auto size = static_cast<double>(std::filesystem::file_size(dir.file("a.gif")));
        ASSERT_EQ(said.size(), from ? 0u : 1u);
        if (from) continue;
        const double tolerance = withOrientation ? 0 : 0.05;  // shared pixels: exact
        EXPECT_NEAR(static_cast<double>(said[0]), size, tolerance * size);
    }
}

// Refused and failed exports leave r.gif, the folder folder.gif and the palette as they were.
TEST(GifWriter, FailuresKeepThePreviousFile) {
    // what; picture width, height; frames; bytes the disk takes (0: any); file; the message
    const std::tuple<const char*, int, int, int, rlim_t, const char*, std::string> cases[] = {
        {"no rows", 10, 0, 0, 0, "r.gif", "write %: the picture is empty"},
        {"too wide", 65536, 1, 0, 0, "r.gif",
         "write %: a GIF picture is at most 65535 pixels wide and high"},
        {"negative frames", 8, 8, -1, 0, "r.gif",
         "write %: the frame count -1 is not between 1 and 10000"},
        {"too many frames", 8, 8, 10001, 0, "r.gif",
         "write %: the frame count 10001 is not between 1 and 10000"},
        {"the disk fills up half-way", 82, 72, 0, 4096, "r.gif", "write %: File too large"},
        {"missing folder", 8, 8, 0, 0, "missing/r.gif", "create %: No such file or directory"},
        {"a folder in the way", 8, 8, 0, 0, "folder.gif", "create %: Is a directory"},
    };
    for (const auto& [name, width, height, frames, diskBytes, file, message] : cases) {
        SCOPED_TRACE(name);
        auto state = MakeState({"", true, 7, 0, 1, 0});
        const PaletteEntries before = state->m_palette.Entries();
        TempDir dir;
        std::filesystem::create_directory(dir.file("folder.gif"));
        WriteTextFile(dir.file("r.gif"), "previous");
        RecordingSink sink;
        const std::string path = dir.file(file);
        GifOptions options;
        options.frames = frames;
        {
            FileSizeLimit limit(diskBytes);
            EXPECT_FALSE(
                WriteAnimatedGif(path, IndexedCanvas(width, height), *state, options, sink));
        }
        std::string text = "Unable to " + message;
        text.replace(text.find('%'), 1, path);
        EXPECT_EQ(sink.messages,
                  (std::vector<RecordedMessage>{{text, "Error", MB_OK | MB_ICONEXCLAMATION}}));
        EXPECT_EQ(CountEntries(dir.path()), 2);
        EXPECT_TRUE(std::filesystem::is_directory(dir.file("folder.gif")));
        EXPECT_EQ(ReadWholeFile(dir.file("r.gif")), "previous");
        EXPECT_EQ(state->m_palette.Entries(), before);
    }
}

}  // namespace
}  // namespace vortan::test
