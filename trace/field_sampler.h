// Velocity at any point of a rectilinear grid: bilinear in 2-D, trilinear in
// 3-D, with a direct cell lookup on uniform axes and a binary search on axes
// of varying spacing.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

#include "field/vector_field.h"

namespace vortan::trace {

using field::kMaxFieldNodes;
using field::VectorField;

// Checks what the sampler relies on: dimension 2 or 3, at least two finite,
// strictly increasing nodes on every used axis, component arrays of the
// grid's size, at most kMaxFieldNodes nodes. false with a sentence in error.
bool CheckField(const VectorField& field, std::string& error);

// One axis of the grid.
class GridAxis {
  public:
    explicit GridAxis(const std::vector<double>& nodes);

    // The cell [nodes[cell], nodes[cell + 1]] holding c and c's fraction of
    // the way across it (0..1); false when c lies outside the axis.
    // Inline: the tracer asks this several times for every point it takes.
    bool Locate(double c, std::size_t& cell, double& fraction) const {
        if (!(c >= m_min && c <= m_max)) return false;
        if (!m_uniform) return LocateUneven(c, cell, fraction);
        const double guess = std::floor((c - m_min) * m_inverseStep);
        std::size_t i = guess <= 0.0 ? 0 : std::min(static_cast<std::size_t>(guess), m_size - 2);
        // Rounding can put c one cell off near a node: step to the right cell.
        if (c < m_data[i] && i > 0) --i;
        if (c > m_data[i + 1] && i + 2 < m_size) ++i;
        cell = i;
        fraction = std::clamp((c - m_data[i]) / (m_data[i + 1] - m_data[i]), 0.0, 1.0);
        return true;
    }
    double Min() const { return m_min; }
    double Max() const { return m_max; }
    bool Uniform() const { return m_uniform; }

  private:
    bool LocateUneven(double c, std::size_t& cell, double& fraction) const;

    const double* m_data = nullptr;
    std::size_t m_size = 0;
    double m_min = 0.0, m_max = -1.0;  // an axis of fewer than two nodes holds nothing
    bool m_uniform = false;
    double m_inverseStep = 0.0;
};

struct Velocity {
    double u = 0.0, v = 0.0, w = 0.0;
};

// Interpolates a field checked by CheckField; the field must outlive it.
class FieldSampler {
  public:
    explicit FieldSampler(const VectorField& field);

    int Dimension() const { return m_field.dimension; }
    const GridAxis& X() const { return m_x; }
    const GridAxis& Y() const { return m_y; }
    const GridAxis& Z() const { return m_z; }

    // The velocity at (x, y, z) (z ignored in 2-D); false outside the grid or
    // in a cell with a masked (NaN or infinite) corner.
    bool Sample(double x, double y, double z, Velocity& out) const;

  private:
    const VectorField& m_field;
    GridAxis m_x, m_y, m_z;
};

}  // namespace vortan::trace
