// A 256-entry logical palette with the create / animate / get-entries
// semantics of the Windows GDI palette functions.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "platform/win_types.h"

namespace vortan {

inline constexpr int kPaletteSize = 256;
using PaletteEntries = std::array<PaletteEntry, kPaletteSize>;

class LogicalPalette {
  public:
    // CreatePalette + Attach: takes the entries of a 256-entry LOGPALETTE.
    void Create(const PaletteEntries& entries);
    bool IsCreated() const { return m_created; }

    // AnimatePalette: replaces count entries from first on with the given
    // ones, but only where the current entry is flagged PC_RESERVED. Indices
    // outside 0..255 are ignored. Notifies the listener once per call.
    void Animate(int first, int count, const PaletteEntry* entries);

    // GetPaletteEntries: copies count current entries from first on; returns
    // the number copied (0 when the palette was never created).
    int GetEntries(int first, int count, PaletteEntry* out) const;

    const PaletteEntries& Entries() const { return m_entries; }

    // Bumped by every Create and Animate, so a display knows when to re-present.
    std::uint64_t Generation() const { return m_generation; }

    // Called after every Animate (a display re-presents the picture).
    void SetAnimateListener(std::function<void(int first, int count)> listener) {
        m_listener = std::move(listener);
    }

  private:
    PaletteEntries m_entries{};
    bool m_created = false;
    std::uint64_t m_generation = 0;
    std::function<void(int, int)> m_listener;
};

}  // namespace vortan
