#include "video/video_plan.h"

#include <algorithm>
#include <numeric>

#include "palette/palette_animation.h"

namespace vortan::video {

namespace {

constexpr std::int64_t kH264MaxMacroblocks = 139264;
constexpr std::int64_t kH264MaxMacroblockRate = 16711680;
constexpr std::int64_t kVp9MaxPixels = 35651584;
constexpr std::int64_t kVp9MaxPixelRate = 4278190080;
constexpr int kVp9MaxSide = 16384;

std::string Size(int width, int height) {
    return std::to_string(width) + " \u00d7 " + std::to_string(height);
}

}  // namespace

int MaxCrf(Codec codec) {
    return codec == Codec::kH264 ? 51 : 63;
}

int DefaultCrf(Codec codec) {
    return codec == Codec::kH264 ? 18 : 30;
}

bool PlanVideo(int width, int height, const VortanFrameState& state, const VideoRequest& request,
               VideoPlan& plan, std::string& error) {
    plan = VideoPlan{};
    if (width < 1 || height < 1) {
        error = "the picture is empty";
        return false;
    }
    if (request.loops < 0 || request.loops > kMaxLoops) {
        error = "the loop count must be from 1 to " + std::to_string(kMaxLoops);
        return false;
    }
    if (request.fps < 0 || request.fps > kMaxFps) {
        error = "the frame rate must be from 1 to " + std::to_string(kMaxFps);
        return false;
    }
    if (request.crf < -1 || request.crf > MaxCrf(request.codec)) {
        error = "the quality (crf) must be from 0 to " + std::to_string(MaxCrf(request.codec));
        return false;
    }
    plan.width = width;
    plan.height = height;
    plan.paddedWidth = width + (width & 1);
    plan.paddedHeight = height + (height & 1);
    plan.crf = request.crf < 0 ? DefaultCrf(request.codec) : request.crf;

    // One frame per tick: the window's timer fires every max(delay, 10) ms.
    if (request.fps > 0) {
        plan.rateNum = request.fps;
        plan.rateDen = 1;
    } else {
        const int interval = std::max(state.m_timeDelay, 10);
        const int common = std::gcd(1000, interval);
        plan.rateNum = 1000 / common;
        plan.rateDen = interval / common;
    }

    const std::int64_t w = plan.paddedWidth, h = plan.paddedHeight;
    if (request.codec == Codec::kH264) {
        const std::int64_t macroblocks = ((w + 15) / 16) * ((h + 15) / 16);
        if (macroblocks > kH264MaxMacroblocks) {
            error = "a " + Size(width, height) +
                    " picture is larger than H.264 allows (at most 139264 blocks of 16 \u00d7 "
                    "16 pixels, such as 8192 \u00d7 4320)";
            return false;
        }
        if (macroblocks * plan.rateNum > kH264MaxMacroblockRate * plan.rateDen) {
            error = "a " + Size(width, height) + " picture at " + std::to_string(plan.rateNum) +
                    (plan.rateDen == 1 ? "" : "/" + std::to_string(plan.rateDen)) +
                    " frames a second is more than H.264 allows; lower the frame rate (--fps)";
            return false;
        }
    } else {
        if (w > kVp9MaxSide || h > kVp9MaxSide || w * h > kVp9MaxPixels) {
            error = "a " + Size(width, height) +
                    " picture is larger than VP9 allows (at most 35651584 pixels, 16384 a side)";
            return false;
        }
        if (w * h * plan.rateNum > kVp9MaxPixelRate * plan.rateDen) {
            error = "a " + Size(width, height) + " picture at " + std::to_string(plan.rateNum) +
                    (plan.rateDen == 1 ? "" : "/" + std::to_string(plan.rateDen)) +
                    " frames a second is more than VP9 allows; lower the frame rate (--fps)";
            return false;
        }
    }

    plan.period = std::max(AnimationPeriod(state), 1);
    plan.firstTick = PaletteOnCycle(state) ? 0 : 1;
    if (request.loops > 0) {
        plan.loops = request.loops;
    } else {
        // The fewest whole periods that last kDefaultSeconds:
        // loops * period * rateDen / rateNum >= seconds.
        const std::int64_t ticks = std::int64_t{kDefaultSeconds} * plan.rateNum;
        const std::int64_t perLoop = std::int64_t{plan.period} * plan.rateDen;
        plan.loops = static_cast<int>(std::max<std::int64_t>(1, (ticks + perLoop - 1) / perLoop));
    }
    const std::int64_t frames = std::int64_t{plan.loops} * plan.period;
    if (frames > kMaxFrames) {
        error = std::to_string(plan.loops) + " loops of " + std::to_string(plan.period) +
                " frames make " + std::to_string(frames) + " frames, more than " +
                std::to_string(kMaxFrames);
        return false;
    }
    plan.frames = static_cast<int>(frames);
    return true;
}

}  // namespace vortan::video
