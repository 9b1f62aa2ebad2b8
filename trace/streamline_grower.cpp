#include "trace/streamline_grower.h"

#include <algorithm>
#include <cmath>

#include "trace/dormand_prince.h"

namespace vortan::trace {

namespace {

// State: pixel position (3), integration time, arc length in field units.
using State = OdeState<5>;

// A step this short that still cannot be taken ends the line where it is
// (at the edge of the field or of a masked region), pixels.
constexpr double kEdgeStep = 1e-2;
// Shortest step error control may ask for before the field counts as
// singular, pixels.
constexpr double kMinStep = 1e-6;
// Largest turn of the direction over one step, radians. The error estimate
// is asymptotic; on curves tighter than a step it can miss, so a step may
// turn only so far.
constexpr double kMaxTurn = 0.3;
const double kCosMaxTurn = std::cos(kMaxTurn);

// The normalised field in pixels, for one direction of growth.
class Derivative {
  public:
    Derivative(const FieldSampler& sampler, const PixelFrame& frame, double minSpeed,
               double direction)
        : m_sampler(sampler), m_frame(frame), m_minSpeed(minSpeed), m_direction(direction) {}

    bool operator()(const State& s, State& d) {
        const double x = m_frame.xMin + s[0] / m_frame.sx;
        const double y = m_frame.yMin + s[1] / m_frame.sy;
        const double z = m_frame.zMin + s[2] / m_frame.sz;
        Velocity v;
        if (!m_sampler.Sample(x, y, z, v)) {
            m_failure = Inside(x, y, z) ? StopReason::kMasked : StopReason::kDomain;
            return false;
        }
        const double pu = v.u * m_frame.sx, pv = v.v * m_frame.sy, pw = v.w * m_frame.sz;
        const double speed = std::sqrt(pu * pu + pv * pv + pw * pw);
        if (!(speed >= m_minSpeed) || !(speed > 0.0)) {
            m_failure = StopReason::kCritical;
            return false;
        }
        const double k = m_direction / speed;
        d = {pu * k, pv * k, pw * k, k, std::sqrt(v.u * v.u + v.v * v.v + v.w * v.w) * k};
        return true;
    }

    StopReason Failure() const { return m_failure; }

  private:
    bool Inside(double x, double y, double z) const {
        auto in = [](const GridAxis& a, double c) { return c >= a.Min() && c <= a.Max(); };
        return in(m_sampler.X(), x) && in(m_sampler.Y(), y) &&
               (m_sampler.Dimension() == 2 || in(m_sampler.Z(), z));
    }

    const FieldSampler& m_sampler;
    const PixelFrame& m_frame;
    double m_minSpeed;
    double m_direction;
    StopReason m_failure = StopReason::kDomain;
};

}  // namespace

StreamlineGrower::StreamlineGrower(const FieldSampler& sampler, const PixelFrame& frame,
                                   const GrowthLimits& limits)
    : m_sampler(sampler), m_frame(frame), m_limits(limits) {}

bool StreamlineGrower::CanStart(double px, double py, double pz, StopReason& why) const {
    Derivative f(m_sampler, m_frame, m_limits.minSpeed, 1.0);
    State d;
    if (f({px, py, pz, 0.0, 0.0}, d)) return true;
    why = f.Failure();
    return false;
}

StopReason StreamlineGrower::Grow(const TracedPoint& seed, int direction, std::uint32_t line,
                                  PointGrid& grid, std::vector<TracedPoint>& out,
                                  double* closedAt) const {
    const double sign = direction < 0 ? -1.0 : 1.0;
    Derivative f(m_sampler, m_frame, m_limits.minSpeed, sign);
    State y = {seed.px, seed.py, seed.pz, seed.time, seed.length};
    State k1, y5, k7, error;
    if (!f(y, k1)) return f.Failure();

    double arc = seed.arc;
    double h = m_limits.maxStep;
    // Every attempt either advances by at least kEdgeStep or shrinks the
    // step, so this bounds the work of one line whatever the field.
    const double budget = 8.0 * m_limits.maxLength / m_limits.maxStep + 10000.0;
    const std::size_t maxAttempts = static_cast<std::size_t>(std::min(budget, 1e8));
    for (std::size_t attempt = 0;; ++attempt) {
        if (attempt >= maxAttempts) return StopReason::kStepLimit;
        if (std::fabs(arc - seed.arc) >= m_limits.maxLength) return StopReason::kMaxLength;
        h = std::min(h, m_limits.maxLength - std::fabs(arc - seed.arc));
        if (!DormandPrinceStep<5>(f, y, k1, h, y5, k7, error)) {
            // Some stage left the field: close in on the edge by halving.
            if (h < kEdgeStep) return f.Failure();
            h *= 0.5;
            continue;
        }
        const double e = std::max({std::fabs(error[0]), std::fabs(error[1]), std::fabs(error[2])}) /
                         m_limits.tolerance;
        const double factor = e > 0.0 ? 0.9 * std::pow(e, -0.2) : 5.0;
        const double turn = k1[0] * k7[0] + k1[1] * k7[1] + k1[2] * k7[2];
        if (!(turn >= kCosMaxTurn) && h > kEdgeStep) {
            h *= 0.5;
            continue;
        }
        if (!(e <= 1.0)) {
            h *= std::clamp(factor, 0.1, 0.9);
            if (h < kMinStep) return StopReason::kStepLimit;
            continue;
        }
        const double nextArc = arc + sign * h;
        const std::uint32_t blocking = grid.Blocking(y5[0], y5[1], y5[2], m_limits.testDistance,
                                                     line, nextArc, m_limits.selfArc);
        if (blocking != PointGrid::kNone) {
            const GridPoint& hit = grid.Point(blocking);
            if (hit.line != line) return StopReason::kNeighbour;
            if (closedAt) *closedAt = hit.arc;
            return StopReason::kClosed;
        }
        const TracedPoint p{y5[0], y5[1], y5[2], y5[3], y5[4], nextArc};
        out.push_back(p);
        grid.Add({p.px, p.py, p.pz, p.arc, line});
        y = y5;
        k1 = k7;
        arc = nextArc;
        h = std::min(m_limits.maxStep, h * std::clamp(factor, 0.2, 5.0));
    }
}

}  // namespace vortan::trace
