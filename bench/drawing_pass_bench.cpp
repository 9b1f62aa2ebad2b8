// Cost of a whole drawing pass (read, parse, sample, draw into a 1024 x 768
// picture) on the benchmark file, against reading and parsing it alone
// (BM_ReadAndParse in reader_bench.cpp).
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>

#include "bench/bench_file.h"
#include "bench/bench_work.h"
#include "platform/indexed_canvas.h"
#include "view/drawing_pass.h"
#include "view/sampler.h"
#include "view/streamline_reader.h"

namespace {

using namespace vortan;
using bench::File;
using bench::kLines;

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

class QuietHost : public IFrameHost {
  public:
    int MessageBox(const std::string&, const std::string&, unsigned) override { return IDOK; }
    void SetStatusText(const std::string&, bool) override {}
    bool SetTimer(unsigned, std::uint32_t) override { return true; }
    void KillTimer(unsigned) override {}
};

VortanFrameState PassState() {
    VortanFrameState state;
    state.m_inputPath = File().path();
    state.m_axisX = 1;
    state.m_axisY = 1;
    state.m_diskDiameter = 2;
    state.m_withOrientation = 1;
    state.m_colortableCount = 7;
    state.m_entriesPerTable = 32;
    state.m_animationOn = 1;
    state.m_timeDelay = 50;
    return state;
}

// Reading, parsing and sampling, without drawing.
void BM_PassFileReadParseSample(benchmark::State& st) {
    VortanFrameState state = PassState();
    state.m_sampleCount = kSamplesPerStreamline;
    SampleArray samples{};
    for (auto _ : st) {
        StreamlineFile file;
        if (!file.Open(File().path())) {
            st.SkipWithError("cannot open the benchmark file");
            return;
        }
        const StreamlineHeader header = ReadStreamlineHeader(file);
        state.m_tMax = header.tMax;
        std::string text;
        for (std::string_view record; ReadStreamlineRecordView(file, text, record);)
            if (ParseStreamlineRecord(record, header, state)) SampleAll(state, samples);
        benchmark::DoNotOptimize(samples.data());
    }
    st.SetBytesProcessed(static_cast<std::int64_t>(st.iterations() * File().bytes()));
}
BENCHMARK(BM_PassFileReadParseSample)->Unit(benchmark::kMillisecond);

// The whole screen pass into the client area of a 1024 x 768 picture.
void BM_WholeDrawingPass(benchmark::State& st) {
    VortanFrameState state = PassState();
    state.m_diskScaleDimming = static_cast<int>(st.range(0));
    IndexedCanvas canvas(kWidth, kHeight + kStatusBarHeight);
    QuietHost host;
    PassStats stats;
    for (auto _ : st) {
        stats = RunDrawingPass(state, canvas, host);
        benchmark::DoNotOptimize(canvas.Pixels().data());
    }
    if (stats.drawn != kLines) st.SkipWithError("not every streamline was drawn");
    st.counters["streamlines"] = stats.drawn;
    st.counters["disks"] =
        static_cast<double>(canvas.EllipseCount()) / static_cast<double>(st.iterations());
    st.SetBytesProcessed(static_cast<std::int64_t>(st.iterations() * File().bytes()));
}
BENCHMARK(BM_WholeDrawingPass)->Arg(0)->Arg(1)->ArgName("dimming")->Unit(benchmark::kMillisecond);

// The pass and its read and parse, turn about: their ratio on a shared machine.
void BM_PairedPass(benchmark::State& st) {
    VortanFrameState state = PassState();
    state.m_diskScaleDimming = static_cast<int>(st.range(0));
    IndexedCanvas canvas(kWidth, kHeight + kStatusBarHeight);
    QuietHost host;
    auto parsedInto = std::make_unique<VortanFrameState>();
    std::string text;
    int parsed = 0;
    PassStats stats;
    bench::RunPaired(
        st, [&] { parsed = bench::ReadAndParse(File().path(), *parsedInto, text); },
        [&] {
            stats = RunDrawingPass(state, canvas, host);
            benchmark::DoNotOptimize(canvas.Pixels().data());
        });
    if (parsed != kLines || stats.drawn != kLines)
        st.SkipWithError("not every streamline was drawn");
}
BENCHMARK(BM_PairedPass)->Arg(0)->Arg(1)->ArgName("dimming")->Unit(benchmark::kMillisecond);

// Drawing alone: 2,000 streamlets of 64 disks from samples prepared once.
void BM_PassDrawOnly(benchmark::State& st) {
    IndexedCanvas canvas(kWidth, kHeight + kStatusBarHeight);
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> pos(40, 700);
    for (auto _ : st) {
        canvas.FillBlack(0, 0, canvas.Width(), canvas.Height());
        for (int l = 0; l < kLines; ++l) {
            int x = pos(rng), y = pos(rng);
            int px = x, py = y;
            for (int j = 63; j >= 0; --j) {
                canvas.SelectPen(4, PALETTEINDEX(static_cast<std::uint32_t>(j)));
                canvas.Ellipse(x - 1, y - 1, x + 1, y + 1);
                if (std::abs(x - px) > 3 || std::abs(y - py) > 3) {
                    canvas.MoveTo(px, py);
                    canvas.LineTo(x, y);
                }
                px = x;
                py = y;
                x += 2 + (j & 3);
                y += 1 + (j & 1);
            }
        }
        benchmark::DoNotOptimize(canvas.Pixels().data());
    }
}
BENCHMARK(BM_PassDrawOnly)->Unit(benchmark::kMillisecond);

}  // namespace
