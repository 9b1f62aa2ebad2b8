// vortan-render: draws a streamline file as the animation window would and
// writes the picture (8-bit BMP, indexed PNG or animated GIF).
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "app/settings_file.h"
#include "app/start_validation.h"
#include "notebook/compressed_decoder.h"
#include "output/bitmap_file.h"
#include "palette/color_tables.h"
#include "palette/palette_animation.h"
#include "platform/indexed_canvas.h"
#include "platform/input_file.h"
#include "platform/message_sink.h"
#include "platform/numeric.h"
#include "trace/field_input.h"
#include "view/drawing_pass.h"
#include "view/frame_host.h"
#include "view/streamline_reader.h"
#include "view/vortan_frame_state.h"

#ifdef VORTAN_HAVE_FORMATS
#include "output/formats/export_messages.h"
#include "output/formats/formats.h"
#include "page/animation_page.h"
#endif
#ifdef VORTAN_HAVE_VIDEO
#include "video/video_writer.h"
#endif

namespace {

using namespace vortan;

constexpr const char* kProgram = "vortan-render";
constexpr int kExitWritten = 0;
constexpr int kExitFile = 1;
constexpr int kExitUsage = 2;
constexpr long long kMaxFrames = 10000;

const char* const kHelp =
    "Usage: vortan-render [options] INPUT -o OUT\n"
    "\n"
    "Draws the streamline file INPUT as the Vortan animation window would and\n"
    "writes the picture (the window's picture area, trunc(W) x trunc(H) pixels,\n"
    "without the status strip).\n"
    "\n"
    "Options:\n"
    "  -o, --output OUT     the file to write; its extension chooses the format:\n"
    "                         .bmp  8-bit indexed Windows bitmap, 256-entry colour\n"
    "                               table holding the palette after --ticks\n"
    "                         .png  8-bit palette PNG, the palette after --ticks\n"
    "                         .gif  animated GIF, one frame per animation tick,\n"
    "                               looping; frame delay from the time delay\n"
    "                         .mp4  H.264 video (yuv420p), one frame per tick,\n"
    "                               whole periods so that it loops without a seam\n"
    "                         .webm VP9 video, the same frames\n"
    "                         .html a self-contained web page that plays the\n"
    "                               animation, one frame per tick, from --ticks on\n"
    "  -s, --settings FILE  a settings file (.dat) as the control panel saves it;\n"
    "                       without it the control panel's defaults are used. The\n"
    "                       values are checked as the panel's OK button checks them.\n"
    "      --axes xy|xz|yz  the axis pair shown for a three-dimensional file\n"
    "                       (default xy; a two-dimensional file is always x, y)\n"
    "      --ticks N        apply N palette-animation ticks (each advancing every\n"
    "                       colour table by the settings' shift, with their\n"
    "                       dimming) before writing; default 0\n"
    "      --frames N       frames of a .gif (1 to 10000; default one period of\n"
    "                       the animation, so that the loop is seamless)\n"
    "      --loops N        periods of a video (1 to 10000; default as many as\n"
    "                       last at least 10 s)\n"
    "      --fps N          frames a second of a video (1 to 240; default one\n"
    "                       frame per timer tick: 1000 / delay, 100 for a delay\n"
    "                       below 10 ms)\n"
    "      --crf N          quality of a video, lower is better (.mp4 0 to 51,\n"
    "                       default 18; .webm 0 to 63, default 30)\n"
    "      --quiet          no progress display\n"
    "  -h, --help           this text\n"
    "\n"
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

enum class Format { Bmp, Png, Gif, Html, Mp4, Webm };

struct Options {
    std::string input;
    std::string output;
    std::string settings;
    std::string axes = "xy";
    bool axesGiven = false;
    unsigned long long ticks = 0;
    long long frames = 0;
    bool framesGiven = false;
    long long loops = 0, fps = 0, crf = -1;  // video only; 0 (crf -1): the default
    bool videoGiven = false;
    bool quiet = false;
    Format format = Format::Bmp;
};

int UsageError(const std::string& text) {
    std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", kProgram, text.c_str(),
                 kProgram);
    return kExitUsage;
}

