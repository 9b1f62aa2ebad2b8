#include "trace/point_grid.h"

#include <cmath>

namespace vortan::trace {

bool PointGrid::Reset(double cellSize, double width, double height, double depth,
                      std::string& error) {
    if (!(cellSize > 0.0) || !std::isfinite(cellSize)) {
        error = "the separation must be a positive number";
        return false;
    }
    const double cells[3] = {std::floor(width / cellSize) + 1.0,
                             std::floor(height / cellSize) + 1.0,
                             std::floor(depth / cellSize) + 1.0};
    if (!(cells[0] * cells[1] * cells[2] <= static_cast<double>(kMaxGridCells))) {
        error = "the separation is too small for the picture (more than " +
                std::to_string(kMaxGridCells) + " cells of one separation)";
        return false;
    }
    m_inverseCell = 1.0 / cellSize;
    m_nx = static_cast<std::size_t>(cells[0]);
    m_ny = static_cast<std::size_t>(cells[1]);
    m_nz = static_cast<std::size_t>(cells[2]);
    m_head.assign(m_nx * m_ny * m_nz, kNone);
    m_points.clear();
    m_next.clear();
    return true;
}

std::size_t PointGrid::Clamp(double c, std::size_t n) {
    if (!(c > 0.0)) return 0;
    const double last = static_cast<double>(n - 1);
    return c >= last ? n - 1 : static_cast<std::size_t>(c);
}

std::size_t PointGrid::CellOf(double x, double y, double z) const {
    return Clamp(x * m_inverseCell, m_nx) +
           m_nx * (Clamp(y * m_inverseCell, m_ny) + m_ny * Clamp(z * m_inverseCell, m_nz));
}

void PointGrid::Add(const GridPoint& point) {
    const std::size_t cell = CellOf(point.x, point.y, point.z);
    m_next.push_back(m_head[cell]);
    m_head[cell] = static_cast<std::uint32_t>(m_points.size());
    m_points.push_back(point);
}

void PointGrid::RemoveLastLine() {
    if (m_points.empty()) return;
    const std::uint32_t line = m_points.back().line;
    // The line's points are the newest of every cell they are in, so each
    // is its cell's head when taken back newest first.
    while (!m_points.empty() && m_points.back().line == line) {
        const GridPoint& p = m_points.back();
        m_head[CellOf(p.x, p.y, p.z)] = m_next.back();
        m_points.pop_back();
        m_next.pop_back();
    }
}

std::uint32_t PointGrid::Blocking(double x, double y, double z, double radius, std::uint32_t self,
                                  double arc, double selfArc) const {
    const double r2 = radius * radius;
    // The cells the box around the circle (sphere) overlaps: two or three a
    // side, as radius is at most a cell.
    const std::size_t i0 = Clamp((x - radius) * m_inverseCell, m_nx);
    const std::size_t i1 = Clamp((x + radius) * m_inverseCell, m_nx);
    const std::size_t j0 = Clamp((y - radius) * m_inverseCell, m_ny);
    const std::size_t j1 = Clamp((y + radius) * m_inverseCell, m_ny);
    const std::size_t k0 = Clamp((z - radius) * m_inverseCell, m_nz);
    const std::size_t k1 = Clamp((z + radius) * m_inverseCell, m_nz);
    std::uint32_t own = kNone;
    for (std::size_t k = k0; k <= k1; ++k) {
        for (std::size_t j = j0; j <= j1; ++j) {
            for (std::size_t i = i0; i <= i1; ++i) {
                for (std::uint32_t n = m_head[i + m_nx * (j + m_ny * k)]; n != kNone;
                     n = m_next[n]) {
                    const GridPoint& p = m_points[n];
                    const double dx = p.x - x, dy = p.y - y, dz = p.z - z;
                    if (dx * dx + dy * dy + dz * dz >= r2) continue;
                    if (p.line != self) return n;
                    if (std::fabs(p.arc - arc) >= selfArc) own = n;
                }
            }
        }
    }
    return own;
}

}  // namespace vortan::trace
