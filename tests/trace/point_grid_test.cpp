#include "trace/point_grid.h"

#include <gtest/gtest.h>

#include <limits>

namespace vortan::trace {
namespace {

TEST(PointGrid, OwnRecentPointsAreLeftOutAndTheLastLineComesBack) {
    PointGrid grid;
    std::string error;
    ASSERT_TRUE(grid.Reset(5, 50, 50, 50, error)) << error;
    // Line 0 along x at y = z = 10, a point a pixel; line 1 one point.
    for (int i = 0; i <= 40; ++i) grid.Add({double(i), 10, 10, double(i), 0});
    grid.Add({20, 20, 20, 0, 1});
    const double inf = std::numeric_limits<double>::infinity();
    // x, y, z, own line, arc along it, own points nearer along it passed over; free
    const std::tuple<double, double, double, std::uint32_t, double, double, bool> probes[] = {
        {20, 12, 10, 0, 20, 5, true},    // own points 18..22, all within 5 along
        {20, 12, 10, 0, 30, 5, false},   // the same place 30 along: closing on itself
        {20, 12, 10, 0, 30, inf, true},  // own line ignored entirely
        {20, 12, 10, 1, 0, 5, false},    // another line's points
        {20, 20, 17, 0, 0, inf, false},  // line 1, in depth and across cells
        {20, 20, 14, 0, 0, inf, true}};
    for (const auto& [x, y, z, self, arc, selfArc, free] : probes)
        EXPECT_EQ(grid.IsFree(x, y, z, 4, self, arc, selfArc), free) << x << " " << z << " " << arc;
    grid.RemoveLastLine();
    EXPECT_TRUE(grid.IsFree(20, 20, 17, 4));
    EXPECT_FALSE(grid.IsFree(20, 12, 10, 4));
    grid.RemoveLastLine();
    EXPECT_TRUE(grid.IsFree(20, 12, 10, 4));
    grid.RemoveLastLine();  // nothing left: no effect
    grid.Add({3, 3, 3, 0, 7});
    EXPECT_FALSE(grid.IsFree(4, 4, 4, 4));
    // Too many cells for the picture.
    EXPECT_TRUE(grid.Reset(1, 4095, 4095, 0, error)) << error;
    EXPECT_FALSE(grid.Reset(1, 4096, 4096, 0, error));  // its message: in the tracer's tests
    EXPECT_FALSE(grid.Reset(std::numeric_limits<double>::quiet_NaN(), 10, 10, 0, error));
}

}  // namespace
}  // namespace vortan::trace
