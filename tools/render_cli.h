// What vortan-render and vortan-trace share for drawing a picture: the
// drawing options (settings, axes, ticks, frames, video) with their checks,
// and the console on stderr that shows a render's remarks and progress.
#pragma once

#include <CLI/CLI.hpp>
#include <chrono>
#include <string>
#include <vector>

#include "render/render_job.h"

namespace vortan::cli {

// Option texts held until parsing is over.
struct DrawingArguments {
    std::string ticks, frames;
};

// Adds -s/--settings, --axes, --ticks, --frames, --loops, --fps, --crf and
// --quiet, storing into options and text.
void AddDrawingOptions(CLI::App& app, render::RenderOptions& options, DrawingArguments& text);

// After parsing: the numbers held as text, and whether --axes was given.
void FinishDrawingOptions(const CLI::App& app, const DrawingArguments& text,
                          render::RenderOptions& options);

// The drawing options given on the command line, by their long names.
std::vector<std::string> GivenDrawingOptions(const CLI::App& app);

// The console on stderr: lines prefixed with the program's name, progress
// silent for the first moment, then a bar redrawn in place on a terminal or
// a plain line per tenth otherwise.
class StderrConsole : public render::RenderConsole {
  public:
    StderrConsole(const char* program, bool quiet);
    ~StderrConsole() override;

    void Line(const std::string& text) override;
    void Message(const std::string& text) override;
    void Progress(const char* stage, int percent) override;

  private:
    // Ends an in-place bar so that the next output starts on its own line.
    void EndBar();

    const char* m_program;
    bool m_quiet;
    bool m_tty;
    std::chrono::steady_clock::time_point m_start;
    std::string m_stage;
    bool m_shown = false;
    bool m_open = false;
    int m_last = -1;
};

}  // namespace vortan::cli
