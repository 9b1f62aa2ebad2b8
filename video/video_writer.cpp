#include "video/video_writer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "output/formats/export_messages.h"
#include "palette/palette_animation.h"
#include "platform/atomic_file.h"
#include "video/memory_output.h"

namespace vortan::video {

namespace {

struct FormatDeleter {
    void operator()(AVFormatContext* f) const { avformat_free_context(f); }
};
struct CodecDeleter {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameDeleter {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketDeleter {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct ScaleDeleter {
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};

std::string ErrorText(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

// Encodes frames and hands the packets to the muxer.
class Encoder {
  public:
    Encoder(AVFormatContext* format, AVCodecContext* codec, AVStream* stream)
        : m_format(format), m_codec(codec), m_stream(stream), m_packet(av_packet_alloc()) {}

    // Sends a frame (null: the end) and writes every packet that is ready.
    int Send(const AVFrame* frame) {
        if (!m_packet) return AVERROR(ENOMEM);
        int result = avcodec_send_frame(m_codec, frame);
        while (result >= 0) {
            result = avcodec_receive_packet(m_codec, m_packet.get());
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return 0;
            if (result < 0) break;
            // Every frame lasts one tick, the last one included.
            if (m_packet->duration == 0) m_packet->duration = 1;
            av_packet_rescale_ts(m_packet.get(), m_codec->time_base, m_stream->time_base);
            m_packet->stream_index = m_stream->index;
            result = av_interleaved_write_frame(m_format, m_packet.get());
        }
        return result;
    }

  private:
    AVFormatContext* m_format;
    AVCodecContext* m_codec;
    AVStream* m_stream;
    std::unique_ptr<AVPacket, PacketDeleter> m_packet;
};

void SetOption(AVCodecContext* codec, const char* name, const std::string& value) {
    av_opt_set(codec->priv_data, name, value.c_str(), 0);
}

}  // namespace

bool WriteVideo(const std::string& path, const IndexedCanvas& canvas, const VortanFrameState& state,
                const VideoOptions& options, IMessageSink& sink) {
    auto fail = [&](const std::string& reason) {
        sink.MessageBox(UnableToWriteText(path, reason), "Error", MB_OK | MB_ICONEXCLAMATION);
        return false;
    };
    auto failCode = [&](const char* step, int code) {
        if (code == AVERROR(EFBIG)) {
            return fail("the video would be larger than " + std::to_string(options.maxBytes) +
                        " bytes; use fewer loops (--loops) or a higher --crf");
        }
        return fail(std::string(step) + ": " + ErrorText(code));
    };
    const int rows = options.pictureHeight < 0 ? canvas.Height()
                                               : std::min(options.pictureHeight, canvas.Height());
    VideoPlan plan;
    std::string error;
    if (!PlanVideo(canvas.Width(), rows, state, options.request, plan, error)) return fail(error);

    // The encoders' own reports (settings, statistics) stay off stderr;
    // failures reach the user through the message below.
    av_log_set_level(AV_LOG_ERROR);
    const bool h264 = options.request.codec == Codec::kH264;
    const char* encoderName = h264 ? "libx264" : "libvpx-vp9";
    const AVCodec* encoder = avcodec_find_encoder_by_name(encoderName);
    if (!encoder) {
        return fail(std::string("this FFmpeg has no ") + encoderName + " encoder");
    }
    AVFormatContext* rawFormat = nullptr;
    const int made =
        avformat_alloc_output_context2(&rawFormat, nullptr, h264 ? "mp4" : "webm", nullptr);
    std::unique_ptr<AVFormatContext, FormatDeleter> format(rawFormat);
    if (made < 0 || !format) return failCode("no muxer", made);
    MemoryOutput output(options.maxBytes);
    if (!output.Context()) return fail("out of memory");
    format->pb = output.Context();
    format->flags |= AVFMT_FLAG_CUSTOM_IO;

    std::unique_ptr<AVCodecContext, CodecDeleter> codec(avcodec_alloc_context3(encoder));
    AVStream* stream = avformat_new_stream(format.get(), nullptr);
    if (!codec || !stream) return fail("out of memory");
    codec->width = plan.paddedWidth;
    codec->height = plan.paddedHeight;
    codec->pix_fmt = AV_PIX_FMT_YUV420P;
    codec->time_base = AVRational{plan.rateDen, plan.rateNum};
    codec->framerate = AVRational{plan.rateNum, plan.rateDen};
    // BT.601 limited range, the matrix swscale converts with by default.
    codec->color_range = AVCOL_RANGE_MPEG;
    codec->colorspace = AVCOL_SPC_SMPTE170M;
    codec->color_primaries = AVCOL_PRI_SMPTE170M;
    codec->color_trc = AVCOL_TRC_SMPTE170M;
    codec->thread_count = 0;
    if (format->oformat->flags & AVFMT_GLOBALHEADER) {
        codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    SetOption(codec.get(), "crf", std::to_string(plan.crf));
    if (h264) {
        // Every pixel changes colour every tick, so encoding time dominates:
        // the fastest preset keeps ten seconds of a 640 x 320 picture near a
        // second of processor time; flat colours with sharp edges suit the
        // animation tuning.
        SetOption(codec.get(), "preset", "ultrafast");
        SetOption(codec.get(), "tune", "animation");
    } else {
        codec->bit_rate = 0;  // constant quality
        SetOption(codec.get(), "deadline", "realtime");
        SetOption(codec.get(), "cpu-used", "8");
        SetOption(codec.get(), "row-mt", "1");
    }
    if (const int r = avcodec_open2(codec.get(), encoder, nullptr); r < 0) {
        return failCode("the encoder refused the settings", r);
    }
    if (const int r = avcodec_parameters_from_context(stream->codecpar, codec.get()); r < 0) {
        return failCode("the stream could not be set up", r);
    }
    stream->time_base = codec->time_base;
    stream->avg_frame_rate = codec->framerate;
    if (const int r = avformat_write_header(format.get(), nullptr); r < 0) {
        return failCode("the header could not be written", r);
    }

    // The picture in RGB, padded with black; converted once per tick.
    const int width = plan.width;
    std::vector<std::uint32_t> converted(static_cast<std::size_t>(width) * rows);
    std::vector<std::uint32_t> rgb(static_cast<std::size_t>(plan.paddedWidth) * plan.paddedHeight,
                                   0xFF000000u);
    std::unique_ptr<SwsContext, ScaleDeleter> scale(sws_getContext(
        plan.paddedWidth, plan.paddedHeight, AV_PIX_FMT_RGB32, plan.paddedWidth, plan.paddedHeight,
        AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr));
    std::unique_ptr<AVFrame, FrameDeleter> frame(av_frame_alloc());
    if (!scale || !frame) return fail("out of memory");
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = plan.paddedWidth;
    frame->height = plan.paddedHeight;
    frame->color_range = codec->color_range;
    frame->colorspace = codec->colorspace;
    if (const int r = av_frame_get_buffer(frame.get(), 0); r < 0) {
        return failCode("no frame buffer", r);
    }

    auto ticking = std::make_unique<VortanFrameState>(state);
    ticking->m_palette.SetAnimateListener(nullptr);
    for (int t = 0; t < plan.firstTick; ++t) AnimationTick(*ticking);
    Encoder encode(format.get(), codec.get(), stream);
    for (int f = 0; f < plan.frames; ++f) {
        ConvertToRgb32(canvas, ticking->m_palette.Entries(), converted.data(), rows);
        for (int y = 0; y < rows; ++y) {
            std::memcpy(rgb.data() + static_cast<std::size_t>(y) * plan.paddedWidth,
                        converted.data() + static_cast<std::size_t>(y) * width,
                        static_cast<std::size_t>(width) * sizeof(std::uint32_t));
        }
        if (const int r = av_frame_make_writable(frame.get()); r < 0) {
            return failCode("no frame buffer", r);
        }
        const auto* source = reinterpret_cast<const std::uint8_t*>(rgb.data());
        const int sourceStride = plan.paddedWidth * 4;
        sws_scale(scale.get(), &source, &sourceStride, 0, plan.paddedHeight, frame->data,
                  frame->linesize);
        frame->pts = f;
        if (const int r = encode.Send(frame.get()); r < 0) return failCode("encoding failed", r);
        AnimationTick(*ticking);
        if (options.progress) options.progress(f + 1, plan.frames);
    }
    if (const int r = encode.Send(nullptr); r < 0) return failCode("encoding failed", r);
    if (const int r = av_write_trailer(format.get()); r < 0) {
        return failCode("the index could not be written", r);
    }
    avio_flush(output.Context());
    if (output.Context()->error < 0) return failCode("writing failed", output.Context()->error);

    AtomicFile file;
    const std::vector<std::uint8_t>& bytes = output.Bytes();
    if (!file.Open(path) || !file.Write(bytes.data(), bytes.size()) || !file.Commit()) {
        sink.MessageBox(FileFailureText(path, file), "Error", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

}  // namespace vortan::video
