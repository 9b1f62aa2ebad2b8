// PNG encoding through libpng into any byte sink: the one encoder behind the
// indexed PNG export and the pictures embedded in the web page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vortan {

enum class PngColour {
    kGray,       // 1 byte a pixel
    kGrayAlpha,  // 2 bytes: gray, alpha
    kRgb,        // 3 bytes
    kPalette,    // 1 byte, an index into the 256-entry table
};

struct PngPicture8 {
    int width = 0;
    int height = 0;
    PngColour colour = PngColour::kGray;
    // kPalette only: 256 entries of red, green, blue.
    const std::uint8_t* palette = nullptr;
    // Fills row y (top first) with width pixels of the colour type's layout.
    std::function<void(int y, std::uint8_t* row)> fillRow;
};

// Receives the encoded bytes in order; false stops the encoding.
using PngByteSink = std::function<bool(const std::uint8_t* data, std::size_t size)>;

// Encodes an 8-bit picture (no gamma or colour-space chunks, so viewers take
// the samples as they are). On failure returns false with the encoder's
// reason in error ("write error" when the sink refused).
bool EncodePng(const PngPicture8& picture, const PngByteSink& sink, std::string& error);

// The same into memory; empty on failure.
std::vector<std::uint8_t> EncodePngToMemory(const PngPicture8& picture, std::string& error);

}  // namespace vortan
