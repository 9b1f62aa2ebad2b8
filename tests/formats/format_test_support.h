// Helpers of the export tests: palette states, small canvases, GIF and PNG readers.
#pragma once

#include <gif_lib.h>
#include <png.h>

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
    state->m_withOrientation = c.withOrientation;
    state->m_withoutOrientation = !c.withOrientation;
    state->m_colortableCount = c.tables;
    state->m_colors32 = c.colors32;
    state->m_colors64 = c.colors32 ? 0 : 1;
    state->m_colortableShift = c.shift;
    state->m_intensityDimming = c.dimming;
    BuildWindowPalette(*state);
    return state;
}

// Small disks of indices first..last in a grid of 16 columns, with cleared gaps.
inline IndexedCanvas GridCanvas(int first, int last) {
    const int n = last - first + 1, rows = (n + 15) / 16;
    IndexedCanvas canvas(16 * 5 + 2, rows * 5 + 2);
    for (int k = 0; k < n; ++k) {
        const int x = 2 + k % 16 * 5, y = 2 + k / 16 * 5;
        canvas.SelectPen(1, PALETTEINDEX(static_cast<std::uint32_t>(first + k)));
        canvas.Ellipse(x, y, x + 2, y + 2);
    }
    return canvas;
}

struct GifFrame {
    std::vector<GifColorType> colours;  // the frame's local table
    std::vector<GifByteType> indices;   // width * height, top row first
    int width = 0, height = 0, delay = -1;
};

struct GifPicture {
    bool ok = false;
    int width = 0, height = 0;
    std::vector<GifFrame> frames;
};

inline GifPicture ReadGif(const std::string& path) {
    GifPicture out;
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    if (!gif) return out;
    out.ok = DGifSlurp(gif) == GIF_OK;
    out.width = gif->SWidth;
    out.height = gif->SHeight;
    for (int i = 0; out.ok && i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        const ColorMapObject* map = image.ImageDesc.ColorMap;
        GifFrame f;
        f.width = image.ImageDesc.Width;
        f.height = image.ImageDesc.Height;
        if (map) f.colours.assign(map->Colors, map->Colors + map->ColorCount);
        f.indices.assign(image.RasterBits, image.RasterBits + f.width * f.height);
        GraphicsControlBlock gcb{};
        if (DGifSavedExtensionToGCB(gif, i, &gcb) == GIF_OK) f.delay = gcb.DelayTime;
        out.frames.push_back(std::move(f));
    }
    DGifCloseFile(gif, &error);
    return out;
}

struct PngPicture {
    bool ok = false;
    int width = 0, height = 0;
    std::vector<png_color> palette;
    std::vector<png_byte> indices;  // width * height
};

// A palette PNG's indices and colour map (libpng keeps the file's own there).
inline PngPicture ReadPng(const std::string& path) {
    PngPicture out;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return out;
    image.format = PNG_FORMAT_RGB_COLORMAP;
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    out.indices.resize(PNG_IMAGE_SIZE(image));
    std::vector<png_byte> map(PNG_IMAGE_COLORMAP_SIZE(image));
    out.ok = png_image_finish_read(&image, nullptr, out.indices.data(), 0, map.data()) != 0;
    for (unsigned i = 0; i < image.colormap_entries; ++i)
        out.palette.push_back({map[3 * i], map[3 * i + 1], map[3 * i + 2]});
    return out;
}

}  // namespace vortan::test
