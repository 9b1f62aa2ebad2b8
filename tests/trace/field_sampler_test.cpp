#include "trace/field_sampler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "trace_fields.h"

namespace vortan::trace {
namespace {

using test::Field2;
using test::Field3;
using test::Nodes;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// A bilinear function is reproduced exactly by bilinear interpolation.
void Bilinear(double x, double y, double& u, double& v) {
    u = 1.0 + 2.0 * x + 3.0 * y + 4.0 * x * y;
    v = -0.5 * x + y - x * y;
}

TEST(CheckField, RefusesWhatTheSamplerCannotUse) {
    struct Case {
        const char* name;
        void (*spoil)(VectorField&);
        const char* message;  // empty: accepted
    };
    const Case cases[] = {
        {"good", [](VectorField&) {}, ""},
        {"dimension 4", [](VectorField& f) { f.dimension = 4; }, "dimension 4, expected 2 or 3"},
        {"one x node",
         [](VectorField& f) {
             f.x = {0.0};
             f.u.resize(f.Ny());
             f.v.resize(f.Ny());
         },
         "the x axis has fewer than two nodes"},
        {"y not increasing", [](VectorField& f) { f.y[2] = f.y[1]; },
         "the y axis is not strictly increasing"},
        {"NaN on x", [](VectorField& f) { f.x[1] = kNaN; }, "x axis holds a value that is not"},
        {"infinite span",
         [](VectorField& f) {
             f.x.front() = -1e308;
             f.x.back() = 1e308;
         },
         "spans more than a double"},
        {"short u", [](VectorField& f) { f.u.pop_back(); }, "one value per grid node"},
        {"2-D with two z nodes",
         [](VectorField& f) {
             f.z = {0.0, 1.0};
         },
         "exactly one z node"},
        {"3-D without w",
         [](VectorField& f) {
             f.dimension = 3;
             f.z = {0.0, 1.0};
             f.u.resize(2 * f.u.size());
             f.v.resize(2 * f.v.size());
         },
         "the w component does not have"},
        {"too many nodes",
         [](VectorField& f) {
             f.x = Nodes(0, 1, 9000);
             f.y = Nodes(0, 1, 9000);
         },
         "more than 67108864 grid nodes"},
    };
    for (const Case& c : cases) {
        VectorField f = Field2(Bilinear, Nodes(0, 1, 4), Nodes(0, 1, 3), "wind.nc");
        c.spoil(f);
        std::string error;
        const bool ok = CheckField(f, error);
        if (*c.message == '\0') {
            EXPECT_TRUE(ok) << c.name << ": " << error;
        } else {
            EXPECT_FALSE(ok) << c.name;
            EXPECT_EQ(error.rfind("wind.nc: ", 0), 0u) << c.name << ": " << error;
            EXPECT_NE(error.find(c.message), std::string::npos) << c.name << ": " << error;
        }
    }
}

TEST(GridAxis, LocatesCellAndFraction) {
    const std::vector<double> uniform = Nodes(0.0, 0.7, 8);  // steps of 0.1, with rounding
    const std::vector<double> uneven = {-1.0, 0.0, 0.5, 2.0, 10.0};
    struct Case {
        const std::vector<double>* nodes;
        double c;
        bool inside;
        std::size_t cell;
        double fraction;
    };
    const Case cases[] = {
        {&uniform, 0.0, true, 0, 0.0},        {&uniform, 0.7, true, 6, 1.0},
        {&uniform, 0.3, true, 2, 1.0},        {&uniform, 0.35, true, 3, 0.5},
        {&uniform, 0.65, true, 6, 0.5},       {&uniform, -1e-12, false, 0, 0.0},
        {&uniform, 0.7000001, false, 0, 0.0}, {&uneven, -1.0, true, 0, 0.0},
        {&uneven, 0.25, true, 1, 0.5},        {&uneven, 1.25, true, 2, 0.5},
        {&uneven, 6.0, true, 3, 0.5},         {&uneven, 10.0, true, 3, 1.0},
        {&uneven, kNaN, false, 0, 0.0},       {&uneven, kInf, false, 0, 0.0},
    };
    for (const Case& c : cases) {
        const GridAxis axis(*c.nodes);
        std::size_t cell = 99;
        double fraction = -1.0;
        ASSERT_EQ(axis.Locate(c.c, cell, fraction), c.inside) << c.c;
        if (!c.inside) continue;
        // Either the named cell, or its neighbour when c sits on the node between.
        const double at = (*c.nodes)[cell] + fraction * ((*c.nodes)[cell + 1] - (*c.nodes)[cell]);
        EXPECT_NEAR(at, c.c, 1e-12) << c.c;
        EXPECT_GE(fraction, 0.0);
        EXPECT_LE(fraction, 1.0);
        if (c.fraction > 0.0 && c.fraction < 1.0) {
            EXPECT_EQ(cell, c.cell) << c.c;
            EXPECT_NEAR(fraction, c.fraction, 1e-9) << c.c;
        }
    }
    EXPECT_TRUE(GridAxis(uniform).Uniform());
    EXPECT_FALSE(GridAxis(uneven).Uniform());
}

TEST(FieldSampler, ReproducesBilinearAndTrilinearFieldsExactly) {
    // Uniform and uneven axes give the same values.
    const std::vector<double> uneven = {-1.0, -0.9, 0.2, 0.25, 1.0};
    const VectorField fields[] = {Field2(Bilinear, Nodes(-1, 1, 5), Nodes(-1, 1, 7)),
                                  Field2(Bilinear, uneven, uneven)};
    const double points[][2] = {{-1, -1}, {1, 1}, {0.1, 0.2}, {0.3, -0.77}, {0.25, 1}, {-1, 0.6}};
    for (const VectorField& f : fields) {
        std::string error;
        ASSERT_TRUE(CheckField(f, error)) << error;
        const FieldSampler sampler(f);
        for (const auto& p : points) {
            Velocity got;
            ASSERT_TRUE(sampler.Sample(p[0], p[1], 123.0, got)) << p[0] << "," << p[1];
            double u = 0, v = 0;
            Bilinear(p[0], p[1], u, v);
            EXPECT_NEAR(got.u, u, 1e-12);
            EXPECT_NEAR(got.v, v, 1e-12);
            EXPECT_EQ(got.w, 0.0);
        }
    }
    const VectorField solid = Field3(
        [](double x, double y, double z, double& u, double& v, double& w) {
            u = x * y * z + z;
            v = 2 - x + y * z;
            w = x * z - y;
        },
        Nodes(0, 1, 3), uneven, {0.0, 0.5, 3.0});
    const FieldSampler sampler(solid);
    const double points3[][3] = {{0.3, 0.1, 0.2}, {1, 1, 3}, {0, -1, 0}, {0.5, 0.22, 2.5}};
    for (const auto& p : points3) {
        Velocity got;
        ASSERT_TRUE(sampler.Sample(p[0], p[1], p[2], got));
        EXPECT_NEAR(got.u, p[0] * p[1] * p[2] + p[2], 1e-12);
        EXPECT_NEAR(got.v, 2 - p[0] + p[1] * p[2], 1e-12);
        EXPECT_NEAR(got.w, p[0] * p[2] - p[1], 1e-12);
    }
    Velocity out;
    EXPECT_FALSE(sampler.Sample(0.5, 0.0, 3.01, out)) << "above the top z";
}

TEST(FieldSampler, MaskedCornersMaskTheirCellsOnly) {
    // Node (2, 2) of a 5 x 5 grid on [0, 4]^2 masked: cells touching it are
    // [1, 3]^2; a NaN in either component, or an infinity, masks.
    const double spoilers[][2] = {{kNaN, 0.0}, {0.0, kNaN}, {kInf, 0.0}, {0.0, -kInf}};
    for (const auto& s : spoilers) {
        VectorField f = Field2(Bilinear, Nodes(0, 4, 5), Nodes(0, 4, 5));
        f.u[f.Index(2, 2)] = s[0];
        f.v[f.Index(2, 2)] = s[1];
        const FieldSampler sampler(f);
        struct Probe {
            double x, y;
            bool valid;
        };
        const Probe probes[] = {{2.0, 2.0, false}, {1.5, 1.5, false}, {2.9, 1.1, false},
                                {1.1, 2.9, false}, {0.5, 0.5, true},  {3.5, 2.0, true},
                                {2.0, 3.5, true},  {0.9, 2.0, true},  {-0.1, 1.0, false}};
        for (const Probe& p : probes) {
            Velocity v;
            EXPECT_EQ(sampler.Sample(p.x, p.y, 0.0, v), p.valid) << p.x << "," << p.y;
        }
    }
}

}  // namespace
}  // namespace vortan::trace
