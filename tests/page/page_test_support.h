// Helpers of the page tests: base64, a page's embedded pictures, PNG decoding (libpng).
#pragma once

#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/base64.h"

namespace vortan::test {

// The bytes of base64 text; empty when the text is not base64.
inline std::vector<std::uint8_t> DecodeBase64(const std::string& text) {
    std::vector<std::uint8_t> out(Base64DecodedBound(text.size()));
    const Base64Result r = vortan::DecodeBase64(text, out.data());
    out.resize(r ? r.size : 0);
    return out;
}

// The base64 text of the data URL in the src attribute of element id.
inline std::string DataUrlOf(const std::string& html, const std::string& id) {
    const std::string prefix = "src=\"data:image/png;base64,";
    const auto at = html.find("id=\"" + id + "\"");
    const auto src = at == std::string::npos ? at : html.find(prefix, at);
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
