// Finding the NDSolve solutions in a Mathematica notebook (.nb) or package
// file (.m, .wl): every InterpolatingFunction[...] written out in full, the
// name its rule gives it, and the solution (rule list) it belongs to.
//
// The scan is one pass over the text, aware of strings and comments, that
// keeps the stack of open brackets. Both forms in which files hold
// solutions are understood:
//  - input form: {{x -> InterpolatingFunction[...], y -> ...}}, also in
//    assignments (sol = {{...}}), DynamicModule and Manipulate values and
//    initialisations, with x[t] -> ...[t] and decorated names
//    ($CellContext`x, x$123, x$$);
//  - a notebook's output boxes: RowBox[{"x", "\[Rule]",
//    InterpretationBox[<summary>, InterpolatingFunction[...], ...]}].
// Functions are grouped into solutions by the list that holds their rules.
// Solutions whose names and functions are the same text (blanks aside) as
// an earlier one, such as the copies a Manipulate keeps, are listed once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vortan::notebook {

struct FoundFunction {
    std::string name;       // the rule's name without decorations; "" when none
    std::size_t begin = 0;  // "InterpolatingFunction[" ... "]" in the text
    std::size_t end = 0;
    std::uint64_t hash = 0;  // of the function's text without blanks and line breaks
};

struct FoundSolution {
    std::size_t line = 0;  // 1-based line of the first function
    std::vector<FoundFunction> functions;
};

// Bracket nesting beyond which the scan gives up on a file.
inline constexpr std::size_t kMaxScanDepth = 100000;

// Scans text; false with error when the text cannot be scanned (nesting
// beyond kMaxScanDepth). An unclosed function at the end is not listed.
bool ScanSolutions(std::string_view text, std::vector<FoundSolution>& out, std::string& error);

// A name with its contexts and its local-variable marks removed:
// "$CellContext`x" -> "x", "x$123" -> "x", "sol$$" -> "sol".
std::string PlainName(std::string_view name);

}  // namespace vortan::notebook
