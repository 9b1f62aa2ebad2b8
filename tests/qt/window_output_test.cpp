#include "output/qt/window_output.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QPointer>
#include <QPrinter>
#include <filesystem>
#include <set>

#include "output/qt/print_page.h"
#include "res/resources.h"
#include "tests/qt/fake_output_window.h"

namespace {

using vortan::test::FakeOutputWindow;
using vortan::test::FakeUiService;
using vortan::test::ReadWholeFile;
namespace res = vortan::res;
namespace vqt = vortan::qt;

// The colour table of a file for the palette: blue, green, red, 0 per entry.
std::string ColourTable(const vortan::PaletteEntries& palette) {
    std::string out;
    for (const auto& e : palette) out += {char(e.peBlue), char(e.peGreen), char(e.peRed), '\0'};
    return out;
}

// The index a bitmap of a width x height client area holds for (x, y) (header: bitmap tests).
unsigned char IndexAt(const std::string& file, int width, int height, int x, int y) {
    return static_cast<unsigned char>(
        file[1078u + std::size_t((width + 3) / 4 * 4) * (height - 1 - y) + x]);
}

class WindowOutputTest : public vortan::test::FakeWindowFixture {
  protected:
    void TearDown() override { vqt::SetPrintDialogRunner({}); }
};

TEST_F(WindowOutputTest, PrintCommandStatusTextsInOrderAndWhatReachesThePrinter) {
    const std::string start = vqt::kPrintingStarted,
                      end = "|   Printing:   DONE|  Printing: DONE|   Printing: DONE";
    enum class Close { Never, InDialog, InPassMessage };
    // what; printed (else cancelled); input file gone; when the window closes; status texts
    const std::tuple<const char*, bool, bool, Close, std::string> cases[] = {
        {"printed", true, false, Close::Never,
         start + "|   Printing:   0%|   Printing:   33%|   Printing:   67%" + end},
        {"cancelled", false, false, Close::Never, start},
        {"file gone", true, true, Close::Never, start + end},
        {"closed in the dialog", true, false, Close::InDialog, start},
        {"closed in the pass's message", true, true, Close::InPassMessage, start},
    };
    for (const auto& [what, print, gone, close, status] : cases) {
        SCOPED_TRACE(what);
        FakeOutputWindow& window = Drawn();
        if (gone) window.record.m_inputPath = m_dir.file("gone.math");
        const std::string pdf = m_dir.file(std::string(what) + ".pdf");
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFileName(QString::fromStdString(pdf));
        vqt::SetPrintDialogRunner([&](QWidget*) {
            if (close == Close::InDialog) window.Close();
            return print ? &printer : nullptr;
        });
        m_ui.Clear();
        m_ui.onMessage = [&](const auto&) {
            if (close == Close::InPassMessage) window.Close();
        };
        vqt::FilePrint(window);
        std::string texts;
        for (const auto& t : window.statusTexts) texts += (texts.empty() ? "" : "|") + t;
        EXPECT_EQ(texts, status);
        EXPECT_EQ(window.callsAfterClose, 0);
        using Messages = std::vector<FakeUiService::Message>;
        EXPECT_EQ(m_ui.messages,
                  (gone ? Messages{{"Unable to open " + window.record.m_inputPath, "Error", 0x30}}
                        : Messages{}));
        const bool printed = print && close != Close::InDialog;  // a file, however short
        ASSERT_EQ(std::filesystem::exists(pdf), printed);
        if (!printed) continue;
        EXPECT_EQ(printer.docName(), "Vortan");
        const std::string bytes = ReadWholeFile(pdf);
        EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
        EXPECT_TRUE(gone || bytes.find("/Image") != std::string::npos);  // the picture
    }
}

TEST_F(WindowOutputTest, SaveBitmapAsksOnceThenWritesTheScreenInTheLivePaletteSilently) {
    FakeOutputWindow& window = Drawn();
    const std::string path = m_dir.file("pic.bmp");
    m_ui.CancelFileDialog();  // before any save, a cancel leaves no file remembered
    vqt::SaveBitmap(window);
    EXPECT_EQ(window.bitmapPath + window.bitmapTitle, "");
    m_ui.ChooseFile(path);
    vqt::SaveBitmap(window);
    ASSERT_EQ(m_ui.fileRequests.size(), 2u);
    const vortan::FileDialogRequest& r = m_ui.fileRequests[1];
    EXPECT_TRUE(r.save && r.overwritePrompt && r.pathMustExist);
    EXPECT_EQ(r.defaultExtension + " [" + r.initialName + "] " + r.filter,
              "bmp [] Bitmap Files (*.bmp)|*.bmp|All Files (*.*)|*.*||");
    EXPECT_EQ(window.bitmapPath + " " + window.bitmapTitle, path + " pic.bmp");
    const std::string first = ReadWholeFile(path);  // its pixels: the real window's test
    ASSERT_EQ(first.size(), 1078u + 120 * 120);
    window.Tick(7);  // the palette moves: the colour table follows
    vqt::SaveBitmap(window);
    EXPECT_EQ(m_ui.fileRequests.size(), 2u);
    const std::string second = ReadWholeFile(path);
    ASSERT_EQ(second.size(), first.size());
    EXPECT_TRUE(second.substr(54, 1024) == ColourTable(window.PaletteColours()));
    EXPECT_TRUE(second.substr(54, 1024) != first.substr(54, 1024));
    // Save Bitmap As offers the remembered file; cancelled, it changes nothing.
    window.Tick();
    m_ui.CancelFileDialog();
    vqt::SaveBitmapAs(window);
    ASSERT_EQ(m_ui.fileRequests.size(), 3u);
    EXPECT_EQ(m_ui.fileRequests[2].initialName, path);
    EXPECT_EQ(window.bitmapPath + " " + window.bitmapTitle, path + " pic.bmp");
    EXPECT_TRUE(ReadWholeFile(path) == second);
    EXPECT_TRUE(m_ui.messages.empty());
}

TEST_F(WindowOutputTest, StatusStripRowsAreItsNearestPaletteEntries) {
    // Distinct entries (i, 255 - i, 128), with entry 200 black.
    vortan::PaletteEntries palette{};
    for (int i = 0; i < 256; ++i)
        palette[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i), 128, 0};
    palette[200] = {0, 0, 0, 0};
    const auto strip = [](int w, int h) {  // entry 77 on the left half, near entry 10 on the right
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(qRgb(77, 178, 128));
        QPainter(&image).fillRect(w / 2, 0, w - w / 2, h, QColor(10, 245, 131));
        return image;
    };
    const std::tuple<const char*, QImage, bool> cases[] = {
        // what, strip, no strip (black)
        {"screen size", strip(120, 30), false},
        {"a dense screen's grab", strip(240, 60), false},
        {"no strip", QImage(), true}};
    for (const auto& [what, stripImage, black] : cases) {
        SCOPED_TRACE(what);
        FakeOutputWindow& window = Drawn();
        window.record.m_palette.Create(palette);
        window.strip = stripImage;
        const std::string path = m_dir.file("strip.bmp");
        m_ui.ChooseFile(path);
        vqt::SaveBitmapAs(window);
        const std::string file = ReadWholeFile(path);
        ASSERT_EQ(file.size(), 1078u + 120 * 120);
        EXPECT_TRUE(file.substr(54, 1024) == ColourTable(palette));
        const std::string row = black ? std::string(120, char(200))
                                      : std::string(60, char(77)) + std::string(60, char(10));
        std::string rows;  // the strip: the file's first 30 rows (stored bottom up)
        for (int y = 0; y < 30; ++y) rows += row;
        EXPECT_TRUE(file.substr(1078, 30 * 120) == rows);
        for (int x = 0; x < 120; ++x)  // the picture's cleared pixels are black
            if (window.canvas.Pixel(x, 0) == vortan::kClearedPixel) {
                ASSERT_EQ(IndexAt(file, 120, 120, x, 0), 200) << x;
            }
    }
    EXPECT_TRUE(m_ui.messages.empty());
}

