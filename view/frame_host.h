// What a drawing pass needs from the window it draws for: the status bar,
// message boxes, the timer, and a chance to show progress.
#pragma once

#include <cstdint>
#include <string>

#include "platform/message_sink.h"

namespace vortan {

// The window's single timer: the screen pass starts it, every tick animates the palette.
inline constexpr unsigned kAnimationTimerId = 1;
// The message shown when the platform refuses the animation timer.
inline constexpr const char* kNoTimerText = "Not enough timers available for this window.";
inline constexpr const char* kNoTimerCaption = "vortan:CVortanFrame";

class IFrameHost : public IMessageSink {
  public:
    // Sets the status bar's text; repaintFirst repaints the bar at once first.
    virtual void SetStatusText(const std::string& text, bool repaintFirst) = 0;
    // Starts (or re-arms) timer id with period milliseconds; false when refused.
    virtual bool SetTimer(unsigned id, std::uint32_t period) = 0;
    virtual void KillTimer(unsigned id) = 0;
    // Called after each drawn streamline, so a window can present progress.
    virtual void StreamletDrawn() {}
    // Called once per repetition of a palette tick, after every colour table of
    // the repetition was animated: the moment a display shows the new colours.
    virtual void PaletteAnimated() {}
    // The pass's progress in percent, the number its status text shows (0
    // when a screen pass starts, then the share drawn before each streamline;
    // the file's progress step may carry it outside 0..100).
    virtual void ProgressChanged(int /*percent*/) {}
};

}  // namespace vortan
