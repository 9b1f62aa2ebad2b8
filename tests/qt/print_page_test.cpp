#include "output/qt/print_page.h"

#include <gtest/gtest.h>

#include <QPainter>

#include "tests/qt/fake_output_window.h"

namespace {

using vortan::test::FakeOutputWindow;
namespace vqt = vortan::qt;

constexpr QRgb kMarker = qRgb(255, 0, 0);  // the page before printing

QImage PrintToImage(FakeOutputWindow& window, int w, int h) {
    QImage page(w, h, QImage::Format_RGB32);
    page.fill(kMarker);
    QPainter painter(&page);
    vqt::PrintPicture(window, &painter, page.rect());
    return page;
}

using PrintPageTest = vortan::test::FakeWindowFixture;

TEST_F(PrintPageTest, PrintedPageIsTheInvertedScreenInTheAnimatedPalette) {
    // Ranges 0.2..0.9 (an integer extent of 0) and -0.5..0.5 (an integer minimum of 0),
    // records of 201 to 1000 characters: cases an earlier print pass got wrong.
    using namespace vortan::test;
    std::vector<std::string> files = {FrameInputText(120, 90, 2)};
    for (auto [lo, hi, length] : {std::tuple{.2f, .9f, 500}, {-.5f, .5f, 999}, {0.f, 1.5f, 201}}) {
        auto at = [&](float u) { return lo + u * (hi - lo); };
        files.push_back(HeaderText({120, 90, 2, 1, 50, lo, hi, lo, hi, lo, hi}));
        for (auto [a, b, c, d] : {std::array{.1f, .9f, .2f, .8f}, {.9f, .2f, .3f, .7f}})
            files.back() += PadRecord(
                ClassicRecord({0, .5f, 1}, {{at(a), at(.5f), at(b)}, {at(c), at(.5f), at(d)}}),
                length);
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        FakeOutputWindow& window = Drawn(120, 90, files[i]);
        ASSERT_GT(DrawnPixels(window.canvas), 100) << i;
        window.Tick(5);
        const vortan::VortanFrameState before = window.record;
        SCOPED_TRACE(i);
        // Printed at scale 1, every client pixel is white for the cleared black, else
        // the inverse of its colour in the window's palette now.
        const QImage page = PrintToImage(window, 120, 200);
        for (int y = 0; y < window.canvas.Height(); ++y)
            for (int x = 0; x < window.canvas.Width(); ++x) {
                const vortan::Rgb c =
                    vortan::PixelColour(window.canvas.Pixel(x, y), window.PaletteColours());
                ASSERT_EQ(page.pixel(x, y), qRgb(255 - c.r, 255 - c.g, 255 - c.b)) << x << "," << y;
            }
        EXPECT_EQ(window.statusTexts.back(), vqt::kPrintingPlaced);
        // The pass drew a copy: the window's knots and palette are as they were.
        EXPECT_TRUE(window.record.m_knotCount == before.m_knotCount &&
                    window.record.m_palette.Entries() == before.m_palette.Entries());
    }
    EXPECT_TRUE(m_ui.messages.empty());
}

TEST_F(PrintPageTest, PictureKeepsItsAspectRatioOnPortraitAndLandscapePages) {
    // picture (the client area is 30 rows taller), page, where the picture lies
    const std::tuple<int, int, int, int, QRect> cases[] = {
        {120, 90, 240, 400, QRect(0, 0, 240, 240)},    // page width, at the top
        {120, 90, 400, 240, QRect(80, 0, 240, 240)},   // page height, centred
        {160, 60, 500, 180, QRect(90, 0, 320, 180)}};  // non-square, height-limited
    for (const auto& [w, h, pageW, pageH, placed] : cases) {
        const QImage page = PrintToImage(Drawn(w, h), pageW, pageH);
        QRect printed;
        int count = 0;
        for (int y = 0; y < pageH; ++y)
            for (int x = 0; x < pageW; ++x)
                if (page.pixel(x, y) != kMarker) printed |= QRect(x, y, 1, 1), ++count;
        EXPECT_EQ(printed, placed) << pageW << "x" << pageH;
        EXPECT_EQ(count, placed.width() * placed.height()) << pageW << "x" << pageH;
        EXPECT_EQ(page.pixel(placed.topLeft()), qRgb(255, 255, 255));  // black prints white
    }
}

}  // namespace
