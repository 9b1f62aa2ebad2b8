// Byte scans the record reader runs over long stretches of text: finding
// the next of a few marker characters, and counting braces, sixteen bytes
// per step where the processor has vectors.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vortan {

// Position of the first of the characters a, b and c in s[from, len), or len.
inline std::size_t FindFirstOf3(const char* s, std::size_t from, std::size_t len, char a, char b,
                                char c) {
    std::size_t i = from;
#if defined(__SSE2__)
    const __m128i va = _mm_set1_epi8(a);
    const __m128i vb = _mm_set1_epi8(b);
    const __m128i vc = _mm_set1_epi8(c);
    for (; i + 16 <= len; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, va), _mm_cmpeq_epi8(v, vb)),
                                         _mm_cmpeq_epi8(v, vc));
        const auto bits = static_cast<unsigned>(_mm_movemask_epi8(hit));
        if (bits != 0) return i + static_cast<std::size_t>(__builtin_ctz(bits));
    }
#endif
    for (; i < len; ++i) {
        const char x = s[i];
        if (x == a || x == b || x == c) return i;
    }
    return len;
}

// Adds the number of '{' and of '}' in s[0, n) to opens and closes.
inline void CountBraces(const char* s, std::size_t n, std::int64_t& opens, std::int64_t& closes) {
    std::size_t i = 0;
#if defined(__SSE2__)
    // Byte lanes count matches (a match compares as -1, subtracted); they are
    // summed into 64-bit totals before any lane can pass 255.
    const __m128i open = _mm_set1_epi8('{');
    const __m128i close = _mm_set1_epi8('}');
    const __m128i zero = _mm_setzero_si128();
    while (i + 16 <= n) {
        __m128i countOpen = zero;
        __m128i countClose = zero;
        for (int block = 0; block < 255 && i + 16 <= n; ++block, i += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
            countOpen = _mm_sub_epi8(countOpen, _mm_cmpeq_epi8(v, open));
            countClose = _mm_sub_epi8(countClose, _mm_cmpeq_epi8(v, close));
        }
        const __m128i sumOpen = _mm_sad_epu8(countOpen, zero);
        const __m128i sumClose = _mm_sad_epu8(countClose, zero);
        opens += _mm_cvtsi128_si32(sumOpen) + _mm_cvtsi128_si32(_mm_srli_si128(sumOpen, 8));
        closes += _mm_cvtsi128_si32(sumClose) + _mm_cvtsi128_si32(_mm_srli_si128(sumClose, 8));
    }
#endif
    for (; i < n; ++i) {
        opens += s[i] == '{';
        closes += s[i] == '}';
    }
}

}  // namespace vortan
