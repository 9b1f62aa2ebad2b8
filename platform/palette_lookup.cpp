#include "platform/palette_lookup.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define VORTAN_LOOKUP_AVX2 1
#endif

namespace vortan {

namespace {

// Any value above the palette (only kClearedPixel occurs) is black.
inline std::uint32_t Look(const ColourLut& lut, unsigned p) {
    return lut[std::min<unsigned>(p, kPaletteSize)];
}

// Four cleared pixels read as one 64-bit word.
constexpr std::uint64_t kFourCleared = 0x0001000100010001ull * kClearedPixel;

#ifdef VORTAN_LOOKUP_AVX2
// Sixteen pixels per step: runs of cleared pixels are stored as black at
// once, other pixels are widened to 32 bits and gathered from the table.
__attribute__((target("avx2"))) void LookUpRowAvx2(const CanvasPixel* in, std::uint32_t* out,
                                                   std::size_t n, const ColourLut& lut) {
    const auto* table = reinterpret_cast<const int*>(lut.data());
    const __m256i cleared = _mm256_set1_epi16(static_cast<short>(kClearedPixel));
    const __m256i black = _mm256_set1_epi32(static_cast<int>(lut[kPaletteSize]));
    const __m256i limit = _mm256_set1_epi32(kPaletteSize);
    std::size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i));
        auto* o = reinterpret_cast<__m256i*>(out + i);
        if (_mm256_movemask_epi8(_mm256_cmpeq_epi16(v, cleared)) == -1) {
            _mm256_storeu_si256(o, black);
            _mm256_storeu_si256(o + 1, black);
            continue;
        }
        const __m256i lo = _mm256_cvtepu16_epi32(_mm256_castsi256_si128(v));
        const __m256i hi = _mm256_cvtepu16_epi32(_mm256_extracti128_si256(v, 1));
        _mm256_storeu_si256(o, _mm256_i32gather_epi32(table, _mm256_min_epu32(lo, limit), 4));
        _mm256_storeu_si256(o + 1, _mm256_i32gather_epi32(table, _mm256_min_epu32(hi, limit), 4));
    }
    for (; i < n; ++i) out[i] = Look(lut, in[i]);
}

bool HaveAvx2() {
    static const bool have = __builtin_cpu_supports("avx2");
    return have;
}
#endif

}  // namespace

ColourLut MakeColourLut(const PaletteEntries& palette) {
    ColourLut lut{};
    for (int i = 0; i < kPaletteSize; ++i) {
        const PaletteEntry& e = palette[i];
        lut[i] = 0xFF000000u | (std::uint32_t{e.peRed} << 16) | (std::uint32_t{e.peGreen} << 8) |
                 std::uint32_t{e.peBlue};
    }
    lut[kPaletteSize] = 0xFF000000u;
    return lut;
}

void LookUpRowPortable(const CanvasPixel* in, std::uint32_t* out, std::size_t n,
                       const ColourLut& lut) {
    const std::uint32_t black = lut[kPaletteSize];
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        std::uint64_t four;
        std::memcpy(&four, in + i, sizeof four);
        if (four == kFourCleared) {
            std::fill_n(out + i, 4, black);
            continue;
        }
        out[i] = Look(lut, in[i]);
        out[i + 1] = Look(lut, in[i + 1]);
        out[i + 2] = Look(lut, in[i + 2]);
        out[i + 3] = Look(lut, in[i + 3]);
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
