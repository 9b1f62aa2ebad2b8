#include "view/mathematica_expr.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

namespace vortan::mexpr {
namespace {

TEST(ReadMathematicaNumber, Forms) {
    // Text, value, characters read (0: no number), whether an integer (no point, no mark).
    // clang-format off
    const std::tuple<const char*, double, std::size_t, bool> cases[] = {
        {"1.`", 1., 3, false}, {"5.52`*^-14", 5.52e-14, 10, false}, {"2.5*^+7", 2.5e7, 7, false},
        {"1.5`15.9*^3", 1500., 11, false}, {"1.5``20.*^3", 1500., 11, false}, {"0.1``-5", 0.1, 7, false},
        {"42,", 42., 2, true}, {"3`", 3., 2, false}, {"1*^400", HUGE_VAL, 6, true}, {"1*^-400", 0., 7, true},
        {"2.5*^-x", 2.5, 3, false}, {"2e5", 2., 1, true}, {"-1", 0., 0, false}, {"`5", 0., 0, false}};
    // clang-format on
    double v = -99.0;
    for (const auto& [text, value, length, integer] : cases) {
        bool got = !integer;
        v = -99.0;
        EXPECT_EQ(ReadMathematicaNumber(text, v, &got), length) << text;
        EXPECT_TRUE(!length || (v == value && got == integer)) << text << " " << v << " " << got;
    }
    // 1 + 2^-53 rounds to even (1); a digit beyond the first thousand lifts it.
    const std::string midpoint = "1.00000000000000011102230246251565404236316680908203125";
    EXPECT_TRUE(ReadMathematicaNumber(midpoint, v) == midpoint.size() && v == 1.0);
    ReadMathematicaNumber(midpoint + std::string(1000, '0') + "1", v);
    EXPECT_EQ(v, std::nextafter(1.0, 2.0));
    ReadMathematicaNumber("2" + std::string(1099, '0') + "*^-1099", v);
    EXPECT_EQ(v, 2.0);
}

TEST(Expression, StructureInEveryLineLayoutAndStrings) {
    const char* const layouts[] = {
        "{x[t] -> f[{0., 16.7999\\\n99999999997`}, {-5.52`*\\\r\n^-14}][$CellContext`t], y :> g[]}",
        "(* c (* nested *) *) {x[t] \\[Rule] f[{0., 16.799999999999997`}, {-5.52`*^-14}]"
        "[$CellContext`t], y :> g[]}"};
    for (const char* text : layouts) {
        SCOPED_TRACE(text);
        Expression e;
        ASSERT_EQ(e.Parse(text), ParseStatus::Ok) << e.ErrorText();
        const auto rule = e.Child(e.Root(), 0);
        ASSERT_EQ(e.Kind(rule), NodeKind::Rule);
        const auto applied = e.Child(rule, 1);  // f[...][t]
        ASSERT_EQ(std::tuple(e.Kind(e.Child(rule, 0)), e.Kind(applied)),
                  std::tuple(NodeKind::Apply, NodeKind::Apply));
        const auto f = e.Child(applied, 0);
        ASSERT_EQ(e.Size(f), 3u);
        // The sign of -5.52`*^-14 is folded into the number.
        EXPECT_EQ(std::tuple(e.SymbolName(e.Child(applied, 1)), e.Number(e.Child(e.Child(f, 1), 1)),
                             e.Number(e.Child(e.Child(f, 2), 0)), e.Op(e.Child(e.Root(), 1))),
                  std::tuple("t", 16.799999999999997, -5.52e-14, ':'));
    }
    // Strings end at the first unescaped quote; continued lines are joined first, also in them.
    // In the sixth, the second backslash joins the lines.
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {{R"({"ab", x})", "ab"},
        {R"({"a\"b", x})", R"(a\"b)"}, {R"({"a\\", x})", R"(a\\)"},
        {R"({"\\\"\\", x})", R"(\\\"\\)"}, {"{\"a\\\nb\\\r\nc\", x}", "abc"},
        {"{\"a\\\\\nb\", x}", "a\\b"}, {"{\"\", x}", ""}};
    // clang-format on
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

TEST(Expression, SyntaxErrorsWhereTheyAreAndNestingBounded) {
    using S = ParseStatus;
    const std::string over(Expression::kMaxDepth + 1, '{');
    std::string rules, applied = "f";  // applications chain without nesting
    for (int i = 0; i < 100000; ++i) rules += "a -> ", applied += "[1]";
    // Text, status, error position (of a syntax error).
    // clang-format off
    const std::tuple<std::string, ParseStatus, std::size_t> cases[] = {{"", S::Syntax, 0},
        {"{1, 2", S::Syntax, 5}, {"{1,,2}", S::Syntax, 3}, {"f[1", S::Syntax, 3}, {"\"abc", S::Syntax, 0},
        {"(* open", S::Syntax, 0}, {"{1} }", S::Syntax, 4}, {"1 2", S::Syntax, 2}, {"{1.5e3}", S::Syntax, 4},
        {"f[a, b}", S::Syntax, 6}, {std::string(200, '{') + "1" + std::string(200, '}'), S::Ok, 0},
        {over + "1" + std::string(over.size(), '}'), S::TooDeep, 0},
        {std::string(200000, '-') + "1", S::TooDeep, 0}, {rules + "b", S::TooDeep, 0}, {applied, S::Ok, 0}};
    // clang-format on
    for (const auto& [text, status, position] : cases) {
        Expression e;
        EXPECT_EQ(e.Parse(text), status) << text.substr(0, 20);
        EXPECT_TRUE(status != S::Syntax || e.ErrorPosition() == position) << e.ErrorPosition();
    }
}

// Packed lists are built only from the numbers stored, and the store has a bound (how they
// read is seen through parsed lists and compressed data).
TEST(Expression, PackedListsStayInsideTheNumberStore) {
    Expression e;
    ASSERT_EQ(e.Parse("{f[x], 2.5}"), ParseStatus::Ok);
    double* slots = nullptr;
    std::uint32_t first = 0;
    ASSERT_TRUE(e.AddNumberSlots(5, slots, first));
    for (int k = 0; k < 5; ++k) slots[k] = k * 1.5 - 2.0;
    Expression::Index list = 0;
    ASSERT_TRUE(e.AddPackedList(first + 3, 2, true, list));
    const std::span<const double> packed = e.PackedNumbers(list);
    EXPECT_EQ(std::vector<double>(packed.begin(), packed.end()), (std::vector{2.5, 4.0}));
    EXPECT_FALSE(e.AddPackedList(first + 3, 3, true, list));  // past the numbers stored
    EXPECT_FALSE(e.AddNumberSlots(Expression::kMaxPackedNumbers, slots, first));
}

}  // namespace
}  // namespace vortan::mexpr
