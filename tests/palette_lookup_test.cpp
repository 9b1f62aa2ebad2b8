#include "platform/palette_lookup.h"

#include <gtest/gtest.h>

#include <random>
#include <utility>
#include <vector>

#include "platform/indexed_canvas.h"
#include "tests/test_support.h"

namespace vortan {
namespace {

std::uint32_t Expected(CanvasPixel p, const PaletteEntries& palette) {
    const Rgb c = PixelColour(p, palette);
    return 0xFF000000u | (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b;
}

// Both paths against the palette pixel by pixel, for every row length up to
// three blocks of 64 (so every tail after the 64- and 8-pixel steps), rows
// starting off alignment on both sides, and pictures that take each branch:
// all cleared, one drawn pixel anywhere in a cleared block, all drawn, random
// mixes, and values past the 512-entry table.
TEST(PaletteLookup, EveryRowLengthAndStartMatchesThePaletteOnBothPaths) {
    using Picture = std::vector<CanvasPixel> (*)(std::size_t, std::mt19937&);
    const std::pair<const char*, Picture> pictures[] = {
        {"cleared",
         [](std::size_t n, std::mt19937&) { return std::vector<CanvasPixel>(n, kClearedPixel); }},
        {"one drawn pixel in a cleared block",
         [](std::size_t n, std::mt19937& rng) {
             std::vector<CanvasPixel> v(n, kClearedPixel);
             if (n > 0) v[rng() % n] = static_cast<CanvasPixel>(rng() % 256);
             return v;
         }},
        {"drawn",
         [](std::size_t n, std::mt19937& rng) {
             std::vector<CanvasPixel> v(n);
             for (auto& p : v) p = static_cast<CanvasPixel>(rng() % 256);
             return v;
         }},
        {"mixed",
         [](std::size_t n, std::mt19937& rng) {
             std::vector<CanvasPixel> v(n);
             for (auto& p : v)
                 p = rng() % 3 == 0 ? kClearedPixel : static_cast<CanvasPixel>(rng() % 256);
             return v;
         }},
        {"any 16-bit value",
         [](std::size_t n, std::mt19937& rng) {
             std::vector<CanvasPixel> v(n);
             for (auto& p : v) p = static_cast<CanvasPixel>(rng());
             return v;
         }},
    };
    const PaletteEntries palette = test::DistinctPalette();
    const ColourLut lut = MakeColourLut(palette);
    using Path = void (*)(const CanvasPixel*, std::uint32_t*, std::size_t, const ColourLut&);
    const std::pair<const char*, Path> paths[] = {{"LookUpRow", LookUpRow},
                                                  {"LookUpRowPortable", LookUpRowPortable}};
    constexpr std::uint32_t kUntouched = 0x12345678u;
    std::mt19937 rng(11);
    for (const auto& [pictureName, make] : pictures)
        for (std::size_t n = 0; n <= 3 * 64 + 1; ++n)
            for (std::size_t inOffset : {0, 1, 3})
                for (std::size_t outOffset : {0, 1, 5}) {
                    std::vector<CanvasPixel> in = make(n + inOffset, rng);
                    const CanvasPixel* first = in.data() + inOffset;
                    for (const auto& [pathName, path] : paths) {
                        std::vector<std::uint32_t> out(n + outOffset + 1, kUntouched);
                        path(first, out.data() + outOffset, n, lut);
                        for (std::size_t i = 0; i < out.size(); ++i) {
                            const bool inside = i >= outOffset && i < outOffset + n;
                            const std::uint32_t want =
                                inside ? Expected(first[i - outOffset], palette) : kUntouched;
                            if (out[i] != want) {
                                ADD_FAILURE() << pathName << ", " << pictureName << ", " << n
                                              << " pixels, offsets " << inOffset << "/" << outOffset
                                              << ": pixel " << i << " is " << std::hex << out[i]
                                              << ", want " << want;
                                return;
                            }
                        }
                    }
                }
}

TEST(PaletteLookup, ACanvasConvertsRowByRowThroughThePalette) {
    IndexedCanvas canvas(37, 5);
    canvas.SelectPen(9, PALETTEINDEX(200));
    canvas.Ellipse(10, 1, 14, 3);
    canvas.SelectPen(1, PALETTEINDEX(3));
    canvas.MoveTo(0, 4);
    canvas.LineTo(36, 0);
    const PaletteEntries palette = test::DistinctPalette();
    for (int rows : {-1, 0, 3, 5, 9}) {
        const int n = rows < 0 || rows > 5 ? 5 : rows;
        std::vector<std::uint32_t> out(37u * 5u, 1u);
        ConvertToRgb32(canvas, palette, out.data(), rows);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 37; ++x)
                EXPECT_EQ(out[y * 37 + x], y < n ? Expected(canvas.Pixel(x, y), palette) : 1u)
                    << x << "," << y << " rows " << rows;
    }
}

}  // namespace
}  // namespace vortan
