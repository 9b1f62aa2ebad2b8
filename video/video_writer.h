// MP4 (H.264) and WebM (VP9) export of the palette animation, written with
// FFmpeg's libraries. Every frame is the same index picture looked up in the
// palette of one tick, so the picture is converted once per tick and never
// redrawn; the video holds whole periods, so its loop has no seam.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "platform/indexed_canvas.h"
#include "platform/message_sink.h"
#include "video/video_plan.h"
#include "view/vortan_frame_state.h"

namespace vortan::video {

struct VideoOptions {
    VideoRequest request;
    int pictureHeight = -1;  // rows of the canvas to write (-1: all)
    // The encoded video is held in memory until it is complete; a larger
    // one is refused.
    std::size_t maxBytes = std::size_t{4} << 30;
    // Called after each frame with (frames encoded, frames in all).
    std::function<void(int, int)> progress;
};

// Plans the video (refusing what the codec cannot take before any work),
// encodes it into memory and writes it through a temporary file, so an
// existing file survives any failure. Frame f shows state's palette after
// plan.firstTick + f ticks (state itself is not changed); cleared pixels are
// black, odd sizes are padded with black on the right and at the bottom. On
// failure reports a message naming the file and the reason (caption
// "Error") and returns false.
bool WriteVideo(const std::string& path, const IndexedCanvas& canvas, const VortanFrameState& state,
                const VideoOptions& options, IMessageSink& sink);

}  // namespace vortan::video
