#include "trace/streamline_grower.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "trace_fields.h"

namespace vortan::trace {
namespace {

using test::Field2;
using test::Nodes;

// A 400 x 400 picture over [-1, 1]^2 (200 pixels a unit), a grid of 10 px cells.
struct Grower {
    explicit Grower(const VectorField& f, double minSpeed = 1e-6) : field(f), sampler(field) {
        frame.xMin = field.x.front();
        frame.yMin = field.y.front();
        frame.width = frame.height = 400;
        frame.sx = 400 / (field.x.back() - field.x.front());
        frame.sy = 400 / (field.y.back() - field.y.front());
        limits.maxStep = 2.5;
        limits.tolerance = 1e-4;
        limits.minSpeed = minSpeed;
        limits.maxLength = 20000;
        limits.testDistance = 5;
        limits.selfArc = 20;
        std::string error;
        EXPECT_TRUE(grid.Reset(10, 400, 400, 0, error)) << error;
    }
    // Grows from the field point (x, y); the points in field units.
    StopReason Grow(double x, double y, int direction, std::vector<TracedPoint>& out,
                    std::uint32_t line = 0) {
        const StreamlineGrower grower(sampler, frame, limits);
        const TracedPoint seed{(x - frame.xMin) * frame.sx, (y - frame.yMin) * frame.sy};
        grid.Add({seed.px, seed.py, 0, 0, line});
        const StopReason why = grower.Grow(seed, direction, line, grid, out);
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

TEST(StreamlineGrower, FollowsKnownStreamlines) {
    // Each case: the field, a seed, an invariant of its streamlines and how
    // far it may drift (field units; the tolerance is 1e-4 px = 5e-7 units).
    struct Case {
        const char* name;
        VectorField field;
        double x, y;
        double (*invariant)(const TracedPoint&);
        StopReason stop;
    };
    const Case cases[] = {
        {"rotation: circle", test::Rotation(), 0.6, 0.0,
         [](const TracedPoint& p) { return std::hypot(p.px, p.py); }, StopReason::kClosed},
        {"rotation, coarse uneven grid: circle",
         Field2([](double x, double y, double& u, double& v) { u = -y, v = x; },
                {-1, -0.7, -0.1, 0.05, 0.6, 1}, {-1, -0.2, 0.3, 1}),
         -0.3, 0.4, [](const TracedPoint& p) { return std::hypot(p.px, p.py); },
         StopReason::kClosed},
        {"uniform: line", test::Uniform(), 0.3, 0.1,
         [](const TracedPoint& p) { return p.py - 0.5 * p.px; }, StopReason::kDomain},
        {"saddle: hyperbola", test::Saddle(), 0.3, 0.3,
         [](const TracedPoint& p) { return p.px * p.py; }, StopReason::kDomain},
        {"saddle, other branch", test::Saddle(), -0.5, -0.4,
         [](const TracedPoint& p) { return p.px * p.py; }, StopReason::kDomain},
    };
    for (const Case& c : cases) {
        for (const int direction : {+1, -1}) {
            Grower g(c.field);
            std::vector<TracedPoint> line;
            const StopReason why = g.Grow(c.x, c.y, direction, line);
            ASSERT_GT(line.size(), 20u) << c.name;
            EXPECT_EQ(why, c.stop) << c.name << " direction " << direction;
            const double expected = c.invariant({c.x, c.y});
            double drift = 0;
            for (const TracedPoint& p : line)
                drift = std::fmax(drift, std::fabs(c.invariant(p) - expected));
            EXPECT_LT(drift, 2e-6) << c.name << " direction " << direction;
            // Consecutive points at most the largest step apart, arc lengths agreeing.
            for (std::size_t i = 1; i < line.size(); ++i) {
                const double step = std::fabs(line[i].arc - line[i - 1].arc);
                EXPECT_LE(step, g.limits.maxStep + 1e-9) << c.name;
                EXPECT_EQ(line[i].arc > line[i - 1].arc, direction > 0) << c.name;
            }
        }
    }
}

TEST(StreamlineGrower, StopsAtTheEdgeOfTheFieldAndOfMaskedCells) {
    // Uniform flow to +x on [-1, 1]^2; a masked node at x = 0.5 masks the
    // cells from x = 0.25 on (a grid of 0.25 steps) around y = 0.
    VectorField f = Field2([](double, double, double& u, double& v) { u = 2, v = 0; },
                           Nodes(-1, 1, 9), Nodes(-1, 1, 9));
    f.u[f.Index(6, 4)] = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double y;
        StopReason stop;
        double endX;  // where the line must end, within 0.01 px
    };
    const Case cases[] = {{0.1, StopReason::kMasked, 0.25},
                          {-0.1, StopReason::kMasked, 0.25},
                          {0.6, StopReason::kDomain, 1.0}};
    for (const Case& c : cases) {
        Grower g(f);
        std::vector<TracedPoint> line;
        EXPECT_EQ(g.Grow(-0.9, c.y, +1, line), c.stop) << c.y;
        ASSERT_FALSE(line.empty());
        EXPECT_LE(line.back().px, c.endX);
        EXPECT_GT(line.back().px, c.endX - 0.01 / 200) << c.y;
        Velocity v;
        for (const TracedPoint& p : line) EXPECT_TRUE(g.sampler.Sample(p.px, p.py, 0, v));
    }
}

TEST(StreamlineGrower, StopsAtACriticalPoint) {
    // A sink at the origin: u = -x, v = -y; with the critical speed 0.01 of
    // the top (sqrt 2 in field units), lines stop within about 0.014 of it.
    const VectorField sink =
        Field2([](double x, double y, double& u, double& v) { u = -x, v = -y; }, Nodes(-1, 1, 17),
               Nodes(-1, 1, 17));
    Grower g(sink, 0.01 * std::sqrt(2.0) * 200);
    std::vector<TracedPoint> line;
    EXPECT_EQ(g.Grow(0.8, 0.6, +1, line), StopReason::kCritical);
    ASSERT_FALSE(line.empty());
    const double r = std::hypot(line.back().px, line.back().py);
    EXPECT_LT(r, 0.0142);
    EXPECT_GT(r, 0.0141 - 2.5 / 200);
    // A seed on the critical point cannot start.
    const StreamlineGrower grower(g.sampler, g.frame, g.limits);
    StopReason why = StopReason::kDomain;
    EXPECT_FALSE(grower.CanStart(200, 200, 0, why));
    EXPECT_EQ(why, StopReason::kCritical);
    EXPECT_FALSE(grower.CanStart(-1, 200, 0, why));
    EXPECT_EQ(why, StopReason::kDomain);
}

TEST(StreamlineGrower, StopsBesideAnotherLineAndClosesOnItself) {
    Grower g(test::Rotation());
    std::vector<TracedPoint> first, second;
    EXPECT_EQ(g.Grow(0.5, 0.0, +1, first, 0), StopReason::kClosed);
    // One full turn, less about the test distance (5 px = 0.025 units).
    const double turn = 2 * std::numbers::pi * 0.5 * 200;
    EXPECT_GT(first.back().arc, turn - 5.0 - 2.5);
    EXPECT_LT(first.back().arc, turn - 5.0 + 1e-9);
    // A line spiralling nowhere near: a radial flow from (0, -0.9) to the
    // circle of radius 0.5 stops 5 px before it.
    Grower h(Field2([](double, double, double& u, double& v) { u = 0, v = 1; }, Nodes(-1, 1, 5),
                    Nodes(-1, 1, 5)));
    for (const TracedPoint& p : first)
        h.grid.Add({(p.px + 1) * 200, (p.py + 1) * 200, 0, p.arc, 0});
    EXPECT_EQ(h.Grow(0.0, -0.9, +1, second, 1), StopReason::kNeighbour);
    ASSERT_FALSE(second.empty());
    EXPECT_GE(-0.5 - second.back().py, 4.8 / 200);
    EXPECT_LT(-0.5 - second.back().py, (5.0 + 2.5) / 200);
}

TEST(StreamlineGrower, TimeAndLengthRideAlong) {
    // Rotation at unit angular speed: a turn of radius r takes 2 pi and is
    // 2 pi r long; uniform flow (1, 0.5) covers sqrt(1.25) units a time unit.
    Grower g(test::Rotation());
    std::vector<TracedPoint> circle;
    g.Grow(0.5, 0.0, +1, circle);
    const TracedPoint& end = circle.back();
    const double angle = end.arc / 100.0;  // 100 px radius
    EXPECT_NEAR(end.time, angle, 1e-6);
    EXPECT_NEAR(end.length, 0.5 * angle, 1e-6);
    Grower u(test::Uniform());
    std::vector<TracedPoint> line;
    u.Grow(1.9, 0.9, -1, line);
    ASSERT_FALSE(line.empty());
    const double length = std::hypot(line.back().px - 1.9, line.back().py - 0.9);
    EXPECT_NEAR(line.back().length, -length, 1e-9);
    EXPECT_NEAR(line.back().time, -length / std::sqrt(1.25), 1e-9);
}

}  // namespace
}  // namespace vortan::trace
