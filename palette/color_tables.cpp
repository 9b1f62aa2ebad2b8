#include "palette/color_tables.h"

#include <algorithm>

#include "platform/numeric.h"

namespace vortan {

namespace {

// The layout works for 1 to 7 tables; anything else (the control panel never
// passes it) is clamped so that no index leaves the palette or the copies.
int ClampedTableCount(std::int32_t count) {
    return std::clamp<std::int32_t>(count, 1, kMaxColorTables);
}

PaletteEntry Grey(int level) {
    const auto g = static_cast<std::uint8_t>(std::clamp(level, 0, 255));
    return PaletteEntry{g, g, g, PC_RESERVED};
}

}  // namespace

void BuildPaletteWithOrientation(VortanFrameState& state, LogicalPalette& palette) {
    const int count = ClampedTableCount(state.m_colortableCount);
    const int e = kMaxTableEntries / count;
    state.m_entriesPerTable = e;

    // The ramp comes from a running single-precision sum of the step 256 / E;
    // for every E of the layout this rounds to exactly RoundNearest(k * 256 / E).
    std::array<int, kMaxTableEntries> levels{};
    const float step = 256.0f / static_cast<float>(e);
    float running = 0.0f;
    for (int k = 0; k < e; ++k) {
        levels[k] = RoundNearest(running);
        running += step;
    }

    PaletteEntries entries{};  // unused entries stay black with flags 0
    const int phaseStep = e / count;
    for (int t = 0; t < count; ++t) {
        // Table t is shifted by p = t * (E div count): entry t*E + j holds level (j - p) mod E.
        const int p = t * phaseStep;
        for (int j = 0; j < e; ++j) {
            entries[t * e + j] = Grey(levels[(j - p + e) % e]);
        }
    }
    palette.Create(entries);
}

void BuildPaletteWithoutOrientation(VortanFrameState& state, LogicalPalette& palette) {
    const int e = state.m_colors32 ? 32 : 64;
    state.m_entriesPerTable = e;
    const int d = kPaletteSize / e;

    // A triangle wave over all 256 entries that turns at 248 and at 0.
    PaletteEntries entries{};
    int g = 0;
    bool rising = true;
    for (int k = 0; k < kPaletteSize; ++k) {
        entries[k] = Grey(g);
        if (g == 248) rising = false;
        if (g == 0) rising = true;
        g += rising ? d : -d;
    }
    palette.Create(entries);
}

void StoreColorTables(VortanFrameState& state) {
    const int count = ClampedTableCount(state.m_colortableCount);
    const int e = std::clamp<std::int32_t>(state.m_entriesPerTable, 0, kMaxTableEntries);
    for (int t = 0; t < count; ++t) {
        ColorTableCopies& copies = state.m_colorTables[t];
        state.m_palette.GetEntries(t * e, e, copies.m_outputEntries.data());
        state.m_palette.GetEntries(t * e, e, copies.m_rotatingEntries.data());
    }
}

void BuildWindowPalette(VortanFrameState& state) {
    if (state.m_withOrientation) {
        BuildPaletteWithOrientation(state, state.m_palette);
        StoreColorTables(state);
    } else if (state.m_withoutOrientation) {
        BuildPaletteWithoutOrientation(state, state.m_palette);
    }
}

}  // namespace vortan
