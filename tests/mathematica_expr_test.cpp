#include "view/mathematica_expr.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace vortan::mexpr {
namespace {

struct NumberCase {
    const char* text;
    double value;
    std::size_t length;  // characters read
    bool integer;
};

TEST(ReadMathematicaNumber, Forms) {
    const double inf = std::numeric_limits<double>::infinity();
    const NumberCase cases[] = {
        {"1.", 1.0, 2, false},
        {"1.`", 1.0, 3, false},
        {"16.799999999999997`", 16.799999999999997, 19, false},
        {"5.52`*^-14", 5.52e-14, 10, false},
        {"2.5*^-7", 2.5e-7, 7, false},
        {"2.5*^+7", 2.5e7, 7, false},
        {"1.5`15.9", 1.5, 8, false},
        {"1.5`15.9*^3", 1500.0, 11, false},
        {"1.5``20.*^3", 1500.0, 11, false},
        {"0.1``-5", 0.1, 7, false},
        {"3", 3.0, 1, true},
        {"42,", 42.0, 2, true},
        {"3`", 3.0, 2, false},
        {".5", 0.5, 2, false},
        {"0.1", 0.1, 3, false},
        {"007.25", 7.25, 6, false},
        {"0.000", 0.0, 5, false},
        {"12345678901234567890123", 1.2345678901234568e22, 23, true},
        {"1*^400", inf, 6, true},
        {"1*^-400", 0.0, 7, true},
        {"1.7976931348623157*^308", 1.7976931348623157e308, 23, false},
        {"2*^308", inf, 6, true},
        {"2.5*^", 2.5, 3, false},  // no exponent digits: "*" is left for Times
        {"2.5*^-x", 2.5, 3, false},
        {"2e5", 2.0, 1, true},  // no e exponent in this syntax
        {"1.`x", 1.0, 3, false},
        {"abc", 0.0, 0, false},
        {"-1", 0.0, 0, false},  // signs are operators
        {".", 0.0, 0, false},
        {"`5", 0.0, 0, false},
    };
    for (const auto& c : cases) {
        double v = -99.0;
        bool integer = !c.integer;
        const std::size_t len = ReadMathematicaNumber(c.text, v, &integer);
        EXPECT_EQ(len, c.length) << c.text;
        if (c.length == 0) continue;
        EXPECT_EQ(v, c.value) << c.text;
        EXPECT_EQ(integer, c.integer) << c.text;
    }
}

TEST(ReadMathematicaNumber, LongDigitRunsRoundToNearest) {
    // 1500 digits of 1/3.
    const std::string third = "0." + std::string(1500, '3');
    double v = 0.0;
    EXPECT_EQ(ReadMathematicaNumber(third, v), third.size());
    EXPECT_EQ(v, 1.0 / 3.0);

    // 1 + 2^-53 lies exactly between 1 and the next double and rounds to
    // even (1); a non-zero digit beyond the first thousand digits lifts it
    // above the midpoint.
    const std::string midpoint = "1.00000000000000011102230246251565404236316680908203125";
    EXPECT_EQ(ReadMathematicaNumber(midpoint, v), midpoint.size());
    EXPECT_EQ(v, 1.0);
    const std::string above = midpoint + std::string(1000, '0') + "1";
    EXPECT_EQ(ReadMathematicaNumber(above, v), above.size());
    EXPECT_EQ(v, std::nextafter(1.0, 2.0));
    const std::string big = "1" + std::string(1200, '0') + "*^-1200";
    EXPECT_EQ(ReadMathematicaNumber(big, v), big.size());
    EXPECT_EQ(v, 1.0);
    const std::string manyIntegerDigits = std::string(1100, '9');
    EXPECT_EQ(ReadMathematicaNumber(manyIntegerDigits, v), manyIntegerDigits.size());
    EXPECT_TRUE(std::isinf(v));
    const std::string scaled = "2" + std::string(1099, '0') + "*^-1099";
    EXPECT_EQ(ReadMathematicaNumber(scaled, v), scaled.size());
    EXPECT_EQ(v, 2.0);
}

TEST(Expression, NegativeNumbersAreFolded) {
    Expression e;
    ASSERT_EQ(e.Parse("{-5.52`*^-14, - 3, -x}"), ParseStatus::Ok);
    const auto root = e.Root();
    ASSERT_EQ(e.Kind(root), NodeKind::List);
    ASSERT_EQ(e.Size(root), 3u);
    EXPECT_EQ(e.Kind(e.Child(root, 0)), NodeKind::Number);
    EXPECT_EQ(e.Number(e.Child(root, 0)), -5.52e-14);
    EXPECT_EQ(e.Number(e.Child(root, 1)), -3.0);
    EXPECT_TRUE(e.IsInteger(e.Child(root, 1)));
    const auto neg = e.Child(root, 2);
    ASSERT_EQ(e.Kind(neg), NodeKind::Operator);
    EXPECT_EQ(e.Op(neg), '-');
    ASSERT_EQ(e.Size(neg), 1u);
    EXPECT_EQ(e.Text(e.Child(neg, 0)), "x");
}

TEST(Expression, RulesHeadsAndAppliedFunctions) {
    Expression e;
    ASSERT_EQ(e.Parse("{{x[t] -> f[1, {2}][$CellContext`t], y :> g[]}}"), ParseStatus::Ok);
    const auto outer = e.Root();
    ASSERT_EQ(e.Size(outer), 1u);
    const auto rules = e.Child(outer, 0);
    ASSERT_EQ(e.Kind(rules), NodeKind::List);
    ASSERT_EQ(e.Size(rules), 2u);

    const auto r0 = e.Child(rules, 0);
    ASSERT_EQ(e.Kind(r0), NodeKind::Rule);
    EXPECT_EQ(e.Op(r0), '>');
    const auto lhs = e.Child(r0, 0);
    ASSERT_EQ(e.Kind(lhs), NodeKind::Apply);
    EXPECT_TRUE(e.IsSymbol(e.Child(lhs, 0), "x"));
    const auto applied = e.Child(r0, 1);  // f[1, {2}][t]
    ASSERT_EQ(e.Kind(applied), NodeKind::Apply);
    ASSERT_EQ(e.Size(applied), 2u);
    const auto arg = e.Child(applied, 1);
    EXPECT_EQ(e.Text(arg), "$CellContext`t");
    EXPECT_EQ(e.SymbolName(arg), "t");
    const auto inner = e.Child(applied, 0);
    ASSERT_EQ(e.Kind(inner), NodeKind::Apply);
    ASSERT_EQ(e.Size(inner), 3u);
    EXPECT_TRUE(e.IsSymbol(e.Child(inner, 0), "f"));
    EXPECT_EQ(e.Number(e.Child(inner, 1)), 1.0);
    EXPECT_EQ(e.Kind(e.Child(inner, 2)), NodeKind::List);

    const auto r1 = e.Child(rules, 1);
    ASSERT_EQ(e.Kind(r1), NodeKind::Rule);
    EXPECT_EQ(e.Op(r1), ':');
    const auto g = e.Child(r1, 1);
    ASSERT_EQ(e.Kind(g), NodeKind::Apply);
    EXPECT_EQ(e.Size(g), 1u);  // the head only
}

TEST(Expression, PureFunctionsOperatorsAndContexts) {
    Expression e;
    ASSERT_EQ(e.Parse("{Developer`PackedArrayForm, Indeterminate&, 1. + 2.*I, a -> b -> c, "
                      "2^3^4, \"s\" <> \"t\", x'}"),
              ParseStatus::Ok);
    const auto root = e.Root();
    ASSERT_EQ(e.Size(root), 7u);
    EXPECT_TRUE(e.IsSymbol(e.Child(root, 0), "PackedArrayForm"));
    EXPECT_EQ(e.Text(e.Child(root, 0)), "Developer`PackedArrayForm");

    const auto fn = e.Child(root, 1);
    ASSERT_EQ(e.Kind(fn), NodeKind::Function);
    EXPECT_TRUE(e.IsSymbol(e.Child(fn, 0), "Indeterminate"));

    const auto plus = e.Child(root, 2);
    ASSERT_EQ(e.Kind(plus), NodeKind::Operator);
    EXPECT_EQ(e.Op(plus), '+');
    const auto times = e.Child(plus, 1);
    ASSERT_EQ(e.Kind(times), NodeKind::Operator);
    EXPECT_EQ(e.Op(times), '*');
    EXPECT_TRUE(e.IsSymbol(e.Child(times, 1), "I"));

    // Rules group to the right: a -> (b -> c); so does ^.
    const auto rule = e.Child(root, 3);
    ASSERT_EQ(e.Kind(rule), NodeKind::Rule);
    EXPECT_TRUE(e.IsSymbol(e.Child(rule, 0), "a"));
    EXPECT_EQ(e.Kind(e.Child(rule, 1)), NodeKind::Rule);
    const auto power = e.Child(root, 4);
    EXPECT_EQ(e.Number(e.Child(power, 0)), 2.0);
    EXPECT_EQ(e.Op(e.Child(power, 1)), '^');

    const auto join = e.Child(root, 5);
    EXPECT_EQ(e.Op(join), '<');
    EXPECT_EQ(e.Text(e.Child(join, 0)), "s");
    EXPECT_EQ(e.Op(e.Child(root, 6)), '\'');
}

TEST(Expression, ElidedDataAndStrings) {
    Expression e;
    ASSERT_EQ(e.Parse("InterpolatingFunction[{{0., 5.}}, <>]"), ParseStatus::Ok);
    const auto root = e.Root();
    ASSERT_EQ(e.Size(root), 3u);
    EXPECT_EQ(e.Kind(e.Child(root, 2)), NodeKind::Elided);

    ASSERT_EQ(e.Parse("CompressedData[\"1:eJx\\\"Tc}]\"]"), ParseStatus::Ok);
    const auto data = e.Child(e.Root(), 1);
    ASSERT_EQ(e.Kind(data), NodeKind::String);
    EXPECT_EQ(e.Text(data), "1:eJx\\\"Tc}]");
}

TEST(Expression, LineLayoutsReadTheSame) {
    struct Layout {
        const char* name;
        const char* text;
    };
    const Layout layouts[] = {
        {"one line", "{x -> f[{0., 16.799999999999997`}, {-5.52`*^-14}]}"},
        {"wrapped", "{x -> f[{0., \n    16.799999999999997`}, \n    {-5.52`*^-14}]}\n"},
        {"crlf", "{x -> f[{0., \r\n    16.799999999999997`}, \r\n    {-5.52`*^-14}]}\r\n"},
        {"backslash in a number", "{x -> f[{0., 16.7999\\\n99999999997`}, {-5.52`*\\\n^-14}]}"},
        {"backslash crlf", "{x -> f[{0., 16.7999\\\r\n99999999997`}, {-5.52`*^-\\\r\n14}]}"},
        {"comments", "(* c (* nested *) *) {x -> f[{0., 16.799999999999997`}, {-5.52`*^-14}]}"},
        {"named arrow", "{x \\[Rule] f[{0., 16.799999999999997`}, {-5.52`*^-14}]}"},
    };
    for (const auto& l : layouts) {
        Expression e;
        ASSERT_EQ(e.Parse(l.text), ParseStatus::Ok) << l.name << ": " << e.ErrorText();
        const auto rule = e.Child(e.Root(), 0);
        ASSERT_EQ(e.Kind(rule), NodeKind::Rule) << l.name;
        const auto f = e.Child(rule, 1);
        ASSERT_EQ(e.Size(f), 3u) << l.name;
        EXPECT_EQ(e.Number(e.Child(e.Child(f, 1), 1)), 16.799999999999997) << l.name;
        EXPECT_EQ(e.Number(e.Child(e.Child(f, 2), 0)), -5.52e-14) << l.name;
    }
}

TEST(Expression, SyntaxErrorsAreReported) {
    struct Bad {
        const char* text;
        std::size_t position;
    };
    const Bad cases[] = {
        {"", 0},    {"   ", 3},     {"{1, 2", 5},   {"{1,,2}", 3},  {"{1, 2,}", 6},
        {"f[1", 3}, {"\"abc", 0},   {"(* open", 0}, {"{1} }", 4},   {"1 2", 2},
        {"#", 0},   {"{a -> }", 6}, {"x[[1]]", 1},  {"{1.5e3}", 4}, {"(1, 2)", 2},
        {"a`", 2},  {"{1}\x01", 3}, {"-", 1},       {"{1 -> 2", 7}, {"f[a, b}", 6},
    };
    for (const auto& c : cases) {
        Expression e;
        EXPECT_EQ(e.Parse(c.text), ParseStatus::Syntax) << c.text;
        EXPECT_EQ(e.ErrorPosition(), c.position) << c.text;
        EXPECT_FALSE(e.ErrorText().empty()) << c.text;
    }
}

TEST(Expression, NestingIsBounded) {
    auto nested = [](int levels) {
        return std::string(levels, '{') + "1" + std::string(levels, '}');
    };
    Expression e;
    EXPECT_EQ(e.Parse(nested(200)), ParseStatus::Ok);
    EXPECT_EQ(e.Parse(nested(Expression::kMaxDepth + 1)), ParseStatus::TooDeep);
    EXPECT_EQ(e.Parse(nested(200000)), ParseStatus::TooDeep);
    EXPECT_EQ(e.Parse(std::string(200000, '{')), ParseStatus::TooDeep);
    EXPECT_EQ(e.Parse(std::string(200000, '-') + "1"), ParseStatus::TooDeep);
    EXPECT_EQ(e.Parse(std::string(200000, '(') + "1"), ParseStatus::TooDeep);
    std::string rules;
    for (int i = 0; i < 100000; ++i) rules += "a -> ";
    EXPECT_EQ(e.Parse(rules + "b"), ParseStatus::TooDeep);
    std::string applied = "f";
    for (int i = 0; i < 100000; ++i) applied += "[1]";
    EXPECT_EQ(e.Parse(applied), ParseStatus::Ok);  // applications chain without nesting
    std::string sum = "1";
    for (int i = 0; i < 100000; ++i) sum += " + 1";
    EXPECT_EQ(e.Parse(sum), ParseStatus::Ok);
}

TEST(Expression, LargeFlatListKeepsEveryElement) {
    std::string text = "{";
    const int count = 300000;
    for (int i = 0; i < count; ++i) {
        if (i) text += ", ";
        text += std::to_string(i) + ".5`";
    }
    text += "}";
    Expression e;
    ASSERT_EQ(e.Parse(text), ParseStatus::Ok);
    const auto root = e.Root();
    ASSERT_EQ(e.Size(root), static_cast<std::size_t>(count));
    EXPECT_EQ(e.Number(e.Child(root, 0)), 0.5);
    EXPECT_EQ(e.Number(e.Child(root, count - 1)), count - 1 + 0.5);
    EXPECT_EQ(e.NodeCount(), static_cast<std::size_t>(count + 1));
}

}  // namespace
}  // namespace vortan::mexpr
