// A self-contained web page that plays the palette animation of a drawn
// picture: the index picture once as an embedded PNG, the palettes of one
// period as a second embedded PNG, and a small script that looks every
// pixel's colour up in the palette of the tick shown. The page loads nothing
// from the network and works from a file:// URL.
#pragma once

#include <string>

#include "platform/indexed_canvas.h"
#include "platform/message_sink.h"
#include "view/vortan_frame_state.h"

namespace vortan::page {

struct PageOptions {
    std::string name;        // what the page shows (usually the input's file name)
    int pictureHeight = -1;  // rows of the canvas to show (-1: all)
};

// Longest period (in ticks) a page carries; the palettes of every tick of
// it are stored, one row of a picture each.
inline constexpr int kMaxPagePeriod = 8192;

// The line of text under the title: the picture size and the animation's
// settings (tables, shift, dimming, delay, period).
std::string DescribeAnimation(const VortanFrameState& state, int width, int rows);

// The tick interval the page plays at speed 1, in milliseconds: the
// settings' time delay with the window's timer floor of 10 ms.
int PageTickInterval(const VortanFrameState& state);

// Builds the page's text. Frame k shows the palette after k ticks of
// state's animation (state itself is not changed): pixels drawn with index
// i take palette entry i, cleared pixels the entry nearest to black, as the
// indexed PNG export writes them. Returns false with a reason when the
// picture is empty or the period is too long.
bool BuildAnimationPage(const IndexedCanvas& canvas, const VortanFrameState& state,
                        const PageOptions& options, std::string& html, std::string& error);

// Builds the page and writes it through a temporary file, so an existing
// file survives a failure. Reports a failure naming the file (caption
// "Error") and returns false.
bool WriteAnimationPage(const std::string& path, const IndexedCanvas& canvas,
                        const VortanFrameState& state, const PageOptions& options,
                        IMessageSink& sink);

// Escapes text for HTML element content and quoted attribute values.
std::string EscapeHtml(const std::string& text);

}  // namespace vortan::page
