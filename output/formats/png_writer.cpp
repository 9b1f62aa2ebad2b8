// Indexed PNG export: 8-bit palette image, PLTE from the palette's current
// entries, cleared pixels written as the entry nearest to black.
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <vector>

#include "output/formats/export_messages.h"
#include "output/formats/formats.h"

namespace vortan {

namespace {

// Everything the encoder touches; plain data only, since libpng reports
// errors by longjmp out of EncodePng.
struct PngJob {
    AtomicFile* file = nullptr;
    const IndexedCanvas* canvas = nullptr;
    const PaletteEntries* palette = nullptr;
    int rows = 0;
    png_byte black = 0;
    png_byte* row = nullptr;  // width bytes
    char error[200] = {};
};

void OnPngError(png_structp png, png_const_charp message) {
    auto* job = static_cast<PngJob*>(png_get_error_ptr(png));
    std::snprintf(job->error, sizeof job->error, "%s", message ? message : "PNG encoder failure");
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

// The encoder's output. A failed write ends the encoding through OnPngError;
// the file keeps the failure, so the job's text is not used then.
void WritePngBytes(png_structp png, png_bytep data, std::size_t length) {
    auto* job = static_cast<PngJob*>(png_get_io_ptr(png));
    if (!job->file->Write(data, length)) png_error(png, "write error");
}

void FlushPng(png_structp) {}

// No object with a destructor may live in this function: an error jumps out
// of the libpng calls straight to the setjmp below.
bool EncodePng(PngJob& job) {
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
    const int width = job.canvas->Width();
    png_set_write_fn(png, &job, WritePngBytes, FlushPng);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(job.rows), 8,
                 PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_color plte[kPaletteSize];
    for (int i = 0; i < kPaletteSize; ++i) {
        plte[i].red = (*job.palette)[i].peRed;
        plte[i].green = (*job.palette)[i].peGreen;
        plte[i].blue = (*job.palette)[i].peBlue;
    }
    png_set_PLTE(png, info, plte, kPaletteSize);
    png_write_info(png, info);
    for (int y = 0; y < job.rows; ++y) {
        const CanvasPixel* pixels = job.canvas->Row(y);
        for (int x = 0; x < width; ++x) {
            job.row[x] =
                pixels[x] == kClearedPixel ? job.black : static_cast<png_byte>(pixels[x] & 0xFF);
        }
        png_write_row(png, job.row);
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool WriteIndexedPng(const std::string& path, const IndexedCanvas& canvas,
                     const PaletteEntries& palette, int pictureHeight, IMessageSink& sink) {
    auto fail = [&](const std::string& text) {
        sink.MessageBox(text, "Error", MB_OK | MB_ICONEXCLAMATION);
        return false;
    };
    const int width = canvas.Width();
    const int rows = pictureHeight < 0 ? canvas.Height() : std::min(pictureHeight, canvas.Height());
    if (width < 1 || rows < 1) return fail(UnableToWriteText(path, "the picture is empty"));

    std::vector<png_byte> row(static_cast<std::size_t>(width));
    AtomicFile file;
    if (!file.Open(path)) return fail(FileFailureText(path, file));

    PngJob job;
    job.file = &file;
    job.canvas = &canvas;
    job.palette = &palette;
    job.rows = rows;
    job.black = static_cast<png_byte>(NearestPaletteEntry(palette, 0, 0, 0));
    job.row = row.data();
    if (!EncodePng(job)) {
        if (file.FailedStep() != AtomicFile::Step::kNone) return fail(FileFailureText(path, file));
        return fail(UnableToWriteText(path, job.error));
    }
    if (!file.Commit()) return fail(FileFailureText(path, file));
    return true;
}

}  // namespace vortan
