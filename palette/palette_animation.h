// Palette animation: each timer tick advances every colour table
// m_colortableShift steps and hands the new entries to the palette.
#pragma once

#include <array>

#include "view/vortan_frame_state.h"

namespace vortan {

// One step of one table: rotates R by one entry toward higher indices and
// derives O from it (dimmed at both ends with intensity dimming on).
void RotateColorTable(VortanFrameState& state, PaletteEntry* rotating, PaletteEntry* output);

// One timer tick on state.m_palette.
void AnimationTick(VortanFrameState& state);

// The fewest ticks after which the palette is back where it began.
int AnimationPeriod(const VortanFrameState& state);

}  // namespace vortan
