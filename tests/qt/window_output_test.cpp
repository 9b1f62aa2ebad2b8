#include "output/qt/window_output.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "output/qt/print_page.h"
#include "palette/color_tables.h"
#include "res/resources.h"
#include "tests/qt/frame_test_support.h"
#include "view/drawing_pass.h"

namespace {

using vortan::test::FakeUiService;
using vortan::test::FrameParams;
namespace res = vortan::res;
namespace vqt = vortan::qt;

std::uint32_t U32(const std::string& b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
    return v;
}
std::uint16_t U16(const std::string& b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                      (static_cast<unsigned char>(b[at + 1]) << 8));
}

// White for the cleared black, else the inverse of the palette colour.
QRgb PrintedColour(vortan::CanvasPixel p, const vortan::PaletteEntries& palette) {
    const vortan::Rgb c = vortan::PixelColour(p, palette);
    return qRgb(255 - c.r, 255 - c.g, 255 - c.b);
}

// The colour table a file must hold for the palette: blue, green, red, 0.
std::string ColourTable(const vortan::PaletteEntries& palette) {
    std::string out;
    for (const auto& e : palette) {
        out += static_cast<char>(e.peBlue);
        out += static_cast<char>(e.peGreen);
        out += static_cast<char>(e.peRed);
        out += '\0';
    }
    return out;
}

int DrawnPixels(const vortan::IndexedCanvas& canvas) {
    int n = 0;
    for (vortan::CanvasPixel p : canvas.Pixels()) n += p != vortan::kClearedPixel;
    return n;
}

class OutputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_input = m_dir.file("lines.math");
        vortan::test::WriteTextFile(m_input, vortan::test::FrameInputText(120, 90, 2));
        vqt::SetPrintStatusObserver(
            [this](const QString& t) { m_status.push_back(t.toStdString()); });
    }
    void TearDown() override {
        vqt::SetPrintDialogRunner({});
        vqt::SetPrintStatusObserver({});
        if (m_frame) m_frame->close();
        vortan::test::FlushDeletes();
    }

    // Created, shown, first pass run; the timer is off so only the test moves the palette.
    CVortanFrame* Shown(vortan::AnimationParameters p) {
        p.m_animationOn = 0;
        auto* f = new CVortanFrame(m_ui, nullptr);
        vortan::ApplyAnimationParameters(p, *f);
        m_frame = f;
        EXPECT_TRUE(f->Create());
        f->ActivateFrame();
        EXPECT_TRUE(QTest::qWaitFor([f] { return f->PassCount() >= 1; }, 5000));
        return f;
    }
    CVortanFrame* Shown() { return Shown(FrameParams(m_input)); }
    // A frame for a w x h picture with its own input file.
    CVortanFrame* ShownSized(int w, int h) {
        const std::string path = m_dir.file("sized.math");
        vortan::test::WriteTextFile(path, vortan::test::FrameInputText(float(w), float(h), 2));
        auto p = FrameParams(path);
        p.m_imageWidth = w;
        p.m_imageHeight = h;
        return Shown(p);
    }

    // Prints the frame onto an image page filled with a marker colour first.
    QImage PrintToImage(CVortanFrame* f, int pageW, int pageH, QRgb marker = qRgb(255, 0, 0)) {
        QImage page(pageW, pageH, QImage::Format_RGB32);
        page.fill(marker);
        QPainter painter(&page);
        vqt::PrintPicture(*f, &painter, QRect(0, 0, pageW, pageH));
        painter.end();
        return page;
    }

    // Every pixel of the client area, printed at scale 1, against the screen.
    void ExpectPageIsInvertedScreen(CVortanFrame* f, const QImage& page) {
        const auto& canvas = f->Canvas();
        const auto& palette = f->m_palette.Entries();
        ASSERT_EQ(canvas.Width(), f->ClientSize().width());
        ASSERT_EQ(canvas.Height(), f->ClientSize().height());
        for (int y = 0; y < canvas.Height(); ++y)
            for (int x = 0; x < canvas.Width(); ++x)
                ASSERT_EQ(page.pixel(x, y), PrintedColour(canvas.Pixel(x, y), palette))
                    << x << "," << y;
    }

    vortan::test::TempDir m_dir;
    std::string m_input;
    FakeUiService m_ui;
    QPointer<CVortanFrame> m_frame;
    std::vector<std::string> m_status;
};

