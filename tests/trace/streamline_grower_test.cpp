#include "trace/streamline_grower.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "trace_fields.h"

namespace vortan::trace {
namespace {

using test::Nodes;
using test::Sampled;

// A 400 x 400 picture over the field's box, a grid of 10 px cells; a test
// distance of 5 px and steps of at most 2.5 px.
struct Grower {
    explicit Grower(const VectorField& f, double minSpeed = 1e-6) : field(f), sampler(field) {
        frame.xMin = field.x.front();
        frame.yMin = field.y.front();
        frame.width = frame.height = 400;
        frame.sx = 400 / (field.x.back() - field.x.front());
        frame.sy = 400 / (field.y.back() - field.y.front());
        limits = {2.5, 1e-4, minSpeed, 20000, 5, 20};
        std::string error;
        EXPECT_TRUE(grid.Reset(10, 400, 400, 0, error)) << error;
    }
    // Grows from the field point (x, y); the points come back in field units.
    StopReason Grow(double x, double y, int direction, std::vector<TracedPoint>& out,
                    std::uint32_t line = 0) {
        const TracedPoint seed{(x - frame.xMin) * frame.sx, (y - frame.yMin) * frame.sy};
        grid.Add({seed.px, seed.py, 0, 0, line});
        const StopReason why =
            StreamlineGrower(sampler, frame, limits).Grow(seed, direction, line, grid, out);
        for (TracedPoint& p : out) {
            p.px = frame.xMin + p.px / frame.sx;
            p.py = frame.yMin + p.py / frame.sy;
        }
        return why;
    }
    VectorField field;
    FieldSampler sampler;
    PixelFrame frame;
    GrowthLimits limits;
    PointGrid grid;
};

TEST(StreamlineGrower, StopsAtACriticalPoint) {
    // A sink at the origin; with the critical speed 0.01 of the top (sqrt 2),
    // lines stop about 0.0141 from it, and a seed on it cannot start.
    Grower g(Sampled([](double x, double y, double) { return test::V(-x, -y); }, Nodes(-1, 1, 17),
                     Nodes(-1, 1, 17)),
             0.01 * std::sqrt(2.0) * 200);
    std::vector<TracedPoint> line;
    EXPECT_EQ(g.Grow(0.8, 0.6, +1, line), StopReason::kCritical);
    const double r = std::hypot(line.back().px, line.back().py);
    EXPECT_LT(r, 0.0142);
    EXPECT_GT(r, 0.0141 - 2.5 / 200);
    const StreamlineGrower grower(g.sampler, g.frame, g.limits);
    StopReason why = StopReason::kDomain;
    EXPECT_FALSE(grower.CanStart(200, 200, 0, why));
    EXPECT_EQ(why, StopReason::kCritical);
    EXPECT_FALSE(grower.CanStart(-1, 200, 0, why));
    EXPECT_EQ(why, StopReason::kDomain);
}

TEST(StreamlineGrower, ClosesOnItselfAndStopsBesideAnotherLine) {
    // A circle of radius 0.5 (100 px) closes one turn less about the test
    // distance from its seed; at unit angular speed time is the angle.
    Grower g(test::Rotation());
    std::vector<TracedPoint> circle, second;
    EXPECT_EQ(g.Grow(0.5, 0.0, +1, circle, 0), StopReason::kClosed);
    const double turn = 2 * std::numbers::pi * 100;
    EXPECT_GT(circle.back().arc, turn - 5.0 - 2.5);
    EXPECT_LT(circle.back().arc, turn - 5.0 + 1e-9);
    EXPECT_NEAR(circle.back().time, circle.back().arc / 100, 1e-6);
    for (const TracedPoint& p : circle) EXPECT_NEAR(std::hypot(p.px, p.py), 0.5, 2e-6);
    // Upward flow from (0, -0.9) towards that circle stops 5 px before it.
    Grower h(Sampled([](double, double, double) { return test::V(0, 1); }, Nodes(-1, 1, 5),
                     Nodes(-1, 1, 5)));
    for (const TracedPoint& p : circle)
        h.grid.Add({(p.px + 1) * 200, (p.py + 1) * 200, 0, p.arc, 0});
    EXPECT_EQ(h.Grow(0.0, -0.9, +1, second, 1), StopReason::kNeighbour);
    EXPECT_GE(-0.5 - second.back().py, 4.8 / 200);
    EXPECT_LT(-0.5 - second.back().py, (5.0 + 2.5) / 200);
}

}  // namespace
}  // namespace vortan::trace
