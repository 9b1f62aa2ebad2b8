// Tracing the double gyre sampled on 1024 x 512 nodes into evenly spaced
// streamlines for an 800 x 400 picture: the time at 6 px, and how the time
// grows with the number of points written (separations 24 px down to 3 px).
// Baseline in the same run: one pass reading every node of the field.
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>

#include "trace/tracer.h"

namespace {

using namespace vortan::trace;

const VectorField& DoubleGyre() {
    static const VectorField field = [] {
        using std::numbers::pi;
        VectorField f;
        f.dimension = 2;
        const std::size_t nx = 1024, ny = 512;
        for (std::size_t i = 0; i < nx; ++i) f.x.push_back(2.0 * double(i) / double(nx - 1));
        for (std::size_t j = 0; j < ny; ++j) f.y.push_back(double(j) / double(ny - 1));
        f.z = {0.0};
        for (const double y : f.y) {
            for (const double x : f.x) {
                f.u.push_back(-pi * std::sin(pi * x) * std::cos(pi * y));
                f.v.push_back(pi * std::cos(pi * x) * std::sin(pi * y));
            }
        }
        f.description = "double gyre";
        return f;
    }();
    return field;
}

void Trace(benchmark::State& st, double separation) {
    const VectorField& field = DoubleGyre();
    TraceOptions options;
    options.separation = separation;
    options.width = 800;
    options.height = 400;
    TraceResult result;
    for (auto _ : st) {
        result = TraceField(field, options);
        benchmark::DoNotOptimize(result.streamlines.data());
    }
    if (!result.ok) st.SkipWithError(result.error.c_str());
    st.counters["streamlines"] = double(result.streamlines.size());
    st.counters["points"] = double(result.points);
    st.counters["points_per_s"] =
        benchmark::Counter(double(result.points), benchmark::Counter::kIsIterationInvariantRate);
    st.SetComplexityN(static_cast<benchmark::IterationCount>(result.points));
}

// The headline figure: 6 px apart.
void BM_TraceDoubleGyre(benchmark::State& st) {
    Trace(st, 6.0);
}
BENCHMARK(BM_TraceDoubleGyre)->Unit(benchmark::kMillisecond);

// Separation 48 / range(0) px: points written grow as the separation
// shrinks; time per point should stay about the same (linear cost).
void BM_TraceDoubleGyreBySeparation(benchmark::State& st) {
    Trace(st, 48.0 / double(st.range(0)));
}
BENCHMARK(BM_TraceDoubleGyreBySeparation)
    ->Arg(2)
    ->Arg(4)
    ->Arg(8)
    ->Arg(16)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

// Baseline: reading every node's components once.
void BM_FieldReadPass(benchmark::State& st) {
    const VectorField& field = DoubleGyre();
    for (auto _ : st) {
        double sum = 0.0;
        for (std::size_t n = 0; n < field.Nodes(); ++n) sum += field.u[n] * field.v[n];
        benchmark::DoNotOptimize(sum);
    }
    st.SetBytesProcessed(static_cast<std::int64_t>(st.iterations()) *
                         static_cast<std::int64_t>(2 * sizeof(double) * field.Nodes()));
}
BENCHMARK(BM_FieldReadPass)->Unit(benchmark::kMillisecond);

}  // namespace
