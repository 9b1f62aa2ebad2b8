// The binary encodings of VTK XML data arrays: the byte-count header (UInt32
// or UInt64, either byte order) and zlib-compressed blocks. Their base64
// text is decoded by platform/base64.h with padded groups allowed.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vortan::field {

struct BlockLayout {
    std::size_t headerWidth = 4;  // 4 (UInt32) or 8 (UInt64)
    bool bigEndian = false;
    bool zlib = false;  // vtkZLibDataCompressor blocks
};

// Largest ratio of uncompressed to compressed bytes zlib can reach; a header
// claiming more is corrupt and is refused before anything is allocated.
inline constexpr std::size_t kMaxInflateRatio = 1032;

// Unpacks one array's data (header then payload) that must hold exactly
// `expected` bytes into out; false with a message otherwise.
bool UnpackArray(std::string_view data, const BlockLayout& layout, std::size_t expected,
                 std::string* out, std::string* error);

}  // namespace vortan::field
