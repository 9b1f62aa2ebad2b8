#include "view/gl_choice.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>

namespace vortan {

GlRequest ParseGlRequest(const char* value) {
    if (value == nullptr) return GlRequest::HardwareOnly;
    if (std::strcmp(value, "0") == 0) return GlRequest::Never;
    if (std::strcmp(value, "1") == 0) return GlRequest::Always;
    return GlRequest::HardwareOnly;
}

namespace {

bool ContainsNoCase(std::string_view text, std::string_view word) {
    const auto lower = [](char c) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    };
    const auto it = std::search(text.begin(), text.end(), word.begin(), word.end(),
                                [&](char a, char b) { return lower(a) == lower(b); });
    return it != text.end();
}

}  // namespace

bool IsSoftwareRenderer(std::string_view renderer) {
    // Lower-case fragments of the renderer strings software rasterisers report.
    static constexpr std::array<std::string_view, 11> kSoftware = {
        "llvmpipe",      "softpipe",    "swrast",   "software rasterizer", "software renderer",
        "gdi generic",   "swiftshader", "lavapipe", "mesa offscreen",      "basic render driver",
        "apple software"};
    return std::any_of(kSoftware.begin(), kSoftware.end(),
                       [&](std::string_view w) { return ContainsNoCase(renderer, w); });
}

bool RunsPictureShader(int majorVersion) {
    return majorVersion >= 3;
}

bool UseGlPicture(GlRequest request, const GlContextInfo& info, int width, int height) {
    if (request == GlRequest::Never || !info.created || !RunsPictureShader(info.major))
        return false;
    if (request == GlRequest::HardwareOnly &&
        (info.renderer.empty() || IsSoftwareRenderer(info.renderer)))
        return false;
    return width <= info.maxTextureSize && height <= info.maxTextureSize;
}

}  // namespace vortan
