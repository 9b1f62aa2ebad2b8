#include "view/sampler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <memory>
#include <random>
#include <tuple>
#include <vector>

namespace vortan {
namespace {

using K = Knot;

// A 2-D window record holding knots 0..n = the given list.
std::unique_ptr<VortanFrameState> Streamline(const std::vector<K>& knots, float tMax) {
    auto s = std::make_unique<VortanFrameState>();
    std::tie(s->m_axisX, s->m_axisY, s->m_sampleCount, s->m_tMax, s->m_knotCount) =
        std::tuple(1, 1, kSamplesPerStreamline, tMax, static_cast<int>(knots.size()) - 1);
    std::copy(knots.begin(), knots.end(), s->m_knots.begin());
    return s;
}

// Knots at t = 0, 1, ..., n with x = t^2, y = -3t, z = t + 100.
std::vector<K> Parabola(int n) {
    std::vector<K> k;
    for (float i = 0; i <= float(n); ++i) k.push_back({i, i * i, -3 * i, i + 100});
    return k;
}

TEST(SampleAll, EvenlySpacedLinearBetweenKnotsAndAsEachSampleOnItsOwn) {
    // p = tMax i / 63; p 2.5 lies halfway between knots 2 and 3; the last sample is knot n
    // (not the point at 6.3); a range not above 0 gives knot 0, a non-finite one knot n.
    const std::tuple<float, int, float, float> cases[] = {
        {6.3f, 0, 0, 0},         {6.3f, 10, 1, -3},
        {6.3f, 25, 6.5f, -7.5f}, {6.3f, 62, 38.6f, -18.6f},
        {6.3f, 63, 49, -21},     {0, 40, 0, 0},
        {-2, 63, 0, 0},          {NAN, 0, 0, 0},
        {NAN, 1, 49, -21},       {HUGE_VALF, 30, 49, -21}};
    for (auto [tMax, index, a, b] : cases) {
        auto s = Streamline(Parabola(7), tMax);
        SampleArray out{};
        SampleAll(*s, out);
        EXPECT_NEAR(out[index].a, a, 1e-3) << tMax << " " << index;
        EXPECT_NEAR(out[index].b, b, 1e-3) << tMax << " " << index;
    }
    // The same as SampleStreamline at each parameter, on parameters that rise, repeat, fall
    // back to 0 or stop below tMax, and odd ranges.
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    const float ranges[] = {10.0f,  7.5f, 3.0f,      0.0f,       -4.0f,
                            1e-30f, NAN,  HUGE_VALF, -HUGE_VALF, 12.0f};
    for (int trial = 0; trial < 300; ++trial) {
        const int n = trial % 7 == 0 ? trial % 3 : 1 + static_cast<int>(unit(rng) * 400);
        std::vector<K> knots;
        float t = 0.0f;
        for (int i = 0; i <= n; ++i) {
            // Above 0.9 a knot stored as 0; below 0.15 a repeated parameter.
            const float r = unit(rng);
            if (r > 0.15f && r <= 0.9f) t += r * 0.05f * static_cast<float>(trial % 5 + 1);
            knots.push_back(r > 0.9f ? K{0.0f, r * 9, -r, r} : K{t, t * t, -3 * t + r, t + 1});
        }
        auto s = Streamline(knots, ranges[trial % std::size(ranges)]);
        SampleArray all{}, each{};
        SampleAll(*s, all);
        const double step = static_cast<double>(s->m_tMax) / (kSamplesPerStreamline - 1);
        std::vector<std::uint64_t> allBits, eachBits;  // bit for bit: NaN equal to NaN
        double p = 0.0;
        for (int i = 0; i < kSamplesPerStreamline; ++i, p += step) {
            SampleStreamline(*s, p, i, each);
            allBits.push_back(std::bit_cast<std::uint64_t>(all[i]));
            eachBits.push_back(std::bit_cast<std::uint64_t>(each[i]));
        }
        EXPECT_EQ(allBits, eachBits) << "trial " << trial;
    }
}

TEST(SampleStreamline, AxisPairs) {
    // Knot 1 holds (x 10, y 20, z 30); anything but (x, y) or (x, z) means (y, z).
    const std::tuple<int, int, int, float, float> cases[] = {
        {1, 1, 0, 10, 20}, {1, 0, 1, 10, 30}, {0, 1, 1, 20, 30},  {1, 1, 1, 20, 30},
        {0, 0, 0, 20, 30}, {1, 0, 0, 20, 30}, {7, -1, 0, 10, 20}, {5, 0, 2, 10, 30}};
    for (auto [x, y, z, a, b] : cases) {
        auto s = Streamline({{0, 1, 2, 3}, {1, 10, 20, 30}}, 1.0f);
        std::tie(s->m_axisX, s->m_axisY, s->m_axisZ) = std::tie(x, y, z);
        SampleArray out{};
        SampleStreamline(*s, 1.0, 5, out);
        SampleStreamline(*s, 0.0, 0, out);  // knot 0 through the same choice
        EXPECT_EQ(std::tie(out[5].a, out[5].b, out[0].a), std::make_tuple(a, b, a / 10))
            << x << y << z;
    }
}

TEST(SampleStreamline, PointsOnAndBetweenKnots) {
    // On a knot: that knot. Equal consecutive parameters never form the interval. A knot
    // stored as 0 (beyond tMax) is never the upper knot but can be the lower one. Above every
    // parameter, and always at the last index unless p = 0: knot n. p is taken as a float.
    const std::vector<K> repeated = {{0, 0, 0, 0}, {1, 10, 1, 0}, {1, 50, 5, 0}, {2, 60, 6, 0}};
    const std::vector<K> zeroKnot = {{0, 0, 0, 0}, {1, 10, 0, 0}, {0, 99, 0, 0}, {3, 40, 0, 0}};
    const std::vector<K> zeroLast = {{0, 0, 0, 0}, {1, 10, 0, 0}, {2, 20, 3, 0}, {0, 30, 4, 0}};
    const std::vector<K> zeroMid = {{0, 0, 0, 0}, {0, 7, 7, 0}, {2, 9, 9, 0}};
    const std::tuple<std::vector<K>, double, int, float, float> cases[] = {
        {Parabola(4), 3.0, 10, 9, -9},       {repeated, 1.0, 3, 10, 1},
        {repeated, 1.5, 3, 55, 5.5f},        {zeroMid, 1.0, 3, 8, 8},
        {zeroKnot, 2.0, 7, 59.66667f, 0},    {zeroKnot, 0.5, 7, 5, 0},
        {zeroLast, 2.5, 8, 30, 4},           {Parabola(3), 3.5, 8, 9, -9},
        {Parabola(3), 1.5, 63, 9, -9},       {Parabola(3), 0.0, 63, 0, 0},
        {Parabola(3), 1.0 + 1e-12, 4, 1, -3}};
    for (const auto& [knots, p, index, a, b] : cases) {
        auto s = Streamline(knots, 3.0f);
        SampleArray out{};
        SampleStreamline(*s, p, index, out);
        EXPECT_NEAR(out[index].a, a, 1e-4) << p << " " << index;
        EXPECT_NEAR(out[index].b, b, 1e-4) << p << " " << index;
    }
}

TEST(SampleStreamline, StaysInsideKnotsAndArray) {
    // Knot counts outside the store are clamped; knots above n (of a longer record) are unused.
    for (auto [knotCount, lastKnot] : {std::pair{3, 9}, {-5, 0}, {INT32_MIN, 0}, {5000, 1000}}) {
        auto s = Streamline({{0, 0, 0, 0}}, 5.0f);
        for (int i = 1; i < kKnotCapacity; ++i)
            s->m_knots[i] = {static_cast<float>(i) * 1e-3f, float(i * (i <= 3 ? i : 1)), 0, 0};
        s->m_knotCount = knotCount;
        SampleArray out{};
        SampleAll(*s, out);
        EXPECT_EQ(out[63].a, float(lastKnot)) << knotCount;
        EXPECT_EQ(out[30].a, float(lastKnot)) << knotCount;  // p ~ 2.4, beyond every knot
    }
    auto s = Streamline(Parabola(3), 3.0f);
    SampleArray out{};
    for (int index : {-1, 64, INT32_MIN}) SampleStreamline(*s, 1.0, index, out);
    for (const auto& p : out) EXPECT_TRUE(p.a == 0 && p.b == 0);
}

}  // namespace
}  // namespace vortan
