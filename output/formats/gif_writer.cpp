// Animated GIF export. GIF is palette-based like the picture itself, so every
// frame is the same index picture with the palette of one animation tick as
// its local colour table. Every frame carries the whole picture: many viewers
// apply a frame's colour table only to that frame's own pixels, so a frame
// that changed only its table would not change the colours on screen.
#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "output/formats/export_messages.h"
#include "output/formats/formats.h"
#include "palette/palette_animation.h"

namespace vortan {

namespace {

constexpr int kMaxGifSide = 65535;  // the format's 16-bit screen size

bool IsBlack(const PaletteEntry& e) {
    return e.peRed == 0 && e.peGreen == 0 && e.peBlue == 0;
}

struct MapDeleter {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};
using ColorMapPtr = std::unique_ptr<ColorMapObject, MapDeleter>;

// Output of the encoder: the temporary file, which remembers a failed write.
int WriteGifBytes(GifFileType* gif, const GifByteType* bytes, int length) {
    auto* file = static_cast<AtomicFile*>(gif->UserData);
    if (length <= 0) return 0;
    return file->Write(bytes, static_cast<std::size_t>(length)) ? length : 0;
}

// Closes the encoder on every path; EGifCloseFile also writes the trailer.
class GifEncoder {
  public:
    explicit GifEncoder(AtomicFile& file) { m_gif = EGifOpen(&file, WriteGifBytes, &m_error); }
    ~GifEncoder() {
        if (m_gif) EGifCloseFile(m_gif, nullptr);
    }
    GifEncoder(const GifEncoder&) = delete;
    GifEncoder& operator=(const GifEncoder&) = delete;

    GifFileType* get() const { return m_gif; }
    int LastError() const { return m_gif ? m_gif->Error : m_error; }

    // Writes the trailer and releases the encoder; true when all went out.
    bool Close() {
        int error = 0;
        const int result = EGifCloseFile(m_gif, &error);
        m_gif = nullptr;
        m_error = error;
        return result == GIF_OK;
    }

  private:
    GifFileType* m_gif = nullptr;
    int m_error = 0;
};

void FillColorMap(ColorMapObject& map, const PaletteEntries& palette,
                  const ClearedPixelPlan& plan) {
    for (int i = 0; i < kPaletteSize; ++i) {
        map.Colors[i].Red = palette[i].peRed;
        map.Colors[i].Green = palette[i].peGreen;
        map.Colors[i].Blue = palette[i].peBlue;
    }
    if (plan.kind == ClearedPixelPlan::Kind::SpareIndex) {
        map.Colors[plan.index] = GifColorType{0, 0, 0};
    }
}

// Frame header: graphics control (delay, leave in place, no transparency),
// then an image descriptor over the whole screen with its local table.
bool PutFrameHeader(GifFileType* gif, int width, int rows, int delay, const ColorMapObject& map) {
    GraphicsControlBlock gcb{};
    gcb.DisposalMode = DISPOSE_DO_NOT;
    gcb.UserInputFlag = false;
    gcb.DelayTime = delay;
    gcb.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    const auto length = EGifGCBToExtension(&gcb, extension);
    if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) !=
        GIF_OK) {
        return false;
    }
    return EGifPutImageDesc(gif, 0, 0, width, rows, false, &map) == GIF_OK;
}

