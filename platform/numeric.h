// Number conversions shared by drawing, palette and dialog arithmetic.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace vortan {

// Rounds a single-precision value to the nearest 32-bit integer, an exact half
// toward zero (2.5 -> 2, 2.51 -> 3, -2.5 -> -2). NaN and values beyond the
// 32-bit range give INT32_MIN, as the x86 conversion does. Inline: the
// drawing pass calls it several times per disk.
inline std::int32_t RoundNearest(float v) {
    const double mag = std::fabs(static_cast<double>(v));
    if (!(mag < 2147483648.0)) return std::numeric_limits<std::int32_t>::min();
    const auto whole = static_cast<std::int64_t>(mag);  // truncation; mag < 2^31
    const std::int64_t i = whole + (mag - static_cast<double>(whole) > 0.5 ? 1 : 0);
    if (i >= 2147483648) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(std::signbit(v) ? -i : i);
}

// Truncates toward zero to a 32-bit integer; NaN and out-of-range values give
// INT32_MIN (the x86 conversion result), never undefined behaviour.
std::int32_t TruncToInt32(double v);

// True when v equals its truncation to a 32-bit signed integer: 3.0 and -4.0
// pass, 2.5 fails, and every value outside the 32-bit range fails.
bool IsWholeNumber(float v);

// Nearest single-precision value; beyond the float range gives infinity, as
// the hardware conversion does (a plain cast would be undefined there).
// Inline: the reader calls it for every number of a record.
inline float NarrowToFloat(double v) {
    constexpr double kMax = std::numeric_limits<float>::max();
    constexpr double kOverflow = 0x1.ffffffp127;  // halfway from FLT_MAX to 2^128
    if (v >= kOverflow) return std::numeric_limits<float>::infinity();
    if (v <= -kOverflow) return -std::numeric_limits<float>::infinity();
    if (v > kMax) return std::numeric_limits<float>::max();
    if (v < -kMax) return -std::numeric_limits<float>::max();
    return static_cast<float>(v);
}

// True when NarrowToFloat(v) is finite: v is no NaN and rounds to a float
// below the overflow threshold (halfway from FLT_MAX to 2^128).
inline bool FitsFloat(double v) {
    return v < 0x1.ffffffp127 && v > -0x1.ffffffp127;
}

}  // namespace vortan
