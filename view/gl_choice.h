// Whether the window looks its picture up in an OpenGL shader or on the
// processor. The shader pays off only on a graphics processor; software
// rasterisers are slower than the processor's own look-up, so they take it.
#pragma once

#include <string>
#include <string_view>

namespace vortan {

// What the environment variable VORTAN_GL asks for: "0" never uses OpenGL,
// "1" uses it whenever a context that runs the shader can be made (software
// renderers too, for tests), anything else or unset only on hardware.
enum class GlRequest { Never, Always, HardwareOnly };
GlRequest ParseGlRequest(const char* value);

// What a probe context reported; created is false when none could be made.
struct GlContextInfo {
    bool created = false;
    int major = 0;           // the OpenGL or OpenGL ES major version
    std::string renderer;    // GL_RENDERER
    int maxTextureSize = 0;  // GL_MAX_TEXTURE_SIZE, in texels
};

// Whether a GL_RENDERER string names a software rasteriser (Mesa's llvmpipe,
// softpipe and swrast, Windows' GDI and WARP renderers, SwiftShader, ...).
bool IsSoftwareRenderer(std::string_view renderer);

// Whether a context of this major version runs the look-up shader: integer
// textures and texelFetch need OpenGL 3.0 or OpenGL ES 3.0.
bool RunsPictureShader(int majorVersion);

// Whether a width x height picture is shown through OpenGL: asked for, a
// context that runs the shader, on hardware unless "always" was asked for,
// and a picture that fits in one texture.
bool UseGlPicture(GlRequest request, const GlContextInfo& info, int width, int height);

}  // namespace vortan
