// vortan-trace: traces a vector field (a NetCDF or VTK file, or a formula)
// into evenly spaced streamlines and writes them as a streamline file.
#include <cstdio>
#include <string>

#include "field/field_file.h"
#include "field/formula_field.h"
#include "tools/cli_support.h"
#include "trace/seed_file.h"
#include "trace/trace_output.h"
#include "trace/tracer.h"

namespace {

using namespace vortan;

constexpr const char* kProgram = "vortan-trace";
constexpr int kExitWritten = 0;
constexpr int kExitFile = 1;

struct Arguments {
    std::string input, output;
    field::ReadOptions read;
    std::string formula, domain, grid;
    std::string seeds, parameter = "normalized", size;
    trace::TraceOptions trace;
};

int FileError(const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", kProgram, text.c_str());
    return kExitFile;
}

std::string LowerExtension(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string ext = path.substr(dot + 1);
    for (char& c : ext) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return ext;
}

}  // namespace

int main(int argc, char** argv) {
    Arguments a;
    CLI::App app{
        "Traces a vector field into evenly spaced streamlines and writes them as a "
        "streamline file.",
        kProgram};
    vortan::cli::Prepare(app);
    const auto UsageError = [&app](const std::string& text) {
        return vortan::cli::UsageError(app, text);
    };
    app.add_option("FIELD", a.input, "a NetCDF (.nc) or VTK (.vtk, .vti, .vtr) file");
    app.add_option("-o,--output", a.output, "the streamline file to write (.math)")->required();
    app.add_option("--u", a.read.u, "NetCDF variable of the x component");
    app.add_option("--v", a.read.v, "NetCDF variable of the y component");
    app.add_option("--w", a.read.w, "NetCDF variable of the z component");
    app.add_option("--vectors", a.read.vectors, "VTK array of the vectors");
    app.add_option("--time", a.read.time, "NetCDF time index (default 0)");
    app.add_option("--level", a.read.level, "NetCDF level index (default 0)");
    app.add_option("--field", a.formula, "a formula: 'u = ...; v = ...[; w = ...]'");
    app.add_option("--domain", a.domain, "the formula's domain: x0:x1,y0:y1[,z0:z1]");
    app.add_option("--grid", a.grid, "the formula's grid: NXxNY[xNZ]");
    app.add_option("--separation", a.trace.separation,
                   "pixels between neighbouring streamlines (default 12 in 2-D, 40 in 3-D)");
    app.add_option("--test-ratio", a.trace.testRatio,
                   "a streamline stops this many separations from another (default 0.5)");
    app.add_option("--tolerance", a.trace.tolerance,
                   "largest error of one integration step, pixels (default 0.001)");
    app.add_option("--seeds", a.seeds, "a file of seed points, one 'x y [z]' a line");
    app.add_option("--parameter", a.parameter, "t written: normalized, time or length");
    app.add_option("--size", a.size, "picture size WxH (default 800 across, the domain's aspect)");
    if (const int status = vortan::cli::Parse(app, argc, argv); status >= 0) return status;

    // Options first, so that a mistyped option does not wait for a large
    // file to be read.
    if (a.formula.empty() == a.input.empty()) {
        return UsageError(a.formula.empty() ? "give a FIELD file or --field FORMULA"
                                            : "give either a FIELD file or --field, not both");
    }
    if (!a.formula.empty() && a.domain.empty()) return UsageError("--field needs --domain");
    if (a.formula.empty() && (!a.domain.empty() || !a.grid.empty())) {
        return UsageError("--domain and --grid go with --field");
    }
    if (!trace::ParseParameter(a.parameter, a.trace.parameter)) {
        return UsageError("invalid --parameter '" + a.parameter +
                          "' (use normalized, time or length)");
    }
    if (!a.size.empty() && !vortan::cli::ParsePictureSize(a.size, trace::kMaxPictureSide,
                                                          a.trace.width, a.trace.height)) {
        return UsageError("invalid --size '" + a.size + "' (use WxH, each from 1 to 16384)");
    }
    std::string error;
    if (!trace::CheckTraceOptions(a.trace, error)) return UsageError(error);
    if (LowerExtension(a.output) != "math") {
        return UsageError("cannot tell the format of '" + a.output + "' (use .math)");
    }

    const field::FieldResult read = a.formula.empty()
                                        ? field::ReadFieldFile(a.input, a.read)
                                        : field::SampleFormula(a.formula, a.domain, a.grid);
    if (!read.ok) return FileError(read.error);
    if (!a.seeds.empty() &&
        !trace::ReadSeedFile(a.seeds, read.field.dimension, a.trace.seeds, error)) {
        return FileError(error);
    }
    const trace::TraceResult traced = trace::TraceField(read.field, a.trace);
    if (!traced.ok) return FileError(traced.error);
    for (const std::string& note : traced.notes)
        std::fprintf(stderr, "%s: %s\n", kProgram, note.c_str());
    if (!trace::WriteTraceResult(traced, a.output, error)) return FileError(error);
    return kExitWritten;
}
