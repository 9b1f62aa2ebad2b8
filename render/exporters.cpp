// The outputs a render writes, chosen by the output file's extension.
#include <string>
#include <vector>

#include "output/bitmap_file.h"
#include "platform/message_sink.h"
#include "render/render_job.h"

#ifdef VORTAN_HAVE_FORMATS
#include "output/formats/export_messages.h"
#include "output/formats/formats.h"
#include "page/animation_page.h"
#endif
#ifdef VORTAN_HAVE_VIDEO
#include "video/video_writer.h"
#endif

namespace vortan::render {

namespace {

bool WriteBmp(ExportJob& job) {
    std::string error;
    const bool written = WriteFileAtomically(
        job.options.output,
        EncodeBitmap8(job.canvas, job.state.m_palette.Entries(), job.pictureHeight), error);
    if (!written) job.console.Line(error);
    return written;
}

#ifdef VORTAN_HAVE_FORMATS
bool WritePng(ExportJob& job) {
    ConsoleMessageSink sink(job.console);
    return WriteIndexedPng(job.options.output, job.canvas, job.state.m_palette.Entries(),
                           job.pictureHeight, sink);
}

bool WriteGif(ExportJob& job) {
    ConsoleMessageSink sink(job.console);
    GifOptions gif;
    gif.frames = job.options.frames;
    gif.delayMs = job.state.m_timeDelay;
    gif.pictureHeight = job.pictureHeight;
    RenderConsole& console = job.console;
    const std::string& path = job.options.output;
    gif.largeOutput = [&console, &path](std::uint64_t bytes) {
        console.Line(LargeOutputText(path, bytes));
    };
    gif.progress = [&console](int done, int all) {
        console.Progress("writing frames", all > 0 ? static_cast<int>(100LL * done / all) : 100);
    };
    return WriteAnimatedGif(job.options.output, job.canvas, job.state, gif, sink);
}

// A self-contained web page that plays the animation, named after the input.
bool WriteHtml(ExportJob& job) {
    ConsoleMessageSink sink(job.console);
    page::PageOptions page;
    const std::string& input = job.options.input;
    const auto slash = input.find_last_of('/');
    page.name = slash == std::string::npos ? input : input.substr(slash + 1);
    page.pictureHeight = job.pictureHeight;
    return page::WriteAnimationPage(job.options.output, job.canvas, job.state, page, sink);
}
#endif

#ifdef VORTAN_HAVE_VIDEO
video::VideoRequest VideoRequestOf(const ExportJob& job) {
    video::VideoRequest request;
    const OutputFormat* format = FindOutputFormat(job.options.output);
    const bool webm = format && std::string(format->extension) == "webm";
    request.codec = webm ? video::Codec::kVp9 : video::Codec::kH264;
    request.loops = job.options.loops;
    request.fps = job.options.fps;
    request.crf = job.options.crf;
    return request;
}

// A video the codec cannot take is refused before the picture is drawn.
bool PrepareVideo(ExportJob& job) {
    video::VideoPlan plan;
    std::string problem;
    if (video::PlanVideo(job.canvas.Width(), job.pictureHeight, job.state, VideoRequestOf(job),
                         plan, problem)) {
        return true;
    }
    ConsoleMessageSink sink(job.console);
    sink.MessageBox(UnableToWriteText(job.options.output, problem), "Error", 0);
    return false;
}

bool WriteVideo(ExportJob& job) {
    ConsoleMessageSink sink(job.console);
    video::VideoOptions options;
    options.request = VideoRequestOf(job);
    options.pictureHeight = job.pictureHeight;
    RenderConsole& console = job.console;
    options.progress = [&console](int done, int all) {
        console.Progress("writing frames", all > 0 ? static_cast<int>(100LL * done / all) : 100);
    };
    return video::WriteVideo(job.options.output, job.canvas, job.state, options, sink);
}
#endif

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

}  // namespace

const std::vector<OutputFormat>& OutputFormats() {
#ifdef VORTAN_HAVE_FORMATS
    constexpr ExportFunction kPng = WritePng, kGif = WriteGif, kHtml = WriteHtml;
#else
    constexpr ExportFunction kPng = nullptr, kGif = nullptr, kHtml = nullptr;
#endif
#ifdef VORTAN_HAVE_VIDEO
    constexpr ExportFunction kVideo = WriteVideo;
    constexpr PrepareFunction kPrepareVideo = PrepareVideo;
#else
    constexpr ExportFunction kVideo = nullptr;
    constexpr PrepareFunction kPrepareVideo = nullptr;
#endif
    static const std::vector<OutputFormat> formats = {
        {"bmp", WriteBmp, false, -1, nullptr, ""},
        {"png", kPng, false, -1, nullptr, "giflib/libpng"},
        {"gif", kGif, true, -1, nullptr, "giflib/libpng"},
        {"html", kHtml, false, -1, nullptr, "giflib/libpng"},
        {"mp4", kVideo, false, 51, kPrepareVideo, "FFmpeg"},
        {"webm", kVideo, false, 63, kPrepareVideo, "FFmpeg"}};
    return formats;
}

const OutputFormat* FindOutputFormat(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return nullptr;
    const std::string extension = Lower(path.substr(dot + 1));
    for (const OutputFormat& format : OutputFormats()) {
        if (extension == format.extension) return &format;
    }
    return nullptr;
}

std::string OutputTypeList(const std::string& first) {
    std::vector<std::string> names;
    if (!first.empty()) names.push_back(first);
    for (const OutputFormat& format : OutputFormats()) names.emplace_back(format.extension);
    std::string list;
    for (std::size_t i = 0; i < names.size(); ++i) {
        list += i == 0 ? "" : i + 1 == names.size() ? " or " : ", ";
        list += "." + names[i];
    }
    return list;
}

std::string CheckRenderOptions(const RenderOptions& options) {
    if (options.output.empty()) return "empty output file name";
    const OutputFormat* format = FindOutputFormat(options.output);
    if (!format) {
        return "unknown output type '" + options.output + "' (use " + OutputTypeList() + ")";
    }
    if (!format->write) {
        return std::string("this build writes no .") + format->extension +
               " files (built without " + format->missing + ")";
    }
    if (options.frames != 0 && !format->animated) {
        std::string animated;
        for (const OutputFormat& f : OutputFormats()) {
            if (f.animated) animated += std::string(animated.empty() ? "." : ", .") + f.extension;
        }
        return "--frames applies to " + animated + " output only";
    }
    const bool videoOptions = options.loops != 0 || options.fps != 0 || options.crf >= 0;
    if (videoOptions && format->maxCrf < 0) {
        return "--loops, --fps and --crf apply to .mp4 and .webm output only";
    }
    if (options.crf > format->maxCrf && format->maxCrf >= 0) {
        return "option '--crf' needs a whole number from 0 to " + std::to_string(format->maxCrf) +
               " for ." + format->extension;
    }
    return {};
}

}  // namespace vortan::render