// ---- printing -------------------------------------------------------------

TEST_F(OutputTest, PrintedPageIsTheInvertedScreenThroughTheCurrentPalette) {
    CVortanFrame* f = Shown();
    ASSERT_GT(DrawnPixels(f->Canvas()), 100);
    for (int i = 0; i < 5; ++i) f->OnTimer();  // colours the animation has reached
    const QImage page = PrintToImage(f, 120, 300);
    ExpectPageIsInvertedScreen(f, page);
    EXPECT_EQ(page.pixel(0, 0), qRgb(255, 255, 255));     // black background prints white
    EXPECT_EQ(page.pixel(60, 119), qRgb(255, 255, 255));  // the status strip rows too
    EXPECT_EQ(page.pixel(60, 120), qRgb(255, 0, 0));      // below the picture: untouched page
    EXPECT_TRUE(m_ui.messages.empty());
    EXPECT_EQ(f->StatusText().toStdString(), vqt::kPrintingPlaced);
}

TEST_F(OutputTest, PrintedPictureEqualsScreenForRangesAndRecordLengthsTheOldPassGotWrong) {
    // Ranges 0.2..0.9 (an integer extent of 0) and -0.5..0.5 (an integer minimum of 0),
    // records of 201 to 1000 characters.
    struct Case {
        float lo, hi;
        std::size_t recordLength;
    };
    for (const Case c : {Case{0.2f, 0.9f, 500}, Case{-0.5f, 0.5f, 999}, Case{0.0f, 1.5f, 201}}) {
        const std::string path = m_dir.file("ranges.math");
        std::string text =
            vortan::test::HeaderText({120, 90, 2, 1.0f, 50.0f, c.lo, c.hi, c.lo, c.hi, c.lo, c.hi});
        const float span = c.hi - c.lo;
        const std::vector<float> t = {0.0f, 0.5f, 1.0f};
        auto at = [&](float u) { return c.lo + u * span; };
        text += vortan::test::PadRecord(
            vortan::test::ClassicRecord(
                t, {{at(0.1f), at(0.5f), at(0.9f)}, {at(0.2f), at(0.5f), at(0.8f)}}),
            c.recordLength);
        text += vortan::test::PadRecord(
            vortan::test::ClassicRecord(
                t, {{at(0.9f), at(0.5f), at(0.2f)}, {at(0.3f), at(0.6f), at(0.7f)}}),
            c.recordLength);
        vortan::test::WriteTextFile(path, text);
        if (m_frame) m_frame->close();
        vortan::test::FlushDeletes();
        CVortanFrame* f = Shown(FrameParams(path));
        SCOPED_TRACE(c.lo);
        ASSERT_GT(DrawnPixels(f->Canvas()), 100);
        ExpectPageIsInvertedScreen(f, PrintToImage(f, 120, 200));
    }
}

TEST_F(OutputTest, PictureKeepsItsAspectRatioOnPortraitAndLandscapePages) {
    struct Case {
        int pageW, pageH;
        QRect picture;  // where the 120 x 120 client area lands
    };
    const Case cases[] = {
        {240, 400, QRect(0, 0, 240, 240)},   // portrait: page width, at the top
        {400, 240, QRect(80, 0, 240, 240)},  // landscape: page height, centred
        {60, 1000, QRect(0, 0, 60, 60)},
    };
    CVortanFrame* f = Shown();
    const QRgb marker = qRgb(255, 0, 0);
    for (const Case& c : cases) {
        const QImage page = PrintToImage(f, c.pageW, c.pageH, marker);
        for (int y = 0; y < c.pageH; ++y)
            for (int x = 0; x < c.pageW; ++x)
                ASSERT_EQ(page.pixel(x, y) != marker, c.picture.contains(x, y))
                    << c.pageW << "x" << c.pageH << " at " << x << "," << y;
        // Scaled, but the same picture: corners white, a streamlet pixel inverted.
        EXPECT_EQ(page.pixel(c.picture.left(), c.picture.top()), qRgb(255, 255, 255));
    }
    // A non-square client area (160 x 60 + 30) on a landscape page: height-limited, ratio kept.
    if (m_frame) m_frame->close();
    vortan::test::FlushDeletes();
    CVortanFrame* wide = ShownSized(160, 60);
    const QImage page = PrintToImage(wide, 500, 180, marker);
    int minX = 500, maxX = -1, maxY = -1;
    for (int y = 0; y < 180; ++y)
        for (int x = 0; x < 500; ++x)
            if (page.pixel(x, y) != marker) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                maxY = std::max(maxY, y);
            }
    EXPECT_EQ(maxY, 179);
    EXPECT_EQ(maxX - minX + 1, 320);  // 160 * 180 / 90
    EXPECT_EQ(minX, 90);
}