TEST_F(WindowOutputTest, ASaveThatWritesNothingKeepsTheOldFileAndWhatIsRemembered) {
    // Creation fails in a missing folder and on a folder (a read-only one is writable as root).
    const std::string good = m_dir.file("good.bmp"), folder = m_dir.file("afolder");
    std::filesystem::create_directory(folder);
    // what; target; client size (empty: as drawn); closed in the dialog; message ("": none)
    const std::tuple<const char*, std::string, QSize, bool, std::string> cases[] = {
        {"folder missing", m_dir.file("missing/dir/x.bmp"), {}, false, "CreateFile"},
        {"a folder", folder, {}, false, "CreateFile"},
        {"past 4 GiB", good, QSize(70000, 70000), false, "GlobalAlloc"},
        {"closed in the dialog", good, {}, true, ""},
    };
    for (const auto& [what, target, client, closeInDialog, message] : cases) {
        SCOPED_TRACE(what);
        FakeOutputWindow& window = Drawn();
        m_ui.ChooseFile(good);
        vqt::SaveBitmapAs(window);
        const std::string saved = ReadWholeFile(good);
        ASSERT_FALSE(saved.empty());
        if (!client.isEmpty()) window.client = client;
        m_ui.Clear();
        m_ui.ChooseFile(target);
        m_ui.onFileDialog = [&] {
            if (closeInDialog) window.Close();  // the answer arrives for a gone window
        };
        vqt::SaveBitmapAs(window);
        using Messages = std::vector<FakeUiService::Message>;
        EXPECT_EQ(m_ui.messages, (message.empty() ? Messages{} : Messages{{message, "vortan", 0}}));
        EXPECT_EQ(window.callsAfterClose, 0);
        // a failed save is not remembered
        EXPECT_EQ(window.bitmapPath + " " + window.bitmapTitle, good + " good.bmp");
        EXPECT_TRUE(ReadWholeFile(good) == saved);
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder));
    // No temporary file left: the input files, good.bmp and the folder.
    EXPECT_EQ(vortan::test::CountEntries(m_dir.path()), static_cast<int>(std::size(cases)) + 2);
}

