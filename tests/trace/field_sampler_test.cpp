#include "trace/field_sampler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "trace_fields.h"

namespace vortan::trace {
namespace {

using test::Nodes;
using test::Sampled;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Reproduced exactly by bilinear (trilinear) interpolation.
std::array<double, 3> Linear(double x, double y, double z) {
    return {1 + 2 * x + 3 * y + 4 * x * y + x * y * z, -0.5 * x + y - x * y + y * z, x * z - y};
}

TEST(FieldSampler, ReproducesBilinearAndTrilinearFieldsOnEvenAndUnevenAxes) {
    const std::vector<double> uneven = {-1.0, -0.9, 0.2, 0.25, 1.0};
    const VectorField fields[] = {Sampled(Linear, Nodes(-1, 1, 5), Nodes(-1, 1, 7)),
                                  Sampled(Linear, uneven, uneven),
                                  Sampled(Linear, Nodes(0, 1, 3), uneven, {0.0, 0.5, 3.0})};
    const double points[][3] = {{-1, -1, 0},     {1, 1, 0},    {0.1, 0.2, 0},
                                {0.3, -0.77, 0}, {0.25, 1, 0}, {0.3, 0.1, 0.2},
                                {1, 1, 3},       {0, -1, 0},   {0.5, 0.22, 2.5}};
    for (const VectorField& f : fields) {
        const FieldSampler sampler(f);
        for (const auto& p : points) {
            const bool inside = p[0] >= f.x.front() && p[1] >= f.y.front() &&
                                (f.dimension == 2 || p[2] <= f.z.back());
            Velocity got;
            ASSERT_EQ(sampler.Sample(p[0], p[1], f.dimension == 3 ? p[2] : 123.0, got), inside);
            if (!inside) continue;
            const auto [u, v, w] = Linear(p[0], p[1], f.dimension == 3 ? p[2] : 0.0);
            EXPECT_NEAR(got.u, u, 1e-12) << p[0] << "," << p[1] << "," << p[2];
            EXPECT_NEAR(got.v, v, 1e-12);
            EXPECT_NEAR(got.w, f.dimension == 3 ? w : 0.0, 1e-12);
        }
    }
    Velocity out;
    EXPECT_FALSE(FieldSampler(fields[2]).Sample(0.5, 0.0, 3.01, out)) << "above the top z";
    EXPECT_FALSE(FieldSampler(fields[1]).Sample(kNaN, 0.0, 0, out));
}

TEST(FieldSampler, MaskedCornersMaskTheirCellsOnly) {
    // Node (2, 2) of a 5 x 5 grid on [0, 4]^2 masked by a NaN in either
    // component or an infinity: the cells [1, 3]^2 touching it are masked.
    const double spoilers[][2] = {{kNaN, 0.0}, {0.0, kNaN}, {kInf, 0.0}, {0.0, -kInf}};
    const std::tuple<double, double, bool> probes[] = {
        {2.0, 2.0, false}, {1.5, 1.5, false}, {2.9, 1.1, false},
        {1.1, 2.9, false}, {0.5, 0.5, true},  {3.5, 2.0, true},
        {2.0, 3.5, true},  {0.9, 2.0, true},  {-0.1, 1.0, false}};
    for (const auto& s : spoilers) {
        VectorField f = Sampled(Linear, Nodes(0, 4, 5), Nodes(0, 4, 5));
        f.u[f.Index(2, 2)] = s[0];
        f.v[f.Index(2, 2)] = s[1];
        const FieldSampler sampler(f);
        for (const auto& [x, y, valid] : probes) {
            Velocity v;
            EXPECT_EQ(sampler.Sample(x, y, 0.0, v), valid) << x << "," << y;
        }
    }
}

}  // namespace
}  // namespace vortan::trace
