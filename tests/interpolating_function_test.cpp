#include "view/interpolating_function.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "view/modern_record.h"

namespace vortan {
namespace {

// A clamped cubic with 5 control points over [0, 2], one interior knot at 1.
const std::vector<double> kKnots = {0, 0, 0, 0, 1, 2, 2, 2, 2};

TEST(BSpline, ClampedCubicWithFiveControlPoints) {
    struct Case {
        std::vector<double> control;
        double t;
        double want;
    };
    // Worked by hand with de Boor's recurrence; the bump {0, 0, 6, 0, 0} is
    // 6 N2(t), with N2(1) = 1/2 and N2(1/2) = 1/4. A clamped spline starts
    // and ends at its end points, and control points at the Greville
    // abscissae {0, 1/3, 1, 5/3, 2} give the line f(t) = t.
    const std::vector<double> greville = {0, 1.0 / 3, 1, 5.0 / 3, 2};
    const Case cases[] = {
        {{0, 0, 6, 0, 0}, 1.0, 3.0},  {{0, 0, 6, 0, 0}, 0.5, 1.5}, {{0, 0, 6, 0, 0}, 1.5, 1.5},
        {{0, 0, 6, 0, 0}, 0.0, 0.0},  {{7, 0, 0, 0, 9}, 0.0, 7.0}, {{7, 0, 0, 0, 9}, 2.0, 9.0},
        {{7, 0, 0, 0, 9}, -1.0, 7.0}, {{7, 0, 0, 0, 9}, 3.0, 9.0}, {greville, 0.25, 0.25},
        {greville, 0.5, 0.5},         {greville, 1.0, 1.0},        {greville, 1.75, 1.75},
        {{1, 1, 1, 1, 1}, 1.3, 1.0},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(EvaluateBSpline(c.control, kKnots, 3, c.t), c.want, 1e-12)
            << "t = " << c.t << ", control[2] = " << c.control[2];
    }
}

TEST(BSpline, KnotsThatDoNotFitGiveNoValue) {
    const std::vector<double> control = {0, 1, 2, 3, 4};
    EXPECT_TRUE(std::isnan(EvaluateBSpline(control, std::vector<double>(8, 0.0), 3, 0.5)));
    EXPECT_TRUE(std::isnan(EvaluateBSpline(control, kKnots, 5, 0.5)));
    EXPECT_TRUE(std::isnan(EvaluateBSpline(control, kKnots, 0, 0.5)));
}

// A record whose x and y are B-splines over a grid that starts at 10.
std::string SplineRecord(const std::string& degree, const std::string& knots,
                         const std::string& control = "{0., 0., 6., 0., 0.}") {
    const std::string spline = "{BSplineFunction[1, {{10., 12.}}, {" + degree + "}, {False}, {" +
                               control + ", {}}, {{" + knots +
                               "}}, {0}, MachinePrecision, \"Unevaluated\"]}";
    const std::string f =
        "InterpolatingFunction[{{10., 12.}}, {5, 39, 0, {5}, {4}, 0, 0, 0, 0, Automatic, {}, {}, "
        "False}, {{10., 10.5, 11., 11.5, 12.}}, " +
        spline + ", {Automatic}]";
    return "{{x -> " + f + ", y -> " + f + "}}\n";
}

TEST(BSpline, RecordValuesAtTheGridAndTheDomainShiftedToZero) {
    const StreamlineHeader header{400, 400, 2, 10.0f};
    auto state = std::make_unique<VortanFrameState>();
    SkipReason reason = SkipReason::Malformed;
    ASSERT_TRUE(ParseModernRecord(SplineRecord("3", "10., 10., 10., 10., 11., 12., 12., 12., 12."),
                                  header, *state, &reason))
        << SkipReasonText(reason);
    ASSERT_EQ(state->m_knotCount, 4);
    const float t[] = {0.0f, 0.5f, 1.0f, 1.5f, 2.0f};
    const float x[] = {0.0f, 1.5f, 3.0f, 1.5f, 0.0f};
    for (int k = 0; k <= 4; ++k) {
        EXPECT_EQ(state->m_knots[k].t, t[k]) << k;
        EXPECT_FLOAT_EQ(state->m_knots[k].x, x[k]) << k;
        EXPECT_FLOAT_EQ(state->m_knots[k].y, x[k]) << k;
    }
}

TEST(BSpline, SplinesThatDoNotFitAreSkippedWithTheirAccount) {
    const StreamlineHeader header{400, 400, 2, 10.0f};
    const std::string good = "10., 10., 10., 10., 11., 12., 12., 12., 12.";
    struct Case {
        std::string record;
        SkipReason want;
    };
    const Case cases[] = {
        {SplineRecord("3", "10., 10., 10., 10., 11., 12., 12., 12."), SkipReason::BadSpline},
        {SplineRecord("3", "10., 10., 10., 10., 13., 12., 12., 12., 12."), SkipReason::BadSpline},
        {SplineRecord("2", good), SkipReason::BadSpline},
        {SplineRecord("0", good), SkipReason::BadSpline},
        {SplineRecord("99", good), SkipReason::BadSpline},
        {SplineRecord("3.", good), SkipReason::BadSpline},
        {SplineRecord("3, 3", good), SkipReason::SeveralVariables},
        {SplineRecord("3", "12., 12., 12., 12., 12., 12., 12., 12., 12."), SkipReason::BadSpline},
        {SplineRecord("3", good, "{0., 0., Complex[1., 2.], 0., 0.}"), SkipReason::ComplexValues},
        {SplineRecord("3", good, "{0., 0., p, 0., 0.}"), SkipReason::SymbolicValues},
        {SplineRecord("3", good, "{0., 0., 1.*^60, 0., 0.}"), SkipReason::NonNumeric},
    };
    for (const Case& c : cases) {
        auto state = std::make_unique<VortanFrameState>();
        SkipReason reason = SkipReason::None;
        EXPECT_FALSE(ParseModernRecord(c.record, header, *state, &reason)) << c.record;
        EXPECT_EQ(reason, c.want) << c.record << ": " << SkipReasonText(reason);
    }
}

}  // namespace
}  // namespace vortan
