#include "video/memory_output.h"

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

#include <algorithm>
#include <cstdio>
#include <new>

namespace vortan::video {

namespace {

constexpr int kBufferSize = 1 << 16;

// The callback's buffer became const in libavformat 61.
#if LIBAVFORMAT_VERSION_MAJOR >= 61
using WriteBuffer = const std::uint8_t*;
#else
using WriteBuffer = std::uint8_t*;
#endif

int WritePacket(void* opaque, WriteBuffer data, int size) {
    return static_cast<MemoryOutput*>(opaque)->Write(data, size);
}

std::int64_t SeekOutput(void* opaque, std::int64_t offset, int whence) {
    return static_cast<MemoryOutput*>(opaque)->Seek(offset, whence);
}

}  // namespace

MemoryOutput::MemoryOutput(std::size_t maxBytes) : m_maxBytes(maxBytes) {
    auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferSize));
    if (!buffer) return;
    m_context = avio_alloc_context(buffer, kBufferSize, 1, this, nullptr, WritePacket, SeekOutput);
    if (!m_context) av_free(buffer);
}

MemoryOutput::~MemoryOutput() {
    if (m_context) {
        av_freep(&m_context->buffer);
        avio_context_free(&m_context);
    }
}

int MemoryOutput::Write(const std::uint8_t* data, int size) {
    if (size <= 0) return 0;
    const std::size_t end = m_position + static_cast<std::size_t>(size);
    if (end > m_maxBytes) return AVERROR(EFBIG);
    try {
        if (end > m_bytes.size()) m_bytes.resize(end);
    } catch (const std::bad_alloc&) {
        return AVERROR(ENOMEM);
    }
    std::copy_n(data, size, m_bytes.begin() + static_cast<std::ptrdiff_t>(m_position));
    m_position = end;
    return size;
}

std::int64_t MemoryOutput::Seek(std::int64_t offset, int whence) {
    const auto size = static_cast<std::int64_t>(m_bytes.size());
    std::int64_t target = 0;
    switch (whence & ~AVSEEK_FORCE) {
        case AVSEEK_SIZE:
            return size;
        case SEEK_SET:
            target = offset;
            break;
        case SEEK_CUR:
            target = static_cast<std::int64_t>(m_position) + offset;
            break;
        case SEEK_END:
            target = size + offset;
            break;
        default:
            return AVERROR(EINVAL);
    }
    // A muxer only goes back over what it wrote, or to its end.
    if (target < 0 || target > size) return AVERROR(EINVAL);
    m_position = static_cast<std::size_t>(target);
    return target;
}

}  // namespace vortan::video
