#include "view/qt/vortan_frame.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDialog>
#include <QExposeEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTimerEvent>
#include <QWindow>
#include <functional>
#include <limits>

#include "palette/palette_animation.h"
#include "res/resources.h"
#include "tests/qt/frame_test_support.h"
#include "view/drawing_pass.h"
#include "view/qt/picture_view.h"

namespace {

using vortan::AnimationParameters;
using vortan::test::FakeUiService;
using vortan::test::FrameParams;
namespace res = vortan::res;

// A frame whose platform refuses every timer.
class TimerlessFrame : public CVortanFrame {
  public:
    using CVortanFrame::CVortanFrame;

  protected:
    int StartPlatformTimer(int) override { return 0; }
};

// A frame on a display that cannot animate palettes.
class PalettelessFrame : public CVortanFrame {
  public:
    using CVortanFrame::CVortanFrame;

  protected:
    bool DisplayAnimatesPalettes() const override { return false; }
};

class FrameTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_input = m_dir.file("lines.math");
        vortan::test::WriteTextFile(m_input, vortan::test::FrameInputText(120, 90, 2));
    }
    void TearDown() override {
        if (m_frame) m_frame->close();
        vortan::test::FlushDeletes();
    }

    template <class Frame = CVortanFrame>
    CVortanFrame* Make(const AnimationParameters& p) {
        auto* f = new Frame(m_ui, nullptr);
        vortan::ApplyAnimationParameters(p, *f);
        m_frame = f;
        return f;
    }
    // Created, shown, and its first pass run.
    template <class Frame = CVortanFrame>
    CVortanFrame* Shown(const AnimationParameters& p) {
        CVortanFrame* f = Make<Frame>(p);
        EXPECT_TRUE(f->Create());
        f->ActivateFrame();
        EXPECT_TRUE(QTest::qWaitFor([f] { return f->PassCount() >= 1; }, 5000));
        return f;
    }
    void Press(QKeySequence keys) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_frame.data()));
        QTest::keySequence(m_frame.data(), keys);
    }
    static CPictureView* View(CVortanFrame* f) { return f->findChild<CPictureView*>(); }

    vortan::test::TempDir m_dir;
    std::string m_input;
    FakeUiService m_ui;
    QPointer<CVortanFrame> m_frame;
};

// Every canvas pixel of the picture rows, presented through the palette.
void ExpectPresentedThroughPalette(CVortanFrame* f, const QImage& image) {
    const auto& canvas = f->Canvas();
    const int rows = canvas.Height() - vortan::kStatusBarHeight;
    ASSERT_EQ(image.width(), canvas.Width());
    ASSERT_EQ(image.height(), rows);
    int mismatches = 0;
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < canvas.Width(); ++x) {
            const vortan::Rgb c = vortan::PixelColour(canvas.Pixel(x, y), f->m_palette.Entries());
            if (image.pixel(x, y) != qRgb(c.r, c.g, c.b)) ++mismatches;
        }
    EXPECT_EQ(mismatches, 0);
}

int DrawnPixels(const vortan::IndexedCanvas& canvas) {
    int n = 0;
    for (auto p : canvas.Pixels()) n += p != vortan::kClearedPixel;
    return n;
}

TEST(ClampTimerPeriod, AsTheWindowsTimerDoes) {
    const struct {
        std::uint32_t in, out;
    } cases[] = {{0, 10},
                 {1, 10},
                 {9, 10},
                 {10, 10},
                 {11, 11},
                 {40, 40},
                 {0x7FFFFFFF, 0x7FFFFFFF},
                 {0x80000000u, 0x7FFFFFFF},
                 {0xFFFFFFFFu, 0x7FFFFFFF}};
    for (const auto& c : cases) EXPECT_EQ(ClampTimerPeriod(c.in), c.out) << c.in;
}

