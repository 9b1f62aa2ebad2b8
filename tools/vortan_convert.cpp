// vortan-convert: turns streamlines given as plain columns (from Python,
// ParaView, MATLAB, ...) or the solutions saved in a Mathematica notebook
// or package file into a streamline file that vortan draws.
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "convert/columns.h"
#include "notebook/compressed_decoder.h"
#include "notebook/notebook_file.h"
#include "platform/input_file.h"
#include "tools/cli_support.h"
#include "view/streamline_reader.h"

namespace {

constexpr const char* kProgram = "vortan-convert";
constexpr int kExitOk = 0;
constexpr int kExitFile = 1;  // input unreadable or unusable, output not written
using vortan::kMaxPictureSide;

const char* const kDescription =
    "Reads streamlines as plain columns and writes a streamline file for vortan.\n"
    "\n"
    "INPUT holds one point a line: streamline id, t, x, y and, for a 3-D flow, z.\n"
    "Columns are separated by commas, semicolons or blanks (taken from the first\n"
    "line); a first line of column names, blank lines and lines starting with '#'\n"
    "or '%' are passed over. Points are grouped by their id in order of first\n"
    "appearance and ordered by t; each streamline's t then starts at 0. A\n"
    "streamline of a single point is left out; one of more than 1001 points is\n"
    "thinned evenly to 1001, keeping its first and last point. INPUT '-' reads\n"
    "standard input.\n"
    "\n"
    "The header of the written file is computed from the data: the parameter\n"
    "range is the longest streamline's span of t, the progress step 100 divided\n"
    "by the number of streamlines, and the coordinate ranges those of the data\n"
    "widened by the margin on each side. An existing OUTPUT is replaced only once\n"
    "the new file is complete.\n"
    "\n"
    "From a Mathematica notebook (.nb) or package file (.m, .wl): the NDSolve\n"
    "solutions written in it (rule lists of InterpolatingFunction, also in\n"
    "assignments, output cells and Manipulate or DynamicModule values, with\n"
    "CompressedData arrays) become one streamline each; no Mathematica needed.\n"
    "Each streamline starts at t = 0 (a domain from 100 to 1100 becomes 0 to 1000).\n";

const char* const kFooter =
    "Exit status: 0 written; 1 input unreadable or unusable, or output not\n"
    "written; 2 invalid arguments.\n";

bool ParseMargin(const std::string& text, double& margin) {
    double m = 0.0;
    if (!vortan::cli::ParseDecimal(text, m) || m < 0.0 || m > 10.0) return false;
    margin = m;
    return true;
}

// "auto" (0) or a positive number below the single-precision range.
bool ParseTMax(const std::string& text, double& tMax) {
    double t = 0.0;
    if (text == "auto") {
        tMax = 0.0;
        return true;
    }
    if (!vortan::cli::ParseDecimal(text, t) || !(t > 0.0) || !(t < 3.0e38)) return false;
    tMax = t;
    return true;
}

// Lists or converts the solutions of a notebook or package file.
int ConvertNotebook(const std::string& input, const std::string& output, bool list,
                    const vortan::notebook::NotebookChoice& choice,
                    vortan::convert::Options options) {
    using namespace vortan::notebook;
    if (const std::string problem = vortan::InputFileProblem(input); !problem.empty()) {
        std::fprintf(stderr, "%s: cannot read %s: %s\n", kProgram, input.c_str(), problem.c_str());
        return kExitFile;
    }
    InstallCompressedDataDecoder();
    std::string text, error;
    std::vector<NotebookEntry> entries;
    if (!LoadNotebook(input, text, entries, error)) {
        std::fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
        return kExitFile;
    }
    if (list) {
        std::fputs(FormatListing(entries).c_str(), stdout);
        return kExitOk;
    }
    std::vector<std::vector<SolutionPoint>> lines;
    std::vector<std::string> coords, warnings;
    const bool chosen = ChooseStreamlines(entries, choice, lines, coords, warnings, error);
    for (const auto& w : warnings)
        std::fprintf(stderr, "%s: %s: %s\n", kProgram, input.c_str(), w.c_str());
    if (!chosen) {
        std::fprintf(stderr, "%s: %s: %s\n", kProgram, input.c_str(), error.c_str());
        return kExitFile;
    }
    std::string().swap(text);
    // The same table as columns give, so that the header is computed alike.
    vortan::convert::Table table;
    table.columns = coords.size() == 3 ? 5 : 4;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        vortan::convert::Streamline& s = table.streamlines.emplace_back();
        s.id = std::to_string(k + 1);
        for (const SolutionPoint& p : lines[k]) s.points.push_back({p.t, p.x, p.y, p.z});
        table.points += lines[k].size();
    }
    options.dimension = coords.size() == 3 ? 3 : 2;
    std::vector<std::string> notes;
    vortan::StreamlineHeader header;
    const bool usable = vortan::convert::ComputeHeader(table, options, header, error, &notes);
    for (const auto& w : notes) std::fprintf(stderr, "%s: %s\n", kProgram, w.c_str());
    if (!usable) {
        std::fprintf(stderr, "%s: %s: %s\n", kProgram, input.c_str(), error.c_str());
        return kExitFile;
    }
    if (!vortan::convert::WriteStreamlineFile(table, header, output, error)) {
        std::fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
        return kExitFile;
    }
    return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace vortan::convert;
    using vortan::StreamlineHeader;
    using vortan::cli::TextCheck;
    Options options;
    std::string input, output, size, margin, dimension, tMax;

