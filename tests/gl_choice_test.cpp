#include "view/gl_choice.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace vortan {
namespace {

GlContextInfo Context(std::string renderer, int major = 4) {
    return {true, major, std::move(renderer), 16384};
}

TEST(GlChoice, RendererStringsOfGraphicsProcessorsAndSoftwareRasterisers) {
    // clang-format off
    const char* hardware[] = {
        "NVIDIA GeForce RTX 3080/PCIe/SSE2", "Apple M1", "Mali-G78", "virgl", "",
        "AMD Radeon RX 6800 XT (navi21, LLVM 15.0.6, DRM 3.49, 6.1.0-13-amd64)",
        "Mesa Intel(R) UHD Graphics 620 (KBL GT2)", "Mesa DRI Intel(R) HD Graphics 4000 (IVB GT2)"};
    const char* software[] = {
        "llvmpipe (LLVM 15.0.6, 256 bits)", "LLVMPIPE (LLVM 11.0.1, 128 bits)", "softpipe",
        "Software Rasterizer", "Mesa DRI swrast", "GDI Generic", "Apple Software Renderer",
        "Microsoft Basic Render Driver", "Google SwiftShader", "zink (lavapipe)",
        "ANGLE (Google, Vulkan 1.3.0 (SwiftShader Device (Subzero)), SwiftShader driver)"};
    // clang-format on
    for (const char* r : hardware) EXPECT_FALSE(IsSoftwareRenderer(r)) << r;
    for (const char* r : software) EXPECT_TRUE(IsSoftwareRenderer(r)) << r;
}

TEST(GlChoice, TheEnvironmentVariable) {
    EXPECT_EQ(ParseGlRequest(nullptr), GlRequest::HardwareOnly);
    EXPECT_EQ(ParseGlRequest("0"), GlRequest::Never);
    EXPECT_EQ(ParseGlRequest("1"), GlRequest::Always);
    for (const char* other : {"", "2", "yes", "01", " 1", "0 "})
        EXPECT_EQ(ParseGlRequest(other), GlRequest::HardwareOnly) << '"' << other << '"';
}

TEST(GlChoice, WhichContextsAndPicturesTakeTheShader) {
    using enum GlRequest;
    const GlContextInfo none{};
    // {what, request, context, picture width and height, shader used}
    const std::tuple<const char*, GlRequest, GlContextInfo, int, int, bool> cases[] = {
        {"hardware", HardwareOnly, Context("NVIDIA GeForce GTX 1060/PCIe/SSE2"), 640, 350, true},
        {"hardware GL 3.0", HardwareOnly, Context("Mesa Intel(R) HD Graphics", 3), 9, 9, true},
        {"hardware GLES 3.0", HardwareOnly, Context("Mali-G52", 3), 9, 9, true},
        {"hardware GL 2.1", HardwareOnly, Context("Mesa Intel(R) 965GM", 2), 9, 9, false},
        {"hardware GLES 2.0", HardwareOnly, Context("Adreno (TM) 306", 2), 9, 9, false},
        {"llvmpipe", HardwareOnly, Context("llvmpipe (LLVM 15.0.6, 256 bits)"), 9, 9, false},
        {"no renderer string", HardwareOnly, Context(""), 9, 9, false},
        {"no context", HardwareOnly, none, 9, 9, false},
        {"0 on hardware", Never, Context("NVIDIA GeForce GTX 1060"), 9, 9, false},
        {"1 on llvmpipe", Always, Context("llvmpipe (LLVM 15.0.6, 256 bits)"), 9, 9, true},
        {"1 on old llvmpipe", Always, Context("llvmpipe", 2), 9, 9, false},
        {"1 with no context", Always, none, 9, 9, false},
        {"at the texture limit", HardwareOnly, Context("Apple M1"), 16384, 16384, true},
        {"taller than a texture", Always, Context("llvmpipe"), 10, 16385, false},
    };
    for (const auto& [what, request, info, width, height, gl] : cases)
        EXPECT_EQ(UseGlPicture(request, info, width, height), gl) << what;
}

}  // namespace
}  // namespace vortan
