// What a video export will write, worked out before any encoding: frame
// rate, loops, frame count, the padded picture, and the codec's limits.
#pragma once

#include <cstdint>
#include <string>

#include "view/vortan_frame_state.h"

namespace vortan::video {

enum class Codec {
    kH264,  // MP4, libx264, yuv420p
    kVp9,   // WebM, libvpx-vp9, yuv420p
};

// Ranges of the options (checked as argument errors by the tools).
inline constexpr int kMaxLoops = 10000;
inline constexpr int kMaxFps = 240;
inline constexpr int kMaxFrames = 100000;  // the whole video, held in memory until written
// The shortest video the default loop count makes, in seconds.
inline constexpr int kDefaultSeconds = 10;

int MaxCrf(Codec codec);      // 51 for H.264, 63 for VP9
int DefaultCrf(Codec codec);  // 18 for H.264, 30 for VP9

struct VideoRequest {
    Codec codec = Codec::kH264;
    int loops = 0;  // whole periods; 0: as many as last at least kDefaultSeconds
    int fps = 0;    // frames a second; 0: one frame per timer tick of the settings
    int crf = -1;   // quality (lower is better); -1: DefaultCrf
};

struct VideoPlan {
    int width = 0, height = 0;              // the picture
    int paddedWidth = 0, paddedHeight = 0;  // even, as 4:2:0 chroma needs
    int rateNum = 0, rateDen = 1;           // frames a second = rateNum / rateDen, reduced
    int period = 1;                         // ticks until the palette repeats
    int firstTick = 0;                      // ticks before the first frame (0 or 1)
    int loops = 1;
    int frames = 1;  // loops * period; frame f shows the palette after firstTick + f ticks
    int crf = 0;
};

// Plans the video of a width x height picture of state's animation. Returns
// false with a reason when an option is out of range, the picture is empty
// or beyond the codec's limits (H.264 level 6.2: 139264 macroblocks a frame
// and 16711680 a second; VP9 level 6.2: 35651584 pixels a frame, 16384 a
// side), or the video would have more than kMaxFrames frames.
bool PlanVideo(int width, int height, const VortanFrameState& state, const VideoRequest& request,
               VideoPlan& plan, std::string& error);

}  // namespace vortan::video
