#include "notebook/notebook_scanner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "notebook/solution_reader.h"

namespace vortan::notebook {
namespace {

// Each solution as "names" (functions in order, ", " between).
std::vector<std::string> Names(const std::string& text) {
    std::vector<FoundSolution> found;
    std::string error;
    EXPECT_TRUE(ScanSolutions(text, found, error)) << error;
    std::vector<std::string> out;
    for (const FoundSolution& s : found) out.push_back(NameList(s));
    return out;
}

TEST(PlainName, DecorationsRemoved) {
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {"x", "x"}, {"$CellContext`x", "x"}, {"Global`y$123", "y"}, {"sol$$", "sol"},
        {"x$", "x$"}, {"$x", "$x"}, {"a`b`z1", "z1"}, {"x$1a", "x$1a"},
        {"\\[Alpha]", "\\[Alpha]"}};
    // clang-format on
    for (const auto& [raw, want] : cases) EXPECT_EQ(PlainName(raw), want) << raw;
}

TEST(ScanSolutions, FunctionsGroupedByTheListOfTheirRules) {
    const std::string f = "InterpolatingFunction[{{0., 1.}}, {1}, {{0., 1.}}, {1., 2.}]";
    const std::string g = "InterpolatingFunction[{{0., 1.}}, {2}, {{0., 1.}}, {3., 4.}]";
    struct Case {
        std::string text;
        std::vector<std::string> want;
    };
    const Case cases[] = {
        {"{{x -> " + f + ", y -> " + g + "}}", {"x, y"}},
        {"{{x -> " + f + ", y -> " + g + "}, {x -> " + g + ", y -> " + f + "}}", {"x, y", "x, y"}},
        {"sol = {{x[t] -> " + f + "[t], y[t] :> " + g + "[t]}}; next", {"x, y"}},
        {"{x \\[Rule] " + f + ",\n y\\[RuleDelayed]" + g + "}", {"x, y"}},
        {"{{$CellContext`x$77 -> " + f + ", $CellContext`y$77 -> " + g + "}}", {"x, y"}},
        {"fx = " + f + "; fy = " + g, {"?", "?"}},
        {"(* {x -> " + f + "} *) \"{x -> " + g + "}\" MyInterpolatingFunction[1]", {}},
        {"(* (* nested *) " + f + " *) {x -> " + g + "}", {"x"}},
        {"{x -> " + f.substr(0, 40), {}},
        {"\"\\\"\" {x -> " + f + "}", {"x"}},
        // Copies: the same text with other blanks and line breaks, once;
        // other values or other names, again.
        {"{{x -> " + f + ", y -> " + g + "}} {{x ->  " + f + ",\n   y -> " + g + "}}", {"x, y"}},
        {"{{x -> " + f + ", y -> " + g + "}} {{x -> " + g + ", y -> " + g + "}}", {"x, y", "x, y"}},
        {"{{x -> " + f + ", y -> " + g + "}} {{u -> " + f + ", v -> " + g + "}}", {"x, y", "u, v"}},
        // Output boxes.
        {"RowBox[{\"{\", RowBox[{RowBox[{\"x\", \"\\[Rule]\", InterpretationBox[RowBox[{\"I\"}], " +
             f +
             ", Editable->False]}], \",\", RowBox[{\"y\", \"\\[Rule]\", InterpretationBox[\"s\", " +
             g + "]}]}], \"}\"}]",
         {"x, y"}},
    };
    for (const Case& c : cases) EXPECT_EQ(Names(c.text), c.want) << c.text;
}

TEST(ScanSolutions, NestingBeyondTheLimitIsAnError) {
    std::vector<FoundSolution> found;
    std::string error;
    EXPECT_FALSE(ScanSolutions(std::string(kMaxScanDepth + 1, '{'), found, error));
    EXPECT_NE(error.find("nested"), std::string::npos) << error;
    EXPECT_TRUE(ScanSolutions(std::string(kMaxScanDepth, '['), found, error));
    EXPECT_TRUE(found.empty());
}

}  // namespace
}  // namespace vortan::notebook
