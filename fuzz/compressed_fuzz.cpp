// Feeds arbitrary bytes to the CompressedData decoder: as the text of a
// CompressedData string (base64, zlib, binary body) and, since random text
// seldom inflates, directly as an inflated binary body. Every input must end
// with a status and, when decoded, a tree within the bytes' bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "notebook/compressed_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    using vortan::CompressedStatus;
    for (int mode = 0; mode < 2; ++mode) {
        vortan::mexpr::Expression e;
        if (e.Parse("0") != vortan::mexpr::ParseStatus::Ok) std::abort();
        vortan::mexpr::Expression::Index root = 0;
        std::size_t budget = 1u << 20;
        const CompressedStatus s =
            mode == 0 ? vortan::notebook::DecodeCompressedData(bytes, e, root, budget)
                      : vortan::notebook::DecodeBinaryExpression(bytes, e, root);
        if (s == CompressedStatus::Ok) {
            if (root >= e.NodeCount()) std::abort();
            // Packed arrays: no more nodes than the inflated bytes allow.
            if (mode == 1 && e.NodeCount() > size + 2) std::abort();
        }
        if (budget > (1u << 20)) std::abort();
    }
    return 0;
}
