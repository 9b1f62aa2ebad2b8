// Video and page export of a 640 x 320 picture of 450 streamlets (seven
// tables, dimming): ten seconds of MP4 at 50 frames a second (16 periods of
// 32 frames), against the palette look-ups alone that the video makes (one
// pass over the picture a frame); and the page, with its size.
#ifdef VORTAN_HAVE_VIDEO
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bench/streamlet_canvas.h"
#include "page/animation_page.h"
#include "palette/palette_animation.h"
#include "video/video_writer.h"

namespace {

using namespace vortan;

constexpr int kWidth = 640, kHeight = 320, kStreamlines = 450, kFps = 50, kLoops = 16;

class SilentSink : public IMessageSink {
  public:
    int MessageBox(const std::string& text, const std::string&, unsigned) override {
        last = text;
        return IDOK;
    }
    std::string last;
};

std::string TempPath(const char* extension) {
    return (std::filesystem::temp_directory_path() /
            ("vortan-bench-" + std::to_string(::getpid()) + extension))
        .string();
}

// The baseline: every frame's palette look-up pass, without encoding.
void BM_VideoLookupsOnly(benchmark::State& st) {
    const IndexedCanvas& canvas = bench::CachedStreamlets(kWidth, kHeight, kStreamlines);
    auto window = bench::SevenTableWindow(1);
    std::vector<std::uint32_t> rgb(static_cast<std::size_t>(kWidth) * kHeight);
    for (auto _ : st) {
        auto ticking = std::make_unique<VortanFrameState>(*window);
        for (int f = 0; f < kLoops * 32; ++f) {
            ConvertToRgb32(canvas, ticking->m_palette.Entries(), rgb.data());
            AnimationTick(*ticking);
            benchmark::DoNotOptimize(rgb.data());
        }
    }
    st.counters["frames"] = kLoops * 32;
}
BENCHMARK(BM_VideoLookupsOnly)->Unit(benchmark::kMillisecond);

void BM_VideoMp4TenSeconds(benchmark::State& st) {
    const IndexedCanvas& canvas = bench::CachedStreamlets(kWidth, kHeight, kStreamlines);
    auto window = bench::SevenTableWindow(1);
    const std::string path = TempPath(".mp4");
    SilentSink sink;
    video::VideoOptions options;
    options.request = {video::Codec::kH264, kLoops, kFps, -1};
    for (auto _ : st) {
        if (!video::WriteVideo(path, canvas, *window, options, sink)) {
            st.SkipWithError(sink.last.c_str());
            break;
        }
    }
    std::error_code ec;
    st.counters["frames"] = kLoops * 32;
    st.counters["file_bytes"] = static_cast<double>(std::filesystem::file_size(path, ec));
    std::filesystem::remove(path, ec);
}
BENCHMARK(BM_VideoMp4TenSeconds)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PageBuild(benchmark::State& st) {
    const IndexedCanvas& canvas = bench::CachedStreamlets(kWidth, kHeight, kStreamlines);
    auto window = bench::SevenTableWindow(1);
    page::PageOptions options;
    options.name = "bench.math";
    std::string html, error;
    for (auto _ : st) {
        if (!page::BuildAnimationPage(canvas, *window, options, html, error)) {
            st.SkipWithError(error.c_str());
            break;
        }
        benchmark::DoNotOptimize(html.data());
    }
    st.counters["page_bytes"] = static_cast<double>(html.size());
}
BENCHMARK(BM_PageBuild)->Unit(benchmark::kMillisecond);

}  // namespace
#endif
