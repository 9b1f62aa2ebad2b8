#include "platform/picture_runs.h"

#include <algorithm>
#include <cstring>

namespace vortan {

namespace {

// Eight pixels of one colour, stored at once: one 32-byte store where the
// processor has one, two 16-byte stores otherwise.
#if defined(__GNUC__) || defined(__clang__)
using EightPixels = std::uint32_t __attribute__((vector_size(32)));
#define VORTAN_RUNS_INLINE inline __attribute__((always_inline))
#else
struct EightPixels {
    std::uint32_t v[8];
};
#define VORTAN_RUNS_INLINE inline
#endif

// Each colour of the table eight times over, so that a run's colour is one
// load of eight pixels: 257 x 32 bytes, built once per look-up.
struct WideLut {
    alignas(32) std::uint32_t colours[kPaletteSize + 1][8];
};

void MakeWideLut(const ColourLut& lut, WideLut& wide) {
    for (int v = 0; v <= kPaletteSize; ++v)
        std::fill(std::begin(wide.colours[v]), std::end(wide.colours[v]), lut[v]);
}

VORTAN_RUNS_INLINE void Load8(EightPixels& e, const WideLut& wide, std::uint16_t value) {
    std::memcpy(&e, wide.colours[value], sizeof e);
}

VORTAN_RUNS_INLINE void Store8(std::uint32_t* out, const EightPixels& e) {
    std::memcpy(out, &e, sizeof e);
}

// Writes the colours of runs [r, rEnd) into out[0, end), leaving out the
// first skip pixels of the runs. A run is written with whole stores of eight
// pixels that may run past its end into pixels that are written later; no
// store reaches limit (at least end) or beyond.
VORTAN_RUNS_INLINE void FillRunsBody(const PictureRun* r, const PictureRun* rEnd, std::size_t skip,
                                     std::uint32_t* out, std::size_t end, std::size_t limit,
                                     const WideLut& wide) {
    while (r < rEnd && r->length <= skip) {
        skip -= r->length;
        ++r;
    }
    std::size_t pos = 0;
    if (r < rEnd && skip > 0) {
        const std::size_t n = std::min<std::size_t>(r->length - skip, end);
        std::fill(out, out + n, wide.colours[r->value][0]);
        pos = n;
        ++r;
    }
    // Two stores cover every run of up to 16 pixels without a branch on its
    // length; longer runs (mostly background) take more.
    for (; r < rEnd && pos < end && pos + 16 <= limit; ++r) {
        const std::size_t length = r->length;
        EightPixels c;
        Load8(c, wide, r->value);
        Store8(out + pos, c);
        Store8(out + pos + 8, c);
        for (std::size_t k = 16; k < length; k += 8) {
            if (pos + k + 8 > limit) {
                std::fill(out + pos + k, out + std::min(pos + length, end),
                          wide.colours[r->value][0]);
                break;
            }
            Store8(out + pos + k, c);
        }
        pos += length;
    }
    for (; r < rEnd && pos < end; ++r) {
        const std::size_t n = std::min<std::size_t>(r->length, end - pos);
        std::fill(out + pos, out + pos + n, wide.colours[r->value][0]);
        pos += n;
    }
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
__attribute__((target("avx2"))) void FillRunsAvx2(const PictureRun* r, const PictureRun* rEnd,
                                                  std::size_t skip, std::uint32_t* out,
                                                  std::size_t end, std::size_t limit,
                                                  const WideLut& wide) {
    FillRunsBody(r, rEnd, skip, out, end, limit, wide);
}
#define VORTAN_RUNS_AVX2 1
#endif

void FillRunsPortable(const PictureRun* r, const PictureRun* rEnd, std::size_t skip,
                      std::uint32_t* out, std::size_t end, std::size_t limit, const WideLut& wide) {
    FillRunsBody(r, rEnd, skip, out, end, limit, wide);
}

void FillRuns(const PictureRun* r, const PictureRun* rEnd, std::size_t skip, std::uint32_t* out,
              std::size_t end, std::size_t limit, const WideLut& wide) {
#ifdef VORTAN_RUNS_AVX2
    if (HaveAvx2()) {
        FillRunsAvx2(r, rEnd, skip, out, end, limit, wide);
        return;
    }
#endif
    FillRunsPortable(r, rEnd, skip, out, end, limit, wide);
}

}  // namespace

void PictureRuns::Clear() {
    m_width = m_height = 0;
    m_runs.clear();
    m_rowStart.clear();
    m_rowByRuns.clear();
    m_pairs.Clear();
    m_pairColours.clear();
}

bool PictureRuns::Build(const CanvasPixel* pixels, int width, int height) {
    Clear();
    if (width <= 0 || height <= 0 || pixels == nullptr) return false;
    const std::size_t w = static_cast<std::size_t>(width);
    m_rowStart.reserve(static_cast<std::size_t>(height) + 1);
    m_rowByRuns.reserve(static_cast<std::size_t>(height));
    bool allByRuns = true;
    for (int y = 0; y < height; ++y) {
        const std::size_t first = m_runs.size();
        m_rowStart.push_back(static_cast<std::uint32_t>(first));
        const CanvasPixel* row = pixels + static_cast<std::size_t>(y) * w;
        std::size_t x = 0;
        while (x < w) {
            const CanvasPixel v = row[x];
            std::size_t end = x + 1;
            const std::size_t longest = std::min<std::size_t>(w, x + 0xFFFF);
            while (end < longest && row[end] == v) ++end;
            m_runs.push_back(
                {static_cast<std::uint16_t>(LutIndex(v)), static_cast<std::uint16_t>(end - x)});
            x = end;
        }
        // A run costs about what kPixelsPerRun pixels looked up by pairs
        // cost: a row of shorter runs keeps none. Kept runs therefore take at
        // most a quarter of a byte per pixel.
        const bool byRuns = (m_runs.size() - first) * kPixelsPerRun <= w;
        if (!byRuns) m_runs.resize(first);
        m_rowByRuns.push_back(byRuns ? 1 : 0);
        allByRuns = allByRuns && byRuns;
    }
    m_rowStart.push_back(static_cast<std::uint32_t>(m_runs.size()));
    m_runs.shrink_to_fit();
    const bool pairs = !allByRuns && m_pairs.Build(pixels, w * static_cast<std::size_t>(height));
    if (m_runs.empty() && !pairs) {
        Clear();
        return false;
    }
    m_width = width;
    m_height = height;
    return true;
}

void PictureRuns::LookUp(const CanvasPixel* pixels, int left, int top, int width, int height,
                         std::uint32_t* out, std::size_t stride, const ColourLut& lut) const {
    if (Empty() || width <= 0 || height <= 0 || left < 0 || top < 0 || left + width > m_width ||
        top + height > m_height)
        return;
    // Each form's colours for this palette, made only when that form is used.
    WideLut wide;
    if (!m_runs.empty()) MakeWideLut(lut, wide);
    if (!m_pairs.Empty() && (m_pairColours.empty() || lut != m_pairColoursLut)) {
        m_pairs.MakeColours(lut, m_pairColours);
        m_pairColoursLut = lut;
    }
    const auto w = static_cast<std::size_t>(width);
    // Whole rows, contiguous: a row's stores may run into the rows below,
    // which are written after it.
    const bool contiguous = left == 0 && width == m_width && stride == w;
    for (int y = top; y < top + height; ++y, out += stride) {
        const auto row = static_cast<std::size_t>(y);
        const std::size_t first =
            row * static_cast<std::size_t>(m_width) + static_cast<std::size_t>(left);
        if (m_rowByRuns[row] == 0) {
            if (m_pairs.Empty())
                LookUpRow(pixels + first, out, w, lut);
            else
                m_pairs.LookUp(pixels, first, w, out, lut, m_pairColours.data());
            continue;
        }
        const std::size_t limit = contiguous ? w * static_cast<std::size_t>(top + height - y) : w;
        FillRuns(m_runs.data() + m_rowStart[row], m_runs.data() + m_rowStart[row + 1],
                 static_cast<std::size_t>(left), out, w, limit, wide);
    }
}

}  // namespace vortan
