// Filled disks and round-ended strokes painted as runs of horizontal spans,
// taken from row tables that are built once per shape and reused.
#pragma once

#include <cstdint>

namespace vortan {

// The pixels one drawing call paints into (width values per row, top row
// first) and the value it paints.
struct SpanTarget {
    std::uint16_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    std::uint16_t value = 0;
};

// Paints the disk of the given diameter (pixels) centred at
// (twiceX / 2, twiceY / 2), in coordinates where pixel (x, y) is the unit
// square from (x, y) to (x + 1, y + 1).
void FillDiskSpans(const SpanTarget& t, std::int64_t twiceX, std::int64_t twiceY,
                   std::int64_t diameter);

// Paints every pixel centre within width / 2 of the segment from (x0, y0) to
// (x1, y1), in the same coordinates: a stroke with round ends.
void FillStrokeSpans(const SpanTarget& t, int x0, int y0, int x1, int y1, int width);

}  // namespace vortan
