// Turning what a reader found into a field: axis order, reversal, masks, node limit.
#include "field/field_grid.h"

#include <gtest/gtest.h>

#include <limits>

namespace vortan::field {
namespace {

const double kNan = std::numeric_limits<double>::quiet_NaN();

// The readers' tests see a decreasing x, a decreasing y and non-finite values;
// here the middle of three axes, the outer two left alone.
TEST(FieldGrid, ADecreasingMiddleAxisIsReversedWithItsData) {
    RawGrid g;
    g.axis = {std::vector<double>{0, 1}, std::vector<double>{1, 0}, std::vector<double>{0, 1}};
    for (auto& c : g.comp) c = {0, 1, 2, 3, 4, 5, 6, 7};
    const FieldResult r = BuildField(g, "f", "d");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.field.dimension, 3);
    EXPECT_EQ(r.field.y, (std::vector<double>{0, 1}));
    EXPECT_EQ(r.field.w, (std::vector<double>{2, 3, 0, 1, 6, 7, 4, 5}));
}

TEST(FieldGrid, DegenerateAxesDropOutAndComponentsFollowTheirAxes) {
    // An x-z plane: of three components the y one is dropped; of two, both stay.
    RawGrid g;
    g.axis = {std::vector<double>{0, 1}, std::vector<double>{7}, std::vector<double>{0, 1}};
    g.comp = {std::vector<double>(4, 1), std::vector<double>(4, 2), std::vector<double>(4, 3)};
    FieldResult r = BuildField(g, "f", "d");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.field.dimension, 2);
    EXPECT_EQ(r.field.v, std::vector<double>(4, 3));
    EXPECT_EQ(r.field.z, std::vector<double>{0.0});
    g.comp[2].clear();
    EXPECT_EQ(BuildField(g, "f", "d").field.v, std::vector<double>(4, 2));
}

TEST(FieldGrid, GridsThatCannotBeFields) {
    using Axis = std::vector<double>;
    // clang-format off
    const std::tuple<Axis, Axis, Axis, bool, const char*> cases[] = {
        {{0, 1, 2}, {0}, {0}, false,
         "a 1-D array (3 x 1 x 1 nodes) cannot be traced; a field needs two axes of two "
         "nodes or more"},
        {{0}, {0}, {0}, false, "a 1-D array (1 x 1 x 1 nodes)"},
        {{0, 1}, {0, 1}, {0, 1}, false,
         "a 3-D grid (2 x 2 x 2 nodes) with a 2-component array; a 3-D field needs three "
         "components"},
        {{0, 2, 1}, {0, 1}, {0}, false, "the x coordinates are neither increasing nor decreasing"},
        {{0, 1}, {1, 1}, {0}, false, "the y coordinates are neither increasing nor decreasing"},
        {{0, 1}, {0, kNan}, {0}, false, "the y coordinates are neither"},
        {{0, 1}, {0, 1}, {1, 0, 0}, true, "the z coordinates are neither"},
    };
    // clang-format on
    for (const auto& [x, y, z, threeComponents, error] : cases) {
        RawGrid g;
        g.axis = {x, y, z};
        const std::size_t n = x.size() * y.size() * z.size();
        g.comp = {std::vector<double>(n), std::vector<double>(n),
                  std::vector<double>(threeComponents ? n : 0)};
        const FieldResult r = BuildField(g, "f", "d");
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.error.substr(0, std::string(error).size() + 3), "f: " + std::string(error));
    }
}

TEST(FieldGrid, NodeLimitWithoutOverflow) {
    const std::size_t big = std::size_t{1} << 40;  // big^3 wraps around in 64 bits
    const std::tuple<std::size_t, std::size_t, std::size_t, bool> cases[] = {
        {kMaxFieldNodes, 1, 1, true}, {8192, 8192, 1, true},   {8192, 8193, 1, false},
        {big, big, big, false},       {SIZE_MAX, 2, 1, false}, {0, 5, 5, false}};
    for (const auto& [n0, n1, n2, ok] : cases) {
        std::size_t nodes = 0;
        std::string error;
        EXPECT_EQ(CheckNodeCount(n0, n1, n2, "big.nc", &nodes, &error), ok) << n0 << " " << n1;
        EXPECT_EQ(ok ? nodes : 0, ok ? n0 * n1 * n2 : 0);
        EXPECT_EQ(error.rfind("big.nc: ", 0), ok ? std::string::npos : 0u) << error;
    }
    std::string error;
    std::size_t nodes = 0;
    CheckNodeCount(kMaxFieldNodes + 1, 1, 1, "big.nc", &nodes, &error);
    EXPECT_EQ(error,
              "big.nc: the grid of 67108865 x 1 x 1 nodes is larger than the limit of "
              "67108864 nodes");
}

// The readers' tests see the order of choice and the list of what was found;
// here, an array never a vector though named, and none at all.
TEST(FieldGrid, UnusableArraysAreNotChosenEvenByName) {
    const std::vector<PointArray> arrays = {{"p", 1, false, false}, {"n", 3, false, false}};
    const std::string found =
        "of two or three components; found: p (1 component), n (3 components)";
    const std::tuple<std::vector<PointArray>, const char*, std::string> cases[] = {
        {arrays, "n", "no point array 'n' " + found},
        {{}, "", "no vector components: no point array of two or three components; found: none"}};
    for (const auto& [list, vectors, want] : cases) {
        std::string why;
        EXPECT_EQ(ChooseVectorArray(list, vectors, &why), -1) << vectors;
        EXPECT_EQ(why, want);
    }
}

}  // namespace
}  // namespace vortan::field
