// Pictures for the frame and export benchmarks: streamlets of 64 disks drawn
// the way the drawing pass draws them (indices running down one colour table
// from its last entry), at random places, reproducibly.
#pragma once

#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <tuple>

#include "palette/color_tables.h"
#include "platform/indexed_canvas.h"
#include "platform/numeric.h"
#include "view/vortan_frame_state.h"

namespace vortan::bench {

inline std::unique_ptr<VortanFrameState> SevenTableWindow(int dimming) {
    auto s = std::make_unique<VortanFrameState>();
    s->m_withOrientation = 1;
    s->m_colortableCount = 7;
    s->m_colortableShift = 1;
    s->m_intensityDimming = dimming;
    BuildWindowPalette(*s);
    return s;
}

// A width x height picture of the given number of streamlets in the
// seven-table layout (E = 32), disks of diameter 6.
inline IndexedCanvas DrawStreamlets(int width, int height, int streamlines) {
    IndexedCanvas canvas(width, height);
    std::uint32_t seed = 12345;
    auto next = [&seed]() {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<float>(seed >> 8) / 16777216.0f;  // [0, 1)
    };
    constexpr int kTables = 7, kEntries = 32, kDisks = 64, kDiameter = 6;
    for (int s = 0; s < streamlines; ++s) {
        float x = next() * static_cast<float>(width), y = next() * static_cast<float>(height);
        const float heading = next() * 6.2831853f;
        const float bend = (next() - 0.5f) * 0.1f;
        const int table = static_cast<int>(next() * kTables) % kTables;
        const float start = static_cast<float>((table + 1) * kEntries - 1);
        for (int j = 0; j < kDisks; ++j) {
            const float a = heading + bend * static_cast<float>(j);
            x += 3.0f * std::cos(a);
            y += 3.0f * std::sin(a);
            const int index = RoundNearest(start - static_cast<float>(j) * (kEntries / 64.0f));
            canvas.SelectPen(1, PALETTEINDEX(static_cast<std::uint32_t>(index)));
            const int cx = static_cast<int>(x), cy = static_cast<int>(y);
            canvas.Ellipse(cx - kDiameter / 2, cy - kDiameter / 2, cx + kDiameter / 2 - 1,
                           cy + kDiameter / 2 - 1);
        }
    }
    return canvas;
}

// Drawn once per size and count for the whole benchmark run.
inline const IndexedCanvas& CachedStreamlets(int width, int height, int streamlines) {
    static std::map<std::tuple<int, int, int>, std::unique_ptr<IndexedCanvas>> cache;
    auto& slot = cache[{width, height, streamlines}];
    if (!slot) slot = std::make_unique<IndexedCanvas>(DrawStreamlets(width, height, streamlines));
    return *slot;
}

}  // namespace vortan::bench
