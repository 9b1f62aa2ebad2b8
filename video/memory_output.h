// A seekable byte buffer behind an FFmpeg AVIOContext, so that muxers which
// go back to patch sizes and indexes (MP4, WebM) can write into memory; the
// finished bytes are then written out in one go.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct AVIOContext;

namespace vortan::video {

class MemoryOutput {
  public:
    // Holds at most maxBytes; a write beyond fails with AVERROR(EFBIG).
    explicit MemoryOutput(std::size_t maxBytes);
    ~MemoryOutput();
    MemoryOutput(const MemoryOutput&) = delete;
    MemoryOutput& operator=(const MemoryOutput&) = delete;

    // The context to hand a muxer (null when it could not be made).
    AVIOContext* Context() const { return m_context; }
    // Everything written, once the context has been flushed.
    const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }

    // Writes size bytes at the current position (growing the buffer).
    // Returns size, or a negative FFmpeg error code when memory runs out or
    // the limit would be passed.
    int Write(const std::uint8_t* data, int size);
    // lseek-like, plus FFmpeg's AVSEEK_SIZE; negative on a bad position.
    std::int64_t Seek(std::int64_t offset, int whence);

  private:
    AVIOContext* m_context = nullptr;
    std::vector<std::uint8_t> m_bytes;
    std::size_t m_position = 0;
    std::size_t m_maxBytes;
};

}  // namespace vortan::video
