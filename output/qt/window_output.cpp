#include "output/qt/window_output.h"

#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QPrinter>
#include <cstdint>
#include <limits>
#include <new>
#include <unordered_map>
#include <vector>

#include "output/bitmap_file.h"
#include "output/qt/print_page.h"
#include "view/drawing_pass.h"
#include "view/qt/vortan_frame.h"

namespace vortan::qt {

namespace {

constexpr const char* kBitmapFilter = "Bitmap Files (*.bmp)|*.bmp|All Files (*.*)|*.*||";

void Report(CVortanFrame& frame, const char* step) {
    frame.Ui().MessageBox(step, kAppName, MB_OK);
}

// The client area as the screen shows it, as palette indices: the picture
// rows from the canvas (cleared pixels as the entry nearest to black), the
// status strip as grabbed from the screen, each pixel as its nearest entry.
std::vector<std::uint8_t> ClientIndices(CVortanFrame& frame, int width, int height,
                                        const PaletteEntries& palette) {
    std::vector<std::uint8_t> indices(static_cast<std::size_t>(width) * height);
    const IndexedCanvas& canvas = frame.Canvas();
    const auto black = static_cast<std::uint8_t>(NearestPaletteEntry(palette, 0, 0, 0));
    const int pictureRows = std::max(height - kStatusBarHeight, 0);
    for (int y = 0; y < pictureRows; ++y) {
        std::uint8_t* row = indices.data() + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            const bool drawn = y < canvas.Height() && x < canvas.Width();
            const CanvasPixel p = drawn ? canvas.Pixel(x, y) : kClearedPixel;
            row[x] = p == kClearedPixel ? black : static_cast<std::uint8_t>(p);
        }
    }
    if (pictureRows >= height) return indices;

    const int stripRows = height - pictureRows;
    QImage strip = frame.GrabStatusBar();
    if (!strip.isNull() && (strip.width() != width || strip.height() != stripRows))
        strip = strip.scaled(width, stripRows);  // a high-density screen grabs more pixels
    strip = strip.convertToFormat(QImage::Format_RGB32);
    std::unordered_map<QRgb, std::uint8_t> nearest;
    for (int y = 0; y < stripRows; ++y) {
        std::uint8_t* row = indices.data() + static_cast<std::size_t>(pictureRows + y) * width;
        if (strip.isNull()) {
            std::fill_n(row, width, black);
            continue;
        }
        const auto* src = reinterpret_cast<const QRgb*>(strip.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            const QRgb c = src[x] | 0xFF000000u;
            auto it = nearest.find(c);
            if (it == nearest.end()) {
                const int i = NearestPaletteEntry(palette, qRed(c), qGreen(c), qBlue(c));
                it = nearest.emplace(c, static_cast<std::uint8_t>(i)).first;
            }
            row[x] = it->second;
        }
    }
    return indices;
}

// Captures the client area and writes it to path; false (after one message
// naming the failed step) when nothing was written.
bool SaveBitmapFile(CVortanFrame& frame, const std::string& path) {
    const QSize client = frame.ClientSize();
    const int width = std::max(client.width(), 0);
    const int height = std::max(client.height(), 0);
    // The file's 32-bit size field bounds what one bitmap can hold.
    const std::uint64_t imageSize =
        static_cast<std::uint64_t>(BitmapImageSize(width, 1, 8)) * height;
    if (imageSize + 14 + 40 + 4 * 256 > std::numeric_limits<std::uint32_t>::max()) {
        Report(frame, "GlobalAlloc");
        return false;
    }
    std::vector<std::uint8_t> bytes;
    try {
        // No tick runs meanwhile: the colour table matches the captured screen.
        const PaletteEntries palette = frame.m_palette.Entries();
        const std::vector<std::uint8_t> indices = ClientIndices(frame, width, height, palette);
        bytes = EncodeBitmap8(indices.data(), width, height, palette);
    } catch (const std::bad_alloc&) {
        Report(frame, "GlobalAlloc");
        return false;
    }
    return WriteFileAtomically(path, bytes, frame.Ui(), kAppName);
}

}  // namespace

void FilePrint(CVortanFrame& frame) {
    QPointer<CVortanFrame> guard(&frame);
    SetPrintStatus(frame, kPrintingStarted, false);
    QPrinter* printer = RunCurrentPrintDialog(nullptr);
    if (!guard || printer == nullptr) return;

    printer->setDocName(kPrintDocumentName);
    QPainter painter;
    // A printer that does not start is not reported; the pass still runs.
    const bool started = painter.begin(printer);
    const QRect page =
        started ? QRect(QPoint(0, 0),
                        printer->pageLayout().paintRectPixels(printer->resolution()).size())
                : QRect();
    PrintPicture(frame, started ? &painter : nullptr, page);
    if (guard) SetPrintStatus(*guard, kPrintingEnded, false);
    if (started) painter.end();
}

void SaveBitmap(CVortanFrame& frame) {
    if (!frame.m_bitmapTitle.empty()) {
        SaveBitmapFile(frame, frame.m_bitmapPath);
        return;
    }
    SaveBitmapAs(frame);
}

void SaveBitmapAs(CVortanFrame& frame) {
    FileDialogRequest request;
    request.save = true;
    request.defaultExtension = "bmp";
    request.initialName = frame.m_bitmapPath;
    request.filter = kBitmapFilter;
    request.overwritePrompt = true;
    request.pathMustExist = true;
    QPointer<CVortanFrame> guard(&frame);
    const std::optional<FileDialogResult> chosen = frame.Ui().FileDialog(request);
    if (!guard || !chosen) return;
    // The file is remembered only once it was written.
    if (SaveBitmapFile(frame, chosen->path)) {
        frame.m_bitmapTitle = chosen->title;
        frame.m_bitmapPath = chosen->path;
    }
}

}  // namespace vortan::qt
