// Formulas sampled on grids: values at the nodes, the default grid, and the
// messages for formulas, domains and grids that cannot be used.
#include "field/formula_field.h"

#include <gtest/gtest.h>

#include <cmath>

#include "field_test_support.h"

namespace vortan::field {
namespace {

// Components on lines of their own; three dimensions are sampled against the
// fixtures in the field file tests.
TEST(FormulaField, DoubleGyreAtTheNodes) {
    const FieldResult r =
        SampleFormula("u = -sin(pi*x)*cos(pi*y)\nv = cos(pi*x)*sin(pi*y)", "0:2, 0:1", "9x5");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.field.dimension, 2);
    EXPECT_EQ(r.field.x, (std::vector<double>{0, 0.25, 0.5, 0.75, 1, 1.25, 1.5, 1.75, 2}));
    EXPECT_EQ(r.field.y, (std::vector<double>{0, 0.25, 0.5, 0.75, 1}));
    EXPECT_EQ(test::GyreMismatches(r.field, 1e-15), 0);
    EXPECT_EQ(r.field.description, "u, v of a formula");
}

TEST(FormulaField, DefaultGridKeepsTheAspect) {
    const std::tuple<const char*, std::size_t, std::size_t, std::size_t> cases[] = {
        {"0:2,0:1", 512, 256, 1},
        {"0:1,0:4", 128, 512, 1},
        {"0:1000,0:1", 512, 2, 1},
        {"0:1,0:1,0:0.5", 64, 64, 32},
    };
    for (const auto& [domain, nx, ny, nz] : cases) {
        const bool three = nz > 1;
        const FieldResult r = SampleFormula(three ? "u=1;v=0;w=0" : "u=1;v=0", domain, "");
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(std::vector<std::size_t>({r.field.Nx(), r.field.Ny(), r.field.Nz()}),
                  std::vector<std::size_t>({nx, ny, nz}))
            << domain;
    }
}

TEST(FormulaField, NonFiniteValuesAreMasked) {
    const FieldResult r = SampleFormula("u = sqrt(x); v = 1/y", "-1:1,0:1", "3x2");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(std::isnan(r.field.u[0]));  // sqrt(-1)
    EXPECT_TRUE(std::isnan(r.field.v[1]));  // 1/0
    EXPECT_EQ(std::vector<double>({r.field.u[5], r.field.v[5]}), std::vector<double>({1, 1}));
}

TEST(FormulaField, Messages) {
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        {"u = 1", "0:1,0:1", "", "both u and v must be given"},
        {"u = 1; u = 2; v = 0", "0:1,0:1", "", "u is given twice"},
        {"u = 1; q = 2", "0:1,0:1", "", "'q = 2' must read \"u = ...\""},
        {"u == 1; v = 0", "0:1,0:1", "", "'u == 1' must read"},
        {"u = 1; v = 0; w = 0", "0:1,0:1", "", "w is given but the domain is 2-D"},
        {"u = 1; v = 0", "0:1,0:1,0:1", "", "the domain is 3-D, so w must be given"},
        {"u = 1 +; v = 0", "0:1,0:1", "", "u = '1 +': "},
        {"u = 1; v = q*x", "0:1,0:1", "", "v = 'q*x': "},
        {"u = z; v = 0", "0:1,0:1", "", "u = 'z': "},
        {"u = 1; v = 0", "0:1", "", "the domain '0:1' must be two or three ranges"},
        {"u = 1; v = 0", "0:1,1:0", "", "the range '1:0' of the domain must run"},
        {"u = 1; v = 0", "0:1,a:b", "", "the range 'a:b' of the domain must be"},
        {"u = 1; v = 0", "-1e308:1e308,0:1", "", "the range '-1e308:1e308'"},
        {"u = 1; v = 0", "0:1,0:1", "10", "the grid '10' must give two node counts"},
        {"u = 1; v = 0", "0:1,0:1", "10x1", "the grid '10x1' must give whole numbers"},
        {"u = 1; v = 0", "0:1,0:1", "99999x99999",
         "the grid of 99999 x 99999 x 1 nodes is larger than the limit"},
        {"u = 1; v = 0", "0:1,0:1", "99999999999999x99999999999999", "the grid of"},
    };
    for (const auto& [formula, domain, grid, error] : cases) {
        const FieldResult r = SampleFormula(formula, domain, grid);
        EXPECT_FALSE(r.ok) << formula;
        const std::string want = "formula: " + std::string(error);
        EXPECT_EQ(r.error.substr(0, want.size()), want)
            << formula << " | " << domain << " | " << grid << " -> " << r.error;
        EXPECT_TRUE(r.field.u.empty());
    }
}

}  // namespace
}  // namespace vortan::field
