// Writing an indexed picture as an 8-bit Windows device-independent bitmap.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/indexed_canvas.h"
#include "platform/message_sink.h"

namespace vortan {

// Colour depth d for a bit count, and colour-table length N for d.
int BitmapDepth(int bitsPerPixel);
int BitmapColourCount(int depth);
// ((width * d + 31) div 32) * 4 * height.
std::uint32_t BitmapImageSize(int width, int height, int depth);

// The whole file for an 8-bit picture (d = 8, N = 256): file header, info
// header, colour table from palette, rows bottom-up padded to 4 bytes.
// Cleared pixels are written as the entry nearest to black; rows
// [0, height) of canvas are used, at most maxRows when given (>= 0).
std::vector<std::uint8_t> EncodeBitmap8(const IndexedCanvas& canvas, const PaletteEntries& palette,
                                        int rows = -1);

// The same from ready index bytes (width*height, top row first).
std::vector<std::uint8_t> EncodeBitmap8(const std::uint8_t* indices, int width, int height,
                                        const PaletteEntries& palette);

// Writes bytes to path through a temporary file in the same folder renamed
// over path when complete; on failure reports the failing step's name
// ("CreateFile", "WriteFile", "CloseHandle") to sink with the given caption,
// leaves any existing file intact and returns false.
bool WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                         IMessageSink& sink, const std::string& caption);

// The same for tools: on failure error reads "cannot write PATH: reason"
// ("cannot write out.bmp: Permission denied").
bool WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                         std::string& error);

}  // namespace vortan