TEST_F(OutputTest, PrintCommandIntoAPdfFile) {
    CVortanFrame* f = Shown();
    const std::string pdf = m_dir.file("page.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
    std::string statusAtDialog;
    vqt::SetPrintDialogRunner([&](QWidget*) {
        statusAtDialog = f->StatusText().toStdString();
        return &printer;
    });
    m_status.clear();
    EXPECT_TRUE(f->OnCommand(res::ID_FILE_PRINT));
    EXPECT_EQ(statusAtDialog, "   Printing... ");
    EXPECT_EQ(printer.docName(), "Vortan");
    // Texts in order: start, the pass's progress per streamline, its end, placed, ended.
    const std::vector<std::string> want = {
        "   Printing... ",     "   Printing:   0%", "   Printing:   33%", "   Printing:   67%",
        "   Printing:   DONE", "  Printing: DONE",  "   Printing: DONE"};
    EXPECT_EQ(m_status, want);
    EXPECT_EQ(f->StatusText(), "   Printing: DONE");
    const std::string bytes = vortan::test::ReadWholeFile(pdf);
    ASSERT_GT(bytes.size(), 500u);
    EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
    EXPECT_NE(bytes.find("/Image"), std::string::npos);  // the picture is on the page
    EXPECT_TRUE(m_ui.messages.empty());
}

TEST_F(OutputTest, CancelledPrintDialogLeavesTheStartText) {
    CVortanFrame* f = Shown();
    int dialogs = 0;
    vqt::SetPrintDialogRunner([&](QWidget*) -> QPrinter* {
        ++dialogs;
        return nullptr;
    });
    m_status.clear();
    f->OnCommand(res::ID_FILE_PRINT);
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(m_status, (std::vector<std::string>{"   Printing... "}));
    EXPECT_EQ(f->StatusText(), "   Printing... ");
    EXPECT_TRUE(m_ui.messages.empty());
}

TEST_F(OutputTest, UnopenableFileGivesItsMessageAndAWhitePage) {
    CVortanFrame* f = Shown();
    const std::string missing = m_dir.file("gone.math");
    f->m_inputPath = missing;
    const std::string pdf = m_dir.file("white.pdf");
    QImage page(120, 200, QImage::Format_RGB32);
    page.fill(qRgb(255, 0, 0));
    // The command with a printer that draws into an image is not possible; run the
    // command for the texts and the message, and the pass onto an image for the page.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
    vqt::SetPrintDialogRunner([&](QWidget*) { return &printer; });
    std::string statusAtMessage;
    m_ui.onMessage = [&](const FakeUiService::Message&) {
        statusAtMessage = f->StatusText().toStdString();
    };
    m_status.clear();
    f->OnCommand(res::ID_FILE_PRINT);
    ASSERT_EQ(m_ui.messages.size(), 1u);
    EXPECT_EQ(m_ui.messages[0].text, "Unable to open " + missing);
    EXPECT_EQ(m_ui.messages[0].caption, "Error");
    EXPECT_EQ(m_ui.messages[0].type, vortan::MB_OK | vortan::MB_ICONEXCLAMATION);
    EXPECT_EQ(statusAtMessage, "   Printing... ");
    EXPECT_EQ(m_status, (std::vector<std::string>{"   Printing... ", "   Printing:   DONE",
                                                  "  Printing: DONE", "   Printing: DONE"}));
    EXPECT_EQ(vortan::test::ReadWholeFile(pdf).substr(0, 5), "%PDF-");  // the page was still made

    m_ui.Clear();
    const QImage printed = PrintToImage(f, 120, 200);
    EXPECT_EQ(m_ui.messages.size(), 1u);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 120; ++x)
            ASSERT_EQ(printed.pixel(x, y), qRgb(255, 255, 255)) << x << "," << y;
    // The screen is untouched by printing.
    EXPECT_GT(DrawnPixels(f->Canvas()), 100);
}