bool ParseCount(const std::string& text, unsigned long long& out) {
    if (text.empty() || text.size() > 19) return false;
    unsigned long long v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + static_cast<unsigned>(c - '0');
    }
    out = v;
    return true;
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

// Returns -1 when parsing succeeded, else the exit status.
int ParseArguments(int argc, char** argv, Options& o) {
    bool outputGiven = false;
    bool endOfOptions = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (endOfOptions || arg.empty() || arg[0] != '-' || arg == "-") {
            if (!o.input.empty()) return UsageError("more than one INPUT: '" + arg + "'");
            o.input = arg;
            continue;
        }
        if (arg == "--") {
            endOfOptions = true;
            continue;
        }
        std::string value;
        bool hasInlineValue = false;
        if (arg.rfind("--", 0) == 0) {
            const auto eq = arg.find('=');
            if (eq != std::string::npos) {
                value = arg.substr(eq + 1);
                arg = arg.substr(0, eq);
                hasInlineValue = true;
            }
        } else if (arg.size() > 2) {  // -oFILE
            value = arg.substr(2);
            arg = arg.substr(0, 2);
            hasInlineValue = true;
        }
        auto takeValue = [&](std::string& into) -> bool {
            if (hasInlineValue) {
                into = value;
                return true;
            }
            if (i + 1 >= argc) return false;
            into = argv[++i];
            return true;
        };
        const bool isFlag = arg == "-h" || arg == "--help" || arg == "--quiet";
        if (isFlag && hasInlineValue) return UsageError("option '" + arg + "' takes no value");
        if (arg == "-h" || arg == "--help") {
            std::fputs(kHelp, stdout);
            return kExitWritten;
        } else if (arg == "--quiet") {
            o.quiet = true;
        } else if (arg == "-o" || arg == "--output") {
            if (!takeValue(o.output)) return UsageError("option '" + arg + "' needs a file");
            outputGiven = true;
        } else if (arg == "-s" || arg == "--settings") {
            if (!takeValue(o.settings)) return UsageError("option '" + arg + "' needs a file");
            if (o.settings.empty()) return UsageError("empty settings file name");
        } else if (arg == "--axes") {
            if (!takeValue(o.axes)) return UsageError("option '--axes' needs xy, xz or yz");
            if (o.axes != "xy" && o.axes != "xz" && o.axes != "yz")
                return UsageError("invalid axis pair '" + o.axes + "' (use xy, xz or yz)");
            o.axesGiven = true;
        } else if (arg == "--ticks") {
            std::string text;
            if (!takeValue(text) || !ParseCount(text, o.ticks))
                return UsageError(
                    "option '--ticks' needs a whole number of 0 or more, below 10^19");
        } else if (arg == "--frames") {
            std::string text;
            unsigned long long n = 0;
            if (!takeValue(text) || !ParseCount(text, n) || n < 1 ||
                n > static_cast<unsigned long long>(kMaxFrames))
                return UsageError("option '--frames' needs a whole number from 1 to 10000");
            o.frames = static_cast<long long>(n);
            o.framesGiven = true;
        } else if (arg == "--loops" || arg == "--fps" || arg == "--crf") {
            // Ranges: --loops 1..10000, --fps 1..240, --crf 0..63 (0..51 for .mp4, checked below).
            const long long low = arg == "--crf" ? 0 : 1;
            const long long high = arg == "--loops" ? 10000 : arg == "--fps" ? 240 : 63;
            std::string text;
            unsigned long long n = 0;
            if (!takeValue(text) || !ParseCount(text, n) ||
                n < static_cast<unsigned long long>(low) ||
                n > static_cast<unsigned long long>(high))
                return UsageError("option '" + arg + "' needs a whole number from " +
                                  std::to_string(low) + " to " + std::to_string(high));
            (arg == "--loops" ? o.loops
             : arg == "--fps" ? o.fps
                              : o.crf) = static_cast<long long>(n);
            o.videoGiven = true;
        } else {
            return UsageError("unknown option '" + arg + "'");
        }
    }
    if (o.input.empty()) return UsageError("no INPUT file given");
    if (!outputGiven) return UsageError("no output file given (-o OUT.bmp)");
    if (o.output.empty()) return UsageError("empty output file name");
    const std::string ext = LowerExtension(o.output);
    if (ext == "bmp") {
        o.format = Format::Bmp;
    } else if (ext == "png" || ext == "gif" || ext == "html") {
#ifdef VORTAN_HAVE_FORMATS
        o.format = ext == "png" ? Format::Png : ext == "gif" ? Format::Gif : Format::Html;
#else
        return UsageError("this build writes no ." + ext + " files (built without giflib/libpng)");
#endif
    } else if (ext == "mp4" || ext == "webm") {
#ifdef VORTAN_HAVE_VIDEO
        o.format = ext == "mp4" ? Format::Mp4 : Format::Webm;
#else
        return UsageError("this build writes no ." + ext + " files (built without FFmpeg)");
#endif
    } else {
        return UsageError("unknown output type '" + o.output +
                          "' (use .bmp, .png, .gif, .html, .mp4 or .webm)");
    }
    if (o.framesGiven && o.format != Format::Gif)
        return UsageError("--frames applies to .gif output only");
    const bool video = o.format == Format::Mp4 || o.format == Format::Webm;
    if (o.videoGiven && !video)
        return UsageError("--loops, --fps and --crf apply to .mp4 and .webm output only");
    if (o.format == Format::Mp4 && o.crf > 51)
        return UsageError("option '--crf' needs a whole number from 0 to 51 for .mp4");
    return -1;
}

