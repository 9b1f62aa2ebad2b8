#include "view/mathematica_expr.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

namespace vortan::mexpr {
namespace {

TEST(ReadMathematicaNumber, Forms) {
    const double inf = std::numeric_limits<double>::infinity();
    // Text, value, characters read (0: no number).
    // clang-format off
    const std::tuple<const char*, double, std::size_t> cases[] = {
        {"1.`", 1., 3}, {"5.52`*^-14", 5.52e-14, 10}, {"2.5*^+7", 2.5e7, 7}, {"1.5`15.9*^3", 1500., 11},
        {"1.5``20.*^3", 1500., 11}, {"0.1``-5", 0.1, 7}, {"42,", 42., 2}, {"3`", 3., 2},
        {"1*^400", inf, 6}, {"1*^-400", 0., 7}, {"2.5*^-x", 2.5, 3}, {"2e5", 2., 1}, {"-1", 0., 0},
        {"`5", 0., 0}};
    // clang-format on
    for (const auto& [text, value, length] : cases) {
        double v = -99.0;
        EXPECT_EQ(ReadMathematicaNumber(text, v), length) << text;
        EXPECT_TRUE(!length || v == value) << text << " " << v;
    }
    double v = 0.0;
    for (const auto& [text, integer] : {std::pair{"42,", true}, {"3`", false}, {"1*^-400", true}}) {
        bool got = !integer;
        EXPECT_TRUE(ReadMathematicaNumber(text, v, &got) && got == integer) << text;
    }
    // 1 + 2^-53 rounds to even (1); a digit beyond the first thousand lifts it.
    const std::string midpoint = "1.00000000000000011102230246251565404236316680908203125";
    EXPECT_TRUE(ReadMathematicaNumber(midpoint, v) == midpoint.size() && v == 1.0);
    ReadMathematicaNumber(midpoint + std::string(1000, '0') + "1", v);
    EXPECT_EQ(v, std::nextafter(1.0, 2.0));
    ReadMathematicaNumber("2" + std::string(1099, '0') + "*^-1099", v);
    EXPECT_EQ(v, 2.0);
}

TEST(Expression, StructureInEveryLineLayout) {
    const char* const layouts[] = {
        "{x[t] -> f[{0., 16.799999999999997`}, {-5.52`*^-14}][$CellContext`t], y :> g[]}",
        "{x[t] -> f[{0., \r\n    16.799999999999997`}, \r\n    {-5.52`*^-14}][$CellContext`t], "
        "y :> g[]}\r\n",
        "{x[t] -> f[{0., 16.7999\\\n99999999997`}, {-5.52`*\\\r\n^-14}][$CellContext`t], y :> g[]}",
        "(* c (* nested *) *) {x[t] \\[Rule] f[{0., 16.799999999999997`}, {-5.52`*^-14}]"
        "[$CellContext`t], y :> g[]}"};
    for (const char* text : layouts) {
        Expression e;
        ASSERT_EQ(e.Parse(text), ParseStatus::Ok) << text << ": " << e.ErrorText();
        const auto rule = e.Child(e.Root(), 0);
        ASSERT_EQ(e.Kind(rule), NodeKind::Rule) << text;
        EXPECT_EQ(e.Kind(e.Child(rule, 0)), NodeKind::Apply) << text;
        const auto applied = e.Child(rule, 1);  // f[...][t]
        ASSERT_EQ(e.Kind(applied), NodeKind::Apply) << text;
        EXPECT_EQ(e.SymbolName(e.Child(applied, 1)), "t") << text;
        const auto f = e.Child(applied, 0);
        ASSERT_EQ(e.Size(f), 3u) << text;
        EXPECT_EQ(e.Number(e.Child(e.Child(f, 1), 1)), 16.799999999999997) << text;
        EXPECT_EQ(e.Number(e.Child(e.Child(f, 2), 0)), -5.52e-14) << text;  // folded sign
        EXPECT_EQ(e.Op(e.Child(e.Root(), 1)), ':') << text;
    }
}

// Strings end at the first quote not escaped by a backslash; backslash
// line continuations are joined first, also inside strings.
TEST(Expression, StringsAndContinuations) {
    const std::pair<const char*, const char*> cases[] = {
        {R"({"ab", x})", "ab"},
        {R"({"a\"b", x})", R"(a\"b)"},
        {R"({"a\\", x})", R"(a\\)"},
        {R"({"\\\"\\", x})", R"(\\\"\\)"},
        {"{\"a\\\nb\\\r\nc\", x}", "abc"},
        {"{\"a\\\\\nb\", x}", "a\\b"},  // the second backslash joins the lines
        {"{\"\", x}", ""},
    };
    for (const auto& [text, want] : cases) {
        Expression e;
        ASSERT_EQ(e.Parse(text), ParseStatus::Ok) << text << ": " << e.ErrorText();
        EXPECT_EQ(e.Text(e.Child(e.Root(), 0)), want) << text;
        EXPECT_TRUE(e.IsSymbol(e.Child(e.Root(), 1), "x")) << text;
    }
    for (const char* unclosed : {R"({"ab\"})", R"({"ab\)", "{\"ab\\\n"}) {
        Expression e;
        EXPECT_EQ(e.Parse(unclosed), ParseStatus::Syntax) << unclosed;
        EXPECT_EQ(e.ErrorText(), "unclosed string") << unclosed;
    }
}