TEST_F(FrameTest, CreationGivesTitleGeometryMenuAndStatusStrip) {
    CVortanFrame* f = Make(FrameParams(m_input));
    ASSERT_TRUE(f->Create());
    EXPECT_EQ(f->windowTitle(), "Vortan - Colortableanimation");
    EXPECT_EQ(f->ClientSize(), QSize(120, 120));
    ASSERT_NE(f->centralWidget(), nullptr);
    EXPECT_EQ(f->centralWidget()->size(), QSize(120, 120));
    EXPECT_EQ(f->Canvas().Width(), 120);
    EXPECT_EQ(f->Canvas().Height(), 120);
    EXPECT_FALSE(f->windowIcon().isNull());
    EXPECT_FALSE(f->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(f->windowFlags() & Qt::WindowMinimizeButtonHint);
    f->ActivateFrame();
    EXPECT_EQ(f->pos(), QPoint(50, 50));
    EXPECT_EQ(f->minimumSize(), f->maximumSize());  // fixed size

    auto* status = f->findChild<QWidget*>("ctl1035");
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->geometry(), QRect(0, 90, 120, 30));
    EXPECT_EQ(f->GrabStatusBar().size(), QSize(120, 30));

    // The menu bar: popups and items in order, separators as empty texts.
    QStringList seen;
    for (QAction* popup : f->menuBar()->actions()) {
        seen << popup->text();
        for (QAction* item : popup->menu()->actions())
            seen << (item->isSeparator() ? "-" : item->text());
    }
    EXPECT_EQ(seen, (QStringList{"&File", "&Print\tCrtl+P", "-", "E&xit", "&Options",
                                 "&Animation\tF2", "&Settings\tF3"}));
    // No axis dialog for a 2-D file; x and y are shown.
    EXPECT_EQ((std::array{f->m_axisX, f->m_axisY, f->m_axisZ}), (std::array{1, 1, 0}));
    EXPECT_TRUE(m_ui.messages.empty());
}

TEST_F(FrameTest, RefusesPictureSizesItCannotHold) {
    for (auto [w, h] : {std::pair{0, 90}, {120, 0}, {-5, 90}, {120, 100000}}) {
        AnimationParameters p = FrameParams(m_input);
        p.m_imageWidth = w;
        p.m_imageHeight = h;
        QPointer<CVortanFrame> f = Make(p);
        EXPECT_FALSE(f->Create()) << w << "x" << h;
        vortan::test::FlushDeletes();
        EXPECT_TRUE(f.isNull()) << "a window that was not created deletes itself";
    }
}

TEST_F(FrameTest, FirstShowRunsOnePassThatDrawsAndStartsTheTimer) {
    CVortanFrame* f = Shown(FrameParams(m_input));
    QTest::qWait(100);  // give further paint events the chance to ask for more passes
    EXPECT_EQ(f->PassCount(), 1);
    EXPECT_EQ(f->StatusText(), "   Drawing:   DONE");
    EXPECT_GT(DrawnPixels(f->Canvas()), 100);
    EXPECT_TRUE(f->IsTimerActive());
    EXPECT_EQ(f->TimerPeriod(), 40u);
    EXPECT_EQ(f->m_timerRunning, 1);
    ASSERT_NE(f->MenuAction(res::ID_ANIMATION), nullptr);
    EXPECT_TRUE(f->MenuAction(res::ID_ANIMATION)->isChecked());
    ExpectPresentedThroughPalette(f, View(f)->Image());
    // The status strip rows of the canvas are never drawn into.
    for (int y = 90; y < 120; ++y)
        for (int x = 0; x < 120; ++x) ASSERT_EQ(f->Canvas().Pixel(x, y), vortan::kClearedPixel);
}

TEST_F(FrameTest, ActivationChangesRunNoPass) {
    // Desktop themes often give inactive windows other colours; a window
    // losing or gaining the focus is no exposure of the picture.
    const QPalette appPalette = QApplication::palette();
    QPalette themed = appPalette;
    themed.setColor(QPalette::Inactive, QPalette::Window, Qt::darkRed);
    themed.setColor(QPalette::Inactive, QPalette::Button, Qt::darkRed);
    QApplication::setPalette(themed);
    CVortanFrame* f = Shown(FrameParams(m_input, 2, false));
    ASSERT_TRUE(QTest::qWaitForWindowActive(f));
    QWidget other;
    other.resize(50, 50);
    for (int round = 0; round < 2; ++round) {
        other.show();
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
        f->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(f));
    }
    QTest::qWait(50);
    QApplication::setPalette(appPalette);
    EXPECT_EQ(f->PassCount(), 1);
}

