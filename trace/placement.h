// Where streamlines start: evenly spaced in 2-D (Jobard and Lefer, 1997:
// new seeds one separation beside the lines already accepted, a scan of the
// picture for what they cannot reach), a jittered grid with a minimum spacing
// in 3-D, or the user's own seeds.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "trace/point_grid.h"
#include "trace/streamline_grower.h"

namespace vortan::trace {

struct PlacementSettings {
    double separation = 10.0;           // pixels, between neighbouring streamlines
    double testDistance = 5.0;          // pixels; a growing streamline stops this close to another
    double minLength = 5.0;             // pixels; shorter streamlines are dropped
    std::size_t maxPoints = 2'000'000;  // in all; placing stops there
    std::uint64_t jitterSeed = 1;
};

struct Placement {
    std::vector<std::vector<TracedPoint>> lines;
    std::size_t points = 0;
    std::array<std::size_t, kStopReasons> stops{};  // how the ends of the lines came about
    bool truncated = false;                         // maxPoints was reached
};

class Placer {
  public:
    // grid must be reset to cells one separation wide over the frame's box.
    Placer(const StreamlineGrower& grower, PointGrid& grid, const PlacementSettings& settings);

    void EvenlySpaced2D();
    void Jittered3D();
    // Seeds in pixels; each is traced unless it lies closer than the test
    // distance to an earlier streamline. Returns how many gave a streamline.
    std::size_t FromSeeds(const std::vector<std::array<double, 3>>& seeds);

    Placement& Result() { return m_result; }

  private:
    // Traces a streamline both ways from p if p is at least clearance from
    // every streamline; true when one long enough was kept.
    bool TryLine(double px, double py, double pz, double clearance);
    // Seeds one separation to both sides of every point of line `index`.
    void SeedBeside(std::size_t index);

    const StreamlineGrower& m_grower;
    PointGrid& m_grid;
    PlacementSettings m_settings;
    Placement m_result;
};

}  // namespace vortan::trace
