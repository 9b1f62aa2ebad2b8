// Helpers of the export tests: palette states, small drawn canvases, and
// readers of GIF and PNG files (through the libraries' decoders).
#pragma once

#include <gif_lib.h>
#include <png.h>
#include <sys/resource.h>

#include <algorithm>
#include <csetjmp>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "palette/color_tables.h"
#include "platform/indexed_canvas.h"
#include "tests/test_support.h"
#include "view/vortan_frame_state.h"

namespace vortan::test {

struct LayoutCase {
    const char* name;
    bool withOrientation;
    int tables;    // with orientation
    int colors32;  // without orientation
    int shift;
    int dimming;
};

inline std::unique_ptr<VortanFrameState> MakeState(const LayoutCase& c) {
    auto state = std::make_unique<VortanFrameState>();
    state->m_withOrientation = c.withOrientation ? 1 : 0;
    state->m_withoutOrientation = c.withOrientation ? 0 : 1;
    state->m_colortableCount = c.tables;
    state->m_colors32 = c.colors32;
    state->m_colors64 = c.colors32 ? 0 : 1;
    state->m_colortableShift = c.shift;
    state->m_intensityDimming = c.dimming;
    BuildWindowPalette(*state);
    return state;
}

// A copy of the state whose palette can be ticked without notifying anyone.
inline std::unique_ptr<VortanFrameState> Twin(const VortanFrameState& state) {
    auto twin = std::make_unique<VortanFrameState>(state);
    twin->m_palette.SetAnimateListener(nullptr);
    return twin;
}

// Draws small disks of the given indices in a grid, leaving cleared gaps.
inline IndexedCanvas GridCanvas(const std::vector<int>& indices, int columns, int pitch = 5) {
    const int rows = (static_cast<int>(indices.size()) + columns - 1) / columns;
    IndexedCanvas canvas(columns * pitch + 2, rows * pitch + 2);
    for (std::size_t k = 0; k < indices.size(); ++k) {
        const int x = 2 + static_cast<int>(k % columns) * pitch;
        const int y = 2 + static_cast<int>(k / columns) * pitch;
        canvas.SelectPen(1, PALETTEINDEX(static_cast<std::uint32_t>(indices[k])));
        canvas.Ellipse(x, y, x + 2, y + 2);
    }
    return canvas;
}

inline std::vector<int> IndexRange(int first, int last) {
    std::vector<int> v;
    for (int i = first; i <= last; ++i) v.push_back(i);
    return v;
}

// Which indices the first rows of the canvas show, and whether any pixel is cleared.
struct CanvasUse {
    std::vector<bool> used = std::vector<bool>(256, false);
    bool cleared = false;
    int distinct = 0;
};
inline CanvasUse UseOf(const IndexedCanvas& canvas, int rows) {
    CanvasUse u;
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < canvas.Width(); ++x) {
            const CanvasPixel p = canvas.Pixel(x, y);
            if (p == kClearedPixel) {
                u.cleared = true;
            } else if (!u.used[p]) {
                u.used[p] = true;
                ++u.distinct;
            }
        }
    return u;
}

inline bool SameRgb(const GifColorType& c, const PaletteEntry& e) {
    return c.Red == e.peRed && c.Green == e.peGreen && c.Blue == e.peBlue;
}
inline bool IsBlack(const GifColorType& c) {
    return c.Red == 0 && c.Green == 0 && c.Blue == 0;
}

struct GifFrame {
    std::vector<GifColorType> colours;  // the frame's local table
    std::vector<GifByteType> indices;   // width * height, top row first
    int left = 0, top = 0, width = 0, height = 0;
    int delay = -1;  // hundredths, -1 without graphics control
    int disposal = -1;
    int transparent = -2;
};

struct GifPicture {
    bool ok = false;
    std::string error;
    int width = 0, height = 0;
    int globalColours = 0;
    std::vector<GifFrame> frames;
};

inline GifPicture ReadGif(const std::string& path) {
    GifPicture out;
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    if (!gif) {
        out.error = GifErrorString(error);
        return out;
    }
    if (DGifSlurp(gif) != GIF_OK) {
        out.error = GifErrorString(gif->Error);
        DGifCloseFile(gif, &error);
        return out;
    }
    out.width = gif->SWidth;
    out.height = gif->SHeight;
    out.globalColours = gif->SColorMap ? gif->SColorMap->ColorCount : 0;
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        GifFrame f;
        f.left = image.ImageDesc.Left;
        f.top = image.ImageDesc.Top;
        f.width = image.ImageDesc.Width;
        f.height = image.ImageDesc.Height;
        if (image.ImageDesc.ColorMap) {
            f.colours.assign(
                image.ImageDesc.ColorMap->Colors,
                image.ImageDesc.ColorMap->Colors + image.ImageDesc.ColorMap->ColorCount);
        }
        f.indices.assign(image.RasterBits,
                         image.RasterBits + static_cast<std::size_t>(f.width) * f.height);
        GraphicsControlBlock gcb{};
        if (DGifSavedExtensionToGCB(gif, i, &gcb) == GIF_OK) {
            f.delay = gcb.DelayTime;
            f.disposal = gcb.DisposalMode;
            f.transparent = gcb.TransparentColor;
        }
        out.frames.push_back(std::move(f));
    }
    DGifCloseFile(gif, &error);
    out.ok = true;
    return out;
}

struct PngPicture {
    bool ok = false;
    int width = 0, height = 0, bitDepth = 0, colourType = 0;
    std::vector<png_color> palette;
    std::vector<png_byte> indices;  // width * height
};

inline void JumpOnPngError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

// Every object the decoding touches lives in the caller, so that an error
// jumping back to the setjmp leaves nothing indeterminate.
struct PngReadScratch {
    std::vector<png_bytep> rows;
};

inline bool ReadPngInto(std::FILE* file, PngPicture& out, PngReadScratch& scratch) {
    png_structp png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, JumpOnPngError, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_init_io(png, file);
    png_read_info(png, info);
    out.width = static_cast<int>(png_get_image_width(png, info));
    out.height = static_cast<int>(png_get_image_height(png, info));
    out.bitDepth = png_get_bit_depth(png, info);
    out.colourType = png_get_color_type(png, info);
    png_colorp plte = nullptr;
    int count = 0;
    if (png_get_PLTE(png, info, &plte, &count) & PNG_INFO_PLTE)
        out.palette.assign(plte, plte + count);
    out.indices.resize(static_cast<std::size_t>(out.width) * out.height);
    scratch.rows.resize(out.height);
    for (int y = 0; y < out.height; ++y)
        scratch.rows[y] = out.indices.data() + static_cast<std::size_t>(y) * out.width;
    png_read_image(png, scratch.rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

// Reads an 8-bit palette PNG as it is stored (no expansion).
inline PngPicture ReadPng(const std::string& path) {
    PngPicture out;
    PngReadScratch scratch;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return out;
    out.ok = ReadPngInto(file, out, scratch);
    std::fclose(file);
    return out;
}

// Names in a folder, to see that no temporary file is left behind.
inline std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace vortan::test