// NETSCAPE2.0 application extension with loop count 0: loop forever.
bool PutLoopForever(GifFileType* gif) {
    static const GifByteType kId[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    static const GifByteType kLoop[] = {1, 0, 0};
    return EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
           EGifPutExtensionBlock(gif, sizeof kId, kId) == GIF_OK &&
           EGifPutExtensionBlock(gif, sizeof kLoop, kLoop) == GIF_OK &&
           EGifPutExtensionTrailer(gif) == GIF_OK;
}

int AppendGifBytes(GifFileType* gif, const GifByteType* bytes, int length) {
    auto* out = static_cast<std::vector<GifByteType>*>(gif->UserData);
    if (length > 0) out->insert(out->end(), bytes, bytes + length);
    return length;
}

// Bytes of a GIF besides its frames: header, screen descriptor, global
// table, loop extension, trailer. And of a frame besides its image data (as
// CompressPicture gives it): graphics control, image descriptor, local
// table, LZW code size.
constexpr std::uint64_t kGifFileBytes = 6 + 7 + 3 * kPaletteSize + 19 + 1;
constexpr std::uint64_t kGifFrameBytes = 8 + 10 + 3 * kPaletteSize + 1;

// LZW-compresses the index picture once, for frames whose pixels are all
// the same: returns the image data sub-blocks (length byte, data, ..., and
// the empty block that ends them), or nothing when the encoder's output does
// not have the expected layout. Pixels are written in one line.
std::vector<GifByteType> CompressPicture(std::vector<GifPixelType>& picture, int width, int rows,
                                         const ColorMapObject& map) {
    std::vector<GifByteType> memory;
    int error = 0;
    GifFileType* gif = EGifOpen(&memory, AppendGifBytes, &error);
    if (!gif) return {};
    bool ok = EGifPutScreenDesc(gif, width, rows, 8, 0, nullptr) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, width, rows, false, &map) == GIF_OK;
    for (int y = 0; ok && y < rows; ++y) {
        ok =
            EGifPutLine(gif, picture.data() + static_cast<std::size_t>(y) * width, width) == GIF_OK;
    }
    ok = EGifCloseFile(gif, &error) == GIF_OK && ok;
    // Header 6, screen 7 (no global table), descriptor 10, local table 768,
    // then the LZW code size and the sub-blocks, then the trailer.
    constexpr std::size_t kDescriptor = 13, kCodeSize = kDescriptor + 10 + 3 * kPaletteSize;
    if (!ok || memory.size() < kCodeSize + 3 || memory[kDescriptor] != 0x2C ||
        memory[kCodeSize] != 8) {
        return {};
    }
    std::size_t at = kCodeSize + 1;
    while (at < memory.size() && memory[at] != 0) at += 1 + memory[at];
    if (at + 2 != memory.size() || memory[at + 1] != 0x3B) return {};
    return std::vector<GifByteType>(memory.begin() + kCodeSize + 1, memory.begin() + at + 1);
}

// Writes ready sub-blocks as a frame's image data (the descriptor written).
bool PutCompressedPicture(GifFileType* gif, const std::vector<GifByteType>& blocks) {
    const GifByteType* block = blocks.data();
    if (EGifPutCode(gif, 8, block) != GIF_OK) return false;
    for (block += 1 + block[0]; block[0] != 0; block += 1 + block[0]) {
        if (EGifPutCodeNext(gif, block) != GIF_OK) return false;
    }
    return EGifPutCodeNext(gif, nullptr) == GIF_OK;
}

}  // namespace

int GifDelayHundredths(int delayMs) {
    const std::int64_t hundredths = (static_cast<std::int64_t>(delayMs) + 5) / 10;
    return static_cast<int>(std::clamp<std::int64_t>(hundredths, 2, 65535));
}

ClearedPixelPlan PlanClearedPixels(const IndexedCanvas& canvas, int rows,
                                   const PaletteEntries& palette) {
    std::array<bool, kPaletteSize> used{};
    bool anyCleared = false;
    rows = std::clamp(rows, 0, canvas.Height());
    for (int y = 0; y < rows; ++y) {
        const CanvasPixel* row = canvas.Row(y);
        for (int x = 0; x < canvas.Width(); ++x) {
            if (row[x] == kClearedPixel) {
                anyCleared = true;
            } else {
                used[row[x] & 0xFF] = true;
            }
        }
    }
    ClearedPixelPlan plan;
    if (!anyCleared) return plan;
    // Animation replaces only reserved entries, so a black unreserved entry
    // is black in every frame.
    for (int i = 0; i < kPaletteSize; ++i) {
        if (IsBlack(palette[i]) && !(palette[i].peFlags & PC_RESERVED)) {
            plan.kind = ClearedPixelPlan::Kind::FixedBlack;
            plan.index = i;
            return plan;
        }
    }
    // Otherwise an index that no pixel shows can be made black in every
    // frame's table without changing a visible colour. The highest one is
    // taken, since drawing uses low indices first.
    for (int i = kPaletteSize - 1; i >= 0; --i) {
        if (!used[i]) {
            plan.kind = ClearedPixelPlan::Kind::SpareIndex;
            plan.index = i;
            return plan;
        }
    }
    plan.kind = ClearedPixelPlan::Kind::PerFrame;
    return plan;
}

