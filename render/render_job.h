// Drawing a streamline file into a picture without a window: the settings
// checked as the control panel checks them, the header read as START reads
// it, the drawing pass into an indexed canvas, palette ticks, and the export
// chosen by the output's extension.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/settings_record.h"
#include "platform/indexed_canvas.h"
#include "platform/message_sink.h"
#include "view/vortan_frame_state.h"

namespace vortan::render {

inline constexpr int kExitWritten = 0;
inline constexpr int kExitFile = 1;  // input unreadable or undrawable, or output not written
inline constexpr int kExitUsage = 2;

struct RenderOptions {
    std::string input;
    // A streamline file drawn in place of input, which then only names the
    // picture in messages (a traced field, say); empty: input is drawn.
    std::string streamlines;
    std::string output;
    std::string settings;     // empty: the control panel's defaults
    std::string axes = "xy";  // xy, xz or yz; used for three-dimensional files
    bool axesGiven = false;
    unsigned long long ticks = 0;  // palette-animation ticks before writing
    int frames = 0;                // frames of an animated output; 0: one period
    int loops = 0;                 // whole periods of a video; 0: the default
    int fps = 0;                   // frames a second of a video; 0: one a timer tick
    int crf = -1;                  // quality of a video (lower is better); -1: the default
    bool quiet = false;            // no progress and no remarks
};

// What a render tells its user.
class RenderConsole {
  public:
    virtual ~RenderConsole() = default;
    // One line of the tool's own (an error, a warning, a count); the tool
    // puts its name first.
    virtual void Line(const std::string& text) = 0;
    // A message box's text as one line "caption: text", shown as it is.
    virtual void Message(const std::string& text) = 0;
    // Progress of a stage ("drawing", "writing frames") in percent, 0 to 100.
    virtual void Progress(const char* stage, int percent) = 0;
};

// Message boxes (of the settings checks, the drawing pass, the writers) as
// console messages "caption: text" (the program's name without a caption).
class ConsoleMessageSink : public IMessageSink {
  public:
    explicit ConsoleMessageSink(RenderConsole& console) : m_console(console) {}
    int MessageBox(const std::string& text, const std::string& caption, unsigned) override;

  private:
    RenderConsole& m_console;
};

// What an exporter works from: the drawn canvas (picture rows 0 to
// pictureHeight - 1; the status strip below is not written) and the state
// whose palette has had the ticks.
struct ExportJob {
    const RenderOptions& options;
    const IndexedCanvas& canvas;
    VortanFrameState& state;
    int pictureHeight;
    RenderConsole& console;
};

// Writes one output; false when the file was not written, having said why.
using ExportFunction = bool (*)(ExportJob& job);
// Refuses, before anything is drawn, what the output cannot take (having
// said why); the canvas of the job is still empty.
using PrepareFunction = bool (*)(ExportJob& job);

struct OutputFormat {
    const char* extension;    // lower case, without the point
    ExportFunction write;     // null when this build cannot write the format
    bool animated;            // takes a frame count
    int maxCrf;               // a video: largest quality value; -1: not a video
    PrepareFunction prepare;  // null when nothing is checked before drawing
    const char* missing;      // the library a build without the format lacks
};

// Every output format by extension: the one place an output is added.
const std::vector<OutputFormat>& OutputFormats();
// The format for the extension of path (any case), or null.
const OutputFormat* FindOutputFormat(const std::string& path);

// The known output extensions as text: ".bmp, .png, ... or .webm", with
// first (an extension without the point) put before them when given.
std::string OutputTypeList(const std::string& first = {});

// Why options cannot be rendered (output type unknown or not built, a frame
// count for a still picture), as a usage-error text; empty when they can.
std::string CheckRenderOptions(const RenderOptions& options);

// Reads options.settings (the control panel's defaults when empty) and checks
// the settings as START does; false, having said why, when they cannot be
// used (exit status kExitUsage).
bool ReadRenderSettings(const RenderOptions& options, RenderConsole& console,
                        SettingsRecord& settings);

// Renders options.input to options.output. Returns the exit status.
int RunRender(const RenderOptions& options, RenderConsole& console);

}  // namespace vortan::render