TEST_F(FrameTest, TicksChangeOnlyThePaletteAndRePresentIt) {
    AnimationParameters p = FrameParams(m_input, 2, false);
    p.m_colortableShift = 2;
    CVortanFrame* f = Shown(p);
    const auto pixels = f->Canvas().Pixels();
    vortan::VortanFrameState expected = vortan::test::DetachedState(*f);
    const auto before = f->m_palette.Entries();
    for (int tick = 1; tick <= 5; ++tick) {
        QTimerEvent event(1000 + tick);  // any timer id is a tick
        QCoreApplication::sendEvent(f, &event);
        vortan::AnimationTick(expected);
        ASSERT_EQ(f->m_palette.Entries(), expected.m_palette.Entries()) << "tick " << tick;
    }
    EXPECT_NE(f->m_palette.Entries(), before);
    EXPECT_EQ(f->Canvas().Pixels(), pixels);
    EXPECT_EQ(f->PassCount(), 1);
    ExpectPresentedThroughPalette(f, View(f)->Image());
}

TEST_F(FrameTest, RunningTimerTicksThePalette) {
    CVortanFrame* f = Shown(FrameParams(m_input, 2, true, 10));
    const auto before = f->m_palette.Entries();
    EXPECT_TRUE(QTest::qWaitFor([&] { return f->m_palette.Entries() != before; }, 5000));
    EXPECT_EQ(f->PassCount(), 1);
}

TEST_F(FrameTest, ExposureRedrawsTheSamePictureInTheAnimatedPalette) {
    CVortanFrame* f = Shown(FrameParams(m_input, 2, false));
    const auto pixels = f->Canvas().Pixels();
    for (int i = 0; i < 3; ++i) f->OnTimer();
    const auto animated = f->m_palette.Entries();
    f->SimulateExposure();
    EXPECT_EQ(f->PassCount(), 2);
    EXPECT_EQ(f->Canvas().Pixels(), pixels);
    EXPECT_EQ(f->m_palette.Entries(), animated);
    ExpectPresentedThroughPalette(f, View(f)->Image());
    EXPECT_FALSE(f->IsTimerActive());  // animation off: no pass starts the timer
}

TEST_F(FrameTest, F2TogglesTimerAndCheckMark) {
    CVortanFrame* f = Shown(FrameParams(m_input, 2, false, 25));
    QAction* mark = f->MenuAction(res::ID_ANIMATION);
    ASSERT_NE(mark, nullptr);
    EXPECT_FALSE(f->IsTimerActive());
    EXPECT_FALSE(mark->isChecked());
    const struct {
        bool active;
        int running;
    } steps[] = {{true, 1}, {false, 0}, {true, 1}};
    for (const auto& s : steps) {
        Press(QKeySequence(Qt::Key_F2));
        EXPECT_EQ(f->IsTimerActive(), s.active);
        EXPECT_EQ(f->m_timerRunning, s.running);
        EXPECT_EQ(mark->isChecked(), s.running != 0);
    }
    EXPECT_EQ(f->TimerPeriod(), 25u);
}

TEST_F(FrameTest, RepaintReArmsTheTimerWhateverTheCommandSaid) {
    CVortanFrame* f = Shown(FrameParams(m_input));
    QAction* mark = f->MenuAction(res::ID_ANIMATION);
    f->OnCommand(res::ID_ANIMATION);  // stop
    EXPECT_FALSE(f->IsTimerActive());
    f->SimulateExposure();
    EXPECT_TRUE(f->IsTimerActive());
    EXPECT_EQ(f->m_timerRunning, 0);
    EXPECT_FALSE(mark->isChecked());
    f->OnCommand(res::ID_ANIMATION);  // starts again (already running) and sets the mark
    EXPECT_TRUE(f->IsTimerActive());
    EXPECT_TRUE(mark->isChecked());
    f->OnCommand(res::ID_ANIMATION);
    EXPECT_FALSE(f->IsTimerActive());
    EXPECT_FALSE(mark->isChecked());
}

