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

// A row of n pixels of one kind: 0 all cleared, 1 one drawn pixel anywhere in a cleared block, 2
// all drawn, 3 a random mix, 4 any 16-bit value (past the 512-entry table).
std::vector<CanvasPixel> Row(int kind, std::size_t n, std::mt19937& rng) {
    std::vector<CanvasPixel> v(n, kClearedPixel);
    for (auto& p : v) {
        const auto r = rng();
        if (kind == 4) p = static_cast<CanvasPixel>(r);
        if (kind == 2 || (kind == 3 && r % 3 != 0)) p = static_cast<CanvasPixel>(r % 256);
    }
    if (kind == 1 && n > 0) v[rng() % n] = static_cast<CanvasPixel>(rng() % 256);
    return v;
}

// Both paths against the palette pixel by pixel, for every row length up to
// three blocks of 64 (so every tail after the 64- and 8-pixel steps), rows
// starting off alignment on both sides, and pictures of every kind.
TEST(PaletteLookup, EveryRowLengthAndStartMatchesThePaletteOnBothPaths) {
    const PaletteEntries palette = test::DistinctPalette();
    const ColourLut lut = MakeColourLut(palette);
    using Path = void (*)(const CanvasPixel*, std::uint32_t*, std::size_t, const ColourLut&);
    const std::pair<const char*, Path> paths[] = {{"LookUpRow", LookUpRow},
                                                  {"LookUpRowPortable", LookUpRowPortable}};
    constexpr std::uint32_t kUntouched = 0x12345678u;
    std::mt19937 rng(11);
    for (int kind = 0; kind < 5; ++kind)
        for (std::size_t n = 0; n <= 3 * 64 + 1; ++n)
            for (std::size_t inOffset : {0, 1, 3})
                for (std::size_t outOffset : {0, 1, 5}) {
                    const std::vector<CanvasPixel> in = Row(kind, n + inOffset, rng);
                    std::vector<std::uint32_t> want(n + outOffset + 1, kUntouched);
                    for (std::size_t i = 0; i < n; ++i)
                        want[outOffset + i] = Expected(in[inOffset + i], palette);
                    for (const auto& [name, path] : paths) {
                        std::vector<std::uint32_t> out(want.size(), kUntouched);
                        path(in.data() + inOffset, out.data() + outOffset, n, lut);
                        ASSERT_EQ(out, want) << name << ", kind " << kind << ", " << n
                                             << " pixels, offsets " << inOffset << "/" << outOffset;
                    }
                }
}

}  // namespace
}  // namespace vortan
