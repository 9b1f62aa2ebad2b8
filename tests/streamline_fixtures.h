// Streamline file text for tests: headers, and classic records unthinned and unpadded.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "view/streamline_reader.h"
#include "view/streamline_writer.h"

namespace vortan::test {

// The header: the numbers in order as Mathematica prints them, each followed by separator.
inline std::string HeaderText(const std::vector<float>& numbers,
                              const std::string& separator = "\n") {
    std::string out;
    for (float v : numbers) out += FormatStreamlineNumber(v) + separator;
    return out;
}

// The eleven numbers of a header in file order, for HeaderText.
inline std::vector<float> HeaderNumbers(const StreamlineHeader& h) {
    return {h.imageWidth, h.imageHeight, h.dimension, h.tMax, h.progressStep, h.xMin,
            h.xMax,       h.yMin,        h.yMax,      h.zMin, h.zMax};
}

// Knots as {t, x, y, z} rows, so that lists of them compare and print whole.
using KnotRows = std::vector<std::array<float, 4>>;
inline KnotRows Rows(std::span<const Knot> knots) {
    KnotRows out;
    for (const Knot& k : knots) out.push_back({k.t, k.x, k.y, k.z});
    return out;
}

// One classic record line as the writer spells it, neither thinned nor padded:
// t holds the parameters of knots 0..n, coords the values of x, y and maybe z.
inline std::string ClassicRecord(const std::vector<float>& t,
                                 const std::vector<std::vector<float>>& coords) {
    std::vector<StreamlinePoint> points(t.size());
    for (std::size_t i = 0; i < t.size(); ++i) {
        points[i].t = t[i];
        double* const values[] = {&points[i].x, &points[i].y, &points[i].z};
        for (std::size_t c = 0; c < coords.size() && c < 3; ++c)
            if (i < coords[c].size()) *values[c] = coords[c][i];
    }
    return FormatStreamlineRecord(points, coords.size() == 2 ? 2 : 3,
                                  {.thin = false, .pad = false});
}

// The record padded to length with blanks after its "{{", which the reader passes over.
inline std::string PadRecord(std::string record, std::size_t length) {
    if (record.size() < length) record.insert(2, length - record.size(), ' ');
    return record;
}

}  // namespace vortan::test
