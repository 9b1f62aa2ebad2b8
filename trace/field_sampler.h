// Velocity at any point of a rectilinear grid: bilinear in 2-D, trilinear in
// 3-D, with a direct cell lookup on uniform axes and a binary search on axes
// of varying spacing.
#pragma once

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
    bool Locate(double c, std::size_t& cell, double& fraction) const;
    double Min() const { return m_nodes.front(); }
    double Max() const { return m_nodes.back(); }
    bool Uniform() const { return m_uniform; }

  private:
    const std::vector<double>& m_nodes;
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
