// Animated GIF and indexed PNG export of a drawn picture (giflib, libpng).
#pragma once

#include <functional>
#include <string>

#include "platform/indexed_canvas.h"
#include "platform/message_sink.h"
#include "view/vortan_frame_state.h"

namespace vortan {

struct GifOptions {
    int frames = 0;              // 0: one period of the animation (seamless loop)
    int delayMs = 0;             // frame delay; GIF stores hundredths of a second
    int pictureHeight = -1;      // rows of the canvas to write (-1: all)
    // Called after each frame with (frames written, frames in all).
    std::function<void(int, int)> progress;
};

// Writes the canvas as an animated GIF, one frame per palette tick of state
// (the first frame is the palette as it is now), looping forever. The state's
// palette is advanced by the frames written. On failure reports a message
// naming the file and returns false; an existing file survives.
bool WriteAnimatedGif(const std::string& path, const IndexedCanvas& canvas, VortanFrameState& state,
                      const GifOptions& options, IMessageSink& sink);

// Writes the canvas as an 8-bit palette PNG with the palette's current colours.
bool WriteIndexedPng(const std::string& path, const IndexedCanvas& canvas,
                     const PaletteEntries& palette, int pictureHeight, IMessageSink& sink);

}  // namespace vortan
