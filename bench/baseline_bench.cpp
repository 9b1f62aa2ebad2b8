// Baselines the other figures are read against, measured in the same run:
// a plain copy of 8 MB (the size of a 1920 x 1080 RGB32 frame) and one
// read-only pass over the benchmark file (bench_file.h) through stdio.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "bench/bench_file.h"
#include "bench/bench_work.h"

namespace {

void BM_BaselineMemoryCopy8MB(benchmark::State& st) {
    vortan::bench::EightMegabyteCopy copy;
    for (auto _ : st) copy();
    st.SetBytesProcessed(
        static_cast<std::int64_t>(st.iterations() * vortan::bench::EightMegabyteCopy::kBytes));
}
BENCHMARK(BM_BaselineMemoryCopy8MB)->Unit(benchmark::kMillisecond);

// Every byte of the file reaches memory once, in the reader's block size,
// and is looked at once (a sum), as the cheapest possible reader would.
void BM_BaselineReadOnlyPass(benchmark::State& st) {
    const auto& file = vortan::bench::File();
    std::vector<unsigned char> block(256 * 1024);
    unsigned sum = 0;
    for (auto _ : st) {
        if (!vortan::bench::ReadOnlyPass(file.path(), block, sum)) {
            st.SkipWithError("cannot open the benchmark file");
            return;
        }
        benchmark::DoNotOptimize(sum);
    }
    st.SetBytesProcessed(static_cast<std::int64_t>(st.iterations() * file.bytes()));
}
BENCHMARK(BM_BaselineReadOnlyPass)->Unit(benchmark::kMillisecond);

}  // namespace
