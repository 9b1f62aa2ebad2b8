// Follows the field from a seed in one direction with Dormand–Prince 5(4),
// in picture pixels and by arc length (the field's direction, normalised), so
// that step sizes, tolerances and distances are all pixels. Integration time
// and arc length in field units ride along as two more equations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "trace/field_sampler.h"
#include "trace/point_grid.h"

namespace vortan::trace {

// The affine map from field coordinates to picture pixels (y up, not
// flipped: only distances matter here).
struct PixelFrame {
    double xMin = 0.0, yMin = 0.0, zMin = 0.0;
    double sx = 1.0, sy = 1.0, sz = 1.0;            // pixels per field unit
    double width = 0.0, height = 0.0, depth = 0.0;  // the box, pixels; depth 0 in 2-D
};

struct GrowthLimits {
    double maxStep = 1.0;       // pixels
    double tolerance = 1e-3;    // largest local error of a step, pixels
    double minSpeed = 0.0;      // pixels per unit time; slower counts as a critical point
    double maxLength = 1e4;     // of one direction, pixels
    double testDistance = 1.0;  // pixels; no closer to another streamline
    double selfArc = 2.0;       // own points nearer than this along the line are passed over
};

enum class StopReason {
    kDomain,     // left the grid
    kMasked,     // entered a cell with a masked corner
    kCritical,   // speed below the threshold
    kNeighbour,  // closer than the test distance to another streamline
    kClosed,     // closer than the test distance to itself, further back along it
    kMaxLength,
    kStepLimit,  // the step size collapsed (a singular field)
};
inline constexpr int kStopReasons = 7;

// One point of a traced streamline.
struct TracedPoint {
    double px = 0.0, py = 0.0, pz = 0.0;  // pixels
    double time = 0.0;                    // integration time from the seed, signed
    double length = 0.0;                  // arc length in field units from the seed, signed
    double arc = 0.0;                     // arc length in pixels from the seed, signed
};

class StreamlineGrower {
  public:
    StreamlineGrower(const FieldSampler& sampler, const PixelFrame& frame,
                     const GrowthLimits& limits);

    // Whether a streamline can start at (px, py, pz): inside the field, not
    // masked, not critical; why not in `why`.
    bool CanStart(double px, double py, double pz, StopReason& why) const;

    // Grows from seed (already in grid) in direction +1 or -1, appending each
    // accepted point to out and to grid as part of `line`. Returns why it
    // stopped; on kClosed, closedAt is the arc of the own point it came back to.
    StopReason Grow(const TracedPoint& seed, int direction, std::uint32_t line, PointGrid& grid,
                    std::vector<TracedPoint>& out, double* closedAt = nullptr) const;

    const PixelFrame& Frame() const { return m_frame; }

  private:
    const FieldSampler& m_sampler;
    PixelFrame m_frame;
    GrowthLimits m_limits;
};

}  // namespace vortan::trace
