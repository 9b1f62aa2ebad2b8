#include "output/bitmap_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/test_support.h"

namespace vortan {
namespace {

using test::CountEntries;
using test::InChildWithFileLimit;
using test::ReadWholeFile;
using test::RecordedMessage;
using test::RecordingSink;
using test::TempDir;
using test::WriteTextFile;

std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t{b[at + 3]} << 24);
}
std::uint16_t U16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

PaletteEntries GreyPalette() {
    PaletteEntries p{};
    for (int i = 0; i < kPaletteSize; ++i) {
        p[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                static_cast<std::uint8_t>(i / 2), PC_RESERVED};
    }
    return p;
}

TEST(BitmapFormat, DepthAndColourCount) {
    struct Case {
        int bits, depth, colours;
    };
    const std::vector<Case> cases = {{0, 4, 16},  {1, 1, 2},   {2, 4, 16},     {4, 4, 16},
                                     {5, 8, 256}, {8, 8, 256}, {9, 16, 65536}, {16, 16, 65536},
                                     {17, 24, 0}, {24, 24, 0}, {25, 32, 0},    {32, 32, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bits);
        EXPECT_EQ(BitmapDepth(c.bits), c.depth);
        EXPECT_EQ(BitmapColourCount(BitmapDepth(c.bits)), c.colours);
    }
}

