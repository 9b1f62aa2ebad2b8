#include "platform/span_raster.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

// Pixel coverage rule. Pixel (x, y) is the unit square from (x, y) to
// (x + 1, y + 1), as in GDI. A shape paints the pixels whose centres
// (x + 0.5, y + 0.5) lie inside it, with the top-left rule for centres on its
// outline: in every pixel row the shape's chord [xl, xr] is taken half-open,
// [xl, xr), and a row whose centre lies on the shape's lowest point is left
// out. A shape of whole-number width w thus paints exactly w pixels across; a
// disk of even diameter around a pixel corner, or of odd diameter around a
// pixel centre, is symmetric. A disk too small to hold any pixel centre paints
// the pixel under its centre, so nothing drawn vanishes. No antialiasing.
//
// Internally the shapes are moved by half a pixel, so that pixel x's centre is
// the integer x. Every shape the canvas draws then has its centre or ends on
// whole or half pixels, so a disk's rows depend only on its diameter and on
// which of its coordinates are halves, and a stroke's rows only on its width
// and the difference of its ends: both are tabled once and stamped many times.

namespace vortan {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// First pixel whose centre is at or after v, clamped to [lo, hi] with
// 0 <= lo (v may be huge or NaN).
inline int FirstCentreAtOrAfter(double v, int lo, int hi) {
    if (!(v > lo)) return lo;
    if (!(v < hi)) return hi;
    const int i = static_cast<int>(v);  // v > 0: truncation is floor
    return i < v ? i + 1 : i;
}

inline std::uint16_t* RowOf(const SpanTarget& t, std::int64_t y) {
    return t.pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(t.width);
}

// Sets the n > 0 values from p on to v. Spans are mostly a few pixels long:
// four at a time, the last four overlapping the ones before.
inline void FillRun(std::uint16_t* p, int n, std::uint16_t v) {
    if (n < 4) {
        p[0] = v;
        if (n > 1) p[1] = v;
        if (n > 2) p[2] = v;
        return;
    }
    const std::uint64_t four = v * std::uint64_t{0x0001000100010001};
    std::uint16_t* last = p + (n - 4);
    for (; p < last; p += 4) std::memcpy(p, &four, sizeof four);
    std::memcpy(last, &four, sizeof four);
}

// Paints the pixels of row y whose centres x satisfy xl <= x < xr.
inline void FillSpan(const SpanTarget& t, std::uint16_t v, std::int64_t y, double xl, double xr) {
    const int x0 = FirstCentreAtOrAfter(xl, 0, t.width);
    const int x1 = FirstCentreAtOrAfter(xr, 0, t.width);
    if (x0 < x1) FillRun(RowOf(t, y) + x0, x1 - x0, v);
}

// ---- Disks ----

// Disks up to this diameter come from row tables; larger ones, rare and
// dominated by their pixels, are computed row by row.
constexpr int kTabledDiameter = 256;

// The rows of one disk relative to the pixel holding its centre: row
// firstRow + i paints pixels [x0, x1) of rows[i] (nothing where x0 == x1).
// No rows: the disk holds no pixel centre.
struct DiskMask {
    int firstRow = 0;
    std::vector<std::array<std::int16_t, 2>> rows;
};

// The disk of diameter d whose centre lies at (fx, fy) within its pixel.
DiskMask BuildDiskMask(int d, double fx, double fy) {
    DiskMask m;
    const double r = d / 2.0;
    const double r2 = r * r;
    for (double i = std::ceil(fy - r); i < fy + r; i += 1.0) {
        const double dy = i - fy;
        const double h2 = r2 - dy * dy;
        std::array<std::int16_t, 2> span{0, 0};
        if (h2 >= 0.0) {
            const double h = std::sqrt(h2);
            const double x0 = std::ceil(fx - h);
            const double x1 = std::ceil(fx + h);
            if (x0 < x1) span = {static_cast<std::int16_t>(x0), static_cast<std::int16_t>(x1)};
        }
        if (span[0] == span[1] && m.rows.empty()) continue;
        if (m.rows.empty()) m.firstRow = static_cast<int>(i);
        m.rows.push_back(span);
    }
    while (!m.rows.empty() && m.rows.back()[0] == m.rows.back()[1]) m.rows.pop_back();
    return m;
}

// Row tables of every diameter up to kTabledDiameter and each of the four
// placements (centre on a whole or half pixel across and down), built on
// first use.
class DiskMasks {
  public:
    const DiskMask& Get(int d, int halfX, int halfY) {
        std::unique_ptr<DiskMask>& slot =
            m_masks[static_cast<std::size_t>(d) * 4 + static_cast<std::size_t>(halfX * 2 + halfY)];
        if (!slot) slot = std::make_unique<DiskMask>(BuildDiskMask(d, halfX * 0.5, halfY * 0.5));
        return *slot;
    }

