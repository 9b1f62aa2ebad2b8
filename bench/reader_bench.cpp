// Throughput of reading and parsing the benchmark file (bench_file.h), of
// reading its records alone, and of the number reader.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "bench/bench_file.h"
#include "bench/bench_work.h"
#include "view/streamline_reader.h"

namespace {

using namespace vortan;

using bench::File;
using bench::StreamlineBenchFile;

void BM_ReadAndParse(benchmark::State& st) {
    const StreamlineBenchFile& bench = File();
    auto state = std::make_unique<VortanFrameState>();
    std::string text;
    int parsed = 0;
    for (auto _ : st) {
        parsed = bench::ReadAndParse(bench.path(), *state, text);
        if (parsed < 0) {
            st.SkipWithError("cannot open the benchmark file");
            return;
        }
        benchmark::DoNotOptimize(state->m_knots.data());
    }
    if (parsed != bench::kLines) st.SkipWithError("not every streamline was parsed");
    st.counters["streamlines"] = parsed;
    st.SetBytesProcessed(static_cast<std::int64_t>(st.iterations()) *
                         static_cast<std::int64_t>(bench.bytes()));
}
BENCHMARK(BM_ReadAndParse)->Unit(benchmark::kMillisecond);

// The read-only pass and reading and parsing, turn about.
void BM_PairedReadAndParse(benchmark::State& st) {
    const StreamlineBenchFile& bench = File();
    auto state = std::make_unique<VortanFrameState>();
    std::vector<unsigned char> block(256 * 1024);
    std::string text;
    unsigned sum = 0;
    int parsed = 0;
    bench::RunPaired(
        st,
        [&] {
            bench::ReadOnlyPass(bench.path(), block, sum);
            benchmark::DoNotOptimize(sum);
        },
        [&] {
            parsed = bench::ReadAndParse(bench.path(), *state, text);
            benchmark::DoNotOptimize(state->m_knots.data());
        });
    if (parsed != bench::kLines) st.SkipWithError("not every streamline was parsed");
}
BENCHMARK(BM_PairedReadAndParse)->Unit(benchmark::kMillisecond);

void BM_ReadRecordsOnly(benchmark::State& st) {
    const StreamlineBenchFile& bench = File();
    std::string text;
    for (auto _ : st) {
        StreamlineFile file;
        if (!file.Open(bench.path())) {
            st.SkipWithError("cannot open the benchmark file");
            return;
        }
        ReadStreamlineHeader(file);
        for (std::string_view record; ReadStreamlineRecordView(file, text, record);)
            benchmark::DoNotOptimize(record.data());
    }
    st.SetBytesProcessed(static_cast<std::int64_t>(st.iterations()) *
                         static_cast<std::int64_t>(bench.bytes()));
}
BENCHMARK(BM_ReadRecordsOnly)->Unit(benchmark::kMillisecond);

void BM_ReadNumber(benchmark::State& st) {
    const std::string text =
        "0.7853981633974483, -5.52`*^-14, 16.799999999999997`, 1.5`15.9, 2.5*^-7, ";
    std::size_t count = 0;
    for (auto _ : st) {
        std::size_t pos = 0;
        while (pos < text.size()) {
            std::size_t end = pos;
            benchmark::DoNotOptimize(ReadNumber(text.data(), text.size(), pos, &end));
            pos = end + 1;
            ++count;
        }
    }
    st.SetItemsProcessed(static_cast<std::int64_t>(count));
}
BENCHMARK(BM_ReadNumber);

}  // namespace