TEST(BitmapFormat, ImageSizeRoundsRowsToFourBytes) {
    struct Case {
        int width, height, depth;
        std::uint32_t size;
    };
    const std::vector<Case> cases = {
        {640, 480, 8, 307200}, {641, 480, 8, 644 * 480},
        {1, 1, 8, 4},          {3, 2, 24, 24},
        {1, 5, 1, 20},         {33, 1, 1, 8},
        {7, 3, 4, 12},         {16384, 16384, 8, 268435456u},
        {0, 10, 8, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        EXPECT_EQ(BitmapImageSize(c.width, c.height, c.depth), c.size);
    }
}

TEST(BitmapEncode, HeaderOf640By480) {
    IndexedCanvas canvas(640, 480);
    const auto b = EncodeBitmap8(canvas, GreyPalette());
    ASSERT_EQ(b.size(), 308278u);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(U32(b, 2), 308278u);  // bfSize
    EXPECT_EQ(U32(b, 6), 0u);       // reserved
    EXPECT_EQ(U32(b, 10), 1078u);   // bfOffBits
    EXPECT_EQ(U32(b, 14), 40u);
    EXPECT_EQ(U32(b, 18), 640u);
    EXPECT_EQ(U32(b, 22), 480u);
    EXPECT_EQ(U16(b, 26), 1);
    EXPECT_EQ(U16(b, 28), 8);
    EXPECT_EQ(U32(b, 30), 0u);
    EXPECT_EQ(U32(b, 34), 307200u);
    EXPECT_EQ(U32(b, 38), 0u);
    EXPECT_EQ(U32(b, 42), 0u);
    EXPECT_EQ(U32(b, 46), 256u);
    EXPECT_EQ(U32(b, 50), 0u);
}

TEST(BitmapEncode, ColourTableIsBlueGreenRedZero) {
    IndexedCanvas canvas(2, 2);
    const PaletteEntries pal = GreyPalette();
    const auto b = EncodeBitmap8(canvas, pal);
    for (int i = 0; i < 256; ++i) {
        SCOPED_TRACE(i);
        const std::size_t at = 54 + 4 * static_cast<std::size_t>(i);
        EXPECT_EQ(b[at], pal[i].peBlue);
        EXPECT_EQ(b[at + 1], pal[i].peGreen);
        EXPECT_EQ(b[at + 2], pal[i].peRed);
        EXPECT_EQ(b[at + 3], 0);  // not the flags byte
    }
}

TEST(BitmapEncode, RowsBottomUpPaddedToFourBytes) {
    // Width 641: each row holds 641 pixel bytes and 3 zero padding bytes.
    IndexedCanvas canvas(641, 3);
    canvas.SelectPen(1, PALETTEINDEX(17));
    canvas.Ellipse(0, 0, 0, 0);  // one pixel near (0, 0)
    canvas.SelectPen(1, PALETTEINDEX(200));
    canvas.Ellipse(640, 2, 640, 2);  // one pixel near the bottom-right corner
    const auto b = EncodeBitmap8(canvas, GreyPalette());
    ASSERT_EQ(b.size(), 1078u + 644u * 3u);
    EXPECT_EQ(U32(b, 34), 644u * 3u);
    const int black = NearestPaletteEntry(GreyPalette(), 0, 0, 0);
    for (int y = 0; y < 3; ++y) {
        const std::size_t row = 1078 + static_cast<std::size_t>(2 - y) * 644;  // file row of y
        for (int x = 0; x < 641; ++x) {
            const CanvasPixel p = canvas.Pixel(x, y);
            const int want = p == kClearedPixel ? black : p;
            ASSERT_EQ(b[row + x], want) << x << "," << y;
        }
        EXPECT_EQ(b[row + 641], 0);
        EXPECT_EQ(b[row + 642], 0);
        EXPECT_EQ(b[row + 643], 0);
    }
    // The pens really reached the file: top row's first pixel is the last row written.
    EXPECT_EQ(b[1078 + 2 * 644 + 0], 17);
    EXPECT_EQ(b[1078 + 0 * 644 + 640], 200);
}

TEST(BitmapEncode, ClearedPixelsTakeTheBlackEntryOfTheTable) {
    struct Case {
        const char* name;
        int blackIndex;  // where the palette holds black, -1: none
        int want;
    };
    const std::vector<Case> cases = {
        {"black at 230", 230, 230}, {"black at 0", 0, 0}, {"lowest black wins", -2, 5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PaletteEntries pal{};
        for (auto& e : pal) e = {200, 200, 200, PC_RESERVED};
        if (c.blackIndex >= 0) pal[c.blackIndex] = {0, 0, 0, 0};
        if (c.blackIndex == -2) pal[5] = pal[9] = {0, 0, 0, 0};
        IndexedCanvas canvas(4, 1);
        const auto b = EncodeBitmap8(canvas, pal);
        for (int x = 0; x < 4; ++x) EXPECT_EQ(b[1078 + x], c.want);
        const std::size_t entry = 54 + 4 * static_cast<std::size_t>(c.want);
        EXPECT_EQ(b[entry] | b[entry + 1] | b[entry + 2], 0);
    }
}

TEST(BitmapEncode, RowLimitKeepsThePictureArea) {
    // A canvas of 5 x (4 + 30) written with 4 rows: the status strip stays out.
    IndexedCanvas canvas(5, 34);
    canvas.SelectPen(1, PALETTEINDEX(99));
    canvas.Ellipse(2, 30, 2, 30);
    canvas.SelectPen(1, PALETTEINDEX(42));
    canvas.Ellipse(2, 0, 2, 0);
    const auto b = EncodeBitmap8(canvas, GreyPalette(), 4);
    EXPECT_EQ(U32(b, 22), 4u);
    ASSERT_EQ(b.size(), 1078u + 8u * 4u);
    for (std::size_t i = 1078; i < b.size(); ++i) EXPECT_NE(b[i], 99);
    EXPECT_EQ(b[1078 + 3 * 8 + 2], 42);  // top row is the last in the file
}

TEST(BitmapEncode, FromIndexBytes) {
    const std::vector<std::uint8_t> px = {1, 2, 3, 4, 5, 6};  // 3 x 2, top row first
    const auto b = EncodeBitmap8(px.data(), 3, 2, GreyPalette());
    ASSERT_EQ(b.size(), 1078u + 8u);
    EXPECT_EQ(U32(b, 18), 3u);
    EXPECT_EQ(U32(b, 22), 2u);
    const std::vector<std::uint8_t> rows(b.begin() + 1078, b.end());
    EXPECT_EQ(rows, (std::vector<std::uint8_t>{4, 5, 6, 0, 1, 2, 3, 0}));
}

TEST(BitmapWrite, WritesAndReplaces) {
    TempDir dir;
    const std::string path = dir.file("p.bmp");
    WriteTextFile(path, "previous picture");
    RecordingSink sink;
    const std::vector<std::uint8_t> bytes = {'B', 'M', 0, 1, 2, 255};
    ASSERT_TRUE(WriteFileAtomically(path, bytes, sink, "vortan"));
    EXPECT_EQ(ReadWholeFile(path), std::string("BM\0\1\2\xff", 6));
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(CountEntries(dir.path()), 1);
}

TEST(BitmapWrite, CreateFailuresNameTheStep) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("folder"));
    WriteTextFile(dir.file("folder/keep"), "k");
    const std::vector<std::string> paths = {dir.file("missing/p.bmp"), dir.file("folder"),
                                            dir.path() + "/"};
    for (const auto& path : paths) {
        SCOPED_TRACE(path);
        RecordingSink sink;
        EXPECT_FALSE(WriteFileAtomically(path, {1, 2, 3}, sink, "cap"));
        EXPECT_EQ(sink.messages, (std::vector<RecordedMessage>{{"CreateFile", "cap", MB_OK}}));
    }
    EXPECT_EQ(ReadWholeFile(dir.file("folder/keep")), "k");
    EXPECT_EQ(CountEntries(dir.path()), 1);
}

TEST(BitmapWrite, FailedWriteKeepsThePreviousFile) {
    TempDir dir;
    const std::string path = dir.file("p.bmp");
    WriteTextFile(path, "previous picture");
    const std::string report = InChildWithFileLimit(100, [&] {
        RecordingSink sink;
        const std::vector<std::uint8_t> big(5000, 7);
        std::string text = WriteFileAtomically(path, big, sink, "vortan") ? "true" : "false";
        for (const auto& m : sink.messages) text += "|" + m.text + "|" + m.caption;
        return text;
    });
    EXPECT_EQ(report, "false|WriteFile|vortan");
    EXPECT_EQ(ReadWholeFile(path), "previous picture");
    EXPECT_EQ(CountEntries(dir.path()), 1);
}

}  // namespace
}  // namespace vortan