  private:
    std::array<std::unique_ptr<DiskMask>, (kTabledDiameter + 1) * 4> m_masks;
};

// A disk larger than the tables: only the rows on the target are visited.
void FillLargeDisk(const SpanTarget& t, std::uint16_t v, double cx, double cy, double diameter) {
    const double r = diameter / 2.0;
    const double r2 = r * r;
    const int y0 = FirstCentreAtOrAfter(cy - r, 0, t.height);
    const int y1 = FirstCentreAtOrAfter(cy + r, 0, t.height);
    for (int y = y0; y < y1; ++y) {
        const double dy = y - cy;
        const double h2 = r2 - dy * dy;
        if (h2 < 0.0) continue;
        const double h = std::sqrt(h2);
        FillSpan(t, v, y, cx - h, cx + h);
    }
}

// ---- Strokes ----

// Strokes whose ends differ by at most this much in each direction, and
// whose width is at most kTabledStrokeWidth, come from row tables.
constexpr int kTabledStrokeReach = 16;
constexpr int kTabledStrokeWidth = 64;

// The stroke from (0, 0) to (dx, dy) of radius r, with its unit direction
// (ux, uy) and the reciprocals of its components (0 for a zero component).
struct StrokeShape {
    double dx, dy, len, ux, uy, iux, iuy, r, r2;
};

StrokeShape MakeStrokeShape(double dx, double dy, double r) {
    StrokeShape s{};
    s.dx = dx;
    s.dy = dy;
    s.len = std::sqrt(dx * dx + dy * dy);
    s.ux = dx / s.len;
    s.uy = dy / s.len;
    s.iux = s.ux != 0.0 ? 1.0 / s.ux : 0.0;
    s.iuy = s.uy != 0.0 ? 1.0 / s.uy : 0.0;
    s.r = r;
    s.r2 = r * r;
    return s;
}

// The chord of one pixel row: [lo0, hi0] relative to the start's x covers the
// start cap and the band between the caps, [lo1, hi1] relative to the end's x
// the end cap; lo > hi where a part misses the row. The stroke is convex, so
// its chord is the hull of the three. e0 and e1 are the row's height above
// the start and the end.
struct StrokeRow {
    double lo0, hi0, lo1, hi1;
};

StrokeRow StrokeRowAt(const StrokeShape& s, double e0, double e1) {
    StrokeRow row{kInf, -kInf, kInf, -kInf};
    const double h02 = s.r2 - e0 * e0;
    if (h02 >= 0.0) {
        const double h = std::sqrt(h02);
        row.lo0 = -h;
        row.hi0 = h;
    }
    const double h12 = s.r2 - e1 * e1;
    if (h12 >= 0.0) {
        const double h = std::sqrt(h12);
        row.lo1 = -h;
        row.hi1 = h;
    }
    // The band: with X = x - x0 and Y = e0, 0 <= X ux + Y uy <= len and
    // -r <= X uy - Y ux <= r, both linear in X.
    double bl = -kInf;
    double br = kInf;
    if (s.ux != 0.0) {
        double a = -e0 * s.uy * s.iux;
        double b = (s.len - e0 * s.uy) * s.iux;
        if (a > b) std::swap(a, b);
        bl = std::max(bl, a);
        br = std::min(br, b);
    } else if (e0 * s.uy < 0.0 || e0 * s.uy > s.len) {
        br = -kInf;
    }
    if (s.uy != 0.0) {
        double a = (e0 * s.ux - s.r) * s.iuy;
        double b = (e0 * s.ux + s.r) * s.iuy;
        if (a > b) std::swap(a, b);
        bl = std::max(bl, a);
        br = std::min(br, b);
    } else if (std::fabs(e0 * s.ux) > s.r) {
        br = -kInf;
    }
    if (bl <= br) {
        row.lo0 = std::min(row.lo0, bl);
        row.hi0 = std::max(row.hi0, br);
    }
    return row;
}

// Paints one row of a stroke whose ends lie at x0 and x1. Adding a start and
// rounding is monotone, so the hull taken here equals the hull of the three
// parts placed one by one.
inline void FillStrokeRow(const SpanTarget& t, std::uint16_t v, std::int64_t y,
                          const StrokeRow& row, double x0, double x1) {
    const double lo = std::min(x0 + row.lo0, x1 + row.lo1);
    const double hi = std::max(x0 + row.hi0, x1 + row.hi1);
    if (lo < hi) FillSpan(t, v, y, lo, hi);
}

// The pixels one whole-pixel start x0 and c give: ceil(x0 - 0.5 + c) - x0,
// the same for every start in int range unless c - 0.5 lies within rounding
// of a whole number (the sum rounds off at most 2^-22 there).
bool CeilOffset(double c, std::int32_t& offset) {
    constexpr double kMargin = 1.0 / 65536;
    const double v = c - 0.5;
    if (std::fabs(v - std::round(v)) < kMargin) return false;
    offset = static_cast<std::int32_t>(std::ceil(v));
    return true;
}

// One row of a tabled stroke: pixels [x0 + lo, x0 + hi) from the start's
// pixel column x0 when `whole`; otherwise an end lies within rounding of a
// pixel centre and the chord is placed in floating point, as for untabled
// strokes.
struct StrokeTableRow {
    StrokeRow chord;
    std::int32_t lo, hi;
    bool whole;
};

StrokeTableRow MakeTableRow(const StrokeRow& chord, int dx) {
    StrokeTableRow row{chord, 1 << 30, -(1 << 30), true};
    std::int32_t lo = 0;
    std::int32_t hi = 0;
    // Each part's ends are both finite or both infinite (the part misses the row).
    if (std::isfinite(chord.lo0)) {
        row.whole = row.whole && CeilOffset(chord.lo0, lo) && CeilOffset(chord.hi0, hi);
        row.lo = std::min(row.lo, lo);
        row.hi = std::max(row.hi, hi);
    }
    if (std::isfinite(chord.lo1)) {
        row.whole = row.whole && CeilOffset(chord.lo1, lo) && CeilOffset(chord.hi1, hi);
        row.lo = std::min(row.lo, dx + lo);
        row.hi = std::max(row.hi, dx + hi);
    }
    return row;
}

// The rows of one stroke relative to the pixel row of its start.
struct StrokeTable {
    int width = 0;  // 0: not built
    int firstRow = 0;
    std::vector<StrokeTableRow> rows;
};

void BuildStrokeTable(StrokeTable& table, int dx, int dy, int width) {
    const double r = width / 2.0;
    const StrokeShape s = MakeStrokeShape(dx, dy, r);
    // Rows whose centres lie in [min(0, dy) - r, max(0, dy) + r) around a
    // start at height -0.5.
    const double first = std::ceil(std::min(0, dy) - 0.5 - r);
    const double end = std::ceil(std::max(0, dy) - 0.5 + r);
    table.width = width;
    table.firstRow = static_cast<int>(first);
    table.rows.clear();
    for (double k = first; k < end; k += 1.0) {
        const double e0 = k + 0.5;
        table.rows.push_back(MakeTableRow(StrokeRowAt(s, e0, e0 - dy), dx));
    }
}

class StrokeTables {
  public:
    const StrokeTable& Get(int dx, int dy, int width) {
        constexpr int kSide = 2 * kTabledStrokeReach + 1;
        StrokeTable& table = m_tables[static_cast<std::size_t>((dx + kTabledStrokeReach) * kSide +
                                                               dy + kTabledStrokeReach)];
        if (table.width != width) BuildStrokeTable(table, dx, dy, width);
        return table;
    }