// Progress on stderr: silent for the first moment, then a bar redrawn in
// place on a terminal, or a plain line per tenth otherwise.
class Progress {
  public:
    Progress(bool enabled, const char* what)
        : m_enabled(enabled),
          m_what(what),
          m_tty(::isatty(STDERR_FILENO) == 1),
          m_start(std::chrono::steady_clock::now()) {}

    void Update(int percent) {
        if (!m_enabled) return;
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
            std::fprintf(stderr, "\r%s: %s [%.*s%*s] %3d%%", kProgram, m_what, filled,
                         "##############################", 30 - filled, "", percent);
            std::fflush(stderr);
            m_open = true;
        } else {
            if (m_last >= 0 && percent / 10 == m_last / 10) return;
            std::fprintf(stderr, "%s: %s %d%%\n", kProgram, m_what, percent);
        }
        m_last = percent;
    }

    // Ends the in-place line so that later messages start on their own line.
    void Finish() {
        if (m_open) {
            std::fputc('\n', stderr);
            m_open = false;
        }
    }
    ~Progress() { Finish(); }

  private:
    bool m_enabled;
    const char* m_what;
    bool m_tty;
    std::chrono::steady_clock::time_point m_start;
    bool m_shown = false;
    bool m_open = false;
    int m_last = -1;
};

// Messages printed as the tool's own lines; an in-place progress bar is ended first.
class ToolSink : public IMessageSink {
  public:
    explicit ToolSink(Progress* progress = nullptr) : m_progress(progress) {}
    int MessageBox(const std::string& text, const std::string& caption, unsigned) override {
        if (m_progress) m_progress->Finish();
        std::fprintf(stderr, "%s: %s\n", caption.empty() ? kAppName : caption.c_str(),
                     text.c_str());
        ++count;
        return IDOK;
    }
    int count = 0;

  private:
    Progress* m_progress;
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

// The window as the drawing pass sees it: the status text drives the progress
// display, the timer is not needed for a still picture.
class RenderHost : public IFrameHost {
  public:
    explicit RenderHost(Progress& progress) : m_progress(progress), m_sink(&progress) {}
    int MessageBox(const std::string& text, const std::string& caption, unsigned type) override {
        return m_sink.MessageBox(text, caption, type);
    }
    void SetStatusText(const std::string& text, bool) override {
        int percent = 0;
        if (std::sscanf(text.c_str(), " Drawing: %d", &percent) == 1) m_progress.Update(percent);
    }
    bool SetTimer(unsigned, std::uint32_t) override { return true; }
    void KillTimer(unsigned) override {}

