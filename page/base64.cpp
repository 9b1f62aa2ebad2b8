#include "page/base64.h"

namespace vortan::page {

std::string Base64(const std::uint8_t* data, std::size_t size) {
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((size + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= size; i += 3) {
        const std::uint32_t v = static_cast<std::uint32_t>(data[i]) << 16 |
                                static_cast<std::uint32_t>(data[i + 1]) << 8 | data[i + 2];
        out += kDigits[v >> 18 & 63];
        out += kDigits[v >> 12 & 63];
        out += kDigits[v >> 6 & 63];
        out += kDigits[v & 63];
    }
    if (i < size) {
        const bool two = i + 2 == size;
        const std::uint32_t v = static_cast<std::uint32_t>(data[i]) << 16 |
                                (two ? static_cast<std::uint32_t>(data[i + 1]) << 8 : 0u);
        out += kDigits[v >> 18 & 63];
        out += kDigits[v >> 12 & 63];
        out += two ? kDigits[v >> 6 & 63] : '=';
        out += '=';
    }
    return out;
}

}  // namespace vortan::page