// ---- bitmap export --------------------------------------------------------

class BitmapTest : public OutputTest {};

TEST_F(BitmapTest, WorkedHeaders) {
    struct Case {
        int w, h;  // picture; the client area is 30 rows taller
        std::uint32_t stride, offset, fileSize;
    };
    const Case cases[] = {
        {640, 450, 640, 1078, 308278},
        {641, 450, 644, 1078, 1078 + 644 * 480},
        {3, 2, 4, 1078, 1078 + 4 * 32},
    };
    for (const Case& c : cases) {
        if (m_frame) m_frame->close();
        vortan::test::FlushDeletes();
        CVortanFrame* f = ShownSized(c.w, c.h);
        const std::string path = m_dir.file("shot.bmp");
        m_ui.ChooseFile(path);
        f->OnCommand(res::ID_SAVE_BITMAP_AS);
        const std::string b = vortan::test::ReadWholeFile(path);
        ASSERT_EQ(b.size(), c.fileSize) << c.w;
        EXPECT_EQ(b.substr(0, 2), "BM");
        EXPECT_EQ(U32(b, 2), c.fileSize);
        EXPECT_EQ(U32(b, 10), c.offset);
        EXPECT_EQ(U32(b, 14), 40u);
        EXPECT_EQ(U32(b, 18), std::uint32_t(c.w));
        EXPECT_EQ(U32(b, 22), std::uint32_t(c.h + 30));
        EXPECT_EQ(U16(b, 26), 1);
        EXPECT_EQ(U16(b, 28), 8);
        EXPECT_EQ(U32(b, 30), 0u);
        EXPECT_EQ(U32(b, 34), c.stride * (c.h + 30));
        EXPECT_EQ(U32(b, 46), 256u);
        EXPECT_TRUE(m_ui.messages.empty());
    }
}

TEST_F(BitmapTest, FileHoldsTheScreenAndTheLivePalette) {
    CVortanFrame* f = Shown();
    for (int i = 0; i < 7; ++i) f->OnTimer();
    const std::string path = m_dir.file("live.bmp");
    m_ui.ChooseFile(path);
    f->OnCommand(res::ID_SAVE_BITMAP_AS);
    const std::string b = vortan::test::ReadWholeFile(path);
    ASSERT_EQ(b.size(), 1078u + 120 * 120);
    const auto& palette = f->m_palette.Entries();
    EXPECT_TRUE(b.substr(54, 1024) == ColourTable(palette));
    // The table is the animated palette, not the one built at creation.
    auto fresh = std::make_unique<vortan::VortanFrameState>();
    fresh->m_withOrientation = 1;
    fresh->m_colortableCount = 3;
    vortan::BuildWindowPalette(*fresh);
    EXPECT_TRUE(b.substr(54, 1024) != ColourTable(fresh->m_palette.Entries()));
    // Picture rows, bottom row first: the drawn indices; cleared pixels a black entry.
    const auto& canvas = f->Canvas();
    for (int y = 0; y < 90; ++y) {
        for (int x = 0; x < 120; ++x) {
            const auto index = static_cast<unsigned char>(b[1078 + (119 - y) * 120 + x]);
            const vortan::CanvasPixel p = canvas.Pixel(x, y);
            if (p == vortan::kClearedPixel)
                ASSERT_EQ(vortan::PixelColour(index, palette), vortan::Rgb{}) << x << "," << y;
            else
                ASSERT_EQ(index, p) << x << "," << y;
        }
    }
    // The status strip as on screen: its text shows as more than one colour, and
    // each pixel is the entry nearest to the grabbed colour.
    const QImage strip = f->GrabStatusBar().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(strip.size(), QSize(120, 30));
    std::set<int> stripIndices;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 120; ++x) {
            const auto index = static_cast<unsigned char>(b[1078 + (29 - y) * 120 + x]);
            stripIndices.insert(index);
            const QRgb c = strip.pixel(x, y);
            ASSERT_EQ(index, vortan::NearestPaletteEntry(palette, qRed(c), qGreen(c), qBlue(c)));
        }
    }
    EXPECT_GE(stripIndices.size(), 2u);
}