  private:
    Progress& m_progress;
    ToolSink m_sink;
};

int Run(int argc, char** argv) {
    Options o;
    if (const int status = ParseArguments(argc, argv, o); status >= 0) return status;

    // Settings: the control panel's defaults, or a settings file, checked as START checks them.
    SettingsRecord settings;
    ToolSink sink;
    if (!o.settings.empty()) {
        if (const std::string problem = InputFileProblem(o.settings); !problem.empty()) {
            std::fprintf(stderr, "%s: cannot read settings file %s: %s\n", kProgram,
                         o.settings.c_str(), problem.c_str());
            return kExitUsage;
        }
        if (!ReadSettingsFile(o.settings, settings, sink)) return kExitUsage;
    }
    // Settings refused name the file they came from.
    SettingsFileSink settingsSink(sink, o.settings);
    if (!ValidateStartSettings(settings, settingsSink)) return kExitUsage;

    // The header's picture size and dimension, as START reads them.
    if (const std::string problem = InputFileProblem(o.input); !problem.empty()) {
        std::fprintf(stderr, "%s: cannot read %s: %s\n", kProgram, o.input.c_str(),
                     problem.c_str());
        return kExitFile;
    }
    // A vector-field file (known by its content) is traced once with the
    // default options into the user's cache; that streamline file is drawn.
    const trace::StreamlineInput resolved = trace::ResolveStreamlineInput(o.input);
    if (!resolved.ok) {
        std::fprintf(stderr, "%s: %s\n", kProgram, resolved.error.c_str());
        return kExitFile;
    }
    for (const std::string& note : resolved.notes) {
        std::fprintf(stderr, "%s: %s\n", kProgram, note.c_str());
    }
    const std::string& drawn = resolved.path;
    StreamlineHeader header;
    {
        StreamlineFile file;
        if (!file.Open(drawn)) {
            std::fprintf(stderr, "%s: cannot read %s: %s\n", kProgram, o.input.c_str(),
                         std::strerror(errno));
            return kExitFile;
        }
        header = ReadStreamlineHeader(file);
    }
    const bool threeD = header.numbersRead >= 3 && header.dimension == 3.0f;
    const int needed = threeD ? 11 : 9;
    if (header.numbersRead < needed) {
        std::fprintf(stderr,
                     "%s: cannot read %s: its header holds %d number%s, a %s file needs %d "
                     "(width, height, dimension, parameter end, progress step, %s)\n",
                     kProgram, o.input.c_str(), header.numbersRead,
                     header.numbersRead == 1 ? "" : "s", threeD ? "3-D" : "2-D", needed,
                     threeD ? "x, y and z ranges" : "x and y ranges");
        return kExitFile;
    }
    if (!IsDrawablePictureSize(header.imageWidth, header.imageHeight)) {
        std::fprintf(stderr, "%s: %s: %s\n", kProgram, o.input.c_str(),
                     PictureSizeRangeText(header.imageWidth, header.imageHeight).c_str());
        return kExitFile;
    }
    if (o.axesGiven && !threeD && o.axes != "xy" && !o.quiet) {
        std::fprintf(stderr, "%s: %s is two-dimensional; --axes %s is ignored\n", kProgram,
                     o.input.c_str(), o.axes.c_str());
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

    const int width = state->m_imageWidth;
    const int height = state->m_imageHeight;
#ifdef VORTAN_HAVE_VIDEO
    // A video the codec cannot take is refused before the picture is drawn.
    video::VideoRequest videoRequest;
    videoRequest.codec = o.format == Format::Webm ? video::Codec::kVp9 : video::Codec::kH264;
    videoRequest.loops = static_cast<int>(o.loops);
    videoRequest.fps = static_cast<int>(o.fps);
    videoRequest.crf = static_cast<int>(o.crf);
    if (o.format == Format::Mp4 || o.format == Format::Webm) {
        video::VideoPlan plan;
        std::string problem;
        if (!video::PlanVideo(width, height, *state, videoRequest, plan, problem)) {
            sink.MessageBox(UnableToWriteText(o.output, problem), "Error", 0);
            return kExitFile;
        }
    }
#endif
    IndexedCanvas canvas(width, height + kStatusBarHeight);

    PassStats stats;
    {
        Progress progress(!o.quiet, "drawing");
        RenderHost host(progress);
        stats = RunDrawingPass(*state, canvas, host, PassKind::Screen);
        progress.Update(100);
    }
    if (!stats.opened) return kExitFile;  // the pass has said why
    bool anySkipped = false;
    for (const std::string& line : SkippedRecordsLines(stats)) {
        anySkipped = true;
        std::fprintf(stderr, "%s: %s\n", kProgram, line.c_str());
    }
    if (anySkipped) {
        std::fprintf(stderr,
                     "%s: hint: write each NDSolve solution with ToString[InputForm[sol]]; see "
                     "README\n",
                     kProgram);
    }
    if (stats.drawn == 0) {
        std::fprintf(stderr, "%s: %s: no streamline was drawn; the picture is black\n", kProgram,
                     o.input.c_str());
    }

    // Ticks: the palette repeats every period once the first tick has been
    // made, so a huge count costs no more than one period.
    unsigned long long ticks = o.ticks;
    const int period = AnimationPeriod(*state);
    if (period > 0 && ticks > static_cast<unsigned long long>(period)) {
        ticks = (ticks - 1) % static_cast<unsigned long long>(period) + 1;
    }
    for (unsigned long long i = 0; i < ticks; ++i) AnimationTick(*state);

    bool written = false;
    if (o.format == Format::Bmp) {
        std::string error;
        written = WriteFileAtomically(
            o.output, EncodeBitmap8(canvas, state->m_palette.Entries(), height), error);
        if (!written) {
            std::fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
        }
    }
#ifdef VORTAN_HAVE_FORMATS
    else if (o.format == Format::Png) {
        written = WriteIndexedPng(o.output, canvas, state->m_palette.Entries(), height, sink);
    }
#ifdef VORTAN_HAVE_VIDEO
    else if (o.format == Format::Mp4 || o.format == Format::Webm) {
        Progress progress(!o.quiet, "writing frames");
        ToolSink videoSink(&progress);
        video::VideoOptions options;
        options.request = videoRequest;
        options.pictureHeight = height;
        options.progress = [&](int done, int all) {
            progress.Update(all > 0 ? static_cast<int>(100LL * done / all) : 100);
        };
        written = video::WriteVideo(o.output, canvas, *state, options, videoSink);
    }
#endif
    else if (o.format == Format::Html) {
        page::PageOptions pageOptions;
        const auto slash = o.input.find_last_of('/');
        pageOptions.name = slash == std::string::npos ? o.input : o.input.substr(slash + 1);
        pageOptions.pictureHeight = height;
        written = page::WriteAnimationPage(o.output, canvas, *state, pageOptions, sink);
    } else {
        Progress progress(!o.quiet, "writing frames");
        ToolSink gifSink(&progress);
        GifOptions gif;
        gif.frames = static_cast<int>(o.frames);
        gif.delayMs = state->m_timeDelay;
        gif.pictureHeight = height;
        gif.largeOutput = [&](std::uint64_t bytes) {
            std::fprintf(stderr, "%s: %s\n", kProgram, LargeOutputText(o.output, bytes).c_str());
        };
        gif.progress = [&](int done, int all) {
            progress.Update(all > 0 ? static_cast<int>(100LL * done / all) : 100);
        };
        written = WriteAnimatedGif(o.output, canvas, *state, gif, gifSink);
    }
#endif
    return written ? kExitWritten : kExitFile;
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
