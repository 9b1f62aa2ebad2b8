// vortan-render: draws a streamline file as the animation window would and
// writes the picture (8-bit BMP, indexed PNG, animated GIF or web page).
#include <cstdio>
#include <new>
#include <string>

#include "notebook/compressed_decoder.h"
#include "render/render_job.h"
#include "tools/cli_support.h"
#include "tools/render_cli.h"

namespace {

using namespace vortan::render;

constexpr const char* kProgram = "vortan-render";

const char* const kDescription =
    "Draws the streamline file INPUT as the Vortan animation window would and\n"
    "writes the picture (the window's picture area, trunc(W) x trunc(H) pixels,\n"
    "without the status strip). The extension of OUT chooses the format:\n"
    "  .bmp  8-bit indexed Windows bitmap, 256-entry colour table holding the\n"
    "        palette after --ticks\n"
    "  .png  8-bit palette PNG, the palette after --ticks\n"
    "  .gif  animated GIF, one frame per animation tick, looping; frame delay\n"
    "        from the time delay\n"
    "  .mp4  H.264 video (yuv420p), one frame per tick, whole periods so that\n"
    "        it loops without a seam\n"
    "  .webm VP9 video, the same frames\n"
    "  .html a self-contained web page that plays the animation, one frame per\n"
    "        tick, from --ticks on\n";

const char* const kFooter =
    "Progress is shown on stderr for renders that take longer than a moment: a\n"
    "bar updated in place on a terminal, plain lines otherwise.\n"
    "\n"
    "Records that cannot be drawn are counted by reason on stderr. Export each\n"
    "NDSolve solution with ToString[InputForm[sol]] (see README).\n"
    "\n"
    "Exit status:\n"
    "  0  the picture was written\n"
    "  1  INPUT cannot be read, its picture size is not drawable (each side must\n"
    "     be a finite number from 1 to 16384), or OUT cannot be written\n"
    "  2  invalid arguments, an unreadable settings file, or settings the control\n"
    "     panel would refuse (its messages are printed)\n";

int Run(int argc, char** argv) {
    CLI::App app(kDescription, kProgram);
    vortan::cli::Prepare(app);
    app.footer(kFooter);
    RenderOptions o;
    app.add_option(
           "INPUT", o.input,
           "the streamline file to draw, or a vector-field file (NetCDF, VTK) to trace and draw")
        ->required();
    app.add_option("-o,--output", o.output,
                   "the file to write (.bmp, .png, .gif, .mp4, .webm or .html)")
        ->type_name("OUT")
        ->required();
    vortan::cli::DrawingArguments drawing;
    vortan::cli::AddDrawingOptions(app, o, drawing);
    if (const int status = vortan::cli::Parse(app, argc, argv); status >= 0) return status;
    vortan::cli::FinishDrawingOptions(app, drawing, o);
    if (const std::string why = CheckRenderOptions(o); !why.empty()) {
        return vortan::cli::UsageError(app, why);
    }
    vortan::cli::StderrConsole console(kProgram, o.quiet);
    return RunRender(o, console);
}

}  // namespace

int main(int argc, char** argv) {
    vortan::notebook::InstallCompressedDataDecoder();
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "%s: not enough memory\n", kProgram);
        return kExitFile;
    }
}
