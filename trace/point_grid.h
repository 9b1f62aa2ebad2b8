// A grid of cubic cells over the picture (a box in 3-D) holding the points of
// the streamlines placed so far, so that "is anything within distance d of
// this point" looks at a handful of cells whatever the number of points.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vortan::trace {

// Most cells a grid may have (4 bytes each).
inline constexpr std::size_t kMaxGridCells = std::size_t{1} << 24;

struct GridPoint {
    double x = 0.0, y = 0.0, z = 0.0;  // picture pixels
    double arc = 0.0;                  // signed arc length from the seed, pixels
    std::uint32_t line = 0;
};

class PointGrid {
  public:
    // A grid of cells cellSize wide over [0, width] x [0, height] x [0, depth]
    // (depth 0 in 2-D). false with a message when it would need more than
    // kMaxGridCells cells.
    bool Reset(double cellSize, double width, double height, double depth, std::string& error);

    void Add(const GridPoint& point);
    // Takes back the points of the most recently added line.
    void RemoveLastLine();

    // True when no point lies closer than radius to p, leaving out the points
    // of line `self` less than selfArc along it from arc (a streamline is
    // always close to its own recent points). radius must be at most the cell
    // size.
    bool IsFree(double x, double y, double z, double radius, std::uint32_t self, double arc,
                double selfArc) const {
        return Blocking(x, y, z, radius, self, arc, selfArc) == kNone;
    }
    bool IsFree(double x, double y, double z, double radius) const {
        return IsFree(x, y, z, radius, kNone, 0.0, 0.0);
    }
    // The index of a point that makes IsFree false, points of other lines
    // first; kNone when there is none.
    std::uint32_t Blocking(double x, double y, double z, double radius, std::uint32_t self,
                           double arc, double selfArc) const;
    static constexpr std::uint32_t kNone = 0xffffffffu;

    std::size_t Size() const { return m_points.size(); }
    const GridPoint& Point(std::size_t i) const { return m_points[i]; }

  private:
    std::size_t CellOf(double x, double y, double z) const;
    static std::size_t Clamp(double c, std::size_t n);

    double m_inverseCell = 1.0;
    std::size_t m_nx = 1, m_ny = 1, m_nz = 1;
    std::vector<std::uint32_t> m_head;  // per cell: last point added there
    std::vector<GridPoint> m_points;
    std::vector<std::uint32_t> m_next;  // per point: previous point in its cell
};

}  // namespace vortan::trace
