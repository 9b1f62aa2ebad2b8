#include <gtest/gtest.h>

#include <tuple>

#include "output/formats/formats.h"
#include "palette/palette_animation.h"
#include "tests/formats/format_test_support.h"
#include "tests/test_support.h"

namespace vortan::test {
namespace {

// The file holds the palette and the canvas's first rows, cleared pixels as index cleared.
void ExpectPng(const std::string& path, const IndexedCanvas& canvas, int rows,
               const PaletteEntries& palette, int cleared) {
    const PngPicture png = ReadPng(path);
    ASSERT_TRUE(png.ok && png.width == canvas.Width() && png.height == rows &&
                png.palette.size() == 256u);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(std::tuple(png.palette[i].red, png.palette[i].green, png.palette[i].blue),
                  std::tuple(palette[i].peRed, palette[i].peGreen, palette[i].peBlue))
            << i;
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < canvas.Width(); ++x) {
            const CanvasPixel p = canvas.Pixel(x, y);
            ASSERT_EQ(png.indices[y * canvas.Width() + x], p == kClearedPixel ? cleared : p);
        }
}

TEST(PngWriter, PaletteAndIndicesRoundTrip) {
    // what; layout; ticks (-1: no black, entry 77 the darkest); rows asked, written; the entry
    // nearest to black (the lowest of equals)
    const std::tuple<const char*, LayoutCase, int, int, int, int> cases[] = {
        {"seven tables fresh: entry 0 is black", {"", true, 7, 0, 1, 0}, 0, -1, 72, 0},
        {"seven tables after 5 ticks: entry 5", {"", true, 7, 0, 1, 0}, 5, 30, 30, 5},
        {"one table after 30 ticks: entry 30", {"", true, 1, 0, 1, 0}, 30, 1000, 72, 30},
        {"without, 32 levels, 3 ticks: entry 3", {"", false, 0, 1, 1, 0}, 3, 1, 1, 3},
        {"no black: the darkest entry", {"", true, 7, 0, 1, 0}, -1, -1, 72, 77},
    };
    for (const auto& [name, layout, ticks, rowsAsked, rowsWritten, cleared] : cases) {
        SCOPED_TRACE(name);
        auto state = MakeState(layout);
        for (int i = 0; i < ticks; ++i) AnimationTick(*state);
        const IndexedCanvas canvas = GridCanvas(0, 223);  // 82 x 72
        TempDir dir;
        RecordingSink sink;
        PaletteEntries palette = state->m_palette.Entries();
        for (int i = 0; i < 256 && ticks < 0; ++i)
            palette[i] = {0, 0, static_cast<std::uint8_t>(i == 77 ? 1 : 40 + i / 2), 0};
        ASSERT_TRUE(WriteIndexedPng(dir.file("p.png"), canvas, palette, rowsAsked, sink));
        EXPECT_TRUE(sink.messages.empty());
        ExpectPng(dir.file("p.png"), canvas, rowsWritten, palette, cleared);
    }
}

// The disk takes 100 bytes: the write fails part-way and keeps the old file.
TEST(PngWriter, FailedWriteKeepsThePreviousFile) {
    auto state = MakeState({"", true, 1, 0, 1, 0});
    TempDir dir;
    const std::string path = dir.file("old.png");
    WriteTextFile(path, "previous");
    RecordingSink sink;
    {
        FileSizeLimit limit(100);
        EXPECT_FALSE(
            WriteIndexedPng(path, GridCanvas(0, 223), state->m_palette.Entries(), -1, sink));
    }
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text.rfind("Unable to write " + path + ": ", 0), 0u);
    EXPECT_EQ(ReadWholeFile(path), "previous");
    EXPECT_EQ(CountEntries(dir.path()), 1);
}

}  // namespace
}  // namespace vortan::test
