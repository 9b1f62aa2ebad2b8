#include "platform/pixel_pairs.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace vortan {

namespace {

constexpr unsigned kValues = kPaletteSize + 1;  // 0..255 and black above them
constexpr std::uint16_t kNoId = 0xFFFF;

inline void StorePair(std::uint32_t* out, std::uint64_t colours) {
    std::memcpy(out, &colours, sizeof colours);
}

// Two pairs' colours stored at once, the first at the lower address: one
// 16-byte store where the compiler has vector types.
#if defined(__GNUC__) || defined(__clang__)
using TwoPairs = std::uint64_t __attribute__((vector_size(16)));
inline void StoreTwoPairs(std::uint32_t* out, std::uint64_t first, std::uint64_t second) {
    const TwoPairs both = {first, second};
    std::memcpy(out, &both, sizeof both);
}
#else
inline void StoreTwoPairs(std::uint32_t* out, std::uint64_t first, std::uint64_t second) {
    StorePair(out, first);
    StorePair(out + 2, second);
}
#endif

}  // namespace

void PixelPairs::Clear() {
    m_ids.clear();
    m_pairs.clear();
}

bool PixelPairs::Build(const CanvasPixel* pixels, std::size_t count) {
    Clear();
    if (pixels == nullptr || count < 2) return false;
    std::vector<std::uint16_t> idOf(kValues * kValues, kNoId);
    m_ids.resize(count / 2);
    for (std::size_t i = 0; i < m_ids.size(); ++i) {
        const unsigned a = LutIndex(pixels[2 * i]), b = LutIndex(pixels[2 * i + 1]);
        std::uint16_t& id = idOf[a * kValues + b];
        if (id == kNoId) {
            if (m_pairs.size() >= kNoId) {
                Clear();
                return false;
            }
            id = static_cast<std::uint16_t>(m_pairs.size());
            m_pairs.push_back(a | (b << 16));
        }
        m_ids[i] = id;
    }
    return true;
}

void PixelPairs::MakeColours(const ColourLut& lut, std::vector<std::uint64_t>& colours) const {
    colours.resize(m_pairs.size());
    // The pair's first pixel goes to the lower address when stored.
    constexpr bool little = std::endian::native == std::endian::little;
    for (std::size_t p = 0; p < m_pairs.size(); ++p) {
        const std::uint64_t first = lut[m_pairs[p] & 0xFFFF], second = lut[m_pairs[p] >> 16];
        colours[p] = little ? (first | second << 32) : (first << 32 | second);
    }
}

void PixelPairs::LookUp(const CanvasPixel* pixels, std::size_t first, std::size_t count,
                        std::uint32_t* out, const ColourLut& lut,
                        const std::uint64_t* colours) const {
    std::size_t i = 0;
    // A span that starts on a pair's second pixel takes that pixel alone.
    if (count > 0 && first % 2 == 1) {
        out[0] = lut[LutIndex(pixels[first])];
        i = 1;
    }
    const std::size_t start = (first + i) / 2;
    const std::size_t pairs =
        std::min((count - i) / 2, start < m_ids.size() ? m_ids.size() - start : 0);
    const std::uint16_t* ids = m_ids.data() + start;
    std::uint32_t* o = out + i;
    std::size_t k = 0;
    if constexpr (std::endian::native == std::endian::little) {
        // Four ids read as one word.
        for (; k + 4 <= pairs; k += 4) {
            std::uint64_t four;
            std::memcpy(&four, ids + k, sizeof four);
            StoreTwoPairs(o + 2 * k, colours[four & 0xFFFF], colours[(four >> 16) & 0xFFFF]);
            StoreTwoPairs(o + 2 * k + 4, colours[(four >> 32) & 0xFFFF], colours[four >> 48]);
        }
    }
    for (; k < pairs; ++k) StorePair(o + 2 * k, colours[ids[k]]);
    for (i += 2 * pairs; i < count; ++i) out[i] = lut[LutIndex(pixels[first + i])];
}

}  // namespace vortan
