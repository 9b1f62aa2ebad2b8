// The OpenGL look-up against the CPU conversion on Mesa under Xvfb; without a context, fails.
#include "view/qt/gl_picture.h"

#include <gtest/gtest.h>

#include <QExposeEvent>
#include <QOpenGLContext>
#include <QScreen>
#include <QTest>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "platform/palette_lookup.h"
#include "tests/qt/frame_test_support.h"
#include "tests/test_support.h"
#include "view/qt/picture_view.h"

namespace {

using vortan::CanvasPixel;
using vortan::IndexedCanvas;
using vortan::PaletteEntries;

// Draws index at (x, y) the way the drawing pass does: a one-pixel disk.
void Plot(IndexedCanvas& canvas, int x, int y, int index) {
    canvas.SelectPen(1, 0x01000000u | static_cast<std::uint32_t>(index));
    canvas.Ellipse(x, y, x, y);
}

// Random indices 0..255 with about one pixel in ten left cleared.
void DrawRandom(IndexedCanvas& canvas, unsigned seed) {
    std::mt19937 random(seed);
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x)
            if (const int i = static_cast<int>(random() % 284); i < 256)
                Plot(canvas, x, y, i);
            else
                canvas.FillBlack(x, y, x + 1, y + 1);
}

// What the CPU path shows in a width x height widget: the picture, black around it.
QImage CpuImage(const IndexedCanvas& canvas, const PaletteEntries& palette, int width, int height) {
    std::vector<std::uint32_t> picture(canvas.Pixels().size());
    vortan::ConvertToRgb32(canvas, palette, picture.data());
    QImage out(width, height, QImage::Format_RGB32);
    out.fill(Qt::black);
    for (int y = 0; y < std::min(height, canvas.Height()); ++y)
        std::copy_n(&picture[static_cast<std::size_t>(y) * canvas.Width()],
                    std::min(width, canvas.Width()), reinterpret_cast<QRgb*>(out.scanLine(y)));
    return out;
}

// "" when the image shows want (a pixel a square of device pixels on a scaled screen).
std::string Differences(const QImage& grabbed, const QImage& want) {
    const int scale = want.width() > 0 ? grabbed.width() / want.width() : 0;
    if (scale < 1 || grabbed.size() != want.size() * scale)
        return "grabbed " + std::to_string(grabbed.width()) + " x " +
               std::to_string(grabbed.height());
    const QImage image = grabbed.convertToFormat(QImage::Format_RGB32);
    const QImage expected = want.convertToFormat(QImage::Format_RGB32);
    std::ostringstream out;
    long count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != expected.pixel(x / scale, y / scale) && count++ == 0)
                out << "(" << x << ", " << y << ") shows " << std::hex << image.pixel(x, y)
                    << " not " << expected.pixel(x / scale, y / scale) << std::dec;
    if (count > 0) out << "; " << count << " device pixels differ";
    return out.str();
}

// Empty when gl, a width x height widget, shows what the CPU path makes of canvas.
std::string VersusCpu(CGlPicture& gl, const IndexedCanvas& canvas, const PaletteEntries& palette,
                      int width, int height) {
    return Differences(gl.grabFramebuffer(), CpuImage(canvas, palette, width, height));
}

class GlPictureTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(CGlPicture::ProbedContext().created) << "no OpenGL context could be made";
    }
    // A shown top-level look-up of size width x height whose context runs the shader.
    CGlPicture& Shown(const IndexedCanvas& canvas, int width, int height) {
        m_widget = std::make_unique<CGlPicture>(canvas, nullptr);
        m_widget->resize(width, height);
        m_widget->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_widget.get()));
        EXPECT_TRUE(m_widget->context() != nullptr && m_widget->context()->isValid())
            << "no OpenGL context";
        EXPECT_TRUE(m_widget->Ready()) << "the look-up shader did not build";
        return *m_widget;
    }
    std::unique_ptr<CGlPicture> m_widget;
};

TEST_F(GlPictureTest, TheProbeFindsAContextAndXvfbTakesTheCpuPathUnlessAskedForGl) {
    const vortan::GlContextInfo& info = CGlPicture::ProbedContext();
    EXPECT_TRUE(info.major >= 3 && vortan::IsSoftwareRenderer(info.renderer))
        << info.major << " " << info.renderer;
    // VORTAN_GL last set as the tests run: 1.
    const std::pair<const char*, bool> cases[] = {
        {nullptr, false}, {"0", false}, {"yes", false}, {"1", true}};
    for (const auto& [value, gl] : cases) {
        value ? setenv("VORTAN_GL", value, 1) : unsetenv("VORTAN_GL");
        EXPECT_EQ(CGlPicture::Chosen(640, 350), gl) << (value ? value : "unset");
    }
    EXPECT_FALSE(CGlPicture::Chosen(info.maxTextureSize + 1, 10));
}

