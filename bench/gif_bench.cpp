// The time to export one period of the animation (32 frames with seven
// colour tables) as an animated GIF, for few and many streamlines.
#ifdef VORTAN_HAVE_FORMATS
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/streamlet_canvas.h"
#include "output/formats/formats.h"

namespace {

class SilentSink : public vortan::IMessageSink {
  public:
    int MessageBox(const std::string& text, const std::string&, unsigned) override {
        last = text;
        return vortan::IDOK;
    }
    std::string last;
};

// Arguments: streamlines (on a 640 x 480 picture).
void BM_GifOnePeriod(benchmark::State& st) {
    const vortan::IndexedCanvas& canvas =
        vortan::bench::CachedStreamlets(640, 480, static_cast<int>(st.range(0)));
    auto window = vortan::bench::SevenTableWindow(1);
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("vortan-bench-" + std::to_string(::getpid()) + ".gif"))
                                 .string();
    SilentSink sink;
    vortan::GifOptions options;
    options.delayMs = 40;
    for (auto _ : st) {
        if (!vortan::WriteAnimatedGif(path, canvas, *window, options, sink)) {
            st.SkipWithError(sink.last.c_str());
            break;
        }
    }
    std::error_code ec;
    st.counters["frames"] = 32;
    st.counters["file_KiB"] = static_cast<double>(std::filesystem::file_size(path, ec)) / 1024.0;
    std::filesystem::remove(path, ec);
}
BENCHMARK(BM_GifOnePeriod)
    ->ArgNames({"streamlines"})
    ->Arg(100)
    ->Arg(2000)
    ->Unit(benchmark::kMillisecond);

}  // namespace
#endif
