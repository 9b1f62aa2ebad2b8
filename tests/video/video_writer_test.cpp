#include "video/video_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>

#include "bench/streamlet_canvas.h"
#include "palette/palette_animation.h"
#include "tests/formats/format_test_support.h"
#include "tests/test_support.h"
#include "tests/video/video_test_support.h"

namespace vortan::test {
namespace {

using video::Codec;
using video::VideoOptions;
using video::WriteVideo;

// Mean channel error over drawn pixels; over background 3 from any drawn, mean and share > 4.
struct Difference {
    double drawnMean = 0, blackMean = 0, blackBright = 0;
};

Difference Compare(const std::vector<std::uint8_t>& rgb, int frameWidth, int frameHeight,
                   const IndexedCanvas& canvas, const VortanFrameState& state, int ticks) {
    auto ticked = std::make_unique<VortanFrameState>(state);
    for (int t = 0; t < ticks; ++t) AnimationTick(*ticked);
    const PaletteEntries& palette = ticked->m_palette.Entries();
    auto nearDrawn = [&](int x, int y) {
        for (int v = std::max(y - 2, 0); v <= std::min(y + 2, canvas.Height() - 1); ++v)
            for (int u = std::max(x - 2, 0); u <= std::min(x + 2, canvas.Width() - 1); ++u)
                if (canvas.Pixel(u, v) != kClearedPixel) return true;
        return false;
    };
    long long drawnSum = 0, drawn = 0, blackSum = 0, black = 0, bright = 0;
    for (int y = 0; y < frameHeight; ++y)
        for (int x = 0; x < frameWidth; ++x) {
            const std::uint8_t* got = &rgb[3 * (static_cast<std::size_t>(y) * frameWidth + x)];
            const bool inside = x < canvas.Width() && y < canvas.Height();
            const CanvasPixel p = inside ? canvas.Pixel(x, y) : kClearedPixel;
            if (p != kClearedPixel) {
                const Rgb want = PixelColour(p, palette);
                drawnSum += std::abs(got[0] - want.r) + std::abs(got[1] - want.g) +
                            std::abs(got[2] - want.b);
                drawn += 3;
            } else if (!nearDrawn(x, y)) {
                for (int k = 0; k < 3; ++k) blackSum += got[k], bright += got[k] > 4;
                black += 3;
            }
        }
    const auto mean = [](long long sum, long long n) { return n ? double(sum) / double(n) : 0; };
    return {mean(drawnSum, drawn), mean(blackSum, black), mean(bright, black)};
}

TEST(VideoWriter, ProbedAndDecodedFramesMatchTheAnimation) {
    // 199 x 99: odd both ways, so the video is padded to 200 x 100.
    const IndexedCanvas canvas = bench::DrawStreamlets(199, 99, 40);
    auto dimming = bench::SevenTableWindow(1);  // period 32, starts one tick on
    auto plain = bench::SevenTableWindow(0);    // period 32, starts at tick 0
    plain->m_timeDelay = 30;
    struct Case {
        const char* name;
        const VortanFrameState* state;
        Codec codec;
        int loops, fps;
        const char* file;
        std::string codecName, rate, duration;
        int frames, firstTick;
    };
    const Case cases[] = {
        {"MP4, defaults: 32 loops at 100 frames a second", dimming.get(), Codec::kH264, 0, 0,
         "v.mp4", "h264", "100/1", "10.240000", 1024, 1},
        {"MP4, 30 ms a tick, no dimming", plain.get(), Codec::kH264, 1, 0, "v.mp4", "h264", "100/3",
         "0.960000", 32, 0},
        {"WebM, 3 loops at 50 frames a second", dimming.get(), Codec::kVp9, 3, 50, "v.webm", "vp9",
         "50/1", "1.920000", 96, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        RecordingSink sink;
        VideoOptions options;
        options.request = {c.codec, c.loops, c.fps, -1};
        std::vector<std::pair<int, int>> progress;  // done, all
        options.progress = [&](int done, int all) { progress.emplace_back(done, all); };
        const PaletteEntries before = c.state->m_palette.Entries();
        ASSERT_TRUE(WriteVideo(dir.file(c.file), canvas, *c.state, options, sink));
        EXPECT_TRUE(sink.messages.empty());
        EXPECT_EQ(c.state->m_palette.Entries(), before);
        EXPECT_EQ(progress.size(), static_cast<std::size_t>(c.frames));
        EXPECT_EQ(progress.back(), std::pair(c.frames, c.frames));

        const auto probe = Probe(dir.file(c.file));
        ASSERT_FALSE(probe.empty()) << "ffprobe failed";
        std::string probed;  // codec, pixel format, size, frames, rate
        for (const char* key :
             {"codec_name", "pix_fmt", "width", "height", "nb_read_frames", "avg_frame_rate"})
            probed += probe.at(key) + " ";
        EXPECT_EQ(probed, c.codecName + " yuv420p 200 100 " + std::to_string(c.frames) + " " +
                              c.rate + " ");
        EXPECT_NEAR(std::stod(probe.at("duration")), std::stod(c.duration), 0.0005);

        const DecodedVideo decoded = DecodeVideo(dir.file(c.file), 200, 100);
        ASSERT_TRUE(decoded.ok);
        EXPECT_EQ(decoded.frames, c.frames);
        // The first frame is the animation firstTick ticks on, on a black background.
        const Difference first = Compare(decoded.first, 200, 100, canvas, *c.state, c.firstTick);
        EXPECT_LT(first.drawnMean, 5.0);
        EXPECT_LT(first.blackMean, 1.0);
        EXPECT_LT(first.blackBright, 0.01);
        // The last frame is one tick before the first again (no seam), nearer than neighbours.
        const auto last = [&](int tick) {
            return Compare(decoded.last, 200, 100, canvas, *c.state,
                           c.firstTick + c.frames - 1 + tick)
                .drawnMean;
        };
        EXPECT_LT(last(0), 6.0);
        EXPECT_LT(2 * last(0), last(-1));
        EXPECT_LT(2 * last(0), last(1));
    }
}

TEST(VideoWriter, FailuresKeepThePreviousFile) {
    const IndexedCanvas canvas = bench::DrawStreamlets(199, 99, 40);
    auto state = bench::SevenTableWindow(1);
    struct Case {
        const char* name;
        video::VideoRequest request;
        int rows;
        const char* file;
        rlim_t sizeLimit;
        std::size_t maxBytes;
        std::string message;  // after "Unable to write PATH"
    };
    // clang-format off
    const Case cases[] = {
        {"no rows", {}, 0, "v.mp4", 0, 1 << 30, ": the picture is empty"},
        {"full disk", {Codec::kH264, 1, 0, -1}, -1, "v.mp4", 3000, 1 << 30, ": File too large"},
        {"larger than the memory allowed", {Codec::kVp9, 2, 0, -1}, -1, "v.webm", 0, 5000,
         ": the video would be larger than 5000 bytes; use fewer loops (--loops) or a higher --crf"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        for (const char* old : {"v.mp4", "v.webm"}) WriteTextFile(dir.file(old), "old video");
        RecordingSink sink;
        VideoOptions options;
        options.request = c.request;
        options.pictureHeight = c.rows;
        options.maxBytes = c.maxBytes;
        {
            FileSizeLimit limit(c.sizeLimit);
            EXPECT_FALSE(WriteVideo(dir.file(c.file), canvas, *state, options, sink));
        }
        EXPECT_EQ(sink.messages,
                  (std::vector<RecordedMessage>{{"Unable to write " + dir.file(c.file) + c.message,
                                                 "Error", MB_OK | MB_ICONEXCLAMATION}}));
        EXPECT_EQ(ReadWholeFile(dir.file("v.mp4")) + "|" + ReadWholeFile(dir.file("v.webm")),
                  "old video|old video");
        EXPECT_EQ(CountEntries(dir.path()), 2);
    }
}

}  // namespace
}  // namespace vortan::test
