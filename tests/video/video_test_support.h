// Helpers of the video tests: ffprobe's report of a file, and its frames
// decoded with FFmpeg's libraries into RGB.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vortan::test {

// ffprobe's key=value report of the first video stream and the container
// (codec_name, pix_fmt, width, height, nb_read_frames, avg_frame_rate,
// duration); empty when ffprobe is missing or fails.
inline std::map<std::string, std::string> Probe(const std::string& path) {
    const std::string command =
        "ffprobe -v error -count_frames -select_streams v:0 -show_entries "
        "stream=codec_name,pix_fmt,width,height,nb_read_frames,avg_frame_rate:format=duration "
        "-of default=noprint_wrappers=1 '" +
        path + "' 2>/dev/null";
    std::map<std::string, std::string> report;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return report;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) {
        std::string text = line;
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        const auto eq = text.find('=');
        if (eq != std::string::npos) report[text.substr(0, eq)] = text.substr(eq + 1);
    }
    if (::pclose(pipe) != 0) report.clear();
    return report;
}

struct DecodedVideo {
    bool ok = false;
    int width = 0, height = 0;
    int frames = 0;
    std::vector<std::uint8_t> first, last;  // RGB24, width * height * 3
};

// Decodes every frame of the file's first video stream, keeping the first and the last.
inline DecodedVideo DecodeVideo(const std::string& path) {
    DecodedVideo out;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return out;
    std::shared_ptr<AVFormatContext> closeFormat(
        format, [](AVFormatContext* f) { avformat_close_input(&f); });
    if (avformat_find_stream_info(format, nullptr) < 0) return out;
    const AVCodec* decoder = nullptr;
    const int stream = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    if (stream < 0 || !decoder) return out;
    std::shared_ptr<AVCodecContext> codec(avcodec_alloc_context3(decoder),
                                          [](AVCodecContext* c) { avcodec_free_context(&c); });
    avcodec_parameters_to_context(codec.get(), format->streams[stream]->codecpar);
    if (avcodec_open2(codec.get(), decoder, nullptr) < 0) return out;
    std::shared_ptr<AVFrame> frame(av_frame_alloc(), [](AVFrame* f) { av_frame_free(&f); });
    std::shared_ptr<AVPacket> packet(av_packet_alloc(), [](AVPacket* p) { av_packet_free(&p); });
    SwsContext* scale = nullptr;
    auto take = [&]() {
        while (avcodec_receive_frame(codec.get(), frame.get()) >= 0) {
            out.width = frame->width;
            out.height = frame->height;
            scale = sws_getCachedContext(scale, frame->width, frame->height,
                                         static_cast<AVPixelFormat>(frame->format), frame->width,
                                         frame->height, AV_PIX_FMT_RGB24, SWS_POINT, nullptr,
                                         nullptr, nullptr);
            // swscale may write past a row's end, so it writes into
            // padded rows that are then copied out.
            const int row = frame->width * 3, stride = (row + 63) / 64 * 64;
            std::vector<std::uint8_t> padded(static_cast<std::size_t>(stride) * frame->height + 64);
            std::uint8_t* planes[1] = {padded.data()};
            const int strides[1] = {stride};
            sws_scale(scale, frame->data, frame->linesize, 0, frame->height, planes, strides);
            out.last.resize(static_cast<std::size_t>(row) * frame->height);
            for (int y = 0; y < frame->height; ++y) {
                std::copy_n(padded.data() + static_cast<std::size_t>(y) * stride, row,
                            out.last.data() + static_cast<std::size_t>(y) * row);
            }
            if (out.frames++ == 0) out.first = out.last;
        }
    };
    while (av_read_frame(format, packet.get()) >= 0) {
        if (packet->stream_index == stream) avcodec_send_packet(codec.get(), packet.get());
        av_packet_unref(packet.get());
        take();
    }
    avcodec_send_packet(codec.get(), nullptr);
    take();
    sws_freeContext(scale);
    out.ok = out.frames > 0;
    return out;
}

}  // namespace vortan::test