// The window system reports a part of the window uncovered (another window
// moved away, the window restored): an exposure of the client area is a
// repaint of it, and every repaint is a whole drawing pass.
TEST_F(FrameTest, WindowSystemExposuresOfTheClientAreaRunAPass) {
    CVortanFrame* f = Shown(FrameParams(m_input));
    ASSERT_NE(f->windowHandle(), nullptr);
    QWidget* strip = f->findChild<QWidget*>("ctl1035");
    ASSERT_NE(strip, nullptr);
    const QRect picture(View(f)->mapTo(f, QPoint(0, 0)), View(f)->size());
    const QRect status(strip->mapTo(f, QPoint(0, 0)), strip->size());
    const QRect menu = f->menuBar()->geometry();
    ASSERT_FALSE(menu.intersects(picture));
    const struct {
        const char* what;
        QRegion region;
        int passes;
    } cases[] = {
        {"picture uncovered", QRegion(picture), 1},
        {"corner of the picture", QRegion(picture.x() + 5, picture.y() + 5, 10, 10), 1},
        {"status strip only", QRegion(status), 1},
        {"menu bar only", QRegion(menu), 0},
        {"nothing", QRegion(), 0},
    };
    for (const auto& c : cases) {
        f->OnCommand(res::ID_ANIMATION);  // stop: only a pass can start the timer now
        ASSERT_FALSE(f->IsTimerActive()) << c.what;
        const int before = f->PassCount();
        f->SetStatusText("   Printing... ", false);
        QExposeEvent expose(c.region);
        QCoreApplication::sendEvent(f->windowHandle(), &expose);
        QTest::qWait(30);
        EXPECT_EQ(f->PassCount() - before, c.passes) << c.what;
        EXPECT_EQ(f->IsTimerActive(), c.passes > 0) << c.what;
        EXPECT_EQ(f->StatusText().toStdString(),
                  c.passes > 0 ? "   Drawing:   DONE" : "   Printing... ")
            << c.what;
        EXPECT_EQ(f->m_timerRunning, 0) << c.what;
        f->OnCommand(res::ID_ANIMATION);  // back to running for the next case
    }
}

// Counts the exposures a window receives.
class ExposeCounter : public QObject {
  public:
    explicit ExposeCounter(QWindow* window) : m_window(window) {
        m_window->installEventFilter(this);
    }
    ~ExposeCounter() override {
        if (m_window) m_window->removeEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Expose) ++count;
        return false;
    }
    int count = 0;

  private:
    QPointer<QWindow> m_window;
};

// The program's own menus and dialogs give back what they covered when they
// close, so the exposure that follows asks for no pass; a window of another
// kind (another program's, the help window) uncovers the picture for real.
TEST_F(FrameTest, OwnMenusAndDialogsClosingOverThePictureRunNoPass) {
    CVortanFrame* f = Shown(FrameParams(m_input));
    ASSERT_NE(f->windowHandle(), nullptr);
    const QRect over(f->mapToGlobal(View(f)->mapTo(f, QPoint(10, 10))), QSize(60, 40));
    QMenu* options = f->menuBar()->actions().value(1)->menu();
    ASSERT_NE(options, nullptr);
    const struct {
        const char* what;
        std::function<QRect()> showAndClose;  // the covered area, global
        int passes;
    } cases[] = {
        {"its own menu",
         [&] {
             options->popup(over.topLeft());
             EXPECT_TRUE(QTest::qWaitForWindowExposed(options));
             const QRect covered = options->frameGeometry();
             options->hide();
             return covered;
         },
         0},
        {"a dialog of the program",
         [&] {
             QDialog box(f);
             box.setGeometry(over);
             box.show();
             EXPECT_TRUE(QTest::qWaitForWindowExposed(&box));
             box.hide();
             return box.frameGeometry();
         },
         0},
        {"a window of another kind",
         [&] {
             QWidget other(nullptr, Qt::Window);
             other.setGeometry(over);
             other.show();
             EXPECT_TRUE(QTest::qWaitForWindowExposed(&other));
             other.hide();
             return other.frameGeometry();
         },
         1},
    };
    ExposeCounter exposures(f->windowHandle());
    for (const auto& c : cases) {
        f->OnCommand(res::ID_ANIMATION);  // stop: only a pass can start the timer now
        const int before = f->PassCount();
        exposures.count = 0;
        const QRect covered = c.showAndClose();
        ASSERT_TRUE(covered.intersects(over)) << c.what;
        // A window system with real exposures sends its own; the offscreen
        // one sends none, so the test sends what it would have.
        QTest::qWait(50);
        const QPoint origin = f->windowHandle()->mapToGlobal(QPoint(0, 0));
        if (exposures.count == 0) {
            QExposeEvent expose(QRegion(covered.translated(-origin)));
            QCoreApplication::sendEvent(f->windowHandle(), &expose);
            QTest::qWait(30);
        }
        EXPECT_EQ(f->PassCount() - before, c.passes) << c.what;
        EXPECT_EQ(f->IsTimerActive(), c.passes > 0) << c.what;
        // A later exposure of the same area has another cause: it repaints.
        QExposeEvent again(QRegion(covered.translated(-origin)));
        QCoreApplication::sendEvent(f->windowHandle(), &again);
        QTest::qWait(30);
        EXPECT_EQ(f->PassCount() - before, c.passes + 1) << c.what;
        f->OnCommand(res::ID_ANIMATION);  // running again (with the check mark)
    }
}

