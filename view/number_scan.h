// Scanning and converting decimal numbers as the runtime's atof reads them,
// with Mathematica's notation read as meant: precision marks passed over and
// *^ exponents applied. Shared by the record parser and the expression reader.
#pragma once

#include <cstddef>

namespace vortan {

inline bool IsBlankChar(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
inline bool IsDigitChar(int c) {
    return c >= '0' && c <= '9';
}

// Exponents are saturated here while they are scanned; far beyond any double.
inline constexpr int kExponentLimit = 1000000;

// The shape of one number in the text, as offsets from where the scan began.
struct NumberScan {
    bool found = false;
    bool negative = false;
    std::size_t mantissaBegin = 0;  // first digit or point (after the sign)
    std::size_t intDigits = 0;      // digits before the point
    std::size_t digitsEnd = 0;      // end of digits and fraction
    std::size_t mantissaEnd = 0;    // end of the e/E exponent, if any
    int exponent = 0;               // e/E exponent (saturated)
    bool starExponent = false;      // a *^ exponent follows
    int starValue = 0;              // its value (saturated)
    bool point = false;             // a decimal point was read
    bool mark = false;              // a precision or accuracy mark was read
    std::size_t end = 0;            // just past the whole number
};

// Passes over the precision or accuracy mark (`16, `15.9, ``12.5, ``-5)
// that starts at k with a backquote; returns the position after it, or k
// when no backquote is there. at(k) as for ScanNumber.
template <class At>
std::size_t SkipPrecisionMark(At at, std::size_t k) {
    if (at(k) != '`') return k;
    std::size_t j = k + 1;
    if (at(j) == '`') {
        ++j;
        if ((at(j) == '-' || at(j) == '+') && (IsDigitChar(at(j + 1)) || at(j + 1) == '.')) ++j;
    }
    const std::size_t digits = j;
    while (IsDigitChar(at(j))) ++j;
    if (at(j) == '.' && (j > digits || IsDigitChar(at(j + 1)))) {
        ++j;
        while (IsDigitChar(at(j))) ++j;
    }
    return j;
}

// Scans a number: blanks, sign, digits, point, fraction, an e/E exponent when
// digits follow (unless eExponent is false, as in Mathematica's own syntax),
// a precision or accuracy mark (`16, `15.9, ``12.5), then a *^ exponent when
// digits follow. at(k) gives the character k places ahead of the start, or -1
// beyond the end.
template <class At>
NumberScan ScanNumber(At at, bool eExponent = true) {
    NumberScan s;
    std::size_t k = 0;
    while (IsBlankChar(at(k))) ++k;
    if (at(k) == '+' || at(k) == '-') {
        s.negative = at(k) == '-';
        ++k;
    }
    s.mantissaBegin = k;
    while (IsDigitChar(at(k))) ++k;
    s.intDigits = k - s.mantissaBegin;
    if (at(k) == '.') {
        std::size_t j = k + 1;
        while (IsDigitChar(at(j))) ++j;
        if (s.intDigits > 0 || j > k + 1) {
            k = j;
            s.point = true;
        }
    }
    if (k == s.mantissaBegin) return NumberScan{};  // no digit: not a number
    s.found = true;
    s.digitsEnd = k;

    auto readExponent = [&](std::size_t j, int& value) -> std::size_t {
        bool neg = false;
        if (at(j) == '+' || at(j) == '-') {
            neg = at(j) == '-';
            ++j;
        }
        if (!IsDigitChar(at(j))) return 0;
        int v = 0;
        while (IsDigitChar(at(j))) {
            v = v * 10 + (at(j) - '0');
            if (v > kExponentLimit) v = kExponentLimit;
            ++j;
        }
        value = neg ? -v : v;
        return j;
    };

    if (eExponent && (at(k) == 'e' || at(k) == 'E')) {
        if (std::size_t j = readExponent(k + 1, s.exponent)) k = j;
    }
    s.mantissaEnd = k;

    if (at(k) == '`') {
        s.mark = true;
        k = SkipPrecisionMark(at, k);
    }
    if (at(k) == '*' && at(k + 1) == '^') {
        if (std::size_t j = readExponent(k + 2, s.starValue)) {
            s.starExponent = true;
            k = j;
        }
    }
    s.end = k;
    return s;
}

// Converts a scanned number whose characters start at base (correctly
// rounded; beyond the double range infinity or zero, as atof gives).
double ConvertNumber(const char* base, const NumberScan& s);

}  // namespace vortan
