// Filled disks and round-ended strokes painted as runs of horizontal spans,
// taken from row tables that are built once per shape and reused.
#pragma once

#include <cstdint>

namespace vortan {

// The pixels a drawing call paints into: width values per row, top row
// first. Sixteen bytes, passed by value in registers.
struct SpanTarget {
    std::uint16_t* pixels = nullptr;
    int width = 0;
    int height = 0;
};

// Sets to value the pixels of the disk of the given diameter (pixels) centred at
// (twiceX / 2, twiceY / 2), in coordinates where pixel (x, y) is the unit
// square from (x, y) to (x + 1, y + 1).
void FillDiskSpans(SpanTarget t, std::uint16_t value, std::int64_t twiceX, std::int64_t twiceY,
                   std::int64_t diameter);

// Sets to value every pixel whose centre lies within width / 2 of the segment from (x0, y0) to
// (x1, y1), in the same coordinates: a stroke with round ends.
void FillStrokeSpans(SpanTarget t, std::uint16_t value, int x0, int y0, int x1, int y1, int width);

}  // namespace vortan
