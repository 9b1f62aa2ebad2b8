#include "output/bitmap_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

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
    const auto slash = path.find_last_of('/');
    const std::string folder =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    auto fail = [&](const char* step) {
        sink.MessageBox(step, caption, MB_OK);
        return false;
    };
    if (base.empty()) return fail("CreateFile");

    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = folder + "/." + base + "." + std::to_string(::getpid()) + "-" +
               std::to_string(attempt) + ".tmp";
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) return fail("CreateFile");

    struct stat old {};
    if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        ::fchmod(fd, old.st_mode & 07777);
    }
    std::size_t done = 0;
    bool written = true;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            written = false;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    if (!written) {
        ::close(fd);
        ::unlink(temp.c_str());
        return fail("WriteFile");
    }
    if (::close(fd) != 0) {
        ::unlink(temp.c_str());
        return fail("CloseHandle");
    }
    // The target appears only complete; a failed rename leaves the old file.
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return fail("CreateFile");
    }
    return true;
}

}  // namespace vortan
