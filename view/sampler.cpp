#include "view/sampler.h"

#include <algorithm>

namespace vortan {

namespace {

SamplePoint Project(const VortanFrameState& state, const Knot& knot) {
    if (state.m_axisX && state.m_axisY && !state.m_axisZ) return {knot.x, knot.y};
    if (state.m_axisX && state.m_axisZ && !state.m_axisY) return {knot.x, knot.z};
    return {knot.y, knot.z};
}

}  // namespace

void SampleStreamline(const VortanFrameState& state, double p, int index, SampleArray& samples) {
    if (index < 0 || index >= kSamplesPerStreamline) return;
    const float pf = static_cast<float>(p);
    // Knots above n hold values of earlier records; a damaged count is kept inside the store.
    const int n = std::clamp<std::int32_t>(state.m_knotCount, 0, kKnotCapacity - 1);
    const auto& knots = state.m_knots;

    if (knots[0].t >= pf) {
        samples[index] = Project(state, knots[0]);
        return;
    }
    if (index == state.m_sampleCount - 1) {
        samples[index] = Project(state, knots[n]);
        return;
    }
    for (int k = 1; k <= n; ++k) {
        if (knots[k].t >= pf) {
            // The predecessor lies below pf, so the interval has positive length.
            const float u = pf - knots[k - 1].t;
            const double dt = static_cast<double>(knots[k].t) - knots[k - 1].t;
            const SamplePoint lo = Project(state, knots[k - 1]);
            const SamplePoint hi = Project(state, knots[k]);
            samples[index].a =
                static_cast<float>(lo.a + u * (static_cast<double>(hi.a) - lo.a) / dt);
            samples[index].b =
                static_cast<float>(lo.b + u * (static_cast<double>(hi.b) - lo.b) / dt);
            return;
        }
    }
    // Beyond every knot's parameter (the list ended below tMax, or its last
    // values were stored as 0): the sample rests on the streamline's end, knot n.
    samples[index] = Project(state, knots[n]);
}

void SampleAll(const VortanFrameState& state, SampleArray& samples) {
    const double step = static_cast<double>(state.m_tMax) / (kSamplesPerStreamline - 1);
    double p = 0.0;
    for (int index = 0; index < kSamplesPerStreamline; ++index) {
        SampleStreamline(state, p, index, samples);
        p += step;
    }
}

}  // namespace vortan
