// A notebook or package file read for its solutions: the listing that
// vortan-convert --list prints, and the choice of solutions and coordinates
// that become streamlines.
#pragma once

#include <string>
#include <vector>

#include "notebook/notebook_scanner.h"
#include "notebook/solution_reader.h"

namespace vortan::notebook {

struct NotebookEntry {
    FoundSolution found;
    SkipReason reason = SkipReason::None;       // None: readable
    std::vector<CoordinateFunction> functions;  // when readable
};

// Largest file read (the whole text is held once in memory).
inline constexpr std::size_t kMaxNotebookSize = std::size_t{1} << 30;

// True for names ending in .nb, .m or .wl (any case).
bool IsNotebookPath(const std::string& path);

// Reads the file at path into text (its only copy) and every solution in
// it. False with error ("cannot read PATH: reason") when it cannot be read.
bool LoadNotebook(const std::string& path, std::string& text, std::vector<NotebookEntry>& out,
                  std::string& error);
// The same from text already in memory.
bool ScanNotebookText(const std::string& text, std::vector<NotebookEntry>& out, std::string& error);

// One line per solution: number, line, names, domain, points, and
// "readable" or why not.
std::string FormatListing(const std::vector<NotebookEntry>& entries);

struct NotebookChoice {
    int solution = 0;                 // 1-based; 0 takes every readable one
    std::vector<std::string> coords;  // names for x, y[, z]; empty: chosen here
};

// The streamlines of the chosen solutions, coordinate by coordinate as
// coords names them (or x, y[, z] when every chosen solution has them,
// else the first solution's first two or three functions). Solutions left
// out are named in warnings. False with error when nothing can be written.
bool ChooseStreamlines(const std::vector<NotebookEntry>& entries, const NotebookChoice& choice,
                       std::vector<std::vector<SolutionPoint>>& out,
                       std::vector<std::string>& usedCoords, std::vector<std::string>& warnings,
                       std::string& error);

}  // namespace vortan::notebook
