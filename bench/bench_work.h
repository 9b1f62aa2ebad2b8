// Single runs of the work the headline figures and their baselines time, so
// that a figure, its baseline and their paired measurement do the same work.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "bench/bench_file.h"
#include "view/streamline_reader.h"
#include "view/vortan_frame_state.h"

namespace vortan::bench {

// Every byte of the file reaches memory once, in the reader's block size, and
// is looked at once (a sum), as the cheapest possible reader would. False
// when the file cannot be opened.
inline bool ReadOnlyPass(const std::string& path, std::vector<unsigned char>& block,
                         unsigned& sum) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    for (std::size_t got; (got = std::fread(block.data(), 1, block.size(), f)) > 0;)
        for (std::size_t i = 0; i < got; ++i) sum += block[i];
    std::fclose(f);
    return true;
}

// Reads and parses every record of the file into state; the number of
// records parsed, or -1 when the file cannot be opened.
inline int ReadAndParse(const std::string& path, VortanFrameState& state, std::string& text) {
    StreamlineFile file;
    if (!file.Open(path)) return -1;
    const StreamlineHeader header = ReadStreamlineHeader(file);
    int parsed = 0;
    for (std::string_view record; ReadStreamlineRecordView(file, text, record);)
        if (ParseStreamlineRecord(record, header, state)) ++parsed;
    return parsed;
}

// The memory-copy baseline: 8 MB, the size of a 1920 x 1080 RGB32 frame.
class EightMegabyteCopy {
  public:
    static constexpr std::size_t kBytes = 8u << 20;
    void operator()() {
        std::memcpy(m_to.data(), m_from.data(), kBytes);
        benchmark::DoNotOptimize(m_to.data());
        benchmark::ClobberMemory();
    }

  private:
    std::vector<char> m_from = std::vector<char>(kBytes, 1);
    std::vector<char> m_to = std::vector<char>(kBytes, 0);
};

// This thread's CPU time in milliseconds.
inline double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) * 1e-6;
}

// Empties the processor's caches of everything else by reading 64 MB, twice
// the largest last-level cache of the machines measured here. Reads, so the
// lines left behind are clean and leaving costs nothing later.
class CacheEmptier {
  public:
    static constexpr std::size_t kBytes = 64u << 20;
    void operator()() {
        unsigned sum = 0;
        for (std::size_t i = 0; i < kBytes; i += 64) sum += static_cast<unsigned char>(m_lines[i]);
        benchmark::DoNotOptimize(sum);
    }

  private:
    std::vector<char> m_lines = std::vector<char>(kBytes, 1);
};

// Times a baseline and a figure turn about on this thread's CPU clock, so
// that a slow spell of a shared machine falls on both alike; before() runs
// ahead of each side, untimed. Counters: each side's median in ms and
// "ratio", the median of the turns' ratios.
template <class Before, class Baseline, class Figure>
void RunPairedAfter(benchmark::State& st, Before before, Baseline baseline, Figure figure) {
    std::vector<double> base, fig, ratio;
    for (auto _ : st) {
        before();
        const double t0 = ThreadCpuMs();
        baseline();
        const double t1 = ThreadCpuMs();
        before();
        const double t2 = ThreadCpuMs();
        figure();
        const double t3 = ThreadCpuMs();
        base.push_back(t1 - t0);
        fig.push_back(t3 - t2);
        if (t1 > t0) ratio.push_back((t3 - t2) / (t1 - t0));
    }
    const auto median = [](std::vector<double>& v) {
        if (v.empty()) return 0.0;
        std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
        return v[v.size() / 2];
    };
    st.counters["baseline_ms"] = median(base);
    st.counters["figure_ms"] = median(fig);
    st.counters["ratio"] = median(ratio);
}

// The same with nothing run between the sides.
template <class Baseline, class Figure>
void RunPaired(benchmark::State& st, Baseline baseline, Figure figure) {
    RunPairedAfter(
        st, [] {}, baseline, figure);
}

}  // namespace vortan::bench
