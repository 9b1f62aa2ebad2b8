// CompressedData strings for the benchmarks: "1:" + base64 of zlib data of
// "!boR" and a packed array of machine reals, broken into lines as a
// notebook breaks them.
#pragma once

#include <zlib.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "platform/base64.h"

namespace vortan::bench {

struct CompressedSample {
    std::string payload;       // the string's text
    std::size_t inflated = 0;  // bytes it inflates to
};

// elements smooth values sin(k 1e-3 + phase), as CompressedData text.
inline CompressedSample PackedRealsCompressed(std::size_t elements, double phase) {
    std::string raw = "!boRe";
    auto put32 = [&](std::int32_t v) { raw.append(reinterpret_cast<const char*>(&v), 4); };
    put32(1);
    put32(static_cast<std::int32_t>(elements));
    for (std::size_t k = 0; k < elements; ++k) {
        const double v = std::sin(static_cast<double>(k) * 1e-3 + phase);
        raw.append(reinterpret_cast<const char*>(&v), 8);
    }
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::string z(size, '\0');
    compress2(reinterpret_cast<Bytef*>(z.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
              static_cast<uLong>(raw.size()), 6);
    z.resize(size);
    const std::string text = EncodeBase64(z);
    CompressedSample s;
    s.payload = "1:";
    for (std::size_t i = 0; i < text.size(); i += 76) {
        s.payload += text.substr(i, 76);
        if (i + 76 < text.size()) s.payload += "\\\n";  // a notebook's broken lines
    }
    s.inflated = raw.size();
    return s;
}

}  // namespace vortan::bench
