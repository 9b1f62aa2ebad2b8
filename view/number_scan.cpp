#include "view/number_scan.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <system_error>

namespace vortan {

double ConvertNumber(const char* base, const NumberScan& s) {
    const char* first = base + s.mantissaBegin;
    const char* last = base + s.mantissaEnd;
    int exponent = s.exponent;
    char small[128];
    std::string large;
    if (s.starExponent) {
        // Rewrite as digits, point and one e exponent for from_chars.
        exponent += s.starValue;
        const std::size_t digits = s.digitsEnd - s.mantissaBegin;
        char* buf = small;
        if (digits + 16 > sizeof small) {
            large.resize(digits + 16);
            buf = large.data();
        }
        std::memcpy(buf, first, digits);
        buf[digits] = 'e';
        auto res = std::to_chars(buf + digits + 1, buf + digits + 16, exponent);
        first = buf;
        last = res.ptr;
    }
    double value = 0.0;
    auto res = std::from_chars(first, last, value, std::chars_format::general);
    if (res.ec == std::errc::result_out_of_range) {
        // Beyond the double range: atof gives infinity for a large magnitude
        // and zero for a tiny one. The decimal order of magnitude decides.
        std::int64_t order = 0;
        bool nonzero = false;
        const char* d = base + s.mantissaBegin;
        for (std::size_t i = 0; i < s.intDigits; ++i) {
            if (d[i] != '0') {
                order = static_cast<std::int64_t>(s.intDigits - i);
                nonzero = true;
                break;
            }
        }
        if (!nonzero && s.digitsEnd > s.mantissaBegin + s.intDigits) {
            // Fraction digits follow the point.
            const char* frac = d + s.intDigits + 1;
            const char* fracEnd = base + s.digitsEnd;
            for (const char* f = frac; f < fracEnd; ++f) {
                if (*f != '0') {
                    order = -static_cast<std::int64_t>(f - frac);
                    nonzero = true;
                    break;
                }
            }
        }
        value = (nonzero && order + exponent > 0) ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (res.ec != std::errc()) {
        value = 0.0;
    }
    return s.negative ? -value : value;
}

}  // namespace vortan
