// vortan-render: draws a streamline file as the animation window would and
// writes the picture (8-bit BMP, indexed PNG, animated GIF or web page).
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <new>
#include <string>
#include <tuple>

#include "notebook/compressed_decoder.h"
#include "render/render_job.h"
#include "tools/cli_support.h"

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

// The console on stderr: lines prefixed with the program's name, progress
// silent for the first moment, then a bar redrawn in place on a terminal or
// a plain line per tenth otherwise.
class StderrConsole : public RenderConsole {
  public:
    explicit StderrConsole(bool quiet)
        : m_quiet(quiet),
          m_tty(::isatty(STDERR_FILENO) == 1),
          m_start(std::chrono::steady_clock::now()) {}
    ~StderrConsole() override { EndBar(); }

    void Line(const std::string& text) override {
        EndBar();
        std::fprintf(stderr, "%s: %s\n", kProgram, text.c_str());
    }

    void Message(const std::string& text) override {
        EndBar();
        std::fprintf(stderr, "%s\n", text.c_str());
    }

    void Progress(const char* stage, int percent) override {
        if (m_quiet) return;
        if (m_stage != stage) {
            EndBar();
            m_stage = stage;
            m_last = -1;
            m_shown = false;
            m_start = std::chrono::steady_clock::now();
        }
        if (percent < 0) percent = 0;
        if (percent > 100) percent = 100;
        if (!m_shown) {
            const auto waited = std::chrono::steady_clock::now() - m_start;
            if (waited < std::chrono::milliseconds(500)) return;
            m_shown = true;
        }
        if (m_tty) {
            if (percent == m_last) return;
            const int filled = percent * 30 / 100;
            std::fprintf(stderr, "\r%s: %s [%.*s%*s] %3d%%", kProgram, stage, filled,
                         "##############################", 30 - filled, "", percent);
            std::fflush(stderr);
            m_open = true;
        } else {
            if (m_last >= 0 && percent / 10 == m_last / 10) return;
            std::fprintf(stderr, "%s: %s %d%%\n", kProgram, stage, percent);
        }
        m_last = percent;
    }

  private:
    // Ends an in-place bar so that the next output starts on its own line.
    void EndBar() {
        if (m_open) {
            std::fputc('\n', stderr);
            m_open = false;
        }
    }

    bool m_quiet;
    bool m_tty;
    std::chrono::steady_clock::time_point m_start;
    std::string m_stage;
    bool m_shown = false;
    bool m_open = false;
    int m_last = -1;
};

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
    app.add_option("-s,--settings", o.settings,
                   "a settings file (.dat) as the control panel saves it; without it the "
                   "control panel's defaults are used, checked as its OK button checks them")
        ->type_name("FILE")
        ->check([](const std::string& v) { return v.empty() ? "empty settings file name" : ""; });
    app.add_option("--axes", o.axes,
                   "the axis pair shown for a three-dimensional file (default xy; a "
                   "two-dimensional file is always x, y)")
        ->type_name("xy|xz|yz")
        ->check(CLI::IsMember({"xy", "xz", "yz"}));
    using vortan::cli::ParseWholeNumber;
    std::string ticks, frames;
    unsigned long long count = 0;
    app.add_option("--ticks", ticks,
                   "apply N palette-animation ticks (each advancing every colour table by "
                   "the settings' shift, with their dimming) before writing; default 0")
        ->type_name("N")
        ->check(vortan::cli::TextCheck(
            [&](const std::string& v) {
                return ParseWholeNumber(v, 0, 9'999'999'999'999'999'999ULL, count);
            },
            "needs a whole number of 0 or more, below 10^19"));
    app.add_option("--frames", frames,
                   "frames of a .gif (1 to 10000; default one period of the animation, so "
                   "that the loop is seamless)")
        ->type_name("N")
        ->check(vortan::cli::TextCheck(
            [&](const std::string& v) { return ParseWholeNumber(v, 1, 10000, count); },
            "needs a whole number from 1 to 10000"));
    // Video options: periods, frames a second, quality.
    const std::tuple<const char*, int*, int, int, const char*> videoOptions[] = {
        {"--loops", &o.loops, 1, 10000,
         "periods of a video (1 to 10000; default as many as last at least 10 s)"},
        {"--fps", &o.fps, 1, 240,
         "frames a second of a video (1 to 240; default one frame per timer tick: "
         "1000 / delay, 100 for a delay below 10 ms)"},
        {"--crf", &o.crf, 0, 63,
         "quality of a video, lower is better (.mp4 0 to 51, default 18; .webm 0 to 63, "
         "default 30)"}};
    for (const auto& [name, value, low, high, help] : videoOptions) {
        int* const target = value;
        const unsigned long long lo = static_cast<unsigned long long>(low);
        const unsigned long long hi = static_cast<unsigned long long>(high);
        app.add_option_function<std::string>(
               name,
               [target](const std::string& v) {
                   unsigned long long n = 0;
                   ParseWholeNumber(v, 0, ~0ULL, n);
                   *target = static_cast<int>(n);
               },
               help)
            ->type_name("N")
            ->check(vortan::cli::TextCheck(
                [lo, hi](const std::string& v) {
                    unsigned long long n = 0;
                    return ParseWholeNumber(v, lo, hi, n);
                },
                "needs a whole number from " + std::to_string(low) + " to " +
                    std::to_string(high)));
    }
    app.add_flag("--quiet", o.quiet, "no progress display");
    if (const int status = vortan::cli::Parse(app, argc, argv); status >= 0) return status;
    o.axesGiven = app.count("--axes") > 0;
    if (!ticks.empty()) ParseWholeNumber(ticks, 0, ~0ULL, o.ticks);
    if (!frames.empty()) {
        ParseWholeNumber(frames, 1, 10000, count);
        o.frames = static_cast<int>(count);
    }
    if (const std::string why = CheckRenderOptions(o); !why.empty()) {
        return vortan::cli::UsageError(app, why);
    }
    StderrConsole console(o.quiet);
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
