#include "output/qt/window_output.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QPrinter>
#include <filesystem>
#include <set>

#include "output/qt/print_page.h"
#include "res/resources.h"
#include "tests/qt/frame_test_support.h"
#include "view/drawing_pass.h"

namespace {

using vortan::test::FakeUiService;
using vortan::test::FrameParams;
using vortan::test::ReadWholeFile;
namespace res = vortan::res;
namespace vqt = vortan::qt;

constexpr QRgb kMarker = qRgb(255, 0, 0);  // the page before printing

std::uint32_t Le(const std::string& b, std::size_t at, int bytes = 4) {  // little-endian
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
    return v;
}

// The colour table of a file for the palette: blue, green, red, 0 per entry.
std::string ColourTable(const vortan::PaletteEntries& palette) {
    std::string out;
    for (const auto& e : palette) out += {char(e.peBlue), char(e.peGreen), char(e.peRed), '\0'};
    return out;
}

QImage PrintToImage(CVortanFrame* f, int w, int h) {
    QImage page(w, h, QImage::Format_RGB32);
    page.fill(kMarker);
    QPainter painter(&page);
    vqt::PrintPicture(*f, &painter, page.rect());
    return page;
}

// Printed at scale 1, every client pixel is white for the cleared black, else
// the inverse of its colour on screen.
void ExpectPageIsInvertedScreen(CVortanFrame* f, const QImage& page) {
    const auto& canvas = f->Canvas();
    ASSERT_EQ(QSize(canvas.Width(), canvas.Height()), f->ClientSize());
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x) {
            const vortan::Rgb c = vortan::PixelColour(canvas.Pixel(x, y), f->m_palette.Entries());
            ASSERT_EQ(page.pixel(x, y), qRgb(255 - c.r, 255 - c.g, 255 - c.b)) << x << "," << y;
        }
}

class OutputTest : public vortan::test::FrameFixture {
  protected:
    OutputTest() {
        vqt::SetPrintStatusObserver([this](const QString& t) {
            m_status += (m_status.empty() ? "" : "|") + t.toStdString();
        });
    }
    void TearDown() override {
        vqt::SetPrintDialogRunner({});
        vqt::SetPrintStatusObserver({});
        FrameFixture::TearDown();
    }
    // Shown with the timer off (only the test moves the palette), on a file of its own.
    CVortanFrame* ShownStill(int w = 120, int h = 90, std::string text = "") {
        const std::string path = m_dir.file("picture" + std::to_string(m_frames.size()) + ".math");
        vortan::test::WriteTextFile(path,
                                    text.empty() ? vortan::test::FrameInputText(w, h, 2) : text);
        auto p = FrameParams(path, 2, false);
        p.m_imageWidth = w;
        p.m_imageHeight = h;
        return Shown(p);
    }
    std::string m_status;  // the print command's status texts, "|" between
};

TEST_F(OutputTest, PrintedPageIsTheInvertedScreenInTheAnimatedPalette) {
    // Ranges 0.2..0.9 (an integer extent of 0) and -0.5..0.5 (an integer minimum of 0),
    // records of 201 to 1000 characters: cases an earlier print pass got wrong.
    std::vector<std::string> files = {vortan::test::FrameInputText(120, 90, 2)};
    for (auto [lo, hi, length] : {std::tuple{.2f, .9f, 500}, {-.5f, .5f, 999}, {0.f, 1.5f, 201}}) {
        auto at = [&](float u) { return lo + u * (hi - lo); };
        files.push_back(vortan::test::HeaderText({120, 90, 2, 1, 50, lo, hi, lo, hi, lo, hi}));
        for (auto [a, b, c, d] : {std::array{.1f, .9f, .2f, .8f}, {.9f, .2f, .3f, .7f}})
            files.back() += vortan::test::PadRecord(
                vortan::test::ClassicRecord({0, .5f, 1},
                                            {{at(a), at(.5f), at(b)}, {at(c), at(.5f), at(d)}}),
                length);
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        CVortanFrame* f = ShownStill(120, 90, files[i]);
        ASSERT_GT(vortan::test::DrawnPixels(*f), 100) << i;
        for (int tick = 0; tick < 5; ++tick) f->OnTimer();
        SCOPED_TRACE(i);
        ExpectPageIsInvertedScreen(f, PrintToImage(f, 120, 200));
        EXPECT_EQ(f->StatusText().toStdString(), vqt::kPrintingPlaced);
    }
    EXPECT_TRUE(m_ui.messages.empty());
}

