#include "output/bitmap_file.h"

#include <cstring>

#include "platform/atomic_file.h"

namespace vortan {

namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;

void Put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint16_t v) {
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Headers and colour table of an 8-bit bitmap, pixel bytes left zero.
std::vector<std::uint8_t> Bitmap8Frame(int width, int height, const PaletteEntries& palette) {
    const int depth = 8;
    const std::uint32_t colours = static_cast<std::uint32_t>(BitmapColourCount(depth));
    const std::uint32_t image = BitmapImageSize(width, height, depth);
    const std::uint32_t offset = kFileHeaderSize + kInfoHeaderSize + 4 * colours;
    std::vector<std::uint8_t> out(static_cast<std::size_t>(offset) + image, 0);
    out[0] = 'B';
    out[1] = 'M';
    Put32(out, 2, offset + image);  // bfSize
    Put32(out, 10, offset);         // bfOffBits
    Put32(out, 14, kInfoHeaderSize);
    Put32(out, 18, static_cast<std::uint32_t>(width));
    Put32(out, 22, static_cast<std::uint32_t>(height));  // positive: bottom row first
    Put16(out, 26, 1);                                   // planes
    Put16(out, 28, 8);                                   // bits per pixel
    Put32(out, 30, 0);                                   // BI_RGB
    Put32(out, 34, image);
    Put32(out, 46, colours);  // biClrUsed
    for (std::uint32_t i = 0; i < colours; ++i) {
        const PaletteEntry& e = palette[i];
        const std::size_t at = kFileHeaderSize + kInfoHeaderSize + 4 * i;
        out[at] = e.peBlue;
        out[at + 1] = e.peGreen;
        out[at + 2] = e.peRed;
        out[at + 3] = 0;
    }
    return out;
}

std::size_t RowStride8(int width) {
    return ((static_cast<std::size_t>(width) * 8 + 31) / 32) * 4;
}

}  // namespace

int BitmapDepth(int bitsPerPixel) {
    if (bitsPerPixel == 1) return 1;
    if (bitsPerPixel <= 4) return 4;  // 0 and 2 to 4
    if (bitsPerPixel <= 8) return 8;
    if (bitsPerPixel <= 16) return 16;
    if (bitsPerPixel <= 24) return 24;
    return 32;
}

int BitmapColourCount(int depth) {
    return depth < 24 ? 1 << depth : 0;
}

std::uint32_t BitmapImageSize(int width, int height, int depth) {
    if (width <= 0 || height <= 0) return 0;
    const std::uint64_t row =
        ((static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(depth) + 31) / 32) * 4;
    return static_cast<std::uint32_t>(row * static_cast<std::uint64_t>(height));
}

std::vector<std::uint8_t> EncodeBitmap8(const IndexedCanvas& canvas, const PaletteEntries& palette,
                                        int rows) {
    const int width = canvas.Width();
    int height = canvas.Height();
    if (rows >= 0 && rows < height) height = rows;
    if (width <= 0 || height <= 0) return Bitmap8Frame(0, 0, palette);
    std::vector<std::uint8_t> out = Bitmap8Frame(width, height, palette);
    // Black for good: whichever entry of the written table is nearest to black.
    const auto black = static_cast<std::uint8_t>(NearestPaletteEntry(palette, 0, 0, 0));
    const std::size_t stride = RowStride8(width);
    const std::size_t pixels = out.size() - static_cast<std::size_t>(height) * stride;
    for (int y = 0; y < height; ++y) {
        const CanvasPixel* src = canvas.Row(y);
        std::uint8_t* dst = out.data() + pixels + static_cast<std::size_t>(height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            dst[x] = src[x] == kClearedPixel ? black : static_cast<std::uint8_t>(src[x]);
        }
    }
    return out;
}

std::vector<std::uint8_t> EncodeBitmap8(const std::uint8_t* indices, int width, int height,
                                        const PaletteEntries& palette) {
    if (width <= 0 || height <= 0 || indices == nullptr) return Bitmap8Frame(0, 0, palette);
    std::vector<std::uint8_t> out = Bitmap8Frame(width, height, palette);
    const std::size_t stride = RowStride8(width);
    const std::size_t pixels = out.size() - static_cast<std::size_t>(height) * stride;
    for (int y = 0; y < height; ++y) {
        std::memcpy(out.data() + pixels + static_cast<std::size_t>(height - 1 - y) * stride,
                    indices + static_cast<std::size_t>(y) * width, static_cast<std::size_t>(width));
    }
    return out;
}

bool WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                         IMessageSink& sink, const std::string& caption) {
    AtomicFile file;
    if (file.Open(path) && file.Write(bytes.data(), bytes.size()) && file.Commit()) return true;
    // Failures are named by the Win32 call of the step: a file that could not
    // be made or put in place is a failed CreateFile.
    const char* step = "CreateFile";
    if (file.FailedStep() == AtomicFile::Step::kWrite) step = "WriteFile";
    if (file.FailedStep() == AtomicFile::Step::kClose) step = "CloseHandle";
    sink.MessageBox(step, caption, MB_OK);
    return false;
}

bool WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                         std::string& error) {
    AtomicFile file;
    if (file.Open(path) && file.Write(bytes.data(), bytes.size()) && file.Commit()) return true;
    error = "cannot write " + path + ": " + (file.Error() ? file.ErrorText() : "write error");
    return false;
}

}  // namespace vortan
