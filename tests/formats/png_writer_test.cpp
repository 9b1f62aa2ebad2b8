#include <gtest/gtest.h>

#include "output/formats/formats.h"
#include "palette/palette_animation.h"
#include "tests/formats/format_test_support.h"
#include "tests/test_support.h"

namespace vortan::test {
namespace {

struct PngCase {
    const char* name;
    LayoutCase layout;
    int ticks;
    int clearedIndex;  // the entry the cleared pixels must be written as
};

// Palette and indices come back from the file unchanged; cleared pixels are
// the entry nearest to black (the lowest of equals).
TEST(PngWriter, PaletteAndIndicesRoundTrip) {
    const PngCase cases[] = {
        {"seven tables fresh: entry 0 is black", {"", true, 7, 0, 1, 0}, 0, 0},
        {"seven tables after 5 ticks: entry 5", {"", true, 7, 0, 1, 0}, 5, 5},
        {"one table after 30 ticks: entry 30", {"", true, 1, 0, 1, 0}, 30, 30},
        {"without, 32 levels, 3 ticks: entry 3", {"", false, 0, 1, 1, 0}, 3, 3},
    };
    for (const PngCase& c : cases) {
        auto state = MakeState(c.layout);
        for (int i = 0; i < c.ticks; ++i) AnimationTick(*state);
        const IndexedCanvas canvas = GridCanvas(IndexRange(0, 223), 16);
        TempDir dir;
        RecordingSink sink;
        ASSERT_TRUE(
            WriteIndexedPng(dir.file("p.png"), canvas, state->m_palette.Entries(), -1, sink))
            << c.name;
        EXPECT_TRUE(sink.messages.empty());
        const PngPicture png = ReadPng(dir.file("p.png"));
        ASSERT_TRUE(png.ok) << c.name;
        EXPECT_EQ(png.width, canvas.Width());
        EXPECT_EQ(png.height, canvas.Height());
        EXPECT_EQ(png.bitDepth, 8);
        EXPECT_EQ(png.colourType, PNG_COLOR_TYPE_PALETTE);
        ASSERT_EQ(png.palette.size(), 256u);
        const PaletteEntries& palette = state->m_palette.Entries();
        for (int i = 0; i < 256; ++i) {
            EXPECT_EQ(png.palette[i].red, palette[i].peRed) << c.name << " entry " << i;
            EXPECT_EQ(png.palette[i].green, palette[i].peGreen);
            EXPECT_EQ(png.palette[i].blue, palette[i].peBlue);
        }
        int clearedSeen = 0;
        for (int y = 0; y < canvas.Height(); ++y)
            for (int x = 0; x < canvas.Width(); ++x) {
                const CanvasPixel p = canvas.Pixel(x, y);
                const int got = png.indices[y * canvas.Width() + x];
                if (p == kClearedPixel) {
                    ++clearedSeen;
                    ASSERT_EQ(got, c.clearedIndex) << c.name;
                } else {
                    ASSERT_EQ(got, p) << c.name;
                }
            }
        EXPECT_GT(clearedSeen, 0);
    }
}

// Without an exact black the nearest colour stands in for it.
TEST(PngWriter, ClearedPixelsTakeTheNearestColourToBlack) {
    PaletteEntries palette{};
    for (int i = 0; i < 256; ++i) {
        const auto level = static_cast<std::uint8_t>(40 + i / 2);
        palette[i] = {level, level, level, PC_RESERVED};
    }
    palette[77] = {0, 3, 1, PC_RESERVED};  // the darkest
    const IndexedCanvas canvas = GridCanvas({200, 3, 255}, 3);
    const CanvasUse use = UseOf(canvas, canvas.Height());
    ASSERT_TRUE(use.cleared);
    ASSERT_EQ(use.distinct, 3);
    TempDir dir;
    RecordingSink sink;
    ASSERT_TRUE(WriteIndexedPng(dir.file("n.png"), canvas, palette, -1, sink));
    const PngPicture png = ReadPng(dir.file("n.png"));
    ASSERT_TRUE(png.ok);
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x) {
            const CanvasPixel p = canvas.Pixel(x, y);
            ASSERT_EQ(png.indices[y * canvas.Width() + x], p == kClearedPixel ? 77 : p);
        }
}

TEST(PngWriter, PictureHeightLimitsTheRows) {
    auto state = MakeState({"", true, 7, 0, 1, 0});
    const IndexedCanvas canvas = GridCanvas(IndexRange(0, 99), 10);  // 52 x 52
    const std::pair<int, int> cases[] = {{20, 20}, {-1, 52}, {1000, 52}, {1, 1}};
    for (const auto& [asked, written] : cases) {
        TempDir dir;
        RecordingSink sink;
        ASSERT_TRUE(
            WriteIndexedPng(dir.file("h.png"), canvas, state->m_palette.Entries(), asked, sink));
        const PngPicture png = ReadPng(dir.file("h.png"));
        ASSERT_TRUE(png.ok);
        EXPECT_EQ(png.height, written) << asked;
        for (int y = 0; y < written; ++y)
            for (int x = 0; x < canvas.Width(); ++x)
                if (canvas.Pixel(x, y) != kClearedPixel) {
                    ASSERT_EQ(png.indices[y * canvas.Width() + x], canvas.Pixel(x, y));
                }
    }
}

TEST(PngWriter, FileStartsWithSignatureAndHeader) {
    auto state = MakeState({"", true, 7, 0, 1, 0});
    const IndexedCanvas canvas = GridCanvas(IndexRange(0, 75), 20);
    TempDir dir;
    RecordingSink sink;
    ASSERT_TRUE(WriteIndexedPng(dir.file("s.png"), canvas, state->m_palette.Entries(), -1, sink));
    const std::string bytes = ReadWholeFile(dir.file("s.png"));
    ASSERT_GT(bytes.size(), 33u);
    EXPECT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(bytes.substr(12, 4), "IHDR");
    const auto be32 = [&](std::size_t at) {
        return static_cast<unsigned char>(bytes[at]) << 24 |
               static_cast<unsigned char>(bytes[at + 1]) << 16 |
               static_cast<unsigned char>(bytes[at + 2]) << 8 |
               static_cast<unsigned char>(bytes[at + 3]);
    };
    EXPECT_EQ(be32(16), canvas.Width());
    EXPECT_EQ(be32(20), canvas.Height());
    EXPECT_EQ(bytes[24], 8);  // bit depth
    EXPECT_EQ(bytes[25], 3);  // colour type: palette
    // PLTE of 256 entries follows the header chunk.
    EXPECT_EQ(be32(33), 768);
    EXPECT_EQ(bytes.substr(37, 4), "PLTE");
}

TEST(PngWriter, FailuresNameTheFileAndKeepThePreviousOne) {
    auto state = MakeState({"", true, 1, 0, 1, 0});
    const IndexedCanvas canvas = GridCanvas(IndexRange(0, 223), 16);
    TempDir dir;

    RecordingSink sink;
    const std::string missing = dir.file("none/p.png");
    EXPECT_FALSE(WriteIndexedPng(missing, canvas, state->m_palette.Entries(), -1, sink));
    std::vector<RecordedMessage> want = {
        {"Unable to create " + missing + ": No such file or directory", "Error",
         MB_OK | MB_ICONEXCLAMATION}};
    EXPECT_EQ(sink.messages, want);

    sink.messages.clear();
    IndexedCanvas empty;
    EXPECT_FALSE(WriteIndexedPng(dir.file("e.png"), empty, state->m_palette.Entries(), -1, sink));
    want = {{"Unable to write " + dir.file("e.png") + ": the picture is empty", "Error",
             MB_OK | MB_ICONEXCLAMATION}};
    EXPECT_EQ(sink.messages, want);

    // A random picture compresses badly, so the file outgrows the limit.
    IndexedCanvas noisy(300, 300);
    std::uint32_t seed = 1;
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 300; ++x) {
            seed = seed * 1103515245u + 12345u;
            noisy.SelectPen(1, PALETTEINDEX((seed >> 16) & 0xFF));
            noisy.Ellipse(x, y, x, y);
        }
    const std::string path = dir.file("old.png");
    WriteTextFile(path, "previous");
    sink.messages.clear();
    bool written = true;
    {
        FileSizeLimit limit(8192);
        written = WriteIndexedPng(path, noisy, state->m_palette.Entries(), -1, sink);
    }
    EXPECT_FALSE(written);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text.rfind("Unable to write " + path + ": ", 0), 0u)
        << sink.messages[0].text;
    EXPECT_EQ(ReadWholeFile(path), "previous");
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"old.png"});
}

}  // namespace
}  // namespace vortan::test