bool WriteAnimatedGif(const std::string& path, const IndexedCanvas& canvas, VortanFrameState& state,
                      const GifOptions& options, IMessageSink& sink) {
    auto fail = [&](const std::string& text) {
        sink.MessageBox(text, "Error", MB_OK | MB_ICONEXCLAMATION);
        return false;
    };
    const int width = canvas.Width();
    const int rows = options.pictureHeight < 0 ? canvas.Height()
                                               : std::min(options.pictureHeight, canvas.Height());
    if (width < 1 || rows < 1) return fail(UnableToWriteText(path, "the picture is empty"));
    if (width > kMaxGifSide || rows > kMaxGifSide) {
        return fail(UnableToWriteText(path, "a GIF picture is at most 65535 pixels wide and high"));
    }
    const int frames = options.frames == 0 ? AnimationPeriod(state) : options.frames;
    if (frames < 1 || frames > kMaxGifFrames) {
        return fail(UnableToWriteText(path, "the frame count " + std::to_string(frames) +
                                                " is not between 1 and " +
                                                std::to_string(kMaxGifFrames)));
    }
    const int delay = GifDelayHundredths(options.delayMs);
    // The loop must not show a colour state the animation never returns to.
    if (!PaletteOnCycle(state)) AnimationTick(state);
    const ClearedPixelPlan plan = PlanClearedPixels(canvas, rows, state.m_palette.Entries());

    // The index picture, built once; with a per-frame plan its cleared
    // pixels are re-indexed in place before each frame.
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(rows);
    std::vector<GifPixelType> picture(pixels);
    auto indexPicture = [&](GifPixelType cleared) {
        for (int y = 0; y < rows; ++y) {
            const CanvasPixel* row = canvas.Row(y);
            GifPixelType* out = picture.data() + static_cast<std::size_t>(y) * width;
            for (int x = 0; x < width; ++x) {
                out[x] = row[x] == kClearedPixel ? cleared : static_cast<GifPixelType>(row[x]);
            }
        }
    };
    indexPicture(static_cast<GifPixelType>(plan.index));

    ColorMapPtr map(GifMakeMapObject(kPaletteSize, nullptr));
    if (!map) return fail(UnableToWriteText(path, "out of memory"));

    // Frames that share their pixels share their compressed data too, so
    // the picture is compressed once, not once per frame.
    std::vector<GifByteType> compressed;
    if (plan.kind != ClearedPixelPlan::Kind::PerFrame && frames > 1) {
        compressed = CompressPicture(picture, width, rows, *map);
    }

    if (options.largeOutput) {
        // Image data of one frame: shared by all, or a first frame's worth
        // once the raw pixels alone could pass the limit.
        std::uint64_t data = compressed.size();
        if (compressed.empty() &&
            static_cast<std::uint64_t>(pixels) * static_cast<std::uint64_t>(frames) >=
                options.largeOutputFrom / 2) {
            data = CompressPicture(picture, width, rows, *map).size();
        }
        const std::uint64_t bytes =
            kGifFileBytes + static_cast<std::uint64_t>(frames) * (kGifFrameBytes + data);
        if (data > 0 && bytes >= options.largeOutputFrom) options.largeOutput(bytes);
    }

    AtomicFile file;
    if (!file.Open(path)) return fail(FileFailureText(path, file));
    GifEncoder encoder(file);
    auto encoderFailure = [&]() {
        if (file.FailedStep() != AtomicFile::Step::kNone) return fail(FileFailureText(path, file));
        const char* text = GifErrorString(encoder.LastError());
        return fail(UnableToWriteText(path, text ? text : "GIF encoder failure"));
    };
    GifFileType* gif = encoder.get();
    if (!gif) return encoderFailure();

    FillColorMap(*map, state.m_palette.Entries(), plan);
    EGifSetGifVersion(gif, true);
    const int background =
        plan.kind == ClearedPixelPlan::Kind::None || plan.kind == ClearedPixelPlan::Kind::PerFrame
            ? 0
            : plan.index;
    if (EGifPutScreenDesc(gif, width, rows, 8, background, map.get()) != GIF_OK ||
        !PutLoopForever(gif)) {
        return encoderFailure();
    }
    for (int f = 0; f < frames; ++f) {
        const PaletteEntries& palette = state.m_palette.Entries();
        FillColorMap(*map, palette, plan);
        if (plan.kind == ClearedPixelPlan::Kind::PerFrame) {
            indexPicture(static_cast<GifPixelType>(NearestPaletteEntry(palette, 0, 0, 0)));
        }
        if (!PutFrameHeader(gif, width, rows, delay, *map)) return encoderFailure();
        if (!compressed.empty()) {
            if (!PutCompressedPicture(gif, compressed)) return encoderFailure();
        } else {
            // The encoder masks the line with the table's bit mask (0xFF
            // here), which leaves the picture unchanged.
            for (int y = 0; y < rows; ++y) {
                if (EGifPutLine(gif, picture.data() + static_cast<std::size_t>(y) * width, width) !=
                    GIF_OK) {
                    return encoderFailure();
                }
            }
        }
        // Each frame is followed by one tick, so after a whole period the
        // palette is back where the export found it.
        AnimationTick(state);
        if (options.progress) options.progress(f + 1, frames);
    }
    if (!encoder.Close()) return encoderFailure();
    if (!file.Commit()) return fail(FileFailureText(path, file));
    return true;
}

std::string LargeOutputText(const std::string& path, std::uint64_t bytes) {
    char size[32];
    std::snprintf(size, sizeof size, "%.1f GiB", static_cast<double>(bytes) / (1u << 30));
    return std::string("writing about ") + size + " to " + path;
}

}  // namespace vortan
