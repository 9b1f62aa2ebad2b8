#include "field/vtk_xml_decode.h"

#include <zlib.h>

#include <climits>
#include <vector>

#include "field/value_decode.h"

namespace vortan::field {

bool UnpackArray(std::string_view data, const BlockLayout& layout, std::size_t expected,
                 std::string* out, std::string* error) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
    const std::size_t w = layout.headerWidth;
    auto word = [&](std::size_t i) { return DecodeUnsigned(bytes + i * w, w, layout.bigEndian); };
    if (!layout.zlib) {
        if (data.size() < w) {
            *error = "the data ends inside its header";
            return false;
        }
        const unsigned long long count = word(0);
        if (count != expected) {
            *error = "the header gives " + std::to_string(count) + " bytes for " +
                     std::to_string(expected) + " expected";
            return false;
        }
        if (expected > data.size() - w) {
            *error = "the data ends after " + std::to_string(data.size() - w) + " of " +
                     std::to_string(expected) + " bytes";
            return false;
        }
        out->assign(data.substr(w, expected));
        return true;
    }

    if (data.size() < 3 * w) {
        *error = "the compressed data ends inside its header";
        return false;
    }
    const unsigned long long blocks = word(0), blockSize = word(1), lastSize = word(2);
    if (blocks > (data.size() - 3 * w) / w) {
        *error = "the header names " + std::to_string(blocks) + " blocks, more than the data holds";
        return false;
    }
    const std::size_t nb = static_cast<std::size_t>(blocks);
    const std::size_t payload = 3 * w + nb * w;
    // Blocks before the last hold blockSize bytes each; the last holds
    // lastSize, or blockSize when lastSize is zero.
    unsigned long long total = 0;
    if (nb > 0) {
        if (blockSize == 0 || lastSize > blockSize || (nb > 1 && blockSize > expected)) {
            total = ULLONG_MAX;
        } else {
            total = (nb - 1) * blockSize + (lastSize == 0 ? blockSize : lastSize);
        }
    }
    if (total != expected) {
        *error =
            "the compressed blocks do not hold the " + std::to_string(expected) + " bytes expected";
        return false;
    }
    unsigned long long compressed = 0;
    for (std::size_t b = 0; b < nb; ++b) {
        const unsigned long long size = word(3 + b);
        if (size > data.size()) {
            compressed = ULLONG_MAX;
            break;
        }
        compressed += size;
    }
    if (compressed == ULLONG_MAX || compressed > data.size() - payload) {
        *error = "the compressed data ends early";
        return false;
    }
    if (expected / kMaxInflateRatio > compressed + 1024) {
        *error =
            "the compressed sizes are impossibly small for " + std::to_string(expected) + " bytes";
        return false;
    }
    out->assign(expected, '\0');
    std::size_t in = payload, at = 0;
    for (std::size_t b = 0; b < nb; ++b) {
        const auto size = static_cast<std::size_t>(word(3 + b));
        const std::size_t want = b + 1 == nb ? expected - at : static_cast<std::size_t>(blockSize);
        uLongf got = static_cast<uLongf>(want);
        if (size > ULONG_MAX ||
            uncompress(reinterpret_cast<Bytef*>(out->data() + at), &got, bytes + in,
                       static_cast<uLong>(size)) != Z_OK ||
            got != want) {
            *error = "compressed block " + std::to_string(b + 1) + " of " + std::to_string(nb) +
                     " is corrupt";
            out->clear();
            return false;
        }
        in += size;
        at += want;
    }
    return true;
}

}  // namespace vortan::field
