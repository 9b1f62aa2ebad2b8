#include "view/sampler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace vortan {
namespace {

struct K {
    float t, x, y, z;
};

// A 2-D window record holding knots 0..n = the given list.
std::unique_ptr<VortanFrameState> Streamline(const std::vector<K>& knots, float tMax) {
    auto s = std::make_unique<VortanFrameState>();
    s->m_axisX = 1;
    s->m_axisY = 1;
    s->m_axisZ = 0;
    s->m_sampleCount = kSamplesPerStreamline;
    s->m_tMax = tMax;
    s->m_knotCount = static_cast<int>(knots.size()) - 1;
    for (std::size_t i = 0; i < knots.size(); ++i)
        s->m_knots[i] = Knot{knots[i].t, knots[i].x, knots[i].y, knots[i].z};
    return s;
}

// Knots at t = 0, 1, ..., n with x = t^2, y = -3t, z = t + 100.
std::vector<K> Parabola(int n) {
    std::vector<K> k;
    for (int i = 0; i <= n; ++i)
        k.push_back({float(i), float(i * i), float(-3 * i), float(i + 100)});
    return k;
}

TEST(SampleAll, EvenlySpacedAndLinear) {
    auto s = Streamline(Parabola(7), 6.3f);
    SampleArray out{};
    SampleAll(*s, out);
    EXPECT_EQ(out[0].a, 0.0f);
    EXPECT_EQ(out[0].b, 0.0f);
    // The last sample is knot n = 7 itself, not the point at 6.3.
    EXPECT_EQ(out[63].a, 49.0f);
    EXPECT_EQ(out[63].b, -21.0f);
    for (int i = 1; i < 63; ++i) {
        const double p = 0.1 * i;
        const int k = static_cast<int>(std::ceil(p - 1e-4));  // upper knot of the interval
        const double u = p - (k - 1);
        const double a = (k - 1) * (k - 1) + u * (k * k - (k - 1) * (k - 1));
        EXPECT_NEAR(out[i].a, a, 1e-3) << i;
        EXPECT_NEAR(out[i].b, -3 * p, 1e-4) << i;
    }
    // Parameter 2.5: halfway between knots 2 (x 4) and 3 (x 9).
    EXPECT_NEAR(out[25].a, 6.5f, 1e-4);
    EXPECT_NEAR(out[25].b, -7.5f, 1e-4);
}

TEST(SampleAll, ZeroOrNegativeRangeGivesKnotZeroEverywhere) {
    for (float tMax : {0.0f, -2.0f}) {
        auto s = Streamline(Parabola(5), tMax);
        s->m_knots[0].x = 3.5f;
        s->m_knots[0].y = -1.25f;
        SampleArray out{};
        SampleAll(*s, out);
        for (int i = 0; i < 64; ++i) {
            EXPECT_EQ(out[i].a, 3.5f) << i;
            EXPECT_EQ(out[i].b, -1.25f) << i;
        }
    }
}

TEST(SampleStreamline, AxisPairs) {
    struct Case {
        int x, y, z;
        float a, b;
    };
    // Knot 1 holds (x 10, y 20, z 30).
    const Case cases[] = {
        {1, 1, 0, 10, 20},  {1, 0, 1, 10, 30}, {0, 1, 1, 20, 30}, {1, 1, 1, 20, 30},
        {0, 0, 0, 20, 30},  {1, 0, 0, 20, 30}, {0, 1, 0, 20, 30}, {0, 0, 1, 20, 30},
        {7, -1, 0, 10, 20}, {5, 0, 2, 10, 30},
    };
    for (const Case& c : cases) {
        auto s = Streamline({{0, 1, 2, 3}, {1, 10, 20, 30}}, 1.0f);
        s->m_axisX = c.x;
        s->m_axisY = c.y;
        s->m_axisZ = c.z;
        SampleArray out{};
        SampleStreamline(*s, 1.0, 5, out);  // at knot 1's parameter
        EXPECT_EQ(out[5].a, c.a) << c.x << c.y << c.z;
        EXPECT_EQ(out[5].b, c.b) << c.x << c.y << c.z;
        SampleStreamline(*s, 0.0, 0, out);  // knot 0 through the same table
        EXPECT_EQ(out[0].a, c.a / 10) << c.x << c.y << c.z;
    }
}

TEST(SampleStreamline, PointsOnAndBetweenKnots) {
    struct Case {
        std::vector<K> knots;
        double p;
        int index;
        float a, b;
    };
    const Case cases[] = {
        // On a knot: that knot.
        {Parabola(4), 2.0, 10, 4, -6},
        {Parabola(4), 3.0, 10, 9, -9},
        // Equal consecutive parameters never form the interval.
        {{{0, 0, 0, 0}, {1, 10, 1, 0}, {1, 50, 5, 0}, {2, 60, 6, 0}}, 1.0, 3, 10, 1},
        {{{0, 0, 0, 0}, {1, 10, 1, 0}, {1, 50, 5, 0}, {2, 60, 6, 0}}, 1.5, 3, 55, 5.5f},
        {{{0, 0, 0, 0}, {0, 7, 7, 0}, {2, 9, 9, 0}}, 1.0, 3, 8, 8},
        // A knot stored as 0 (beyond tMax) is never the upper knot; it can still be the
        // lower one: here (t 0, x 99) to (t 3, x 40), u = 2.
        {{{0, 0, 0, 0}, {1, 10, 0, 0}, {0, 99, 0, 0}, {3, 40, 0, 0}},
         2.0,
         7,
         99 - 2 * 59 / 3.0f,
         0},
        {{{0, 0, 0, 0}, {1, 10, 0, 0}, {0, 99, 0, 0}, {3, 40, 0, 0}}, 0.5, 7, 5, 0},
        // Above every knot's parameter: knot n.
        {{{0, 0, 0, 0}, {1, 10, 0, 0}, {2, 20, 3, 0}, {0, 30, 4, 0}}, 2.5, 8, 30, 4},
        {Parabola(3), 3.5, 8, 9, -9},
        // The last index is knot n whatever its parameter.
        {Parabola(3), 1.5, 63, 9, -9},
        {{{0, 0, 0, 0}, {1, 10, 0, 0}, {0, 30, 4, 0}}, 0.5, 63, 30, 4},
        // The first sample (p = 0) is knot 0 even at the last index.
        {Parabola(3), 0.0, 63, 0, 0},
        // p is taken in single precision: just above 1 in double is exactly 1 in float.
        {Parabola(3), 1.0 + 1e-12, 4, 1, -3},
    };
    for (const Case& c : cases) {
        auto s = Streamline(c.knots, 3.0f);
        SampleArray out{};
        SampleStreamline(*s, c.p, c.index, out);
        EXPECT_NEAR(out[c.index].a, c.a, 1e-5) << c.p << " " << c.index;
        EXPECT_NEAR(out[c.index].b, c.b, 1e-5) << c.p << " " << c.index;
    }
}

TEST(SampleStreamline, NeverLooksBeyondKnotN) {
    auto s = Streamline(Parabola(3), 10.0f);
    // Values of an earlier, longer record above knot n.
    for (int i = 4; i < 20; ++i) s->m_knots[i] = Knot{float(i), 999, 999, 999};
    SampleArray out{};
    SampleAll(*s, out);
    for (int i = 0; i < 64; ++i) {
        EXPECT_LE(out[i].a, 9.0f) << i;
        EXPECT_GE(out[i].b, -9.0f) << i;
    }
    EXPECT_EQ(out[40].a, 9.0f);  // p ~ 6.35, past knot 3
}

TEST(SampleStreamline, KnotCountOutsideTheStoreIsClamped) {
    struct Case {
        int knotCount;
        int lastKnot;
    };
    for (const Case c : {Case{-5, 0}, Case{INT32_MIN, 0}, Case{5000, 1000}, Case{1000, 1000}}) {
        auto s = Streamline({{0, 0, 0, 0}}, 5.0f);
        for (int i = 1; i < kKnotCapacity; ++i)
            s->m_knots[i] = Knot{float(i) * 1e-3f, float(i), 0, 0};
        s->m_knotCount = c.knotCount;
        SampleArray out{};
        SampleAll(*s, out);
        EXPECT_EQ(out[63].a, float(c.lastKnot)) << c.knotCount;
        EXPECT_EQ(out[30].a, float(c.lastKnot)) << c.knotCount;  // p ~ 2.4, beyond every knot
    }
}

TEST(SampleStreamline, IndexOutsideTheArrayWritesNothing) {
    auto s = Streamline(Parabola(3), 3.0f);
    SampleArray out{};
    for (auto& p : out) p = {-1, -1};
    for (int index : {-1, 64, 1000, INT32_MIN}) SampleStreamline(*s, 1.0, index, out);
    for (const auto& p : out) {
        EXPECT_EQ(p.a, -1);
        EXPECT_EQ(p.b, -1);
    }
}

TEST(SampleAll, NonFiniteRangeStaysOnTheStreamline) {
    for (float tMax :
         {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        auto s = Streamline(Parabola(3), tMax);
        SampleArray out{};
        SampleAll(*s, out);
        EXPECT_EQ(out[0].a, 0.0f);
        for (int i = 1; i < 64; ++i) EXPECT_EQ(out[i].a, 9.0f) << i;
    }
}

}  // namespace
}  // namespace vortan