TEST_F(OutputTest, PictureKeepsItsAspectRatioOnPortraitAndLandscapePages) {
    const struct {
        int w, h, pageW, pageH;  // picture (the client area is 30 rows taller), page
        QRect placed;
    } cases[] = {{120, 90, 240, 400, QRect(0, 0, 240, 240)},    // page width, at the top
                 {120, 90, 400, 240, QRect(80, 0, 240, 240)},   // page height, centred
                 {160, 60, 500, 180, QRect(90, 0, 320, 180)}};  // non-square, height-limited
    for (const auto& c : cases) {
        const QImage page = PrintToImage(ShownStill(c.w, c.h), c.pageW, c.pageH);
        QRect printed;
        int count = 0;
        for (int y = 0; y < c.pageH; ++y)
            for (int x = 0; x < c.pageW; ++x)
                if (page.pixel(x, y) != kMarker) printed |= QRect(x, y, 1, 1), ++count;
        EXPECT_EQ(printed, c.placed) << c.pageW << "x" << c.pageH;
        EXPECT_EQ(count, c.placed.width() * c.placed.height()) << c.pageW << "x" << c.pageH;
        EXPECT_EQ(page.pixel(c.placed.topLeft()), qRgb(255, 255, 255));  // black prints white
    }
}

TEST_F(OutputTest, PrintCommandStatusTextsInOrderAndItsMessage) {
    const std::string missing = m_dir.file("gone.math"), start = vqt::kPrintingStarted,
                      end = "|   Printing:   DONE|  Printing: DONE|   Printing: DONE";
    const struct {
        const char* what;
        bool print, gone;
        std::string status;
    } cases[] = {{"printed", true, false,
                  start + "|   Printing:   0%|   Printing:   33%|   Printing:   67%" + end},
                 {"cancelled", false, false, start},
                 {"file gone", true, true, start + end}};
    for (const auto& c : cases) {
        CVortanFrame* f = ShownStill();
        if (c.gone) f->m_inputPath = missing;
        const std::string pdf = m_dir.file(std::string(c.what) + ".pdf");
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFileName(QString::fromStdString(pdf));
        vqt::SetPrintDialogRunner([&](QWidget*) { return c.print ? &printer : nullptr; });
        m_status.clear();
        EXPECT_TRUE(f->OnCommand(res::ID_FILE_PRINT));
        EXPECT_EQ(m_status, c.status) << c.what;
        EXPECT_EQ(f->StatusText().toStdString(), c.status.substr(c.status.rfind('|') + 1));
        if (!c.print) continue;
        EXPECT_EQ(printer.docName(), "Vortan");
        const std::string bytes = ReadWholeFile(pdf);
        EXPECT_EQ(bytes.substr(0, 5), "%PDF-") << c.what;
        if (!c.gone) {
            EXPECT_NE(bytes.find("/Image"), std::string::npos);  // the picture
        }
    }
    EXPECT_EQ(m_ui.messages,
              (std::vector<FakeUiService::Message>{{"Unable to open " + missing, "Error", 0x30}}));
    QImage white(120, 120, QImage::Format_RGB32);  // the page of a file gone
    white.fill(Qt::white);
    EXPECT_TRUE(PrintToImage(m_frames.back(), 120, 200).copy(0, 0, 120, 120) == white);
    EXPECT_GT(vortan::test::DrawnPixels(*m_frames.back()), 100);  // the screen untouched
}

TEST_F(OutputTest, BitmapFileHeaders) {
    const struct {
        int w, h;  // picture; the client area is 30 rows taller
        std::uint32_t stride, fileSize;
    } cases[] = {
        {640, 450, 640, 308278}, {641, 450, 644, 1078 + 644 * 480}, {3, 2, 4, 1078 + 4 * 32}};
    for (const auto& c : cases) {
        const std::string path = m_dir.file("shot.bmp");
        m_ui.ChooseFile(path);
        ShownStill(c.w, c.h)->OnCommand(res::ID_SAVE_BITMAP_AS);
        const std::string b = ReadWholeFile(path);
        ASSERT_EQ(b.size(), c.fileSize) << c.w;
        EXPECT_EQ(b.substr(0, 2), "BM");
        const std::uint32_t rows = c.h + 30;
        EXPECT_EQ((std::vector{Le(b, 2), Le(b, 10), Le(b, 14), Le(b, 18), Le(b, 22), Le(b, 26, 2),
                               Le(b, 28, 2), Le(b, 30), Le(b, 34), Le(b, 46)}),
                  (std::vector<std::uint32_t>{c.fileSize, 1078, 40, std::uint32_t(c.w), rows, 1, 8,
                                              0, c.stride * rows, 256}))
            << c.w;
    }
    EXPECT_TRUE(m_ui.messages.empty());
}

