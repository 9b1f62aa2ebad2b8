// Helpers of the page tests: base64 decoding, the embedded pictures of a
// page, and 8-bit PNG decoding from memory and from files (libpng).
#pragma once

#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vortan::test {

inline std::vector<std::uint8_t> DecodeBase64(const std::string& text) {
    std::vector<std::uint8_t> out;
    std::uint32_t bits = 0;
    int count = 0;
    for (char c : text) {
        int v = -1;
        if (c >= 'A' && c <= 'Z') v = c - 'A';
        if (c >= 'a' && c <= 'z') v = c - 'a' + 26;
        if (c >= '0' && c <= '9') v = c - '0' + 52;
        if (c == '+') v = 62;
        if (c == '/') v = 63;
        if (v < 0) continue;  // padding and line breaks
        bits = bits << 6 | static_cast<std::uint32_t>(v);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out.push_back(static_cast<std::uint8_t>(bits >> count & 0xFF));
        }
    }
    return out;
}

// The base64 text of the data URL in the src attribute of element id.
inline std::string DataUrlOf(const std::string& html, const std::string& id) {
    const std::string start = "id=\"" + id + "\"";
    const auto at = html.find(start);
    if (at == std::string::npos) return "";
    const std::string prefix = "src=\"data:image/png;base64,";
    const auto src = html.find(prefix, at);
    if (src == std::string::npos) return "";
    const auto begin = src + prefix.size();
    return html.substr(begin, html.find('"', begin) - begin);
}

struct Decoded {
    bool ok = false;
    int width = 0, height = 0;
    std::vector<std::uint8_t> samples;  // width * height * channels
};

// Decodes PNG bytes as the given libpng format (PNG_FORMAT_GA, _RGB, _RGBA).
inline Decoded DecodePng(const std::vector<std::uint8_t>& bytes, png_uint_32 format) {
    Decoded out;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return out;
    image.format = format;
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    out.samples.resize(PNG_IMAGE_SIZE(image));
    out.ok = png_image_finish_read(&image, nullptr, out.samples.data(), 0, nullptr) != 0;
    return out;
}

}  // namespace vortan::test
