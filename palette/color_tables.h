// Building the 256-entry logical palette from colour tables, in the two
// layouts "With Orientation" and "Without Orientation".
#pragma once

#include "view/vortan_frame_state.h"

namespace vortan {

// One to seven phase-shifted grey ramps over the first 224 entries; sets
// m_entriesPerTable = 224 div m_colortableCount and creates the palette.
void BuildPaletteWithOrientation(VortanFrameState& state, LogicalPalette& palette);

// One triangle-wave grey ramp of 32 or 64 levels over all 256 entries;
// sets m_entriesPerTable to 32 or 64 and creates the palette.
void BuildPaletteWithoutOrientation(VortanFrameState& state, LogicalPalette& palette);

// Copies each table's entries from m_palette into both of its arrays.
void StoreColorTables(VortanFrameState& state);

// Builds the palette of the layout the record's flags choose, as window
// creation does (with orientation first; neither flag: no palette).
void BuildWindowPalette(VortanFrameState& state);

}  // namespace vortan