TEST_F(OutputTest, SaveBitmapAsksOnceThenWritesTheScreenInTheLivePaletteSilently) {
    CVortanFrame* f = ShownStill();
    const std::string path = m_dir.file("pic.bmp");
    m_ui.CancelFileDialog();  // before any save, a cancel leaves no file remembered
    f->OnCommand(res::ID_SAVE_BITMAP);
    EXPECT_EQ(f->m_bitmapPath + f->m_bitmapTitle, "");
    m_ui.ChooseFile(path);
    f->OnCommand(res::ID_SAVE_BITMAP);
    ASSERT_EQ(m_ui.fileRequests.size(), 2u);
    const vortan::FileDialogRequest& r = m_ui.fileRequests[1];
    EXPECT_TRUE(r.save && r.overwritePrompt && r.pathMustExist);
    EXPECT_EQ(r.defaultExtension, "bmp");
    EXPECT_EQ(r.initialName, "");
    EXPECT_EQ(r.filter, "Bitmap Files (*.bmp)|*.bmp|All Files (*.*)|*.*||");
    EXPECT_EQ(f->m_bitmapPath, path);
    EXPECT_EQ(f->m_bitmapTitle, "pic.bmp");
    const std::string first = ReadWholeFile(path);
    ASSERT_EQ(first.size(), 1078u + 120 * 120);
    for (int y = 0; y < 90; ++y)  // rows bottom first, the drawn pixels their indices
        for (int x = 0; x < 120; ++x)
            if (const auto p = f->Canvas().Pixel(x, y); p != vortan::kClearedPixel) {
                ASSERT_EQ(static_cast<unsigned char>(first[1078 + (119 - y) * 120 + x]), p);
            }
    for (int i = 0; i < 7; ++i) f->OnTimer();  // the palette moves: the colour table follows
    f->OnCommand(res::ID_SAVE_BITMAP);
    EXPECT_EQ(m_ui.fileRequests.size(), 2u);
    const std::string second = ReadWholeFile(path);
    ASSERT_EQ(second.size(), first.size());
    EXPECT_TRUE(second.substr(54, 1024) == ColourTable(f->m_palette.Entries()));
    EXPECT_TRUE(second.substr(54, 1024) != first.substr(54, 1024));
    // Save Bitmap As offers the remembered file; cancelled, it changes nothing.
    f->OnTimer();
    m_ui.CancelFileDialog();
    f->OnCommand(res::ID_SAVE_BITMAP_AS);
    ASSERT_EQ(m_ui.fileRequests.size(), 3u);
    EXPECT_EQ(m_ui.fileRequests[2].initialName, path);
    EXPECT_EQ(f->m_bitmapPath, path);
    EXPECT_EQ(f->m_bitmapTitle, "pic.bmp");
    EXPECT_TRUE(ReadWholeFile(path) == second);
    EXPECT_TRUE(m_ui.messages.empty());
}

TEST_F(OutputTest, UncreatableBitmapFileGivesOneMessageAndKeepsTheOldFile) {
    // As root a read-only folder is writable: creation fails with a folder that does
    // not exist and with a target that is a folder.
    CVortanFrame* f = ShownStill();
    const std::string good = m_dir.file("good.bmp"), folder = m_dir.file("afolder");
    m_ui.ChooseFile(good);
    f->OnCommand(res::ID_SAVE_BITMAP_AS);
    const std::string saved = ReadWholeFile(good);
    ASSERT_FALSE(saved.empty());
    std::filesystem::create_directory(folder);
    for (const std::string& bad : {m_dir.file("missing/dir/x.bmp"), folder}) {
        m_ui.Clear();
        m_ui.ChooseFile(bad);
        f->OnCommand(res::ID_SAVE_BITMAP_AS);
        EXPECT_EQ(m_ui.messages,
                  (std::vector<FakeUiService::Message>{{"CreateFile", "vortan", 0}}));
        EXPECT_EQ(f->m_bitmapPath, good) << bad;  // a failed save is not remembered
        EXPECT_EQ(f->m_bitmapTitle, "good.bmp");
        EXPECT_TRUE(ReadWholeFile(good) == saved) << bad;
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder));
    // No temporary file left: the two input files, good.bmp and the folder.
    EXPECT_EQ(vortan::test::CountEntries(m_dir.path()), 4);
}

}  // namespace
