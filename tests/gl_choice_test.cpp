#include "view/gl_choice.h"

#include <gtest/gtest.h>

#include <string>

namespace vortan {
namespace {

GlContextInfo Context(std::string renderer, int major = 4, int minor = 6, bool gles = false) {
    return {.created = true,
            .gles = gles,
            .major = major,
            .minor = minor,
            .renderer = std::move(renderer),
            .maxTextureSize = 16384};
}

TEST(GlChoice, RendererStringsOfGraphicsProcessorsAndSoftwareRasterisers) {
    const struct {
        const char* renderer;
        bool software;
    } cases[] = {
        {"NVIDIA GeForce RTX 3080/PCIe/SSE2", false},
        {"Quadro P2000/PCIe/SSE2", false},
        {"AMD Radeon RX 6800 XT (navi21, LLVM 15.0.6, DRM 3.49, 6.1.0-13-amd64)", false},
        {"Radeon RX 580 Series (POLARIS10, DRM 3.42.0, 5.15.0, LLVM 12.0.0)", false},
        {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", false},
        {"Mesa DRI Intel(R) HD Graphics 4000 (IVB GT2)", false},
        {"Apple M1", false},
        {"Mali-G78", false},
        {"Adreno (TM) 650", false},
        {"virgl", false},
        {"llvmpipe (LLVM 15.0.6, 256 bits)", true},
        {"LLVMPIPE (LLVM 11.0.1, 128 bits)", true},
        {"softpipe", true},
        {"Gallium 0.4 on softpipe", true},
        {"Software Rasterizer", true},
        {"Mesa DRI swrast", true},
        {"GDI Generic", true},
        {"Microsoft Basic Render Driver", true},
        {"Google SwiftShader", true},
        {"ANGLE (Google, Vulkan 1.3.0 (SwiftShader Device (Subzero)), SwiftShader driver)", true},
        {"zink (lavapipe)", true},
        {"Apple Software Renderer", true},
        {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsSoftwareRenderer(c.renderer), c.software) << c.renderer;
}

TEST(GlChoice, TheEnvironmentVariable) {
    EXPECT_EQ(ParseGlRequest(nullptr), GlRequest::HardwareOnly);
    EXPECT_EQ(ParseGlRequest("0"), GlRequest::Never);
    EXPECT_EQ(ParseGlRequest("1"), GlRequest::Always);
    for (const char* other : {"", "2", "yes", "01", " 1", "0 "})
        EXPECT_EQ(ParseGlRequest(other), GlRequest::HardwareOnly) << '"' << other << '"';
}

TEST(GlChoice, WhichContextsAndPicturesTakeTheShader) {
    using R = GlRequest;
    const GlContextInfo none{};
    const struct {
        const char* what;
        R request;
        GlContextInfo info;
        int width, height;
        bool gl;
    } cases[] = {
        {"hardware", R::HardwareOnly, Context("NVIDIA GeForce GTX 1060/PCIe/SSE2"), 640, 350, true},
        {"hardware GL 3.0", R::HardwareOnly, Context("Mesa Intel(R) HD Graphics", 3, 0), 9, 9,
         true},
        {"hardware GLES 3.0", R::HardwareOnly, Context("Mali-G52", 3, 0, true), 9, 9, true},
        {"hardware GL 2.1", R::HardwareOnly, Context("Mesa Intel(R) 965GM", 2, 1), 9, 9, false},
        {"hardware GLES 2.0", R::HardwareOnly, Context("Adreno (TM) 306", 2, 0, true), 9, 9, false},
        {"llvmpipe", R::HardwareOnly, Context("llvmpipe (LLVM 15.0.6, 256 bits)"), 9, 9, false},
        {"no renderer string", R::HardwareOnly, Context(""), 9, 9, false},
        {"no context", R::HardwareOnly, none, 9, 9, false},
        {"0 on hardware", R::Never, Context("NVIDIA GeForce GTX 1060"), 9, 9, false},
        {"1 on llvmpipe", R::Always, Context("llvmpipe (LLVM 15.0.6, 256 bits)"), 9, 9, true},
        {"1 on old llvmpipe", R::Always, Context("llvmpipe", 2, 1), 9, 9, false},
        {"1 with no context", R::Always, none, 9, 9, false},
        {"at the texture limit", R::HardwareOnly, Context("Apple M1"), 16384, 16384, true},
        {"wider than a texture", R::HardwareOnly, Context("Apple M1"), 16385, 10, false},
        {"taller than a texture", R::Always, Context("llvmpipe"), 10, 16385, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UseGlPicture(c.request, c.info, c.width, c.height), c.gl) << c.what;
}

}  // namespace
}  // namespace vortan