  private:
    std::array<StrokeTable, (2 * kTabledStrokeReach + 1) * (2 * kTabledStrokeReach + 1)> m_tables;
};

thread_local DiskMasks t_diskMasks;
thread_local StrokeTables t_strokeTables;

}  // namespace

void FillDiskSpans(SpanTarget t, std::uint16_t value, std::int64_t twiceX, std::int64_t twiceY,
                   std::int64_t diameter) {
    if (diameter <= 0 || t.width == 0 || t.height == 0) return;
    // The centre moved by half a pixel, in halves: (qx / 2, qy / 2).
    const std::int64_t qx = twiceX - 1;
    const std::int64_t qy = twiceY - 1;
    if (diameter > kTabledDiameter) {
        FillLargeDisk(t, value, static_cast<double>(qx) / 2.0, static_cast<double>(qy) / 2.0,
                      static_cast<double>(diameter));
        return;
    }
    const std::int64_t bx = qx >> 1;  // the pixel holding the centre (floor)
    const std::int64_t by = qy >> 1;
    const int halfX = static_cast<int>(qx & 1);
    const int halfY = static_cast<int>(qy & 1);
    const DiskMask& mask = t_diskMasks.Get(static_cast<int>(diameter), halfX, halfY);
    if (mask.rows.empty()) {
        // No pixel centre inside: the pixel under the centre.
        const std::int64_t px = bx + halfX;
        const std::int64_t py = by + halfY;
        if (px >= 0 && px < t.width && py >= 0 && py < t.height) RowOf(t, py)[px] = value;
        return;
    }
    const std::int64_t top = by + mask.firstRow;
    const auto count = static_cast<std::int64_t>(mask.rows.size());
    const std::int64_t i0 = std::max<std::int64_t>(0, -top);
    const std::int64_t i1 = std::min<std::int64_t>(count, t.height - top);
    const std::array<std::int16_t, 2>* rows = mask.rows.data();
    for (std::int64_t i = i0; i < i1; ++i) {
        const auto& span = rows[i];
        const auto x0 = static_cast<int>(std::clamp<std::int64_t>(bx + span[0], 0, t.width));
        const auto x1 = static_cast<int>(std::clamp<std::int64_t>(bx + span[1], 0, t.width));
        if (x0 < x1) FillRun(RowOf(t, top + i) + x0, x1 - x0, value);
    }
}

