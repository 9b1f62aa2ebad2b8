// The one way engine code reports to the user: a message box with text,
// caption and type. The window layer shows it; command-line tools print it.
#pragma once

#include <string>

#include "platform/win_types.h"

namespace vortan {

class IMessageSink {
  public:
    virtual ~IMessageSink() = default;
    // Shows a modal message; returns the button pressed (IDOK, IDCANCEL, ...).
    // An empty caption means "the application's name".
    virtual int MessageBox(const std::string& text, const std::string& caption, unsigned type) = 0;
};

// Prints every message as "caption: text" on a stream (stderr by default).
class StderrMessageSink : public IMessageSink {
  public:
    int MessageBox(const std::string& text, const std::string& caption, unsigned type) override;
};

// The application's name, used as caption of messages without one of their own.
inline constexpr const char* kAppName = "vortan";

}  // namespace vortan
