// Helpers of the video tests: ffprobe's report of a file, its frames decoded by ffmpeg.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vortan::test {

// ffprobe's key=value report of the first video stream and the container (empty on failure).
inline std::map<std::string, std::string> Probe(const std::string& path) {
    const std::string command =
        "ffprobe -v error -count_frames -select_streams v:0 -show_entries "
        "stream=codec_name,pix_fmt,width,height,nb_read_frames,avg_frame_rate:format=duration "
        "-of default=noprint_wrappers=1 '" +
        path + "' 2>/dev/null";
    std::map<std::string, std::string> report;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return report;
    for (char line[512]; std::fgets(line, sizeof line, pipe);) {
        const std::string text(line, std::strcspn(line, "\r\n"));
        if (const auto eq = text.find('='); eq != std::string::npos)
            report[text.substr(0, eq)] = text.substr(eq + 1);
    }
    if (::pclose(pipe) != 0) report.clear();
    return report;
}

struct DecodedVideo {
    bool ok = false;
    int frames = 0;
    std::vector<std::uint8_t> first, last;  // RGB24, width * height * 3
};

// The first and last frames decoded into width x height RGB (none dropped or repeated).
inline DecodedVideo DecodeVideo(const std::string& path, int width, int height) {
    DecodedVideo out;
    const std::string command = "ffmpeg -v error -i '" + path +
                                "' -map 0:v:0 -fps_mode passthrough -sws_flags neighbor "
                                "-f rawvideo -pix_fmt rgb24 - 2>/dev/null";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return out;
    std::vector<std::uint8_t> frame(static_cast<std::size_t>(width) * height * 3);
    while (!frame.empty() && std::fread(frame.data(), 1, frame.size(), pipe) == frame.size()) {
        if (out.frames++ == 0) out.first = frame;
        out.last = frame;
    }
    out.ok = ::pclose(pipe) == 0 && out.frames > 0;
    return out;
}

}  // namespace vortan::test