TEST(Expression, SyntaxErrorsAreReportedWhereTheyAre) {
    const std::pair<const char*, std::size_t> cases[] = {
        {"", 0},        {"{1, 2", 5}, {"{1,,2}", 3}, {"f[1", 3},     {"\"abc", 0},
        {"(* open", 0}, {"{1} }", 4}, {"1 2", 2},    {"{1.5e3}", 4}, {"f[a, b}", 6}};
    for (const auto& [text, position] : cases) {
        Expression e;
        EXPECT_EQ(e.Parse(text), ParseStatus::Syntax) << text;
        EXPECT_EQ(e.ErrorPosition(), position) << text;
    }
}

TEST(Expression, NestingIsBounded) {
    Expression e;
    const int over = Expression::kMaxDepth + 1;
    EXPECT_EQ(e.Parse(std::string(200, '{') + "1" + std::string(200, '}')), ParseStatus::Ok);
    EXPECT_EQ(e.Parse(std::string(over, '{') + "1" + std::string(over, '}')), ParseStatus::TooDeep);
    EXPECT_EQ(e.Parse(std::string(200000, '-') + "1"), ParseStatus::TooDeep);
    std::string rules, applied = "f";
    for (int i = 0; i < 100000; ++i) rules += "a -> ", applied += "[1]";
    EXPECT_EQ(e.Parse(rules + "b"), ParseStatus::TooDeep);
    EXPECT_EQ(e.Parse(applied), ParseStatus::Ok);  // applications chain without nesting
}

// A packed list reads like a list of number nodes, beside the parsed nodes
// and after a Replace, without adding a node per number.
TEST(Expression, PackedListsReadLikeListsOfNumbers) {
    Expression e;
    ASSERT_EQ(e.Parse("{f[x], 2.5}"), ParseStatus::Ok);
    const std::size_t parsed = e.NodeCount();
    double* slots = nullptr;
    std::uint32_t first = 0;
    ASSERT_TRUE(e.AddNumberSlots(5, slots, first));
    for (int k = 0; k < 5; ++k) slots[k] = k * 1.5 - 2.0;
    Expression::Index reals = 0, integers = 0;
    ASSERT_TRUE(e.AddPackedList(first, 3, false, reals));
    ASSERT_TRUE(e.AddPackedList(first + 3, 2, true, integers));
    EXPECT_EQ(e.NodeCount(), parsed + 2);
    EXPECT_FALSE(e.AddPackedList(first + 3, 3, true, integers));  // past the numbers stored

    const struct {
        Expression::Index list;
        std::vector<double> values;
        bool integer;
    } cases[] = {{reals, {-2.0, -0.5, 1.0}, false}, {integers, {2.5, 4.0}, true}};
    for (const auto& c : cases) {
        ASSERT_EQ(e.Kind(c.list), NodeKind::List);
        ASSERT_EQ(e.Size(c.list), c.values.size());
        const std::span<const double> packed = e.PackedNumbers(c.list);
        EXPECT_EQ(std::vector<double>(packed.begin(), packed.end()), c.values);
        for (std::size_t k = 0; k < c.values.size(); ++k) {
            const Expression::Index n = e.Child(c.list, k);
            EXPECT_EQ(e.Kind(n), NodeKind::Number);
            EXPECT_EQ(e.Number(n), c.values[k]);
            EXPECT_EQ(e.IsInteger(n), c.integer);
            EXPECT_EQ(e.Size(n), 0u);
            EXPECT_EQ(e.Op(n), '\0');
            EXPECT_TRUE(e.Text(n).empty());
            EXPECT_FALSE(e.IsSymbol(n, "x"));
            EXPECT_TRUE(e.PackedNumbers(n).empty());
        }
    }
    // The parsed number 2.5 (child 1 of the root) takes the integers' place.
    const Expression::Index parsedNumber = e.Child(e.Root(), 1);
    EXPECT_TRUE(e.PackedNumbers(parsedNumber).empty());
    e.Replace(parsedNumber, integers);
    EXPECT_EQ(e.Size(e.Child(e.Root(), 1)), 2u);
    EXPECT_EQ(e.Number(e.Child(e.Child(e.Root(), 1), 1)), 4.0);
    // The number store has a bound: room for more numbers than it can index is refused.
    EXPECT_FALSE(e.AddNumberSlots(Expression::kMaxPackedNumbers, slots, first));
}

}  // namespace
}  // namespace vortan::mexpr
