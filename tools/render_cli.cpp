#include "tools/render_cli.h"

#include <unistd.h>

#include <cstdio>
#include <tuple>

#include "tools/cli_support.h"

namespace vortan::cli {

namespace {

constexpr unsigned long long kMaxTicks = 9'999'999'999'999'999'999ULL;
constexpr unsigned long long kMaxFrames = 10000;

// The long names of the options AddDrawingOptions adds.
const char* const kDrawingOptions[] = {"--settings", "--axes", "--ticks", "--frames",
                                       "--loops",    "--fps",  "--crf"};

}  // namespace

void AddDrawingOptions(CLI::App& app, render::RenderOptions& o, DrawingArguments& text) {
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
    app.add_option("--ticks", text.ticks,
                   "apply N palette-animation ticks (each advancing every colour table by "
                   "the settings' shift, with their dimming) before writing; default 0")
        ->type_name("N")
        ->check(TextCheck(
            [](const std::string& v) {
                unsigned long long n = 0;
                return ParseWholeNumber(v, 0, kMaxTicks, n);
            },
            "needs a whole number of 0 or more, below 10^19"));
    app.add_option("--frames", text.frames,
                   "frames of a .gif (1 to 10000; default one period of the animation, so "
                   "that the loop is seamless)")
        ->type_name("N")
        ->check(TextCheck(
            [](const std::string& v) {
                unsigned long long n = 0;
                return ParseWholeNumber(v, 1, kMaxFrames, n);
            },
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
            ->check(TextCheck(
                [lo, hi](const std::string& v) {
                    unsigned long long n = 0;
                    return ParseWholeNumber(v, lo, hi, n);
                },
                "needs a whole number from " + std::to_string(low) + " to " +
                    std::to_string(high)));
    }
    app.add_flag("--quiet", o.quiet, "no progress display");
}

void FinishDrawingOptions(const CLI::App& app, const DrawingArguments& text,
                          render::RenderOptions& o) {
    o.axesGiven = app.count("--axes") > 0;
    if (!text.ticks.empty()) ParseWholeNumber(text.ticks, 0, kMaxTicks, o.ticks);
    if (!text.frames.empty()) {
        unsigned long long frames = 0;
        ParseWholeNumber(text.frames, 1, kMaxFrames, frames);
        o.frames = static_cast<int>(frames);
    }
}

std::vector<std::string> GivenDrawingOptions(const CLI::App& app) {
    std::vector<std::string> given;
    for (const char* name : kDrawingOptions) {
        if (app.count(name) > 0) given.emplace_back(name);
    }
    return given;
}

StderrConsole::StderrConsole(const char* program, bool quiet)
    : m_program(program),
      m_quiet(quiet),
      m_tty(::isatty(STDERR_FILENO) == 1),
      m_start(std::chrono::steady_clock::now()) {}

StderrConsole::~StderrConsole() {
    EndBar();
}

void StderrConsole::Line(const std::string& text) {
    EndBar();
    std::fprintf(stderr, "%s: %s\n", m_program, text.c_str());
}

void StderrConsole::Message(const std::string& text) {
    EndBar();
    std::fprintf(stderr, "%s\n", text.c_str());
}

void StderrConsole::Progress(const char* stage, int percent) {
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
        std::fprintf(stderr, "\r%s: %s [%.*s%*s] %3d%%", m_program, stage, filled,
                     "##############################", 30 - filled, "", percent);
        std::fflush(stderr);
        m_open = true;
    } else {
        if (m_last >= 0 && percent / 10 == m_last / 10) return;
        std::fprintf(stderr, "%s: %s %d%%\n", m_program, stage, percent);
    }
    m_last = percent;
}

void StderrConsole::EndBar() {
    if (m_open) {
        std::fputc('\n', stderr);
        m_open = false;
    }
}

}  // namespace vortan::cli
