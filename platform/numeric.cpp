#include "platform/numeric.h"

#include <cmath>
#include <limits>

namespace vortan {

namespace {
constexpr double kInt32Low = -2147483648.0;
constexpr double kInt32High = 2147483648.0;  // exclusive
}  // namespace

std::int32_t TruncToInt32(double v) {
    if (!(v > kInt32Low - 1.0 && v < kInt32High)) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}

bool IsWholeNumber(float v) {
    const double d = v;
    if (!(d > kInt32Low - 1.0 && d < kInt32High)) return false;
    return d - static_cast<double>(static_cast<std::int32_t>(d)) == 0.0;
}

}  // namespace vortan
