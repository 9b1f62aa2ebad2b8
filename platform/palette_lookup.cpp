#include "platform/palette_lookup.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define VORTAN_LOOKUP_AVX2 1
#endif

namespace vortan {

namespace {

inline std::uint32_t Look(const ColourLut& lut, CanvasPixel p) {
    return lut[LutIndex(p)];
}

// Four pixels read as one 64-bit word (pixel k in bits 16k..16k+15 on a
// little-endian machine).
inline std::uint64_t FourPixels(const CanvasPixel* in) {
    std::uint64_t four;
    std::memcpy(&four, in, sizeof four);
    return four;
}

// The four pixels of a word, every one below kColourLutSize.
inline void LookUpFour(const std::uint32_t* table, std::uint64_t four, std::uint32_t* out) {
    out[0] = table[four & 0xFFFF];
    out[1] = table[(four >> 16) & 0xFFFF];
    out[2] = table[(four >> 32) & 0xFFFF];
    out[3] = table[four >> 48];
}

// Set in a word of four pixels when one of them is kColourLutSize or more.
constexpr std::uint64_t kBeyondTable = 0xFE00FE00FE00FE00ull;
static_assert(kColourLutSize == 0x200, "kBeyondTable assumes a table of 512 entries");

// Eight pixels of a row whose values are all below kColourLutSize.
inline void LookUpEight(const std::uint32_t* table, const CanvasPixel* in, std::uint32_t* out) {
    LookUpFour(table, FourPixels(in), out);
    LookUpFour(table, FourPixels(in + 4), out + 4);
}

#ifdef VORTAN_LOOKUP_AVX2
// Blocks of 64 pixels, tested with vector compares: a block that is all
// cleared is stored as black at once (the background of most pictures);
// any other block is looked up eight pixels per step by plain table loads
// (faster here than the processor's gathers), unless it holds a value past
// the table. Blocks of 64 keep the test cheap and rarely mispredicted.
__attribute__((target("avx2"))) void LookUpRowAvx2(const CanvasPixel* in, std::uint32_t* out,
                                                   std::size_t n, const ColourLut& lut) {
    constexpr std::size_t kBlock = 64;
    const std::uint32_t* table = lut.data();
    const __m256i cleared = _mm256_set1_epi16(static_cast<short>(kClearedPixel));
    const __m256i beyondTable = _mm256_set1_epi16(static_cast<short>(0xFE00));
    const __m256i black = _mm256_set1_epi32(static_cast<int>(lut[kPaletteSize]));
    std::size_t i = 0;
    for (; i + kBlock <= n; i += kBlock) {
        __m256i allCleared = _mm256_set1_epi32(-1);
        __m256i beyond = _mm256_setzero_si256();
        for (std::size_t k = 0; k < kBlock; k += 16) {
            const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i + k));
            allCleared = _mm256_and_si256(allCleared, _mm256_cmpeq_epi16(v, cleared));
            beyond = _mm256_or_si256(beyond, _mm256_and_si256(v, beyondTable));
        }
        if (_mm256_movemask_epi8(allCleared) == -1) {
            auto* o = reinterpret_cast<__m256i*>(out + i);
            for (std::size_t k = 0; k < kBlock / 8; ++k) _mm256_storeu_si256(o + k, black);
        } else if (_mm256_testz_si256(beyond, beyond)) {
            for (std::size_t k = 0; k < kBlock; k += 8) LookUpEight(table, in + i + k, out + i + k);
        } else {
            for (std::size_t k = i; k < i + kBlock; ++k) out[k] = Look(lut, in[k]);
        }
    }
    for (; i < n; ++i) out[i] = Look(lut, in[i]);
}

#endif

}  // namespace

bool HaveAvx2() {
#ifdef VORTAN_LOOKUP_AVX2
    static const bool have = __builtin_cpu_supports("avx2");
    return have;
#else
    return false;
#endif
}

ColourLut MakeColourLut(const PaletteEntries& palette) {
    ColourLut lut{};
    for (int i = 0; i < kPaletteSize; ++i) {
        const PaletteEntry& e = palette[i];
        lut[i] = 0xFF000000u | (std::uint32_t{e.peRed} << 16) | (std::uint32_t{e.peGreen} << 8) |
                 std::uint32_t{e.peBlue};
    }
    std::fill(lut.begin() + kPaletteSize, lut.end(), 0xFF000000u);
    return lut;
}

void LookUpRowPortable(const CanvasPixel* in, std::uint32_t* out, std::size_t n,
                       const ColourLut& lut) {
    std::size_t i = 0;
    // Words of four pixels index the table directly; a word holding a value
    // past the table (none is drawn) is clamped pixel by pixel.
    if constexpr (std::endian::native == std::endian::little) {
        for (; i + 8 <= n; i += 8) {
            const std::uint64_t a = FourPixels(in + i), b = FourPixels(in + i + 4);
            if (((a | b) & kBeyondTable) != 0) {
                for (std::size_t k = i; k < i + 8; ++k) out[k] = Look(lut, in[k]);
                continue;
            }
            LookUpFour(lut.data(), a, out + i);
            LookUpFour(lut.data(), b, out + i + 4);
        }
    }
    for (; i < n; ++i) out[i] = Look(lut, in[i]);
}

void LookUpRow(const CanvasPixel* in, std::uint32_t* out, std::size_t n, const ColourLut& lut) {
#ifdef VORTAN_LOOKUP_AVX2
    if (HaveAvx2()) {
        LookUpRowAvx2(in, out, n, lut);
        return;
    }
#endif
    LookUpRowPortable(in, out, n, lut);
}

}  // namespace vortan
