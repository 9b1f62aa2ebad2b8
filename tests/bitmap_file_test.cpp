#include "output/bitmap_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "tests/test_support.h"

namespace vortan {
namespace {

using namespace test;

std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t{b[at + 3]} << 24);
}

// Rows padded to 4 bytes, bottom row first, only the rows asked for (not the status strip);
// cleared pixels the lowest black entry; the colour table holds blue, green, red, zero.
TEST(BitmapEncode, RowsBottomUpPaddedAndTheColourTable) {
    IndexedCanvas canvas(641, 5);
    // The top-left and bottom-right pixels, and one below the picture.
    for (auto [x, y, index] : {std::tuple{0, 0, 17u}, {640, 2, 200u}, {5, 4, 99u}}) {
        canvas.SelectPen(1, PALETTEINDEX(index));
        canvas.Ellipse(x, y, x, y);
    }
    PaletteEntries pal = DistinctPalette();
    pal[9] = pal[7] = {0, 0, 0, 0};
    const auto b = EncodeBitmap8(canvas, pal, 3);
    ASSERT_EQ(b.size(), 1078u + 644u * 3u);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 2), "BM");
    // (offset, value): size, reserved, bits offset, header size, width, height,
    // planes 1 and 8 bits, no compression, image size, resolution, colours used.
    // clang-format off
    const std::uint32_t fields[][2] = {
        {2, 1078 + 644 * 3}, {6, 0}, {10, 1078}, {14, 40}, {18, 641}, {22, 3}, {26, 0x80001},
        {30, 0}, {34, 644 * 3}, {38, 0}, {42, 0}, {46, 256}, {50, 0}};
    // clang-format on
    for (const auto& [at, value] : fields) EXPECT_EQ(U32(b, at), value) << "at " << at;
    std::vector<std::uint8_t> want(644 * 3, 7);
    for (int row = 0; row < 3; ++row)
        want[row * 644 + 641] = want[row * 644 + 642] = want[row * 644 + 643] = 0;
    want[2 * 644] = 17;
    want[640] = 200;
    EXPECT_EQ(std::vector<std::uint8_t>(b.begin() + 1078, b.end()), want);
    std::vector<std::uint8_t> table;
    for (const PaletteEntry& e : pal) table.insert(table.end(), {e.peBlue, e.peGreen, e.peRed, 0});
    EXPECT_EQ(std::vector<std::uint8_t>(b.begin() + 54, b.begin() + 1078), table);
    // From index bytes, top row first.
    const std::vector<std::uint8_t> px = {1, 2, 3, 4, 5, 6};
    const auto small = EncodeBitmap8(px.data(), 3, 2, pal);
    EXPECT_EQ(std::vector<std::uint8_t>(small.begin() + 1078, small.end()),
              (std::vector<std::uint8_t>{4, 5, 6, 0, 1, 2, 3, 0}));
}

// A failure keeps the file; the window's form names the failing step in a message box, the
// tools' form the file and the reason. The disk takes 100 bytes for the failing write.
TEST(BitmapWrite, WritesReplacesAndReportsTheFailure) {
    TempDir dir;
    const std::string path = dir.file("p.bmp");
    WriteTextFile(path, "previous picture");
    std::filesystem::create_directory(dir.file("folder"));
    RecordingSink sink;
    ASSERT_TRUE(WriteFileAtomically(path, {'B', 'M', 0, 1, 2, 255}, sink, "v"));
    EXPECT_EQ(ReadWholeFile(path), std::string("BM\0\1\2\xff", 6));
    EXPECT_TRUE(sink.messages.empty());
    // Which open failures give which reason is the file layer's; here the two forms.
    const std::pair<std::string, std::string> cases[] = {
        {"missing/p.bmp", "No such file or directory"}, {"folder", "Is a directory"}};
    std::string error;
    for (const auto& [name, reason] : cases) {
        EXPECT_FALSE(WriteFileAtomically(dir.file(name), {1, 2, 3}, sink, "v")) << name;
        EXPECT_FALSE(WriteFileAtomically(dir.file(name), {1, 2, 3}, error));
        EXPECT_EQ(error, "cannot write " + dir.file(name) + ": " + reason);
    }
    {
        FileSizeLimit limit(100);
        EXPECT_FALSE(WriteFileAtomically(path, std::vector<std::uint8_t>(5000, 7), sink, "v"));
        EXPECT_FALSE(WriteFileAtomically(path, std::vector<std::uint8_t>(5000, 7), error));
    }
    EXPECT_EQ(error, "cannot write " + path + ": File too large");
    std::vector<RecordedMessage> want(2, {"CreateFile", "v", MB_OK});
    want.push_back({"WriteFile", "v", MB_OK});
    EXPECT_EQ(sink.messages, want);
    EXPECT_EQ(ReadWholeFile(path), std::string("BM\0\1\2\xff", 6));
    EXPECT_EQ(CountEntries(dir.path()) + CountEntries(dir.file("folder")), 2);
}

}  // namespace
}  // namespace vortan
