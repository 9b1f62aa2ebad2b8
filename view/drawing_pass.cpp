#include "view/drawing_pass.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "platform/numeric.h"
#include "platform/win_types.h"

namespace vortan {

namespace {

constexpr int kLineGap = 3;        // centres further apart than this are joined by a line
constexpr int kBottomMargin = 20;  // pixels kept free above the client area's bottom
constexpr int kDimmingTurn = 20;   // samples above this grow the disks, the rest shrink them
constexpr float kDimmingStep = 0.05f;
constexpr float kDimmingLimit = 1.0f;

std::int32_t ClampToInt32(std::int64_t v) {
    constexpr std::int64_t lo = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t hi = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(v < lo ? lo : (v > hi ? hi : v));
}

// RoundNearest of a value held at double precision (same rules: an exact
// half goes toward zero, NaN and out-of-range give INT32_MIN).
std::int32_t RoundNearestWide(double v) {
    const double mag = std::fabs(v);
    if (!(mag < 2147483648.0)) return std::numeric_limits<std::int32_t>::min();
    double i = std::trunc(mag);
    if (mag - i > 0.5) i += 1.0;
    if (i >= 2147483648.0) return std::numeric_limits<std::int32_t>::min();
    const auto r = static_cast<std::int64_t>(i);
    return static_cast<std::int32_t>(std::signbit(v) ? -r : r);
}

std::string ProgressText(PassKind kind, int percent) {
    char text[64];
    std::snprintf(text, sizeof text,
                  kind == PassKind::Print ? kPrintingProgressFormat : kDrawingProgressFormat,
                  percent);
    return text;
}

// Horizontal and vertical coordinate ranges chosen by the axis flags, in the
// sampler's order of tests.
struct Ranges {
    float aMin, aMax, bMin, bMax;
    bool usesZ;
};

Ranges ChooseRanges(const VortanFrameState& state, const StreamlineHeader& h) {
    if (state.m_axisX && state.m_axisY && !state.m_axisZ)
        return {h.xMin, h.xMax, h.yMin, h.yMax, false};
    if (state.m_axisX && !state.m_axisY && state.m_axisZ)
        return {h.xMin, h.xMax, h.zMin, h.zMax, true};
    return {h.yMin, h.yMax, h.zMin, h.zMax, true};
}

// The values that stay fixed for a whole pass.
struct PassGeometry {
    float W, H;
    float offA, offB;
    float scaleA, scaleB;
    float colourStep;
    int penWidth;
    int diskDiameter;
    int clientRight, clientBottom;
    bool diskScaleDimming;
};

struct PixelPos {
    std::int32_t x, y;
};

// Pixel position of a sample; the vertical axis points up, so b = bMin lies
// on the line y = H. NaN or out-of-range values come out as INT32_MIN, which
// no visibility test passes.
PixelPos ToPixel(const PassGeometry& g, const SamplePoint& s) {
    const std::int32_t px = RoundNearest((s.a + g.offA) * g.scaleA);
    const float flipped = g.H - static_cast<float>(RoundNearest((s.b + g.offB) * g.scaleB));
    return {px, TruncToInt32(flipped)};
}

// Draws one streamlet from sample 63 back to sample 0, its disks carrying
// the indices C, then C - E/64, C - 2E/64, ... rounded.
void DrawStreamlet(const PassGeometry& g, const SampleArray& samples, std::int32_t startIndex,
                   IndexedCanvas& canvas) {
    float accumulator = static_cast<float>(startIndex);
    std::int32_t current = startIndex;
    PixelPos prev = ToPixel(g, samples[kSamplesPerStreamline - 1]);
    float f = 0.0f;  // dimming factor: climbs to just above 1, then falls to about 0

    for (int j = kSamplesPerStreamline - 1; j >= 0; --j) {
        // Disk size: D, or D x f with dimming. The product of the two
        // single-precision values is rounded from its exact (double) value:
        // 10 x 0.15000001 lies just above 1.5 and gives 2, where a product
        // rounded to single precision first would be 1.5 exactly and give 1.
        double s;
        if (g.diskScaleDimming) {
            s = static_cast<double>(g.diskDiameter) * static_cast<double>(f);
            if (j > kDimmingTurn) {
                if (f <= kDimmingLimit) f = f + kDimmingStep;
            } else {
                f = f - kDimmingStep;
            }
        } else {
            s = g.diskDiameter;
        }
        std::int32_t size = RoundNearestWide(s);
        if (size == 0) size = 1;
        const float fs = static_cast<float>(size);

        // The pen names the low 16 bits of the index; the canvas draws an
        // index beyond the palette with entry 0.
        canvas.SelectPen(g.penWidth, PALETTEINDEX(static_cast<std::uint32_t>(current) & 0xFFFFu));
        accumulator = accumulator - g.colourStep;
        current = RoundNearest(accumulator);

        const PixelPos p = ToPixel(g, samples[j]);
        if (p.x > 0 && p.y > 0 && static_cast<float>(p.x) < g.W && static_cast<float>(p.y) < g.H) {
            const float fx = static_cast<float>(p.x);
            const float fy = static_cast<float>(p.y);
            if (fx - fs > 0.0f && fx + fs < static_cast<float>(g.clientRight) && fy - fs > 0.0f &&
                fy + fs < static_cast<float>(g.clientBottom - kBottomMargin)) {
                const float half = fs / 2.0f;
                canvas.Ellipse(RoundNearest(fx - half), RoundNearest(fy - half),
                               RoundNearest(fx + half), RoundNearest(fy + half));
            }
            const std::int64_t dx = std::int64_t{p.x} - prev.x;
            const std::int64_t dy = std::int64_t{p.y} - prev.y;
            if (std::llabs(dx) > kLineGap || std::llabs(dy) > kLineGap) {
                canvas.MoveTo(prev.x, prev.y);
                canvas.LineTo(p.x, p.y);
            }
        }
        prev = p;
    }
}

// Start index of a streamlet from one random number: the last entry of colour
// table A with orientation, or an index in E..3E-1 without.
std::int32_t StartIndex(const VortanFrameState& state, CrtRand& random) {
    const std::int32_t tables = state.m_colortableCount > 0 ? state.m_colortableCount : 1;
    const std::int64_t a = random.rand() % tables;
    const std::int64_t e = state.m_entriesPerTable;
    if (!state.m_withoutOrientation) return ClampToInt32((a + 1) * e - 1);
    return ClampToInt32(a < e ? a + e : a);
}

}  // namespace

PassStats RunDrawingPass(VortanFrameState& state, IndexedCanvas& canvas, IFrameHost& host,
                         PassKind kind) {
    PassStats stats;
    const bool screen = kind == PassKind::Screen;
    if (screen) {
        host.SetStatusText(ProgressText(kind, 0), true);
        host.ProgressChanged(0);
    }

    state.m_sampleCount = kSamplesPerStreamline;
    PassGeometry g{};
    g.diskDiameter = state.m_diskDiameter;
    g.penWidth = ClampToInt32(std::int64_t{state.m_diskDiameter} + 2);
    g.diskScaleDimming = state.m_diskScaleDimming != 0;
    g.clientRight = canvas.Width();
    g.clientBottom = canvas.Height();
    canvas.FillBlack(0, 0, g.clientRight, g.clientBottom);

    StreamlineFile file;
    if (!file.Open(state.m_inputPath)) {
        host.MessageBox("Unable to open " + state.m_inputPath, "Error", MB_OK | MB_ICONEXCLAMATION);
    } else {
        stats.opened = true;
        const StreamlineHeader header = ReadStreamlineHeader(file);
        stats.headerNumbers = header.numbersRead;
        state.m_tMax = header.tMax;

        const Ranges ranges = ChooseRanges(state, header);
        g.W = header.imageWidth;
        g.H = header.imageHeight;
        g.offA = -ranges.aMin;
        g.offB = -ranges.bMin;
        g.scaleA = g.W / (ranges.aMax - ranges.aMin);
        g.scaleB = g.H / (ranges.bMax - ranges.bMin);
        g.colourStep = static_cast<float>(state.m_entriesPerTable) / kSamplesPerStreamline;

        CrtRand random;
        random.srand(1);  // every pass makes the same colour choices
        if (state.m_withoutOrientation)
            state.m_colortableCount = ClampToInt32(std::int64_t{3} * state.m_entriesPerTable);
        float progress = 0.0f;
        std::int32_t percent = 0;

        // Numbers that were not read have no value: a header too short for the
        // ranges in use draws nothing.
        const int needed = (header.dimension == 3.0f || ranges.usesZ) ? 11 : 9;
        if (header.numbersRead >= needed) {
            std::string scratch;  // records that cannot be read in place
            SampleArray samples{};
            auto skip = [&stats](SkipReason why, long long line) {
                ++stats.skipped[why];
                auto& places = stats.firstSkipped[why];
                if (places.size() < kSkippedPlacesKept) places.push_back({stats.records, line});
            };
            for (;;) {
                bool tooLong = false;
                const long long line = file.LineNumber();
                std::string_view record;
                if (!ReadStreamlineRecordView(file, scratch, record, &tooLong)) break;
                ++stats.records;
                if (tooLong) {
                    skip(SkipReason::TooLong, line);
                    continue;
                }
                SkipReason reason = SkipReason::None;
                if (!ParseStreamlineRecord(record, header, state, &reason)) {
                    skip(reason == SkipReason::None ? SkipReason::Malformed : reason, line);
                    continue;
                }
                SampleAll(state, samples);
                DrawStreamlet(g, samples, StartIndex(state, random), canvas);
                ++stats.drawn;

                // The read-out shows the percentage before this streamline.
                host.SetStatusText(ProgressText(kind, percent), true);
                host.ProgressChanged(percent);
                progress = progress + header.progressStep;
                percent = RoundNearest(progress);
                host.StreamletDrawn();
            }
        }
        file.Close();
    }

    host.SetStatusText(screen ? kDrawingDone : kPrintingDone, false);

    if (screen && state.m_animationOn) {
        if (!host.SetTimer(kAnimationTimerId, static_cast<std::uint32_t>(state.m_timeDelay)))
            host.MessageBox(kNoTimerText, kNoTimerCaption, MB_ICONEXCLAMATION);
    }
    return stats;
}

std::vector<std::string> SkippedRecordsLines(const PassStats& stats) {
    std::vector<std::string> lines;
    for (const auto& [reason, count] : stats.skipped) {
        if (count <= 0) continue;
        std::string line = "skipped " + std::to_string(count) +
                           (count == 1 ? " record: " : " records: ") + SkipReasonText(reason);
        const auto found = stats.firstSkipped.find(reason);
        std::size_t named = 0;
        if (found != stats.firstSkipped.end()) {
            for (const RecordPlace& place : found->second) {
                line += named++ == 0 ? ": " : ", ";
                line += "record " + std::to_string(place.record) + " (line " +
                        std::to_string(place.line) + ")";
            }
        }
        if (named > 0 && static_cast<std::size_t>(count) > named) {
            line += " and " + std::to_string(static_cast<std::size_t>(count) - named) + " more";
        }
        lines.push_back(line);
    }
    return lines;
}

}  // namespace vortan
