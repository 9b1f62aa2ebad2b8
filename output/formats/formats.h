// Animated GIF and indexed PNG export of a drawn picture (giflib, libpng).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/indexed_canvas.h"
#include "platform/message_sink.h"
#include "view/vortan_frame_state.h"

namespace vortan {

// Outputs from this size on are announced before they are written.
inline constexpr std::uint64_t kLargeOutputBytes = std::uint64_t{1} << 30;

struct GifOptions {
    int frames = 0;          // 0: one period of the animation (seamless loop)
    int delayMs = 0;         // frame delay; GIF stores hundredths of a second
    int pictureHeight = -1;  // rows of the canvas to write (-1: all)
    // Called after each frame with (frames written, frames in all).
    std::function<void(int, int)> progress;
    // Called once before the file is opened with the bytes the file will
    // take (exact when every frame shares its pixels, else from the first
    // frame's), when that reaches largeOutputFrom.
    std::function<void(std::uint64_t)> largeOutput;
    std::uint64_t largeOutputFrom = kLargeOutputBytes;
};

// "writing about 12.3 GiB to PATH", for a notice before a large output.
std::string LargeOutputText(const std::string& path, std::uint64_t bytes);

// Writes the canvas as an animated GIF, one frame per palette tick of state
// (the first frame is the palette as it is now), looping forever. The state's
// palette is advanced by the frames written, so after a whole period it is
// back where it was. A palette that never comes back (the undimmed colours of
// creation with intensity dimming on) is ticked once before the first frame,
// so the loop has no seam. On failure reports a message naming the file
// (caption "Error") and returns false; an existing file survives.
bool WriteAnimatedGif(const std::string& path, const IndexedCanvas& canvas, VortanFrameState& state,
                      const GifOptions& options, IMessageSink& sink);

// Writes the canvas as an 8-bit palette PNG with the palette's current colours.
bool WriteIndexedPng(const std::string& path, const IndexedCanvas& canvas,
                     const PaletteEntries& palette, int pictureHeight, IMessageSink& sink);

// Most frames one GIF export writes (--frames beyond this is refused).
inline constexpr int kMaxGifFrames = 10000;

// The GIF frame delay in hundredths of a second for a delay in milliseconds:
// the nearest hundredth (halves up), at least 2 and at most 65535. Viewers
// show 0 and 1 hundredth as a tenth of a second, so a delay below 20 ms is
// written as 20 ms, the fastest rate they all honour.
int GifDelayHundredths(int delayMs);

// How cleared (black) pixels are written into the one index picture that
// every frame of a GIF shares.
struct ClearedPixelPlan {
    enum class Kind {
        None,        // the picture has no cleared pixels
        FixedBlack,  // index is black and not animatable: black in every frame
        SpareIndex,  // index is drawn nowhere: each frame's table makes it black
        PerFrame,    // every index is drawn and none stays black: each frame
                     // writes cleared pixels as its palette's nearest-to-black
    };
    Kind kind = Kind::None;
    int index = 0;  // unused for None and PerFrame
};
ClearedPixelPlan PlanClearedPixels(const IndexedCanvas& canvas, int rows,
                                   const PaletteEntries& palette);

}  // namespace vortan
