// Indexed PNG export: 8-bit palette image, PLTE from the palette's current
// entries, cleared pixels written as the entry nearest to black.
#include <algorithm>
#include <cstdint>

#include "output/formats/export_messages.h"
#include "output/formats/formats.h"
#include "output/formats/png_encoder.h"

namespace vortan {

bool WriteIndexedPng(const std::string& path, const IndexedCanvas& canvas,
                     const PaletteEntries& palette, int pictureHeight, IMessageSink& sink) {
    auto fail = [&](const std::string& text) {
        sink.MessageBox(text, "Error", MB_OK | MB_ICONEXCLAMATION);
        return false;
    };
    const int width = canvas.Width();
    const int rows = pictureHeight < 0 ? canvas.Height() : std::min(pictureHeight, canvas.Height());
    if (width < 1 || rows < 1) return fail(UnableToWriteText(path, "the picture is empty"));

    std::uint8_t plte[3 * kPaletteSize];
    for (int i = 0; i < kPaletteSize; ++i) {
        plte[3 * i] = palette[i].peRed;
        plte[3 * i + 1] = palette[i].peGreen;
        plte[3 * i + 2] = palette[i].peBlue;
    }
    const auto black = static_cast<std::uint8_t>(NearestPaletteEntry(palette, 0, 0, 0));
    PngPicture8 picture;
    picture.width = width;
    picture.height = rows;
    picture.colour = PngColour::kPalette;
    picture.palette = plte;
    picture.fillRow = [&](int y, std::uint8_t* out) {
        const CanvasPixel* pixels = canvas.Row(y);
        for (int x = 0; x < width; ++x) {
            out[x] =
                pixels[x] == kClearedPixel ? black : static_cast<std::uint8_t>(pixels[x] & 0xFF);
        }
    };

    AtomicFile file;
    if (!file.Open(path)) return fail(FileFailureText(path, file));
    std::string error;
    if (!EncodePng(
            picture,
            [&](const std::uint8_t* data, std::size_t size) { return file.Write(data, size); },
            error)) {
        if (file.FailedStep() != AtomicFile::Step::kNone) return fail(FileFailureText(path, file));
        return fail(UnableToWriteText(path, error));
    }
    if (!file.Commit()) return fail(FileFailureText(path, file));
    return true;
}

}  // namespace vortan
