// Reading the functions of a solution found in a notebook or package file,
// and turning solutions into streamline points.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "notebook/notebook_scanner.h"
#include "view/interpolating_function.h"
#include "view/streamline_reader.h"

namespace vortan::notebook {

// Reads every function of solution from text (CompressedData decoded with
// the installed decoder). SkipReason::None when all of them could be read;
// otherwise the first function's account that could not.
SkipReason ReadSolution(std::string_view text, const FoundSolution& solution,
                        std::vector<CoordinateFunction>& out);

// The functions' names joined with ", " ("x, y"); "?" for an unnamed one.
std::string NameList(const FoundSolution& solution);

struct SolutionPoint {
    double t = 0.0;  // from 0 at the solution's first grid point
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

// The points of a read solution at the first chosen function's grid:
// coordinate k from the function named coords[k]. A function on another
// grid is interpolated linearly at those parameter values. False with
// error when a name is missing.
bool SolutionPoints(const FoundSolution& solution, const std::vector<CoordinateFunction>& functions,
                    const std::vector<std::string>& coords, std::vector<SolutionPoint>& out,
                    std::string& error);

}  // namespace vortan::notebook
