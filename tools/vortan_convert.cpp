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

namespace {

constexpr const char* kProgram = "vortan-convert";
constexpr int kExitOk = 0;
constexpr int kExitFile = 1;  // input unreadable or unusable, output not written
constexpr int kExitUsage = 2;
constexpr int kMaxPictureSize = 16384;

const char* const kHelp =
    "usage: vortan-convert [options] INPUT -o OUTPUT\n"
    "       vortan-convert --list NOTEBOOK\n"
    "       vortan-convert [--solution K] [--coords x,y[,z]] [options] NOTEBOOK -o OUTPUT\n"
    "\n"
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
    "options:\n"
    "  -o, --output FILE   the streamline file to write (required)\n"
    "  --size WxH          picture size in pixels, 1 to 16384 each (default 800x600)\n"
    "  --margin F          fraction of each coordinate's span added on both sides\n"
    "                      (default 0.05)\n"
    "  --dimension 2|3     2 draws x and y; 3 needs the z column (default: 3 when\n"
    "                      the table has five columns, otherwise 2)\n"
    "  --tmax auto|T       parameter range: the longest span (auto, the default)\n"
    "                      or T; parts of streamlines beyond it are not drawn\n"
    "  -h, --help          this text\n"
    "\n"
    "From a Mathematica notebook (.nb) or package file (.m, .wl): the NDSolve\n"
    "solutions written in it (rule lists of InterpolatingFunction, also in\n"
    "assignments, output cells and Manipulate or DynamicModule values, with\n"
    "CompressedData arrays) become one streamline each; no Mathematica needed.\n"
    "  --list              print every solution found: its number, line, function\n"
    "                      names, domain, points, and whether it can be read\n"
    "  --solution K        write solution K of the list only (default: every\n"
    "                      readable solution)\n"
    "  --coords x,y[,z]    the functions drawn as x, y (and z); default x, y and z\n"
    "                      when the solutions have them\n"
    "Each streamline starts at t = 0 (a domain from 100 to 1100 becomes 0 to 1000).\n"
    "\n"
    "exit status: 0 written; 1 input unreadable or unusable, or output not\n"
    "written; 2 invalid arguments.\n";

int Usage(const std::string& message) {
    std::fprintf(stderr, "%s: %s\n(see %s --help)\n", kProgram, message.c_str(), kProgram);
    return kExitUsage;
}

bool ParseInt(std::string_view s, int& v) {
    const auto res = std::from_chars(s.data(), s.data() + s.size(), v);
    return res.ec == std::errc() && res.ptr == s.data() + s.size();
}

bool ParseDouble(std::string_view s, double& v) {
    const auto res = std::from_chars(s.data(), s.data() + s.size(), v);
    return res.ec == std::errc() && res.ptr == s.data() + s.size() && std::isfinite(v);
}

// Lists or converts the solutions of a notebook or package file.
int ConvertNotebook(const std::string& input, const std::string& output, bool list,
                    const vortan::notebook::NotebookChoice& choice,
                    vortan::convert::Options options) {
    using namespace vortan::notebook;
    if (!list && output.empty()) return Usage("no output file (-o OUTPUT)");
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
    Options options;
    std::string input, output;
    bool haveInput = false;
    bool list = false;
    vortan::notebook::NotebookChoice choice;

    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::string value;
        bool inlineValue = false;
        if (arg.rfind("--", 0) == 0) {
            if (const auto eq = arg.find('='); eq != std::string::npos) {
                value = arg.substr(eq + 1);
                arg.erase(eq);
                inlineValue = true;
            }
        }
        auto needValue = [&](std::string& out) {
            if (inlineValue) {
                out = value;
                return true;
            }
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        if (arg == "-h" || arg == "--help") {
            std::fputs(kHelp, stdout);
            return kExitOk;
        } else if (arg == "-o" || arg == "--output") {
            if (!needValue(output) || output.empty()) return Usage(arg + " needs a file name");
        } else if (arg == "--size") {
            std::string v;
            if (!needValue(v)) return Usage("--size needs WxH");
            const auto x = v.find_first_of("xX");
            int w = 0, h = 0;
            if (x == std::string::npos || !ParseInt(std::string_view(v).substr(0, x), w) ||
                !ParseInt(std::string_view(v).substr(x + 1), h) || w < 1 || h < 1 ||
                w > kMaxPictureSize || h > kMaxPictureSize) {
                return Usage("--size " + v + ": expected WxH, each from 1 to 16384");
            }
            options.width = w;
            options.height = h;
        } else if (arg == "--margin") {
            std::string v;
            double m = 0.0;
            if (!needValue(v) || !ParseDouble(v, m) || m < 0.0 || m > 10.0) {
                return Usage("--margin needs a number from 0 to 10");
            }
            options.margin = m;
        } else if (arg == "--dimension") {
            std::string v;
            if (!needValue(v) || (v != "2" && v != "3")) return Usage("--dimension needs 2 or 3");
            options.dimension = v == "3" ? 3 : 2;
        } else if (arg == "--tmax") {
            std::string v;
            double t = 0.0;
            if (!needValue(v)) return Usage("--tmax needs auto or a number");
            if (v == "auto") {
                options.tMax = 0.0;
            } else if (ParseDouble(v, t) && t > 0.0 && t < 3.0e38) {
                options.tMax = t;
            } else {
                return Usage("--tmax " + v + ": expected auto or a positive number");
            }
        } else if (arg == "--list") {
            list = true;
        } else if (arg == "--solution") {
            std::string v;
            int k = 0;
            if (!needValue(v) || !ParseInt(v, k) || k < 1) {
                return Usage("--solution needs a solution number from 1 on (see --list)");
            }
            choice.solution = k;
        } else if (arg == "--coords") {
            std::string v;
            if (!needValue(v)) return Usage("--coords needs names such as x,y or x,y,z");
            choice.coords.clear();
            for (std::size_t start = 0;;) {
                const std::size_t comma = v.find(',', start);
                choice.coords.push_back(v.substr(start, comma - start));
                if (comma == std::string::npos) break;
                start = comma + 1;
            }
            for (const auto& name : choice.coords) {
                if (name.empty()) return Usage("--coords " + v + ": an empty name");
            }
            if (choice.coords.size() < 2 || choice.coords.size() > 3) {
                return Usage("--coords " + v + ": two or three names (x,y or x,y,z)");
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            return Usage("unknown option " + arg);
        } else if (!haveInput) {
            input = arg;
            haveInput = true;
        } else {
            return Usage("more than one input file: " + input + ", " + arg);
        }
    }
    if (!haveInput) return Usage("no input file");
    const bool notebook = vortan::notebook::IsNotebookPath(input);
    if ((list || choice.solution || !choice.coords.empty()) && !notebook) {
        return Usage("--list, --solution and --coords read notebooks (.nb, .m, .wl) only");
    }
    if (notebook) return ConvertNotebook(input, output, list, choice, options);
    if (output.empty()) return Usage("no output file (-o OUTPUT)");

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
