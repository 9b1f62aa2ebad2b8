#include "render/render_job.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "app/settings_file.h"
#include "app/start_validation.h"
#include "palette/color_tables.h"
#include "palette/palette_animation.h"
#include "platform/input_file.h"
#include "platform/message_sink.h"
#include "trace/field_input.h"
#include "view/drawing_pass.h"
#include "view/frame_host.h"
#include "view/streamline_reader.h"

namespace vortan::render {

namespace {

// The window as the drawing pass sees it: progress goes to the console, the
// timer is not needed for a still picture.
class RenderHost : public IFrameHost {
  public:
    explicit RenderHost(RenderConsole& console) : m_console(console), m_sink(console) {}
    int MessageBox(const std::string& text, const std::string& caption, unsigned type) override {
        return m_sink.MessageBox(text, caption, type);
    }
    void SetStatusText(const std::string&, bool) override {}
    void ProgressChanged(int percent) override { m_console.Progress("drawing", percent); }
    bool SetTimer(unsigned, std::uint32_t) override { return true; }
    void KillTimer(unsigned) override {}

  private:
    RenderConsole& m_console;
    ConsoleMessageSink m_sink;
};

// Passes messages on, naming the settings file they are about (when any).
class SettingsFileSink : public IMessageSink {
  public:
    SettingsFileSink(IMessageSink& to, const std::string& path) : m_to(to), m_path(path) {}
    int MessageBox(const std::string& text, const std::string& caption, unsigned type) override {
        return m_to.MessageBox(m_path.empty() ? text : "settings file " + m_path + ": " + text,
                               caption, type);
    }

  private:
    IMessageSink& m_to;
    const std::string& m_path;
};

// Reads the header as START does; false (having said why) when the file
// cannot be read or its header cannot be drawn.
bool ReadDrawableHeader(const RenderOptions& o, const std::string& drawn, RenderConsole& console,
                        StreamlineHeader& header) {
    {
        StreamlineFile file;
        if (!file.Open(drawn)) {
            console.Line("cannot read " + o.input + ": " + std::strerror(errno));
            return false;
        }
        header = ReadStreamlineHeader(file);
    }
    const bool threeD = header.numbersRead >= 3 && header.dimension == 3.0f;
    const int needed = threeD ? 11 : 9;
    if (header.numbersRead < needed) {
        console.Line("cannot read " + o.input + ": its header holds " +
                     std::to_string(header.numbersRead) + " number" +
                     (header.numbersRead == 1 ? "" : "s") + ", a " + (threeD ? "3-D" : "2-D") +
                     " file needs " + std::to_string(needed) +
                     " (width, height, dimension, parameter end, progress step, " +
                     (threeD ? "x, y and z ranges" : "x and y ranges") + ")");
        return false;
    }
    if (!IsDrawablePictureSize(header.imageWidth, header.imageHeight)) {
        console.Line(o.input + ": " + PictureSizeRangeText(header.imageWidth, header.imageHeight));
        return false;
    }
    return true;
}

// Counts of records passed over by reason, and a hint when there were any.
void ReportSkipped(const PassStats& stats, const RenderOptions& o, RenderConsole& console) {
    const std::vector<std::string> lines = SkippedRecordsLines(stats);
    for (const std::string& line : lines) console.Line(line);
    if (!lines.empty()) {
        console.Line("hint: write each NDSolve solution with ToString[InputForm[sol]]; see README");
    }
    if (stats.drawn == 0) {
        console.Line(o.input + ": no streamline was drawn; the picture is black");
    }
}

}  // namespace

int ConsoleMessageSink::MessageBox(const std::string& text, const std::string& caption, unsigned) {
    m_console.Message((caption.empty() ? std::string(kAppName) : caption) + ": " + text);
    return IDOK;
}

bool ReadRenderSettings(const RenderOptions& o, RenderConsole& console, SettingsRecord& settings) {
    // The control panel's defaults, or a settings file, checked as START checks them.
    settings = SettingsRecord();
    ConsoleMessageSink sink(console);
    if (!o.settings.empty()) {
        if (const std::string problem = InputFileProblem(o.settings); !problem.empty()) {
            console.Line("cannot read settings file " + o.settings + ": " + problem);
            return false;
        }
        if (!ReadSettingsFile(o.settings, settings, sink)) return false;
    }
    // Settings refused name the file they came from.
    SettingsFileSink settingsSink(sink, o.settings);
    return ValidateStartSettings(settings, settingsSink);
}

int RunRender(const RenderOptions& o, RenderConsole& console) {
    if (const std::string why = CheckRenderOptions(o); !why.empty()) {
        console.Line(why);
        return kExitUsage;
    }
    const OutputFormat& format = *FindOutputFormat(o.output);

    SettingsRecord settings;
    if (!ReadRenderSettings(o, console, settings)) return kExitUsage;

    std::string drawn = o.streamlines;
    if (drawn.empty()) {
        if (const std::string problem = InputFileProblem(o.input); !problem.empty()) {
            console.Line("cannot read " + o.input + ": " + problem);
            return kExitFile;
        }
        // A vector-field file (known by its content) is traced once with the
        // default options into the user's cache; that streamline file is drawn.
        const trace::StreamlineInput resolved = trace::ResolveStreamlineInput(o.input);
        if (!resolved.ok) {
            console.Line(resolved.error);
            return kExitFile;
        }
        for (const std::string& note : resolved.notes) console.Line(note);
        drawn = resolved.path;
    }

    StreamlineHeader header;
    if (!ReadDrawableHeader(o, drawn, console, header)) return kExitFile;
    const bool threeD = header.numbersRead >= 3 && header.dimension == 3.0f;
    if (o.axesGiven && !threeD && o.axes != "xy" && !o.quiet) {
        console.Line(o.input + " is two-dimensional; --axes " + o.axes + " is ignored");
    }

    // The window's state, as START and window creation leave it.
    auto state = std::make_unique<VortanFrameState>();
    ApplyAnimationParameters(MakeAnimationParameters(settings, header.imageWidth,
                                                     header.imageHeight, header.dimension, drawn),
                             *state);
    const std::string axes = threeD ? o.axes : "xy";
    state->m_axisX = axes[0] == 'x';
    state->m_axisY = axes == "xy" || axes == "yz";
    state->m_axisZ = axes[1] == 'z';
    BuildWindowPalette(*state);

    const int height = state->m_imageHeight;
    IndexedCanvas canvas(state->m_imageWidth, height + kStatusBarHeight);
    ExportJob job{o, canvas, *state, height, console};
    if (format.prepare && !format.prepare(job)) return kExitFile;
    RenderHost host(console);
    const PassStats stats = RunDrawingPass(*state, canvas, host, PassKind::Screen);
    console.Progress("drawing", 100);
    if (!stats.opened) return kExitFile;  // the pass has said why
    ReportSkipped(stats, o, console);

    // Ticks: the palette repeats every period once the first tick has been
    // made, so a huge count costs no more than one period.
    unsigned long long ticks = o.ticks;
    const int period = AnimationPeriod(*state);
    if (period > 0 && ticks > static_cast<unsigned long long>(period)) {
        ticks = (ticks - 1) % static_cast<unsigned long long>(period) + 1;
    }
    for (unsigned long long i = 0; i < ticks; ++i) AnimationTick(*state);

    return format.write(job) ? kExitWritten : kExitFile;
}

}  // namespace vortan::render
