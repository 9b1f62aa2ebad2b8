#include "field/vtk_xml_decode.h"

#include <zlib.h>

#include <climits>
#include <vector>

#include "field/value_decode.h"

namespace vortan::field {
namespace {

int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

}  // namespace

std::string DecodeBase64(std::string_view text) {
    std::string out;
    out.reserve(text.size() / 4 * 3 + 3);
    unsigned group = 0;
    int have = 0;  // characters in the current group of four
    for (char c : text) {
        if (c == ' ' || c == '\n' || c == '\r' || c == '\t') continue;
        if (c == '=') {
            // Padding closes the group: 2 characters give 1 byte, 3 give 2.
            if (have == 2) out += static_cast<char>((group >> 4) & 0xFF);
            if (have == 3) {
                out += static_cast<char>((group >> 10) & 0xFF);
                out += static_cast<char>((group >> 2) & 0xFF);
            }
            group = 0;
            have = 0;
            continue;
        }
        const int value = Base64Value(c);
        if (value < 0) break;
        group = (group << 6) | static_cast<unsigned>(value);
        if (++have == 4) {
            out += static_cast<char>((group >> 16) & 0xFF);
            out += static_cast<char>((group >> 8) & 0xFF);
            out += static_cast<char>(group & 0xFF);
            group = 0;
            have = 0;
        }
    }
    // Unpadded tails carry the same bytes as padded ones.
    if (have == 2) out += static_cast<char>((group >> 4) & 0xFF);
    if (have == 3) {
        out += static_cast<char>((group >> 10) & 0xFF);
        out += static_cast<char>((group >> 2) & 0xFF);
    }
    return out;
}

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
