#include "view/sampler.h"

#include <algorithm>
#include <limits>

namespace vortan {

namespace {

SamplePoint Project(const VortanFrameState& state, const Knot& knot) {
    if (state.m_axisX && state.m_axisY && !state.m_axisZ) return {knot.x, knot.y};
    if (state.m_axisX && state.m_axisZ && !state.m_axisY) return {knot.x, knot.z};
    return {knot.y, knot.z};
}

// Writes samples[index] for parameter pf, scanning the knots from `from` on;
// every knot in [1, from) lies below pf. Returns where the next, larger
// parameter may start its scan: the knot found, n + 1 when pf lies above them
// all, or `from` when no scan was needed.
int SampleFrom(const VortanFrameState& state, float pf, int index, SampleArray& samples, int from) {
    // Knots above n hold values of earlier records; a damaged count is kept inside the store.
    const int n = std::clamp<std::int32_t>(state.m_knotCount, 0, kKnotCapacity - 1);
    const auto& knots = state.m_knots;

    if (knots[0].t >= pf) {
        samples[index] = Project(state, knots[0]);
        return from;
    }
    if (index == state.m_sampleCount - 1) {
        samples[index] = Project(state, knots[n]);
        return from;
    }
    for (int k = from; k <= n; ++k) {
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
            return k;
        }
    }
    // Beyond every knot's parameter (the list ended below tMax, or its last
    // values were stored as 0): the sample rests on the streamline's end, knot n.
    samples[index] = Project(state, knots[n]);
    return n + 1;
}

}  // namespace

void SampleStreamline(const VortanFrameState& state, double p, int index, SampleArray& samples) {
    if (index < 0 || index >= kSamplesPerStreamline) return;
    SampleFrom(state, static_cast<float>(p), index, samples, 1);
}

void SampleAll(const VortanFrameState& state, SampleArray& samples) {
    const double step = static_cast<double>(state.m_tMax) / (kSamplesPerStreamline - 1);
    double p = 0.0;
    // The first knot at or above a parameter never moves back as the
    // parameter grows, so each scan starts where the previous one stopped.
    float previous = -std::numeric_limits<float>::infinity();
    int from = 1;
    for (int index = 0; index < kSamplesPerStreamline; ++index) {
        const auto pf = static_cast<float>(p);
        if (!(pf >= previous)) from = 1;  // a falling (negative range) or NaN parameter
        from = SampleFrom(state, pf, index, samples, from);
        previous = pf;
        p += step;
    }
}

}  // namespace vortan
