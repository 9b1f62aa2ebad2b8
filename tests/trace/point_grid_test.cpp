#include "trace/point_grid.h"

#include <gtest/gtest.h>

#include <limits>

namespace vortan::trace {
namespace {

TEST(PointGrid, FindsPointsWithinTheRadiusAcrossCells) {
    PointGrid grid;
    std::string error;
    ASSERT_TRUE(grid.Reset(10, 100, 50, 0, error)) << error;
    grid.Add({25, 25, 0, 0, 0});
    grid.Add({99.5, 49.5, 0, 0, 0});  // in the last cell
    struct Probe {
        double x, y, radius;
        bool free;
    };
    const Probe probes[] = {
        {25, 25, 10, false}, {34.9, 25, 10, false},  {35.1, 25, 10, true}, {25, 15.1, 10, false},
        {18, 32, 10, false}, {17.9, 17.9, 10, true}, {30, 30, 5, true},    {30, 30, 7.1, false},
        {100, 50, 1, false}, {95, 45, 5, true},      {-3, -3, 10, true},   {120, 60, 10, true},
    };
    for (const Probe& p : probes) {
        EXPECT_EQ(grid.IsFree(p.x, p.y, 0, p.radius), p.free)
            << p.x << ", " << p.y << " r " << p.radius;
    }
}

TEST(PointGrid, OwnRecentPointsAreLeftOutAndTheLastLineComesBack) {
    PointGrid grid;
    std::string error;
    ASSERT_TRUE(grid.Reset(5, 50, 50, 50, error)) << error;
    // Line 0 along x at y = z = 10, a point a pixel; line 1 one point.
    for (int i = 0; i <= 40; ++i) grid.Add({double(i), 10, 10, double(i), 0});
    grid.Add({20, 20, 20, 0, 1});
    struct Probe {
        double x, y, z;
        std::uint32_t self;
        double arc, selfArc;
        bool free;
    };
    const double inf = std::numeric_limits<double>::infinity();
    const Probe probes[] = {
        {20, 12, 10, 0, 20, 5, true},    // near its own points 18..22, all within 5 along
        {20, 12, 10, 0, 30, 5, false},   // the same place 30 along: closing on itself
        {20, 12, 10, 0, 30, inf, true},  // own line ignored entirely
        {20, 12, 10, 1, 0, 5, false},    // another line's points
        {20, 20, 17, 0, 0, inf, false},  // line 1 in depth
        {20, 20, 14, 0, 0, inf, true},
    };
    for (const Probe& p : probes) {
        EXPECT_EQ(grid.IsFree(p.x, p.y, p.z, 4, p.self, p.arc, p.selfArc), p.free)
            << p.x << ", " << p.y << ", " << p.z << " self " << p.self << " arc " << p.arc;
    }
    grid.RemoveLastLine();
    EXPECT_EQ(grid.Size(), 41u);
    EXPECT_TRUE(grid.IsFree(20, 20, 17, 4));
    EXPECT_FALSE(grid.IsFree(20, 12, 10, 4));
    grid.RemoveLastLine();
    EXPECT_EQ(grid.Size(), 0u);
    EXPECT_TRUE(grid.IsFree(20, 12, 10, 4));
    grid.RemoveLastLine();  // nothing left: no effect
    grid.Add({3, 3, 3, 0, 7});
    EXPECT_FALSE(grid.IsFree(4, 4, 4, 4));
}

TEST(PointGrid, RefusesTooManyCells) {
    PointGrid grid;
    std::string error;
    EXPECT_TRUE(grid.Reset(1, 4095, 4095, 0, error)) << error;
    EXPECT_FALSE(grid.Reset(1, 4096, 4096, 0, error));
    EXPECT_NE(error.find("too small for the picture"), std::string::npos) << error;
    EXPECT_FALSE(grid.Reset(0, 10, 10, 0, error));
    EXPECT_FALSE(grid.Reset(std::numeric_limits<double>::quiet_NaN(), 10, 10, 0, error));
}

}  // namespace
}  // namespace vortan::trace