TEST_F(BitmapTest, SaveBitmapAsksOnceThenWritesSilently) {
    CVortanFrame* f = Shown();
    const std::string path = m_dir.file("pic.bmp");
    m_ui.ChooseFile(path);
    f->OnCommand(res::ID_SAVE_BITMAP);
    ASSERT_EQ(m_ui.fileRequests.size(), 1u);
    const vortan::FileDialogRequest& r = m_ui.fileRequests[0];
    EXPECT_TRUE(r.save);
    EXPECT_EQ(r.defaultExtension, "bmp");
    EXPECT_EQ(r.initialName, "");
    EXPECT_EQ(r.filter, "Bitmap Files (*.bmp)|*.bmp|All Files (*.*)|*.*||");
    EXPECT_TRUE(r.overwritePrompt);
    EXPECT_TRUE(r.pathMustExist);
    EXPECT_EQ(f->m_bitmapPath, path);
    EXPECT_EQ(f->m_bitmapTitle, "pic.bmp");
    const std::string first = vortan::test::ReadWholeFile(path);
    ASSERT_EQ(first.size(), 1078u + 120 * 120);

    f->OnTimer();  // the palette moves: the next file differs in its colour table
    f->OnCommand(res::ID_SAVE_BITMAP);
    EXPECT_EQ(m_ui.fileRequests.size(), 1u);
    EXPECT_TRUE(m_ui.messages.empty());
    const std::string second = vortan::test::ReadWholeFile(path);
    ASSERT_EQ(second.size(), first.size());
    EXPECT_TRUE(second.substr(54, 1024) == ColourTable(f->m_palette.Entries()));
    EXPECT_TRUE(second.substr(54, 1024) != first.substr(54, 1024));

    // Save Bitmap As offers the remembered file.
    m_ui.CancelFileDialog();
    f->OnCommand(res::ID_SAVE_BITMAP_AS);
    ASSERT_EQ(m_ui.fileRequests.size(), 2u);
    EXPECT_EQ(m_ui.fileRequests[1].initialName, path);
}

TEST_F(BitmapTest, CancelledDialogChangesNothing) {
    CVortanFrame* f = Shown();
    const std::string path = m_dir.file("keep.bmp");
    m_ui.ChooseFile(path);
    f->OnCommand(res::ID_SAVE_BITMAP_AS);
    const std::string before = vortan::test::ReadWholeFile(path);
    f->OnTimer();
    m_ui.CancelFileDialog();
    f->OnCommand(res::ID_SAVE_BITMAP_AS);
    EXPECT_EQ(f->m_bitmapPath, path);
    EXPECT_EQ(f->m_bitmapTitle, "keep.bmp");
    EXPECT_EQ(vortan::test::ReadWholeFile(path), before);
    EXPECT_TRUE(m_ui.messages.empty());
    // Before any save, a cancelled Save Bitmap leaves both empty.
    if (m_frame) m_frame->close();
    vortan::test::FlushDeletes();
    CVortanFrame* g = Shown();
    m_ui.CancelFileDialog();
    g->OnCommand(res::ID_SAVE_BITMAP);
    EXPECT_EQ(g->m_bitmapPath, "");
    EXPECT_EQ(g->m_bitmapTitle, "");
}

