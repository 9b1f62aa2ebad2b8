// START's checks of the settings, and the parameters it hands the window.
#pragma once

#include <string>

#include "app/settings_record.h"
#include "platform/message_sink.h"
#include "view/vortan_frame_state.h"

namespace vortan {

// Runs the five checks in order, each failure showing its message at once;
// returns true when all passed.
bool ValidateStartSettings(const SettingsRecord& record, IMessageSink& sink);

// The parameters START copies into a new window; floats truncated toward zero.
AnimationParameters MakeAnimationParameters(const SettingsRecord& record, float imageWidth,
                                            float imageHeight, float dimension,
                                            const std::string& inputPath);

}  // namespace vortan
