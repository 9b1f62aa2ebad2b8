#include "output/formats/png_encoder.h"

#include <png.h>

#include <cstdio>

namespace vortan {

namespace {

// Everything the encoder touches. libpng reports errors by longjmp out of
// RunEncoder, so the job holds plain pointers and the text buffer only.
struct PngJob {
    const PngPicture8* picture = nullptr;
    const PngByteSink* sink = nullptr;
    std::uint8_t* row = nullptr;  // one row of the picture
    char error[200] = {};
};

void OnPngError(png_structp png, png_const_charp message) {
    auto* job = static_cast<PngJob*>(png_get_error_ptr(png));
    std::snprintf(job->error, sizeof job->error, "%s", message ? message : "PNG encoder failure");
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

void WritePngBytes(png_structp png, png_bytep data, std::size_t length) {
    auto* job = static_cast<PngJob*>(png_get_io_ptr(png));
    if (!(*job->sink)(data, length)) png_error(png, "write error");
}

void FlushPng(png_structp) {}

int ColourType(PngColour colour) {
    switch (colour) {
        case PngColour::kGray:
            return PNG_COLOR_TYPE_GRAY;
        case PngColour::kGrayAlpha:
            return PNG_COLOR_TYPE_GRAY_ALPHA;
        case PngColour::kRgb:
            return PNG_COLOR_TYPE_RGB;
        case PngColour::kPalette:
            break;
    }
    return PNG_COLOR_TYPE_PALETTE;
}

// No object with a destructor may live in this function: an error jumps out
// of the libpng calls straight to the setjmp below.
bool RunEncoder(PngJob& job) {
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &job, OnPngError, OnPngWarning);
    if (!png) {
        std::snprintf(job.error, sizeof job.error, "out of memory");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        std::snprintf(job.error, sizeof job.error, "out of memory");
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    const PngPicture8& picture = *job.picture;
    png_set_write_fn(png, &job, WritePngBytes, FlushPng);
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width),
                 static_cast<png_uint_32>(picture.height), 8, ColourType(picture.colour),
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (picture.colour == PngColour::kPalette) {
        png_color plte[256];
        for (int i = 0; i < 256; ++i) {
            plte[i].red = picture.palette[3 * i];
            plte[i].green = picture.palette[3 * i + 1];
            plte[i].blue = picture.palette[3 * i + 2];
        }
        png_set_PLTE(png, info, plte, 256);
    }
    png_write_info(png, info);
    for (int y = 0; y < picture.height; ++y) {
        picture.fillRow(y, job.row);
        png_write_row(png, job.row);
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

int BytesPerPixel(PngColour colour) {
    switch (colour) {
        case PngColour::kGrayAlpha:
            return 2;
        case PngColour::kRgb:
            return 3;
        default:
            return 1;
    }
}

}  // namespace

bool EncodePng(const PngPicture8& picture, const PngByteSink& sink, std::string& error) {
    if (picture.width < 1 || picture.height < 1 || !picture.fillRow ||
        (picture.colour == PngColour::kPalette && !picture.palette)) {
        error = "the picture is empty";
        return false;
    }
    std::vector<std::uint8_t> row(static_cast<std::size_t>(picture.width) *
                                  static_cast<std::size_t>(BytesPerPixel(picture.colour)));
    PngJob job;
    job.picture = &picture;
    job.sink = &sink;
    job.row = row.data();
    if (!RunEncoder(job)) {
        error = job.error;
        return false;
    }
    return true;
}

std::vector<std::uint8_t> EncodePngToMemory(const PngPicture8& picture, std::string& error) {
    std::vector<std::uint8_t> bytes;
    const PngByteSink sink = [&](const std::uint8_t* data, std::size_t size) {
        bytes.insert(bytes.end(), data, data + size);
        return true;
    };
    if (!EncodePng(picture, sink, error)) return {};
    return bytes;
}

}  // namespace vortan
