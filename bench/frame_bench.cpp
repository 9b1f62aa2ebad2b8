// The cost of one animation frame as a user sees it: one palette tick plus
// turning the whole index picture into the colours shown. It should depend
// on the picture size only, not on how many streamlines were drawn.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/bench_work.h"
#include "bench/streamlet_canvas.h"
#include "palette/palette_animation.h"
#include "platform/palette_lookup.h"

namespace {

// One frame as the window shows it: a palette tick, then the whole picture
// turned into the colours shown.
void Frame(vortan::VortanFrameState& window, const vortan::IndexedCanvas& canvas,
           std::vector<std::uint32_t>& shown) {
    vortan::AnimationTick(window);
    vortan::ConvertToRgb32(canvas, window.m_palette.Entries(), shown.data());
    benchmark::DoNotOptimize(shown.data());
    benchmark::ClobberMemory();
}

// Arguments: width, height, streamlines.
void BM_AnimationFrame(benchmark::State& st) {
    const int width = static_cast<int>(st.range(0));
    const int height = static_cast<int>(st.range(1));
    const vortan::IndexedCanvas& canvas =
        vortan::bench::CachedStreamlets(width, height, static_cast<int>(st.range(2)));
    auto window = vortan::bench::SevenTableWindow(1);
    std::vector<std::uint32_t> shown(static_cast<std::size_t>(width) * height);
    for (auto _ : st) Frame(*window, canvas, shown);
    st.SetItemsProcessed(st.iterations() * width * height);
    st.counters["streamlines"] = static_cast<double>(st.range(2));
}
BENCHMARK(BM_AnimationFrame)
    ->ArgNames({"width", "height", "streamlines"})
    ->Args({640, 480, 100})
    ->Args({640, 480, 2000})
    ->Args({1920, 1080, 100})
    ->Args({1920, 1080, 2000})
    ->Unit(benchmark::kMillisecond);

// An 8 MB copy and a 1920 x 1080 frame of st.range(0) streamlines, turn
// about, with before() run ahead of each side.
template <class Before>
void FrameAgainstCopy(benchmark::State& st, Before before) {
    const vortan::IndexedCanvas& canvas =
        vortan::bench::CachedStreamlets(1920, 1080, static_cast<int>(st.range(0)));
    auto window = vortan::bench::SevenTableWindow(1);
    std::vector<std::uint32_t> shown(canvas.Pixels().size());
    vortan::bench::EightMegabyteCopy copy;
    vortan::bench::RunPairedAfter(
        st, before, [&] { copy(); }, [&] { Frame(*window, canvas, shown); });
}

// Their ratio on a shared machine, each side starting with the caches the
// other left.
void BM_PairedFrame(benchmark::State& st) {
    FrameAgainstCopy(st, [] {});
}
BENCHMARK(BM_PairedFrame)
    ->ArgName("streamlines")
    ->Arg(100)
    ->Arg(2000)
    ->Unit(benchmark::kMillisecond);

// The same with the caches emptied before each side: the frame's ids,
// picture and output come from memory, as do the copy's buffers. The other
// end from a frame repeated alone, whose 10 MB stay in the cache; a window
// whose ticks are 10-50 ms apart, with the X server and other programs
// running in between, lies somewhere between the two.
void BM_FromMemoryFrame(benchmark::State& st) {
    vortan::bench::CacheEmptier empty;
    FrameAgainstCopy(st, [&] { empty(); });
}
BENCHMARK(BM_FromMemoryFrame)
    ->ArgName("streamlines")
    ->Arg(100)
    ->Arg(2000)
    ->Unit(benchmark::kMillisecond);

// The look-up alone on the 2,000-streamline picture: 0 the path this
// processor takes, 1 the plain C++ path every processor can take.
void BM_LookUpPath(benchmark::State& st) {
    const vortan::IndexedCanvas& canvas = vortan::bench::CachedStreamlets(1920, 1080, 2000);
    auto window = vortan::bench::SevenTableWindow(1);
    const vortan::ColourLut lut = vortan::MakeColourLut(window->m_palette.Entries());
    const auto lookUp = st.range(0) == 0 ? vortan::LookUpRow : vortan::LookUpRowPortable;
    std::vector<std::uint32_t> shown(canvas.Pixels().size());
    for (auto _ : st) {
        lookUp(canvas.Row(0), shown.data(), shown.size(), lut);
        benchmark::DoNotOptimize(shown.data());
        benchmark::ClobberMemory();
    }
    st.SetItemsProcessed(st.iterations() * static_cast<std::int64_t>(shown.size()));
}
BENCHMARK(BM_LookUpPath)->ArgName("portable")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