    CLI::App app(kDescription, kProgram);
    vortan::cli::Prepare(app);
    app.footer(kFooter);
    app.add_option("INPUT", input, "the column table to read ('-': standard input)")->required();
    app.add_option("-o,--output", output, "the streamline file to write (required but with --list)")
        ->type_name("FILE")
        ->check(TextCheck([](const std::string& v) { return !v.empty(); }, "needs a file name"));
    app.add_option("--size", size, "picture size in pixels, 1 to 16384 each (default 800x600)")
        ->type_name("WxH")
        ->check(TextCheck(
            [&](const std::string& v) {
                return vortan::cli::ParsePictureSize(v, kMaxPictureSide, options.width,
                                                     options.height);
            },
            "expected WxH, each from 1 to 16384"));
    app.add_option("--margin", margin,
                   "fraction of each coordinate's span added on both sides (default 0.05)")
        ->type_name("F")
        ->check(TextCheck([&](const std::string& v) { return ParseMargin(v, options.margin); },
                          "needs a number from 0 to 10"));
    app.add_option("--dimension", dimension,
                   "2 draws x and y; 3 needs the z column (default: 3 when the table has five "
                   "columns, otherwise 2)")
        ->type_name("2|3")
        ->check(CLI::IsMember({"2", "3"}));
    app.add_option("--tmax", tMax,
                   "parameter range: the longest span (auto, the default) or T; parts of "
                   "streamlines beyond it are not drawn")
        ->type_name("auto|T")
        ->check(TextCheck([&](const std::string& v) { return ParseTMax(v, options.tMax); },
                          "expected auto or a positive number"));
    bool list = false;
    std::string solution, coords;
    app.add_flag("--list", list,
                 "notebooks: print every solution found (its number, line, function names, "
                 "domain, points, and whether it can be read)");
    app.add_option("--solution", solution,
                   "notebooks: write solution K of the list only (default: every readable "
                   "solution)")
        ->type_name("K");
    app.add_option("--coords", coords,
                   "notebooks: the functions drawn as x, y (and z); default x, y and z when the "
                   "solutions have them")
        ->type_name("x,y[,z]");
    if (const int status = vortan::cli::Parse(app, argc, argv); status >= 0) return status;
    if (!dimension.empty()) options.dimension = dimension == "3" ? 3 : 2;

    vortan::notebook::NotebookChoice choice;
    if (!solution.empty()) {
        unsigned long long k = 0;
        if (!vortan::cli::ParseWholeNumber(solution, 1, 1'000'000'000, k)) {
            return vortan::cli::UsageError(
                app, "--solution needs a solution number from 1 on (see --list)");
        }
        choice.solution = static_cast<int>(k);
    }
    if (!coords.empty()) {
        for (std::size_t start = 0;;) {
            const std::size_t comma = coords.find(',', start);
            choice.coords.push_back(coords.substr(start, comma - start));
            if (comma == std::string::npos) break;
            start = comma + 1;
        }
        for (const auto& name : choice.coords) {
            if (name.empty())
                return vortan::cli::UsageError(app, "--coords " + coords + ": an empty name");
        }
        if (choice.coords.size() < 2 || choice.coords.size() > 3) {
            return vortan::cli::UsageError(
                app, "--coords " + coords + ": two or three names (x,y or x,y,z)");
        }
    }
    const bool notebook = vortan::notebook::IsNotebookPath(input);
    if ((list || choice.solution || !choice.coords.empty()) && !notebook) {
        return vortan::cli::UsageError(
            app, "--list, --solution and --coords read notebooks (.nb, .m, .wl) only");
    }
    if (!list && output.empty()) return vortan::cli::UsageError(app, "--output is required");
    if (notebook) return ConvertNotebook(input, output, list, choice, options);

    Table table;
    std::string error;
    if (input == "-") {
        if (!ReadTable(std::cin, "<stdin>", table, error)) {
            std::fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
            return kExitFile;
        }
    } else {
        if (const std::string problem = vortan::InputFileProblem(input); !problem.empty()) {
            std::fprintf(stderr, "%s: cannot read %s: %s\n", kProgram, input.c_str(),
                         problem.c_str());
            return kExitFile;
        }
        std::ifstream in(input, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "%s: cannot read %s: %s\n", kProgram, input.c_str(),
                         std::strerror(errno));
            return kExitFile;
        }
        if (!ReadTable(in, input, table, error)) {
            std::fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
            return kExitFile;
        }
    }

    std::vector<std::string> warnings;
    StreamlineHeader header;
    const bool usable = ComputeHeader(table, options, header, error, &warnings);
    for (const auto& w : warnings) std::fprintf(stderr, "%s: %s\n", kProgram, w.c_str());
    if (!usable) {
        std::fprintf(stderr, "%s: %s: %s\n", kProgram, input.c_str(), error.c_str());
        return kExitFile;
    }
    if (!WriteStreamlineFile(table, header, output, error)) {
        std::fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
        return kExitFile;
    }
    return kExitOk;
}
