#include "platform/dialog_data.h"

#include <cctype>
#include <charconv>
#include <cstdio>

namespace vortan {

std::string FormatDialogFloat(float value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%g", static_cast<double>(value));
    std::string s = buf;
    // Keep the decimal point a point whatever the C locale says.
    for (char& c : s)
        if (c == ',') c = '.';
    return s;
}

std::optional<float> ParseDialogFloat(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && std::isspace(static_cast<unsigned char>(text[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1]))) --e;
    if (b == e) return std::nullopt;
    std::string_view s = text.substr(b, e - b);
    bool negative = false;
    if (s.front() == '+' || s.front() == '-') {
        negative = s.front() == '-';
        s.remove_prefix(1);
        if (s.empty() || s.front() == '+' || s.front() == '-') return std::nullopt;
    }
    // Only decimal and exponent notation: no inf, nan or hex.
    for (char c : s)
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == 'e' || c == 'E' ||
              c == '+' || c == '-'))
            return std::nullopt;
    double v = 0.0;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
    if (ptr != s.data() + s.size()) return std::nullopt;
    // Beyond the double range (1e400) is no number an edit can hold.
    if (ec != std::errc()) return std::nullopt;
    return static_cast<float>(negative ? -v : v);
}

}  // namespace vortan