void FillStrokeSpans(SpanTarget t, std::uint16_t value, int x0, int y0, int x1, int y1, int width) {
    if (t.width == 0 || t.height == 0) return;
    if (x0 == x1 && y0 == y1) {
        FillDiskSpans(t, value, 2 * std::int64_t{x0}, 2 * std::int64_t{y0}, width);
        return;
    }
    // The ends moved by half a pixel.
    const double ax = x0 - 0.5;
    const double ay = y0 - 0.5;
    const double bx = x1 - 0.5;
    const double by = y1 - 0.5;
    const std::int64_t dx = std::int64_t{x1} - x0;
    const std::int64_t dy = std::int64_t{y1} - y0;
    if (std::abs(dx) <= kTabledStrokeReach && std::abs(dy) <= kTabledStrokeReach &&
        width <= kTabledStrokeWidth) {
        const StrokeTable& table =
            t_strokeTables.Get(static_cast<int>(dx), static_cast<int>(dy), width);
        const std::int64_t top = std::int64_t{y0} + table.firstRow;
        const auto count = static_cast<std::int64_t>(table.rows.size());
        const std::int64_t i0 = std::max<std::int64_t>(0, -top);
        const std::int64_t i1 = std::min<std::int64_t>(count, t.height - top);
        const StrokeTableRow* rows = table.rows.data();
        for (std::int64_t i = i0; i < i1; ++i) {
            const StrokeTableRow& row = rows[i];
            if (!row.whole) {
                FillStrokeRow(t, value, top + i, row.chord, ax, bx);
                continue;
            }
            const std::int64_t left = std::int64_t{x0} + row.lo;
            const std::int64_t right = std::int64_t{x0} + row.hi;
            const auto a = static_cast<int>(std::clamp<std::int64_t>(left, 0, t.width));
            const auto b = static_cast<int>(std::clamp<std::int64_t>(right, 0, t.width));
            if (a < b) FillRun(RowOf(t, top + i) + a, b - a, value);
        }
        return;
    }
    // Long or wide strokes: only the rows on the target are visited, however
    // far the ends lie outside.
    const double r = width / 2.0;
    const StrokeShape s = MakeStrokeShape(bx - ax, by - ay, r);
    const int ya = FirstCentreAtOrAfter(std::min(ay, by) - r, 0, t.height);
    const int yb = FirstCentreAtOrAfter(std::max(ay, by) + r, 0, t.height);
    for (int y = ya; y < yb; ++y)
        FillStrokeRow(t, value, y, StrokeRowAt(s, y - ay, y - by), ax, bx);
}

}  // namespace vortan