TEST_F(FrameTest, TimerPeriodIsClampedAsThePlatformClampsIt) {
    const struct {
        int delay;
        std::uint32_t period;
    } cases[] = {{0, 10},    {3, 10},          {10, 10},
                 {500, 500}, {-1, 0x7FFFFFFF}, {std::numeric_limits<int>::max(), 0x7FFFFFFF}};
    for (const auto& c : cases) {
        CVortanFrame* f = Shown(FrameParams(m_input, 2, false, c.delay));
        f->OnCommand(res::ID_ANIMATION);
        EXPECT_TRUE(f->IsTimerActive()) << c.delay;
        EXPECT_EQ(f->TimerPeriod(), c.period) << c.delay;
        f->close();
        vortan::test::FlushDeletes();
    }
    EXPECT_TRUE(m_ui.messages.empty());
}

TEST_F(FrameTest, RefusedTimerIsReportedAndTheCommandStateKept) {
    CVortanFrame* f = Shown<TimerlessFrame>(FrameParams(m_input));
    const FakeUiService::Message refused{"Not enough timers available for this window.",
                                         "vortan:CVortanFrame", 0x30};
    // The end of the first pass asked for the timer.
    ASSERT_EQ(m_ui.messages.size(), 1u);
    EXPECT_EQ(m_ui.messages[0], refused);
    f->OnCommand(res::ID_ANIMATION);  // stop: nothing to report
    EXPECT_EQ(m_ui.messages.size(), 1u);
    f->OnCommand(res::ID_ANIMATION);  // start: refused
    ASSERT_EQ(m_ui.messages.size(), 2u);
    EXPECT_EQ(m_ui.messages[1], refused);
    EXPECT_EQ(f->m_timerRunning, 1);
    EXPECT_FALSE(f->IsTimerActive());
    EXPECT_TRUE(f->MenuAction(res::ID_ANIMATION)->isChecked());
}

TEST_F(FrameTest, SaveSaveAsAndHelpKeysDoNothing) {
    CVortanFrame* f = Shown(FrameParams(m_input));
    for (int id : {res::ID_FILE_SAVE, res::ID_FILE_SAVE_AS, res::ID_HELP_FINDER})
        EXPECT_FALSE(f->OnCommand(id)) << id;
    for (QKeySequence keys : {QKeySequence(Qt::CTRL | Qt::Key_S),
                              QKeySequence(Qt::CTRL | Qt::Key_A), QKeySequence(Qt::Key_F1)})
        Press(keys);
    EXPECT_TRUE(f->isVisible());
    EXPECT_TRUE(f->IsTimerActive());
    EXPECT_EQ(f->m_timerRunning, 1);
    EXPECT_EQ(f->PassCount(), 1);
    EXPECT_TRUE(m_ui.events.empty());
    EXPECT_EQ(f->StatusText(), "   Drawing:   DONE");
}

// Records the strip's text at every paint it gets while no pass has ended yet.
class StripPaints : public QObject {
  public:
    explicit StripPaints(CVortanFrame* f) : m_frame(f) {}
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint && m_frame->PassCount() == 0 &&
            !m_frame->StatusText().isEmpty())
            texts << m_frame->StatusText();
        return false;
    }
    QStringList texts;

  private:
    CVortanFrame* m_frame;
};

