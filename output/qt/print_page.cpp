#include "output/qt/print_page.h"

#include <QApplication>
#include <QDir>
#include <QObject>
#include <QPainter>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <memory>
#include <new>

#include "output/page_fit.h"
#include "output/qt/output_window.h"
#include "view/drawing_pass.h"

namespace vortan::qt {

namespace {

PrintDialogRunner& Runner() {
    static PrintDialogRunner runner;
    return runner;
}

// The application's printer: its settings last from one print to the next and
// it is released with the application object.
class PrinterHolder : public QObject {
  public:
    using QObject::QObject;
    QPrinter printer{QPrinter::HighResolution};
};

// What the print pass sees of the window: status texts and messages. The
// window may go while a message box is open, so it is reached through a guard.
class PrintHost : public IFrameHost {
  public:
    PrintHost(IOutputWindow& window, IUiService& ui)
        : m_window(window), m_alive(window.LifetimeObject()), m_ui(ui) {}
    int MessageBox(const std::string& text, const std::string& caption, unsigned type) override {
        return m_ui.MessageBox(text, caption, type);
    }
    void SetStatusText(const std::string& text, bool repaintFirst) override {
        if (m_alive) m_window.SetStatusText(QString::fromStdString(text), repaintFirst);
    }
    bool SetTimer(unsigned, std::uint32_t) override { return false; }  // printing starts no timer
    void KillTimer(unsigned) override {}

  private:
    IOutputWindow& m_window;
    QPointer<QObject> m_alive;
    IUiService& m_ui;
};

}  // namespace

void SetPrintDialogRunner(PrintDialogRunner runner) {
    Runner() = std::move(runner);
}

QPrinter* RunCurrentPrintDialog(QWidget* parent) {
    return Runner() ? Runner()(parent) : RunPrintDialog(parent);
}

QPrinter* RunPrintDialog(QWidget* parent) {
    static QPointer<PrinterHolder> holder;
    if (!holder) holder = new PrinterHolder(qApp);
    QPrinter& printer = holder->printer;
    // Without an installed printer the dialog still prints, to a PDF file.
    if (QPrinterInfo::availablePrinterNames().isEmpty() && printer.outputFileName().isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QDir::home().filePath("Vortan.pdf"));
    }
    QPrintDialog dialog(&printer, parent);
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize |
                      QAbstractPrintDialog::PrintCollateCopies);
    dialog.setPrintRange(QAbstractPrintDialog::AllPages);
    if (dialog.exec() != QDialog::Accepted) return nullptr;
    return &printer;
}

QImage InvertedPicture(const IndexedCanvas& canvas, const PaletteEntries& palette) {
    if (canvas.Width() <= 0 || canvas.Height() <= 0) return QImage();
    QImage image(canvas.Width(), canvas.Height(), QImage::Format_RGB32);
    if (image.isNull()) return image;
    // RGB32 rows are 4-byte pixels without padding, the layout ConvertToRgb32 writes.
    ConvertToRgb32(canvas, palette, reinterpret_cast<std::uint32_t*>(image.bits()));
    image.invertPixels(QImage::InvertRgb);
    return image;
}

void PlacePicture(QPainter& painter, const QImage& picture, const QRect& page) {
    if (picture.isNull()) return;
    const PageRect r =
        FitPictureToPage(picture.width(), picture.height(), page.width(), page.height());
    if (r.width <= 0 || r.height <= 0) return;
    painter.drawImage(QRect(page.x() + r.x, page.y() + r.y, r.width, r.height), picture);
}

void PrintPicture(IOutputWindow& window, QPainter* painter, const QRect& page) {
    const QPointer<QObject> alive(window.LifetimeObject());
    IUiService& ui = window.Ui();
    try {
        // The pass works on a copy of the record, so a window closed while a
        // message of the pass is open leaves nothing dangling.
        auto state = std::make_unique<VortanFrameState>(window.DrawingRecord());
        state->m_palette.SetAnimateListener({});
        const QSize client = window.ClientSize();
        IndexedCanvas canvas(std::max(client.width(), 0), std::max(client.height(), 0));
        PrintHost host(window, ui);
        RunDrawingPass(*state, canvas, host, PassKind::Print);
        // The colours the animation has reached now.
        const PaletteEntries& palette =
            alive ? window.PaletteColours() : state->m_palette.Entries();
        if (painter) PlacePicture(*painter, InvertedPicture(canvas, palette), page);
    } catch (const std::bad_alloc&) {
        ui.MessageBox("Not enough memory to print the picture.", "Error",
                      MB_OK | MB_ICONEXCLAMATION);
    }
    if (alive) window.SetStatusText(kPrintingPlaced, false);
}

}  // namespace vortan::qt
