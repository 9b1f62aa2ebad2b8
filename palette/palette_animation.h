// Palette animation: each timer tick advances every colour table
// m_colortableShift steps and hands the new entries to the palette.
#pragma once

#include <array>

#include "view/vortan_frame_state.h"

namespace vortan {

class IFrameHost;

// One step of one table: rotates R by one entry toward higher indices and
// derives O from it (dimmed at both ends with intensity dimming on).
void RotateColorTable(VortanFrameState& state, PaletteEntry* rotating, PaletteEntry* output);

// One timer tick on state.m_palette. After each of its repetitions (every
// table stepped once) host->PaletteAnimated() is called when a host is given,
// so a display shows each repetition once, never a half-animated palette.
void AnimationTick(VortanFrameState& state, IFrameHost* host = nullptr);

// The fewest ticks after which the palette is back where it began.
int AnimationPeriod(const VortanFrameState& state);

// True when the palette is back at its present colours after one period. It
// is not when it still holds the colours of creation with intensity dimming
// on: the first tick replaces them by dimmed ones that never come back. A
// looping export then starts one tick on, so its loop has no seam.
bool PaletteOnCycle(const VortanFrameState& state);

}  // namespace vortan