// The real window behind the seam: its commands reach the output with what it shows.
using WindowOutputFrameTest = vortan::test::FrameFixture;

TEST_F(WindowOutputFrameTest, TheWindowSavesAndPrintsWhatItShowsAndSurvivesClosingInTheDialog) {
    CVortanFrame* f = Shown(vortan::test::FrameParams(m_input, 2, false));
    const std::string path = m_dir.file("shown.bmp");
    m_ui.ChooseFile(path);
    EXPECT_TRUE(f->OnCommand(res::ID_SAVE_BITMAP_AS));
    EXPECT_EQ(f->m_bitmapPath + " " + f->m_bitmapTitle, path + " shown.bmp");
    const std::string file = ReadWholeFile(path);
    ASSERT_EQ(file.size(), 1078u + 120 * 120);
    EXPECT_TRUE(file.substr(54, 1024) == ColourTable(f->m_palette.Entries()));
    ASSERT_GT(vortan::test::DrawnPixels(f->Canvas()), 100);
    for (int y = 0; y < 90; ++y)  // drawn pixels keep their index
        for (int x = 0; x < 120; ++x)
            if (const auto p = f->Canvas().Pixel(x, y); p != vortan::kClearedPixel) {
                ASSERT_EQ(IndexAt(file, 120, 120, x, y), p) << x << "," << y;
            }
    // The strip grabbed from the screen: its text and background are more than one entry.
    EXPECT_GE(std::set<char>(file.begin() + 1078, file.begin() + 1078 + 30 * 120).size(), 2u);
    std::filesystem::remove(path);
    EXPECT_TRUE(f->OnCommand(res::ID_SAVE_BITMAP));  // silently to the same file
    EXPECT_EQ(ReadWholeFile(path).size(), file.size());
    EXPECT_EQ(m_ui.fileRequests.size(), 1u);
    for (const bool closeInDialog : {false, true}) {
        SCOPED_TRACE(closeInDialog);
        QPointer<CVortanFrame> g = Shown(vortan::test::FrameParams(m_input, 2, false));
        const std::string pdf = m_dir.file(closeInDialog ? "closed.pdf" : "printed.pdf");
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFileName(QString::fromStdString(pdf));
        vqt::SetPrintDialogRunner([&](QWidget*) {
            if (closeInDialog) delete g.data();
            return &printer;
        });
        EXPECT_TRUE(g->OnCommand(res::ID_FILE_PRINT));
        vqt::SetPrintDialogRunner({});
        ASSERT_EQ(std::pair(g.isNull(), std::filesystem::exists(pdf)),
                  std::pair(closeInDialog, !closeInDialog));
        if (closeInDialog) continue;
        EXPECT_EQ(g->StatusText().toStdString(), vqt::kPrintingEnded);
        EXPECT_NE(ReadWholeFile(pdf).find("/Image"), std::string::npos);
    }
    EXPECT_TRUE(m_ui.messages.empty());
}

}  // namespace
