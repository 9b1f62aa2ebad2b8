// Runs every benchmark, then prints each headline figure as a ratio to its
// baseline from the same run (medians when repetitions are asked for).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

// A figure, the baseline it is read against, and the ratio it should stay
// under (0: shown for reference, the target is read from another measure).
struct Ratio {
    const char* figure;
    const char* baseline;
    double target;
};
constexpr Ratio kRatios[] = {
    // Repeated alone, frame and copy keep their data in the cache, which a
    // window's frames, 10-50 ms apart with the X server reading each one, do
    // not: the frame's target is read with the caches emptied (below) and in
    // the window itself (bench/window_load.sh).
    {"BM_AnimationFrame/width:1920/height:1080/streamlines:2000", "BM_BaselineMemoryCopy8MB", 0},
    {"BM_AnimationFrame/width:1920/height:1080/streamlines:100", "BM_BaselineMemoryCopy8MB", 0},
    {"BM_ReadAndParse", "BM_BaselineReadOnlyPass", 3.0},
    // Separate medians of two long runs: a slow spell of a shared machine
    // may fall on either, so the pass's target is read paired (below).
    {"BM_WholeDrawingPass/dimming:0", "BM_ReadAndParse", 0},
    {"BM_WholeDrawingPass/dimming:1", "BM_ReadAndParse", 0},
};

// A throughput figure, the baseline throughput it is read against, and the
// throughput it should reach (MB/s).
struct Throughput {
    const char* figure;
    const char* baseline;
    double targetMBs;
};
constexpr Throughput kThroughputs[] = {
    {"BM_ParseModernRecord", "BM_BaselineReadOnlyPass", 300.0},
};

// A measurement that times a figure and its baseline turn about; its
// "ratio" counter is the median of the turns' ratios. A target of 0: shown
// for reference.
struct Paired {
    const char* name;
    const char* figure;
    const char* baseline;
    double target;
};
constexpr Paired kPaired[] = {
    {"BM_PairedFrame/streamlines:2000", "frame 1920 x 1080, 2,000 streamlines", "8 MB copy", 0},
    {"BM_PairedFrame/streamlines:100", "frame 1920 x 1080, 100 streamlines", "8 MB copy", 0},
    {"BM_FromMemoryFrame/streamlines:2000", "frame, 2,000 streamlines, caches empty", "8 MB copy",
     1.2},
    {"BM_FromMemoryFrame/streamlines:100", "frame, 100 streamlines, caches empty", "8 MB copy",
     1.2},
    {"BM_PairedReadAndParse", "read and parse", "read-only pass", 3.0},
    {"BM_PairedPass/dimming:0", "whole drawing pass", "read and parse", 1.3},
    {"BM_PairedPass/dimming:1", "whole drawing pass, Disk - Scale", "read and parse", 1.3},
};

// "target <= 1.2 met", or "for reference" when there is no target.
std::string Verdict(double ratio, double target) {
    if (target <= 0) return "for reference";
    char text[48];
    std::snprintf(text, sizeof text, "target <= %.1f %s", target,
                  ratio <= target ? "met" : "NOT met");
    return text;
}

struct Figure {
    double cpuMs = 0;
    double realMs = 0;
    double bytesPerSecond = 0;
    double ratio = 0;
    double baselineMs = 0;
    double figureMs = 0;
};

// The console output as usual; keeps each benchmark's median (or its only run).
class SummaryReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            const bool median = r.run_type == Run::RT_Aggregate && r.aggregate_name == "median";
            const bool single = r.run_type == Run::RT_Iteration && r.repetitions <= 1;
            if (!median && !single) continue;
            if (r.error_occurred) continue;
            const double toMs = 1e3 / benchmark::GetTimeUnitMultiplier(r.time_unit);
            Figure& f = m_figures[r.run_name.str()];
            f.cpuMs = r.GetAdjustedCPUTime() * toMs;
            f.realMs = r.GetAdjustedRealTime() * toMs;
            const auto bytes = r.counters.find("bytes_per_second");
            f.bytesPerSecond = bytes == r.counters.end() ? 0.0 : bytes->second.value;
            const auto counter = [&r](const char* name) {
                const auto c = r.counters.find(name);
                return c == r.counters.end() ? 0.0 : c->second.value;
            };
            f.ratio = counter("ratio");
            f.baselineMs = counter("baseline_ms");
            f.figureMs = counter("figure_ms");
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\nRatios to baselines of this run (CPU time; wall time in brackets):\n");
        for (const Ratio& q : kRatios) {
            const auto f = m_figures.find(q.figure);
            const auto b = m_figures.find(q.baseline);
            if (f == m_figures.end() || b == m_figures.end() || b->second.cpuMs <= 0) continue;
            const double ratio = f->second.cpuMs / b->second.cpuMs;
            const double wall = b->second.realMs > 0 ? f->second.realMs / b->second.realMs : 0.0;
            std::printf("  %-60s %8.3f ms = %5.2f x %s (%.2f x)  %s\n", q.figure, f->second.cpuMs,
                        ratio, q.baseline, wall, Verdict(ratio, q.target).c_str());
        }
        std::printf(
            "\nPaired ratios (figure and baseline timed turn about on the thread's CPU "
            "clock; median of the turns):\n");
        for (const Paired& q : kPaired) {
            const auto f = m_figures.find(q.name);
            if (f == m_figures.end() || f->second.ratio <= 0) continue;
            std::printf("  %-40s %8.3f ms = %5.2f x %s (%.3f ms)  %s\n", q.figure,
                        f->second.figureMs, f->second.ratio, q.baseline, f->second.baselineMs,
                        Verdict(f->second.ratio, q.target).c_str());
        }
        std::printf("\nThroughputs as a share of their baseline's (CPU time):\n");
        for (const Throughput& q : kThroughputs) {
            const auto f = m_figures.find(q.figure);
            const auto b = m_figures.find(q.baseline);
            if (f == m_figures.end() || b == m_figures.end() || b->second.bytesPerSecond <= 0)
                continue;
            const double mbs = f->second.bytesPerSecond / 1e6;
            std::printf("  %-60s %8.1f MB/s = %5.3f x %s (%.1f MB/s)  target >= %.0f MB/s %s\n",
                        q.figure, mbs, f->second.bytesPerSecond / b->second.bytesPerSecond,
                        q.baseline, b->second.bytesPerSecond / 1e6, q.targetMBs,
                        mbs >= q.targetMBs ? "met" : "NOT met");
        }
        std::printf("\nThroughput (MB/s, 1 MB = 10^6 bytes):\n");
        for (const auto& [name, f] : m_figures)
            if (f.bytesPerSecond > 0)
                std::printf("  %-60s %9.1f\n", name.c_str(), f.bytesPerSecond / 1e6);
    }

  private:
    std::map<std::string, Figure> m_figures;
};

}  // namespace

int main(int argc, char** argv) {
    // Machine-readable output (--benchmark_format=json or csv) stays as the
    // library writes it, without the summary.
    bool console = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--benchmark_format=", 0) == 0 && arg != "--benchmark_format=console")
            console = false;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    SummaryReporter reporter;
    if (console)
        benchmark::RunSpecifiedBenchmarks(&reporter);
    else
        benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
