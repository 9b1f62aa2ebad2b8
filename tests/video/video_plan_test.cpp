#include "video/video_plan.h"

#include <gtest/gtest.h>

#include "tests/formats/format_test_support.h"

namespace vortan::test {
namespace {

using video::Codec;
using video::PlanVideo;
using video::VideoPlan;
using video::VideoRequest;

TEST(VideoPlan, RateLoopsPaddingAndFirstTickAndWhatTheCodecCannotTake) {
    struct PlanCase {
        const char* name;
        LayoutCase layout;
        int delay;
        VideoRequest request;
        int width, height;
        int paddedWidth, paddedHeight, rateNum, rateDen, firstTick, loops, frames, crf;
    };
    const LayoutCase seven{"", true, 7, 0, 1, 1};     // period 32, dimming: off the cycle
    const LayoutCase plain{"", true, 7, 0, 1, 0};     // period 32, on the cycle
    const LayoutCase without{"", false, 0, 1, 3, 0};  // period 256
    // clang-format off
    const PlanCase cases[] = {
        // name, layout, delay, request, size, then padded size, rate, first tick, loops, frames, crf
        {"a delay below the 10 ms floor", seven, 4, {Codec::kVp9}, 641, 321,
         642, 322, 100, 1, 1, 32, 1024, 30},
        {"30 ms: 100/3 frames a second, 11 loops", plain, 30, {}, 33, 17,
         34, 18, 100, 3, 0, 11, 352, 18},
        {"--fps and --loops given", plain, 30, {Codec::kH264, 2, 25, 0}, 2, 2,
         2, 2, 25, 1, 0, 2, 64, 0},
        {"2 s a tick: one loop is long enough", without, 2000, {Codec::kVp9, 0, 0, 63}, 1, 1,
         2, 2, 1, 2, 0, 1, 256, 63},
        {"240 frames a second, 10 loops of 256", without, 0, {Codec::kH264, 0, 240, 51}, 9, 9,
         10, 10, 240, 1, 0, 10, 2560, 51},
    };
    // clang-format on
    for (const PlanCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto state = MakeState(c.layout);
        state->m_timeDelay = c.delay;
        VideoPlan plan;
        std::string error;
        ASSERT_TRUE(PlanVideo(c.width, c.height, *state, c.request, plan, error)) << error;
        EXPECT_EQ(
            std::tuple(plan.width, plan.height, plan.paddedWidth, plan.paddedHeight, plan.rateNum,
                       plan.rateDen, plan.firstTick, plan.loops, plan.frames, plan.crf),
            std::tuple(c.width, c.height, c.paddedWidth, c.paddedHeight, c.rateNum, c.rateDen,
                       c.firstTick, c.loops, c.frames, c.crf));
    }
    // What the codec cannot take: what; request; picture width, height; the error ("": accepted)
    using Case = std::tuple<const char*, VideoRequest, int, int, std::string>;
    const std::string h264Blocks =
        " picture is larger than H.264 allows (at most 139264 blocks "
        "of 16 \u00d7 16 pixels, such as 8192 \u00d7 4320)";
    // clang-format off
    const Case refusals[] = {
        {"H.264: 8192 x 4352 is the largest frame that wide", {}, 8192, 4352, ""},
        {"H.264: one row of blocks more", {}, 8192, 4353, "a 8192 \u00d7 4353" + h264Blocks},
        {"H.264: a large frame at 240 frames a second", {Codec::kH264, 0, 240, -1}, 8192, 4320,
         "a 8192 \u00d7 4320 picture at 240 frames a second is more than H.264 allows; lower "
         "the frame rate (--fps)"},
        {"VP9: 16384 x 2176 fits", {Codec::kVp9, 0, 1, -1}, 16384, 2176, ""},
        {"VP9: 16384 x 16384", {Codec::kVp9}, 16384, 16384,
         "a 16384 \u00d7 16384 picture is larger than VP9 allows (at most 35651584 pixels, "
         "16384 a side)"},
        {"VP9: 16383 wide is padded past 16384", {Codec::kVp9, 0, 1, -1}, 16383, 8, ""},
        {"empty picture", {}, 0, 10, "the picture is empty"},
        {"loops beyond the range", {Codec::kH264, 10001, 0, -1}, 10, 10,
         "the loop count must be from 1 to 10000"},
        {"fps beyond the range", {Codec::kH264, 0, 241, -1}, 10, 10,
         "the frame rate must be from 1 to 240"},
        {"crf beyond H.264's range", {Codec::kH264, 0, 0, 52}, 10, 10,
         "the quality (crf) must be from 0 to 51"},
        {"too many frames", {Codec::kH264, 4000, 0, -1}, 10, 10,
         "4000 loops of 32 frames make 128000 frames, more than 100000"},
    };
    // clang-format on
    for (const auto& [name, request, width, height, wanted] : refusals) {
        SCOPED_TRACE(name);
        auto state = MakeState(seven);
        VideoPlan plan;
        std::string error;
        const bool planned = PlanVideo(width, height, *state, request, plan, error);
        EXPECT_EQ(planned, wanted.empty());
        EXPECT_EQ(planned ? "" : error, wanted);
    }
}

}  // namespace
}  // namespace vortan::test
