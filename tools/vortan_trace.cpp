// vortan-trace: traces a vector field (a NetCDF or VTK file, or a formula)
// into evenly spaced streamlines and writes them as a streamline file, or
// draws them into a picture as vortan-render would.
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <new>
#include <string>

#include "field/field_file.h"
#include "field/formula_field.h"
#include "platform/temp_cleanup.h"
#include "render/render_job.h"
#include "tools/cli_support.h"
#include "tools/render_cli.h"
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
    render::RenderOptions render;
    cli::DrawingArguments drawing;
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

// A streamline file of its own in the temporary folder, removed when the
// object goes (or when a signal ends the program).
class TempStreamlineFile {
  public:
    TempStreamlineFile() {
        const char* folder = std::getenv("TMPDIR");
        std::string name =
            std::string(folder && *folder ? folder : "/tmp") + "/vortan-trace-XXXXXX.math";
        temp_cleanup::InstallSignalCleanup();
        const int fd = ::mkstemps(name.data(), 5);
        if (fd < 0) return;
        ::close(fd);
        m_path = name;
        m_slot = temp_cleanup::Track(m_path);
    }
    ~TempStreamlineFile() {
        if (m_path.empty()) return;
        ::unlink(m_path.c_str());
        temp_cleanup::Forget(m_slot);
    }
    TempStreamlineFile(const TempStreamlineFile&) = delete;
    TempStreamlineFile& operator=(const TempStreamlineFile&) = delete;
    const std::string& Path() const { return m_path; }

  private:
    std::string m_path;
    int m_slot = -1;
};

int Run(int argc, char** argv) {
    Arguments a;
    CLI::App app{
        "Traces a vector field into evenly spaced streamlines and writes them as a "
        "streamline file (.math), or draws them into a picture as vortan-render would.",
        kProgram};
    cli::Prepare(app);
    const auto UsageError = [&app](const std::string& text) {
        return vortan::cli::UsageError(app, text);
    };
    app.add_option("FIELD", a.input, "a NetCDF (.nc) or VTK (.vtk, .vti, .vtr) file");
    app.add_option("-o,--output", a.output,
                   "the file to write: a streamline file (.math), or a picture (" +
                       render::OutputTypeList() + ") drawn with the drawing options")
        ->type_name("OUT")
        ->required();
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
    cli::AddDrawingOptions(app, a.render, a.drawing);
    if (const int status = vortan::cli::Parse(app, argc, argv); status >= 0) return status;
    cli::FinishDrawingOptions(app, a.drawing, a.render);

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
    const bool picture = LowerExtension(a.output) != "math";
    a.render.output = a.output;
    if (!picture) {
        if (const auto given = cli::GivenDrawingOptions(app); !given.empty()) {
            return UsageError(given.front() + " applies to picture output only, not .math");
        }
    } else if (!render::FindOutputFormat(a.output)) {
        return UsageError("unknown output type '" + a.output + "' (use " +
                          render::OutputTypeList("math") + ")");
    } else if (const std::string why = render::CheckRenderOptions(a.render); !why.empty()) {
        return UsageError(why);
    }
    cli::StderrConsole console(kProgram, a.render.quiet);
    if (picture) {
        // The settings are checked before the field is read and traced.
        SettingsRecord settings;
        if (!render::ReadRenderSettings(a.render, console, settings)) return cli::kExitUsage;
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
    for (const std::string& note : traced.notes) console.Line(note);
    if (!picture) {
        if (!trace::WriteTraceResult(traced, a.output, error)) return FileError(error);
        return kExitWritten;
    }
    // A picture: the streamlines go through a streamline file, so that the
    // picture is the one vortan-render draws from that file.
    const TempStreamlineFile streamlines;
    if (streamlines.Path().empty()) return FileError("cannot make a temporary streamline file");
    if (!trace::WriteTraceResult(traced, streamlines.Path(), error)) return FileError(error);
    a.render.input = a.input.empty() ? "the formula's field" : a.input;
    a.render.streamlines = streamlines.Path();
    return render::RunRender(a.render, console);
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "%s: not enough memory\n", kProgram);
        return kExitFile;
    }
}
