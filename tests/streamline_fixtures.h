// Builders of streamline file text for tests: headers of any count of numbers
// and classic records from the writer, unthinned and unpadded, so that tests
// can hand the reader what it must thin or pass over itself.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "view/streamline_reader.h"
#include "view/streamline_writer.h"

namespace vortan::test {

// A number as Mathematica prints a machine real: "0.", "1.", "0.5", "-2.25",
// "1.5*^-7" (shortest text that reads back as the same float).
inline std::string MathematicaNumber(float v) {
    return FormatStreamlineNumber(v);
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

// One classic record, one line, with its line end, as the writer spells it
// but neither thinned nor padded:
//   {{x -> InterpolatingFunction[{{0., T}}, {3, 1, 0, 0}, {{0., t1, ...}},
//     {{x0, 0.}, {x1, 0.}, ...}], y -> InterpolatingFunction[...]}}
// t holds the parameter values of knots 0..n (t[0] == 0); coords holds the
// value lists x, y and optionally z, one value per knot.
inline std::string ClassicRecord(const std::vector<float>& t,
                                 const std::vector<std::vector<float>>& coords) {
    std::vector<StreamlinePoint> points(t.size());
    for (std::size_t i = 0; i < t.size(); ++i) {
        points[i].t = t[i];
        double* const values[] = {&points[i].x, &points[i].y, &points[i].z};
        for (std::size_t c = 0; c < coords.size() && c < 3; ++c) {
            if (i < coords[c].size()) *values[c] = coords[c][i];
        }
    }
    StreamlineRecordForm raw;
    raw.thin = false;
    raw.pad = false;
    return FormatStreamlineRecord(points, coords.size() == 2 ? 2 : 3, raw);
}

// The record padded with blanks after its two leading braces to exactly
// length characters (unchanged when it is already as long). The blanks are
// outside everything the reader looks at, so the knots read stay the same.
inline std::string PadRecord(std::string record, std::size_t length) {
    if (record.size() < length) record.insert(2, length - record.size(), ' ');
    return record;
}

}  // namespace vortan::test
