// Builders of streamline file text for tests: a header of numbers and classic
// records in the list syntax that Mathematica prints for an interpolated
// solution. Header-only so that every test executable can use it.
#pragma once

#include <charconv>
#include <cstddef>
#include <string>
#include <vector>

#include "view/streamline_reader.h"

namespace vortan::test {

// A number as Mathematica prints a machine real: "0.", "1.", "0.5", "-2.25",
// "1.5*^-7" (shortest text that reads back as the same float).
inline std::string MathematicaNumber(float v) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, v);
    std::string s(buf, res.ptr);
    std::string exponent;
    if (auto e = s.find('e'); e != std::string::npos) {
        exponent = s.substr(e + 1);
        s.erase(e);
        if (!exponent.empty() && exponent[0] == '+') exponent.erase(0, 1);
        // Drop leading zeros of the exponent ("-07" -> "-7").
        std::size_t digits = (!exponent.empty() && exponent[0] == '-') ? 1 : 0;
        while (exponent.size() > digits + 1 && exponent[digits] == '0') exponent.erase(digits, 1);
    }
    if (s.find('.') == std::string::npos) s += '.';
    if (!exponent.empty()) s += "*^" + exponent;
    return s;
}

// The header: the numbers in order, each followed by separator ("\n" gives the
// usual one number per line; " " puts them on one line).
inline std::string HeaderText(const std::vector<float>& numbers,
                              const std::string& separator = "\n") {
    std::string out;
    for (float v : numbers) out += MathematicaNumber(v) + separator;
    return out;
}

// The eleven numbers of a header in file order, for HeaderText.
inline std::vector<float> HeaderNumbers(const StreamlineHeader& h) {
    return {h.imageWidth, h.imageHeight, h.dimension, h.tMax, h.progressStep, h.xMin,
            h.xMax,       h.yMin,        h.yMax,      h.zMin, h.zMax};
}

// One classic record, one line, with its line end:
//   {{x -> InterpolatingFunction[{{0., T}}, {3, 1, 0, 0}, {{0., t1, ...}},
//     {{x0, 0.}, {x1, 0.}, ...}], y -> InterpolatingFunction[...]}}
// t holds the parameter values of knots 0..n (t[0] is normally 0 and is then
// written "0.", the form the reader looks for); T is the last of them.
// coords holds the value lists x, y and optionally z (one value per knot).
inline std::string ClassicRecord(const std::vector<float>& t,
                                 const std::vector<std::vector<float>>& coords) {
    static const char* const names[] = {"x", "y", "z", "w"};
    std::string params = "{{";
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (i) params += ", ";
        params += MathematicaNumber(t[i]);
    }
    params += "}}";
    const std::string range = "{{0., " + MathematicaNumber(t.empty() ? 0.0f : t.back()) + "}}";
    std::string out = "{{";
    for (std::size_t c = 0; c < coords.size(); ++c) {
        if (c) out += ", ";
        out += names[c < 4 ? c : 3];
        out += " -> InterpolatingFunction[" + range + ", {3, 1, 0, 0}, " + params + ", {";
        for (std::size_t i = 0; i < coords[c].size(); ++i) {
            if (i) out += ", ";
            out += "{" + MathematicaNumber(coords[c][i]) + ", 0.}";
        }
        out += "}]";
    }
    out += "}}\n";
    return out;
}

// The record padded with blanks after its two leading braces to exactly
// length characters (unchanged when it is already as long). The blanks are
// outside everything the reader looks at, so the knots read stay the same.
inline std::string PadRecord(std::string record, std::size_t length) {
    if (record.size() < length) record.insert(2, length - record.size(), ' ');
    return record;
}

}  // namespace vortan::test
