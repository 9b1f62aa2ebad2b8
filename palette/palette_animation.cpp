#include "palette/palette_animation.h"

#include <algorithm>
#include <memory>
#include <numeric>

#include "platform/numeric.h"
#include "view/frame_host.h"

namespace vortan {

namespace {

int TableLength(const VortanFrameState& state) {
    return std::clamp<std::int32_t>(state.m_entriesPerTable, 0, kMaxTableEntries);
}

int TableCount(const VortanFrameState& state) {
    return std::clamp<std::int32_t>(state.m_colortableCount, 1, kMaxColorTables);
}

std::uint8_t Scaled(std::uint8_t channel, float factor) {
    // The product is rounded to single precision before RoundNearest.
    const float product = static_cast<float>(channel) * factor;
    return static_cast<std::uint8_t>(std::clamp(RoundNearest(product), 0, 255));
}

std::uint8_t ScaledFloor(std::uint8_t channel, float step) {
    // The darkest level of the fades: channel * step / 8 (1/40 for step 0.2).
    const float product = static_cast<float>(channel) * step;
    return static_cast<std::uint8_t>(std::clamp(RoundNearest(product * 0.125f), 0, 255));
}

void Dim(PaletteEntry& out, const PaletteEntry& in, bool floor, float factor) {
    if (floor) {
        out.peRed = ScaledFloor(in.peRed, factor);
        out.peGreen = ScaledFloor(in.peGreen, factor);
        out.peBlue = ScaledFloor(in.peBlue, factor);
    } else {
        out.peRed = Scaled(in.peRed, factor);
        out.peGreen = Scaled(in.peGreen, factor);
        out.peBlue = Scaled(in.peBlue, factor);
    }
}

// Steps per repetition loop, reduced into 1..period. Each step is a pure
// rotation with period `period`, so the entries after ((shift - 1) mod period) + 1
// steps are exactly those after `shift` steps, and a shift near 2^31 cannot
// stall the tick. At least one step remains, so the outputs are derived as
// they would be; a shift of 0 or less does nothing.
int ReducedSteps(std::int32_t shift, int period) {
    if (shift <= 0 || period <= 0) return 0;
    return static_cast<int>((shift - 1) % period) + 1;
}

void AnimateWithOrientation(VortanFrameState& state, IFrameHost* host) {
    // The shift is read again before every repetition.
    for (int rep = 0; rep < ReducedSteps(state.m_colortableShift, TableLength(state)); ++rep) {
        const int e = TableLength(state);
        const int count = TableCount(state);
        for (int t = 0; t < count; ++t) {
            ColorTableCopies& copies = state.m_colorTables[t];
            RotateColorTable(state, copies.m_rotatingEntries.data(), copies.m_outputEntries.data());
            state.m_palette.Animate(t * e, e, copies.m_outputEntries.data());
        }
        if (host) host->PaletteAnimated();
    }
}

void AnimateWithoutOrientation(VortanFrameState& state, IFrameHost* host) {
    // Every entry of this layout is reserved, so one repetition turns the whole
    // palette up by one index and 256 repetitions restore it.
    for (int rep = 0; rep < ReducedSteps(state.m_colortableShift, kPaletteSize); ++rep) {
        std::array<PaletteEntry, kPaletteSize> scratch;
        state.m_palette.GetEntries(kPaletteSize - 1, 1, &scratch[0]);
        state.m_palette.GetEntries(0, kPaletteSize - 1, &scratch[1]);
        state.m_palette.Animate(0, kPaletteSize, scratch.data());
        if (host) host->PaletteAnimated();
    }
}

}  // namespace

void RotateColorTable(VortanFrameState& state, PaletteEntry* rotating, PaletteEntry* output) {
    const int e = TableLength(state);
    state.m_dimStep = 0.2f;
    state.m_dimLength = 5;
    if (e <= 0) return;

    // One entry toward higher indices, the last wrapping round to the first.
    std::rotate(rotating, rotating + (e - 1), rotating + e);

    if (!state.m_intensityDimming) {
        std::copy_n(rotating, e, output);
        return;
    }

    // Fade in over positions 0..dimLength and out over the last dimLength + 1;
    // the factor a runs 1/40 (a == 0), 1/5, 2/5, ... 1 and back down.
    const float step = state.m_dimStep;
    const int length = state.m_dimLength;
    float a = 0.0f;
    for (int j = 0; j < e; ++j) {
        if (j <= length) {
            if (a == 0.0f) {
                Dim(output[j], rotating[j], true, step);
                a = a + step;
            } else {
                Dim(output[j], rotating[j], false, a);
                const float next = a + step;
                a = next < 1.0f ? next : 1.0f;
            }
        } else if (j < e - length - 1) {
            output[j] = rotating[j];
        } else {
            a = a - step;
            if (a <= 0.00005f) a = 0.0f;
            Dim(output[j], rotating[j], a == 0.0f, a == 0.0f ? step : a);
        }
    }
}

void AnimationTick(VortanFrameState& state, IFrameHost* host) {
    if (state.m_withOrientation) AnimateWithOrientation(state, host);
    if (state.m_withoutOrientation) AnimateWithoutOrientation(state, host);
}

int AnimationPeriod(const VortanFrameState& state) {
    // Counted in ticks of the rotation position; with dimming on, the first
    // tick also replaces the undimmed entries of creation by dimmed ones.
    const auto periodOf = [&](int length) {
        const int steps = ReducedSteps(state.m_colortableShift, length);
        if (steps == 0) return 1;
        return length / std::gcd(length, steps);
    };
    int period = 1;
    if (state.m_withOrientation && TableLength(state) > 0) period = periodOf(TableLength(state));
    if (state.m_withoutOrientation) period = std::lcm(period, periodOf(kPaletteSize));
    return period;
}

bool PaletteOnCycle(const VortanFrameState& state) {
    auto probe = std::make_unique<VortanFrameState>(state);
    probe->m_palette.SetAnimateListener(nullptr);
    const int period = AnimationPeriod(state);
    for (int i = 0; i < period; ++i) AnimationTick(*probe);
    return probe->m_palette.Entries() == state.m_palette.Entries();
}

}  // namespace vortan
