#include "view/interpolating_function.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "view/modern_record.h"

namespace vortan {
namespace {

// A clamped cubic with 5 control points over [0, 2], one interior knot at 1.
const std::vector<double> kKnots = {0, 0, 0, 0, 1, 2, 2, 2, 2};

TEST(BSpline, ClampedCubicWithFiveControlPoints) {
    // By hand with de Boor's recurrence: the bump is 6 N2(t), N2(1) = 1/2, N2(1/2) = 1/4. A
    // clamped spline starts and ends at its end points; control points at the Greville
    // abscissae {0, 1/3, 1, 5/3, 2} give the line f(t) = t.
    const std::vector<double> bump = {0, 0, 6, 0, 0}, ends = {7, 0, 0, 0, 9},
                              greville = {0, 1.0 / 3, 1, 5.0 / 3, 2};
    // clang-format off
    const std::tuple<std::vector<double>, double, double> cases[] = {
        {bump, 1.0, 3.0}, {bump, 0.5, 1.5}, {bump, 1.5, 1.5}, {bump, 0.0, 0.0}, {ends, 0.0, 7.0},
        {ends, 2.0, 9.0}, {ends, -1.0, 7.0}, {ends, 3.0, 9.0}, {greville, 0.25, 0.25},
        {greville, 0.5, 0.5}, {greville, 1.0, 1.0}, {greville, 1.75, 1.75}, {{1, 1, 1, 1, 1}, 1.3, 1.0}};
    // clang-format on
    for (const auto& [control, t, want] : cases)
        EXPECT_NEAR(EvaluateBSpline(control, kKnots, 3, t), want, 1e-12)
            << "t = " << t << ", control[2] = " << control[2];
    // Knots that do not fit the five control points and the degree give no value.
    for (const auto& [knots, degree] :
         {std::pair{std::vector<double>(8, 0.0), 3}, {kKnots, 5}, {kKnots, 0}})
        EXPECT_TRUE(std::isnan(EvaluateBSpline(greville, knots, degree, 0.5))) << degree;
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

// Parses the record: whether read, its account, and the knots read as t, x, y.
std::tuple<bool, SkipReason, std::vector<float>> Parse(const std::string& record) {
    auto state = std::make_unique<VortanFrameState>();
    SkipReason reason = SkipReason::None;
    const bool ok = ParseModernRecord(record, {400, 400, 2, 10.0f}, *state, &reason);
    std::vector<float> knots;
    for (int k = 0; ok && k <= state->m_knotCount; ++k)
        knots.insert(knots.end(), {state->m_knots[k].t, state->m_knots[k].x, state->m_knots[k].y});
    return {ok, reason, knots};
}

TEST(BSpline, RecordsReadAtTheGridFromZeroOrSkippedWithTheirAccount) {
    const std::string good = "10., 10., 10., 10., 11., 12., 12., 12., 12.";
    EXPECT_EQ(Parse(SplineRecord("3", good)),
              std::tuple(true, SkipReason::None,
                         std::vector<float>{0, 0, 0, 0.5f, 1.5f, 1.5f, 1, 3, 3, 1.5f, 1.5f, 1.5f, 2,
                                            0, 0}));
    using R = SkipReason;
    const std::pair<std::string, SkipReason> cases[] = {
        {SplineRecord("3", "10., 10., 10., 10., 11., 12., 12., 12."), R::BadSpline},
        {SplineRecord("3", "10., 10., 10., 10., 13., 12., 12., 12., 12."), R::BadSpline},
        {SplineRecord("2", good), R::BadSpline},
        {SplineRecord("0", good), R::BadSpline},
        {SplineRecord("99", good), R::BadSpline},
        {SplineRecord("3.", good), R::BadSpline},
        {SplineRecord("3, 3", good), R::SeveralVariables},
        {SplineRecord("3", "12., 12., 12., 12., 12., 12., 12., 12., 12."), R::BadSpline},
        {SplineRecord("3", good, "{0., 0., Complex[1., 2.], 0., 0.}"), R::ComplexValues},
        {SplineRecord("3", good, "{0., 0., p, 0., 0.}"), R::SymbolicValues},
        {SplineRecord("3", good, "{0., 0., 1.*^60, 0., 0.}"), R::NonNumeric}};
    for (const auto& [record, want] : cases)
        EXPECT_EQ(Parse(record), std::tuple(false, want, std::vector<float>{})) << record;
}

}  // namespace
}  // namespace vortan
