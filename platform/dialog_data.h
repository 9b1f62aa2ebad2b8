// Dialog data exchange of floats with edit texts.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vortan {

// Six significant digits in general form ("%g"): 2 -> "2", 2.5 -> "2.5".
std::string FormatDialogFloat(float value);

// The float an edit holds: a decimal or exponent number with leading and
// trailing blanks allowed; nothing for an empty edit or any other text.
std::optional<float> ParseDialogFloat(std::string_view text);

// The prompt shown when an edit does not hold a number.
inline constexpr const char* kEnterNumberPrompt = "Please enter a number.";

}  // namespace vortan
