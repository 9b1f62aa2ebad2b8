// Sampling a streamline of the knot store at 64 evenly spaced parameters.
#pragma once

#include <array>

#include "view/vortan_frame_state.h"

namespace vortan {

// Horizontal and vertical coordinate of one sample, in model units.
struct SamplePoint {
    float a = 0.0f;
    float b = 0.0f;
};

using SampleArray = std::array<SamplePoint, kSamplesPerStreamline>;

// Writes samples[index] for parameter p (sample index of m_sampleCount).
void SampleStreamline(const VortanFrameState& state, double p, int index, SampleArray& samples);

// The caller's loop: step = m_tMax / 63, p accumulated from 0.
void SampleAll(const VortanFrameState& state, SampleArray& samples);

}  // namespace vortan