TEST_F(BitmapTest, UncreatableFileGivesOneMessageAndKeepsWhatWasThere) {
    // The tests run as root, for whom a read-only folder is writable: creation is made
    // to fail with a folder that does not exist and with a target that is a folder.
    CVortanFrame* f = Shown();
    const std::string good = m_dir.file("good.bmp");
    m_ui.ChooseFile(good);
    f->OnCommand(res::ID_SAVE_BITMAP_AS);
    const std::string saved = vortan::test::ReadWholeFile(good);
    ASSERT_FALSE(saved.empty());

    const std::string folderTarget = m_dir.file("afolder");
    std::filesystem::create_directory(folderTarget);
    for (const std::string& bad : {m_dir.file("missing/dir/x.bmp"), folderTarget}) {
        m_ui.Clear();
        m_ui.ChooseFile(bad);
        f->OnCommand(res::ID_SAVE_BITMAP_AS);
        ASSERT_EQ(m_ui.messages.size(), 1u) << bad;
        EXPECT_EQ(m_ui.messages[0],
                  (FakeUiService::Message{"CreateFile", "vortan", vortan::MB_OK}));
        // A failed save is not remembered; the earlier file stays as it was.
        EXPECT_EQ(f->m_bitmapPath, good);
        EXPECT_EQ(f->m_bitmapTitle, "good.bmp");
        EXPECT_EQ(vortan::test::ReadWholeFile(good), saved);
    }
    EXPECT_TRUE(std::filesystem::is_directory(folderTarget));
    EXPECT_TRUE(std::filesystem::is_empty(folderTarget));
    // No temporary files are left behind.
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(m_dir.path()))
        files += e.is_regular_file();
    EXPECT_EQ(files, 2);  // lines.math and good.bmp
}

}  // namespace

namespace {

// The real print dialog, answered by a script: its options, cancel, then OK
// printing into the PDF file the dialog offers.
TEST_F(OutputTest, RealPrintDialogOffersAllPagesAndPrintingToAFile) {
    CVortanFrame* f = Shown();
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", QByteArray::fromStdString(m_dir.path()));
    {
        bool checked = false;
        vortan::test::ModalScript script([&](QDialog& dialog) {
            auto* pd = qobject_cast<QPrintDialog*>(&dialog);
            ASSERT_NE(pd, nullptr);
            EXPECT_TRUE(pd->testOption(QAbstractPrintDialog::PrintToFile));
            EXPECT_FALSE(pd->testOption(QAbstractPrintDialog::PrintSelection));
            EXPECT_FALSE(pd->testOption(QAbstractPrintDialog::PrintPageRange));
            EXPECT_FALSE(pd->testOption(QAbstractPrintDialog::PrintCurrentPage));
            EXPECT_EQ(pd->printRange(), QAbstractPrintDialog::AllPages);
            checked = true;
            dialog.reject();
        });
        m_status.clear();
        f->OnCommand(res::ID_FILE_PRINT);
        EXPECT_TRUE(script.Ran());
        EXPECT_TRUE(checked);
        EXPECT_FALSE(script.LeftOpen());
        // (The window may repaint behind the dialog; the print command set only this.)
        EXPECT_EQ(m_status, (std::vector<std::string>{"   Printing... "}));
    }
    QString pdf;
    {
        vortan::test::ModalScript script([&](QDialog& dialog) {
            auto* pd = qobject_cast<QPrintDialog*>(&dialog);
            ASSERT_NE(pd, nullptr);
            dialog.accept();
            pdf = pd->printer()->outputFileName();
        });
        m_status.clear();
        f->OnCommand(res::ID_FILE_PRINT);
        EXPECT_TRUE(script.Ran());
        EXPECT_FALSE(script.LeftOpen());
    }
    qputenv("HOME", oldHome);
    ASSERT_FALSE(m_status.empty());
    EXPECT_EQ(m_status.back(), "   Printing: DONE");
    if (QPrinterInfo::availablePrinterNames().isEmpty()) {
        // No printer installed: the dialog printed to the PDF file it offered.
        RecordProperty("pdf", pdf.toStdString());
        ASSERT_FALSE(pdf.isEmpty());
        const std::string bytes = vortan::test::ReadWholeFile(pdf.toStdString());
        EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
        std::filesystem::remove(pdf.toStdString());
    }
}

}  // namespace
