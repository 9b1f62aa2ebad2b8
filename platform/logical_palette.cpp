#include "platform/logical_palette.h"

#include <algorithm>
#include <cstdint>

namespace vortan {

void LogicalPalette::Create(const PaletteEntries& entries) {
    m_entries = entries;
    m_created = true;
    ++m_generation;
}

void LogicalPalette::Animate(int first, int count, const PaletteEntry* entries) {
    // Like AnimatePalette on an invalid handle: no palette, nothing happens.
    if (!m_created || entries == nullptr) return;
    // Only the part of [first, first + count) that lies inside the palette is
    // visited, so a huge count costs no more than 256 steps; 64-bit bounds
    // keep first + count from overflowing.
    const std::int64_t begin = std::max<std::int64_t>(first, 0);
    const std::int64_t end =
        std::min<std::int64_t>(static_cast<std::int64_t>(first) + std::max(count, 0), kPaletteSize);
    for (std::int64_t i = begin; i < end; ++i) {
        if (m_entries[i].peFlags & PC_RESERVED) m_entries[i] = entries[i - first];
    }
    ++m_generation;
    if (m_listener) m_listener(first, count);
}

int LogicalPalette::GetEntries(int first, int count, PaletteEntry* out) const {
    if (!m_created || out == nullptr || first < 0 || first >= kPaletteSize || count <= 0) return 0;
    const int n = std::min(count, kPaletteSize - first);
    std::copy_n(m_entries.begin() + first, n, out);
    return n;
}

}  // namespace vortan