TEST_F(FrameTest, StatusStripIsRepaintedAfterEveryStreamlineOfThePass) {
    CVortanFrame* f = Make(FrameParams(m_input));
    ASSERT_TRUE(f->Create());
    QWidget* strip = f->findChild<QWidget*>("ctl1035");
    ASSERT_NE(strip, nullptr);
    StripPaints paints(f);
    strip->installEventFilter(&paints);
    f->ActivateFrame();
    ASSERT_TRUE(QTest::qWaitFor([f] { return f->PassCount() >= 1; }, 5000));
    // Three streamlines, a progress step of 100/3: the percentage before
    // each streamline is counted, shown while the pass still runs.
    EXPECT_EQ(paints.texts, (QStringList{"   Drawing:   0%", "   Drawing:   0%",
                                         "   Drawing:   33%", "   Drawing:   67%"}));
    strip->removeEventFilter(&paints);
}

TEST_F(FrameTest, ExitAndCloseBoxDestroyTheWindowAndStopTheTimer) {
    for (bool useExitKey : {true, false}) {
        QPointer<CVortanFrame> f = Shown(FrameParams(m_input));
        ASSERT_TRUE(f->IsTimerActive());
        if (useExitKey)
            Press(QKeySequence(Qt::CTRL | Qt::Key_X));
        else
            f->close();
        ASSERT_FALSE(f.isNull());  // deleted once the event loop runs again
        EXPECT_FALSE(f->isVisible());
        EXPECT_FALSE(f->IsTimerActive());
        vortan::test::FlushDeletes();
        EXPECT_TRUE(f.isNull());
    }
}

TEST_F(FrameTest, MenuItemsReachTheirCommands) {
    CVortanFrame* f = Shown(FrameParams(m_input));
    QAction* animation = f->MenuAction(res::ID_ANIMATION);
    animation->trigger();
    EXPECT_EQ(f->m_timerRunning, 0);
    EXPECT_FALSE(animation->isChecked());
    QPointer<CVortanFrame> guard(f);
    f->MenuAction(res::ID_EXIT)->trigger();
    vortan::test::FlushDeletes();
    EXPECT_TRUE(guard.isNull());
}

TEST_F(FrameTest, UnopenableFileIsReportedWithProgressAtZero) {
    CVortanFrame* f = Make(FrameParams(m_dir.file("missing.math")));
    ASSERT_TRUE(f->Create());
    QStringList statusAtMessage;
    m_ui.onMessage = [&](const FakeUiService::Message&) { statusAtMessage << f->StatusText(); };
    f->ActivateFrame();
    ASSERT_TRUE(QTest::qWaitFor([f] { return f->PassCount() >= 1; }, 5000));
    ASSERT_EQ(m_ui.messages.size(), 1u);
    EXPECT_EQ(m_ui.messages[0].text, "Unable to open " + m_dir.file("missing.math"));
    EXPECT_EQ(m_ui.messages[0].caption, "Error");
    EXPECT_EQ(statusAtMessage, QStringList{"   Drawing:   0%"});
    EXPECT_EQ(f->StatusText(), "   Drawing:   DONE");
    EXPECT_EQ(DrawnPixels(f->Canvas()), 0);
    EXPECT_TRUE(f->IsTimerActive());
    m_ui.onMessage = nullptr;
}

TEST_F(FrameTest, PaletteWarningPathShowsSorryOnceBeforeShowing) {
    CVortanFrame* f = Make<PalettelessFrame>(FrameParams(m_input));
    ASSERT_TRUE(f->Create());
    EXPECT_FALSE(f->isVisible());
    ASSERT_EQ(m_ui.messages.size(), 1u);
    EXPECT_EQ(m_ui.messages[0],
              (FakeUiService::Message{"Palette animation is not supported on this device", "Sorry!",
                                      0x40}));
    f->ActivateFrame();
    ASSERT_TRUE(QTest::qWaitFor([f] { return f->PassCount() >= 1; }, 5000));
    EXPECT_EQ(m_ui.messages.size(), 1u);
}

TEST_F(FrameTest, StatusTextShowsOnTheStrip) {
    CVortanFrame* f = Shown(FrameParams(m_input));
    const QImage done = f->GrabStatusBar();
    f->SetStatusText("   Drawing:   50%", true);
    EXPECT_EQ(f->StatusText(), "   Drawing:   50%");
    EXPECT_EQ(f->m_statusBar.text, "   Drawing:   50%");
    EXPECT_NE(f->GrabStatusBar(), done);
    f->SetStatusText("   Drawing:   DONE", false);
    EXPECT_EQ(f->GrabStatusBar(), done);
}

}  // namespace
