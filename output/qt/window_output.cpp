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
#include "output/qt/output_window.h"
#include "output/qt/print_page.h"
#include "view/drawing_pass.h"

namespace vortan::qt {

namespace {

constexpr const char* kBitmapFilter = "Bitmap Files (*.bmp)|*.bmp|All Files (*.*)|*.*||";

void Report(IOutputWindow& window, const char* step) {
    window.Ui().MessageBox(step, kAppName, MB_OK);
}

// The client area as the screen shows it, as palette indices: the picture
// rows from the canvas (cleared pixels as the entry nearest to black), the
// status strip as grabbed from the screen, each pixel as its nearest entry.
std::vector<std::uint8_t> ClientIndices(IOutputWindow& window, int width, int height,
                                        const PaletteEntries& palette) {
    std::vector<std::uint8_t> indices(static_cast<std::size_t>(width) * height);
    const IndexedCanvas& canvas = window.Canvas();
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
    QImage strip = window.GrabStatusBar();
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
                // qRed, qGreen and qBlue give 0..255.
                const int i = NearestPaletteEntry(palette, static_cast<std::uint8_t>(qRed(c)),
                                                  static_cast<std::uint8_t>(qGreen(c)),
                                                  static_cast<std::uint8_t>(qBlue(c)));
                it = nearest.emplace(c, static_cast<std::uint8_t>(i)).first;
            }
            row[x] = it->second;
        }
    }
    return indices;
}

// Captures the client area and writes it to path; false (after one message
// naming the failed step) when nothing was written.
bool SaveBitmapFile(IOutputWindow& window, const std::string& path) {
    const QSize client = window.ClientSize();
    const int width = std::max(client.width(), 0);
    const int height = std::max(client.height(), 0);
    // The file's 32-bit size field bounds what one bitmap can hold.
    const std::uint64_t imageSize =
        static_cast<std::uint64_t>(BitmapImageSize(width, 1, 8)) * height;
    if (imageSize + 14 + 40 + 4 * 256 > std::numeric_limits<std::uint32_t>::max()) {
        Report(window, "GlobalAlloc");
        return false;
    }
    std::vector<std::uint8_t> bytes;
    try {
        // No tick runs meanwhile: the colour table matches the captured screen.
        const PaletteEntries palette = window.PaletteColours();
        const std::vector<std::uint8_t> indices = ClientIndices(window, width, height, palette);
        bytes = EncodeBitmap8(indices.data(), width, height, palette);
    } catch (const std::bad_alloc&) {
        Report(window, "GlobalAlloc");
        return false;
    }
    return WriteFileAtomically(path, bytes, window.Ui(), kAppName);
}

}  // namespace

void FilePrint(IOutputWindow& window) {
    const QPointer<QObject> alive(window.LifetimeObject());
    window.SetStatusText(kPrintingStarted, false);
    QPrinter* printer = RunCurrentPrintDialog(nullptr);
    if (!alive || printer == nullptr) return;

    printer->setDocName(kPrintDocumentName);
    QPainter painter;
    // A printer that does not start is not reported; the pass still runs.
    const bool started = painter.begin(printer);
    const QRect page =
        started ? QRect(QPoint(0, 0),
                        printer->pageLayout().paintRectPixels(printer->resolution()).size())
                : QRect();
    PrintPicture(window, started ? &painter : nullptr, page);
    if (alive) window.SetStatusText(kPrintingEnded, false);
    if (started) painter.end();
}

void SaveBitmap(IOutputWindow& window) {
    if (!window.BitmapTitle().empty()) {
        SaveBitmapFile(window, window.BitmapPath());
        return;
    }
    SaveBitmapAs(window);
}

void SaveBitmapAs(IOutputWindow& window) {
    FileDialogRequest request;
    request.save = true;
    request.defaultExtension = "bmp";
    request.initialName = window.BitmapPath();
    request.filter = kBitmapFilter;
    request.overwritePrompt = true;
    request.pathMustExist = true;
    const QPointer<QObject> alive(window.LifetimeObject());
    const std::optional<FileDialogResult> chosen = window.Ui().FileDialog(request);
    if (!alive || !chosen) return;
    if (SaveBitmapFile(window, chosen->path)) window.RememberBitmap(chosen->path, chosen->title);
}

}  // namespace vortan::qt