// A new palette sends no picture, a changed one does; cleared pixels stay black (entry 0 white).
TEST_F(GlPictureTest, EveryPixelMatchesTheCpuConversion) {
    enum class Draw { Random, Cleared, EachIndex };
    // what; picture width and height; widget width and height; what is drawn
    const std::tuple<const char*, int, int, int, int, Draw> cases[] = {
        {"1 x 1", 1, 1, 1, 1, Draw::Random},
        {"641 x 37", 641, 37, 641, 37, Draw::Random},
        {"tall 5 x 1500", 5, 1500, 5, 1500, Draw::Random},
        {"all cleared 64 x 48", 64, 48, 64, 48, Draw::Cleared},
        // Each entry and the cleared pixel, one per column: no entry is taken for its neighbour.
        {"each index 257 x 2", 257, 2, 257, 2, Draw::EachIndex},
        {"13 x 7 in a 20 x 16 widget", 13, 7, 20, 16, Draw::Random},
    };
    PaletteEntries first = vortan::test::DistinctPalette();
    first[0] = {255, 255, 255, 0};
    PaletteEntries second;  // entry i is the first's entry i + 37
    std::rotate_copy(first.begin(), first.begin() + 37, first.end(), second.begin());
    for (const auto& [what, width, height, w, h, draw] : cases) {
        SCOPED_TRACE(what);
        IndexedCanvas canvas(width, height);
        if (draw == Draw::Random) DrawRandom(canvas, static_cast<unsigned>(width * 7919 + height));
        if (draw == Draw::EachIndex)
            for (int i = 0; i < 256; ++i) Plot(canvas, i, 1, i);
        CGlPicture& gl = Shown(canvas, w, h);
        gl.SetEntries(first);
        const QImage grabbed = gl.grabFramebuffer();
        EXPECT_EQ(Differences(grabbed, CpuImage(canvas, first, w, h)), "");
        EXPECT_TRUE(draw != Draw::EachIndex ||  // cleared black, entry 0 white
                    ((grabbed.pixel(0, 0) & 0xFFFFFFu) == 0 &&
                     (grabbed.pixel(0, grabbed.width() / w) & 0xFFFFFFu) == 0xFFFFFFu));
        int uploads = gl.PictureUploads();
        EXPECT_GE(uploads, 1);
        gl.SetEntries(second);
        EXPECT_EQ(VersusCpu(gl, canvas, second, w, h), "");
        EXPECT_EQ(gl.PictureUploads(), uploads) << "an unchanged picture was sent again";
        DrawRandom(canvas, 99);
        EXPECT_EQ(VersusCpu(gl, canvas, second, w, h), "");
        EXPECT_EQ(gl.PictureUploads(), ++uploads);

        for (const QSize s : {QSize(w + 11, h + 9), QSize(2, 3), QSize(0, 0), QSize(w, h)}) {
            SCOPED_TRACE(testing::Message() << "resized to " << s.width() << " x " << s.height());
            canvas.Resize(s.width(), s.height());
            DrawRandom(canvas, static_cast<unsigned>(s.width() + 1));
            EXPECT_EQ(VersusCpu(gl, canvas, second, w, h), "");
            EXPECT_EQ(gl.PictureUploads(), ++uploads);
        }
    }
}

// The window with the GL look-up keeps the CPU path's presents, passes and pixels.
using GlFrameTest = vortan::test::FrameFixture;

TEST_F(GlFrameTest, TheWindowPresentsThroughGlAsItDoesOnTheCpu) {
    setenv("VORTAN_GL", "1", 1);
    const int shift = 3;  // the CPU window's test has the table of shifts
    auto p = vortan::test::FrameParams(m_input, 2, false);
    p.m_colortableCount = 7;
    p.m_colortableShift = shift;
    CVortanFrame* f = Shown(p);
    auto* view = f->findChild<CPictureView*>();
    ASSERT_NE(view, nullptr);
    CGlPicture* gl = view->GlPicture();
    ASSERT_TRUE(gl && gl->Ready());
    EXPECT_GT(vortan::test::DrawnPixels(f->Canvas()), 100);
    // The pass's last present reaches the screen with the next frame.
    EXPECT_TRUE(QTest::qWaitFor([gl] { return gl->PictureCurrent(); }, 5000));
    const int uploads = gl->PictureUploads();
    for (int tick = 1; tick <= 2; ++tick) {
        const int before = f->PresentCount();
        const PaletteEntries old = f->m_palette.Entries();
        f->OnTimer();
        EXPECT_EQ(f->PresentCount() - before, shift) << "tick " << tick;
        EXPECT_NE(f->m_palette.Entries(), old);
    }
    const int presents = f->PresentCount();
    f->OnPaletteChanged();
    EXPECT_EQ(f->PresentCount(), presents);
    // Grabbing repaints: a paint no present asked for, so one pass follows.
    const int passes = f->PassCount();
    const QImage& image = view->Image();
    const auto versusView = [&](const QImage& shown) { return Differences(shown, view->Image()); };
    EXPECT_EQ(versusView(gl->grabFramebuffer()), "");
    EXPECT_EQ(gl->PictureUploads(), uploads) << "ticks only change the palette";
    const auto passesSettleAt = [&](int want) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return f->PassCount() == want; }, 5000));
        QTest::qWait(50);
        EXPECT_EQ(f->PassCount(), want);
    };
    passesSettleAt(passes + 1);
    // An uncovered picture comes back without painting; the window runs one pass.
    QExposeEvent expose(QRegion(QRect(view->mapTo(f, QPoint(0, 0)), view->size())));
    QCoreApplication::sendEvent(f->windowHandle(), &expose);
    passesSettleAt(passes + 2);
    // The X server shows the composed picture (polled: the compositor takes its time).
    const int beforeChange = f->PresentCount();
    f->m_palette.Create(vortan::test::DistinctPalette());
    f->OnPaletteChanged();
    EXPECT_EQ(f->PresentCount(), beforeChange + 1);
    const QPoint at = view->mapTo(f, QPoint(0, 0));
    const auto onScreen = [&] {
        return versusView(
            f->screen()
                ->grabWindow(f->winId(), at.x(), at.y(), image.width(), image.height())
                .toImage());
    };
    (void)QTest::qWaitFor([&] { return onScreen().empty(); }, 5000);
    EXPECT_EQ(onScreen(), "");
    EXPECT_EQ(versusView(gl->grabFramebuffer()), "");
}

}  // namespace
