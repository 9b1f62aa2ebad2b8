#include "view/qt/vortan_frame.h"

#include <gtest/gtest.h>

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QExposeEvent>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QWindow>
#include <functional>
#include <limits>

#include "res/resources.h"
#include "tests/qt/frame_test_support.h"
#include "view/drawing_pass.h"
#include "view/qt/gl_picture.h"
#include "view/qt/picture_view.h"

namespace {

using vortan::test::FakeUiService;
using vortan::test::FrameParams;
using FrameTest = vortan::test::FrameFixture;
namespace res = vortan::res;

// A frame whose platform may refuse every timer, or whose display cannot animate palettes.
template <bool kTimers, bool kPalettes>
struct LimitedFrame : CVortanFrame {
    using CVortanFrame::CVortanFrame;
    int StartPlatformTimer(int ms) override {
        return kTimers ? CVortanFrame::StartPlatformTimer(ms) : 0;
    }
    bool DisplayAnimatesPalettes() const override { return kPalettes; }
};

// Calls on() for every event of the given type the object receives.
struct EventSpy : QObject {
    EventSpy(QObject* target, QEvent::Type type, std::function<void()> on)
        : m_type(type), m_on(std::move(on)) {
        target->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == m_type) m_on();
        return false;
    }
    QEvent::Type m_type;
    std::function<void()> m_on;
};

void Press(QWidget* window, QKeySequence keys) {
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QTest::keySequence(window, keys);
}

// Sends an exposure of region (window coordinates) and lets the window react.
void Expose(CVortanFrame* f, const QRegion& region) {
    QExposeEvent expose(region);
    QCoreApplication::sendEvent(f->windowHandle(), &expose);
    QTest::qWait(30);
}

// The picture rows on screen are the canvas indices through the live palette.
void ExpectPresentedThroughPalette(CVortanFrame* f) {
    const auto& canvas = f->Canvas();
    QImage want(canvas.Width(), canvas.Height() - vortan::kStatusBarHeight, QImage::Format_RGB32);
    for (int y = 0; y < want.height(); ++y)
        for (int x = 0; x < want.width(); ++x) {
            const vortan::Rgb c = vortan::PixelColour(canvas.Pixel(x, y), f->m_palette.Entries());
            want.setPixel(x, y, qRgb(c.r, c.g, c.b));
        }
    auto* view = f->findChild<CPictureView*>();
    EXPECT_TRUE(view->Image().convertToFormat(QImage::Format_RGB32) == want);
    // The window system's pixels show the same wherever the picture is visible.
    const QRect visible = view->visibleRegion().boundingRect() & want.rect();
    ASSERT_FALSE(visible.isEmpty());
    const QPoint at = view->mapTo(f, visible.topLeft());
    const QPixmap screen =
        f->screen()->grabWindow(f->winId(), at.x(), at.y(), visible.width(), visible.height());
    EXPECT_TRUE(screen.toImage().convertToFormat(QImage::Format_RGB32) == want.copy(visible))
        << "visible " << visible.x() << "," << visible.y();
}

TEST_F(FrameTest, FirstShowRunsOnePassThatDrawsAndStartsTheTimer) {
    CVortanFrame* f = Make(FrameParams(m_input));
    ASSERT_TRUE(f->Create());
    EXPECT_EQ(f->windowTitle(), "Vortan - Colortableanimation");
    // A 2-D file opens no axis dialog and shows x and y.
    EXPECT_EQ((std::array{f->m_axisX, f->m_axisY, f->m_axisZ}), (std::array{1, 1, 0}));
    QWidget* strip = f->findChild<QWidget*>("ctl1035");
    ASSERT_NE(strip, nullptr);
    QStringList texts;  // the strip's text at each of its paints before the pass ends
    EventSpy spy(strip, QEvent::Paint, [&] {
        if (f->PassCount() == 0 && !f->StatusText().isEmpty()) texts << f->StatusText();
    });
    f->ActivateFrame();
    ASSERT_TRUE(QTest::qWaitFor([f] { return f->PassCount() >= 1; }, 5000));
    // Three streamlines, a progress step of 100/3: the percentage before each one.
    EXPECT_EQ(texts, (QStringList{"   Drawing:   0%", "   Drawing:   0%", "   Drawing:   33%",
                                  "   Drawing:   67%"}));
    QTest::qWait(100);  // later paint events must ask for no further pass
    EXPECT_EQ(f->PassCount(), 1);
    EXPECT_EQ(f->StatusText(), "   Drawing:   DONE");
    EXPECT_GT(vortan::test::DrawnPixels(f->Canvas()), 100);
    EXPECT_TRUE(f->IsTimerActive() && f->TimerPeriod() == 40 &&
                f->MenuAction(res::ID_ANIMATION)->isChecked());
    const auto& pixels = f->Canvas().Pixels();  // the status strip rows are never drawn into
    EXPECT_TRUE(std::all_of(pixels.begin() + 90 * 120, pixels.end(),
                            [](auto p) { return p == vortan::kClearedPixel; }));
    EXPECT_TRUE(m_ui.messages.empty());
}

TEST_F(FrameTest, APictureLargerThanTheScreenScrollsInAWindowThatFits) {
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    const QSize cases[] = {{120, 90},  // fits: not scrolled
                           {available.width() + 800, available.height() + 400},
                           {120, available.height() * 2}};
    for (const QSize size : cases) {
        SCOPED_TRACE(testing::Message() << size.width() << " x " << size.height());
        const bool scrolls = size != cases[0];
        vortan::test::WriteTextFile(
            m_input, vortan::test::FrameInputText(static_cast<float>(size.width()),
                                                  static_cast<float>(size.height()), 2));
        auto p = FrameParams(m_input);
        p.m_imageWidth = size.width();
        p.m_imageHeight = size.height();
        CVortanFrame* f = Shown(p);
        auto* scroll = f->findChild<QScrollArea*>("pictureScroll");
        ASSERT_EQ(scroll != nullptr, scrolls);
        EXPECT_EQ(f->ClientSize(), size + QSize(0, vortan::kStatusBarHeight));
        // The window keeps a fixed size, and a scrolled one fits the screen.
        EXPECT_EQ(f->minimumSize(), f->maximumSize());
        if (scrolls) {
            EXPECT_EQ(scroll->widget()->size(), f->ClientSize());
            EXPECT_TRUE(available.contains(f->frameGeometry().bottomRight()));
            EXPECT_GE(scroll->width(), 100);
            // Scrolled away from the top left, a tick shows the visible part in the new palette.
            for (auto [bar, part] :
                 {std::pair{scroll->horizontalScrollBar(), 2}, {scroll->verticalScrollBar(), 3}})
                bar->setValue(bar->maximum() / part + 1);
            QTest::qWait(20);
            f->OnTimer();
            ExpectPresentedThroughPalette(f);
        } else {
            EXPECT_EQ(f->centralWidget()->size(), f->ClientSize());
        }
        EXPECT_GT(vortan::test::DrawnPixels(f->Canvas()), 100);
        f->close();
        vortan::test::FlushDeletes();
    }
}

// Asked for VORTAN_GL=1, a headless window keeps the CPU look-up (no crash, no hang).
TEST_F(FrameTest, TicksChangePaletteEntriesNeverIndicesAndARepaintReArmsTheTimer) {
    (void)CGlPicture::ProbedContext();
    setenv("VORTAN_GL", "1", 1);
    CVortanFrame* f = Shown(FrameParams(m_input, 2, true, 10));
    unsetenv("VORTAN_GL");
    EXPECT_EQ(f->findChild<CPictureView*>()->GlPicture(), nullptr);
    QAction* mark = f->MenuAction(res::ID_ANIMATION);
    const auto pixels = f->Canvas().Pixels();
    const auto first = f->m_palette.Entries();
    EXPECT_TRUE(QTest::qWaitFor([&] { return f->m_palette.Entries() != first; }, 5000));
    f->OnCommand(res::ID_ANIMATION);  // stopped
    EXPECT_EQ(f->PassCount(), 1);
    EXPECT_EQ(f->Canvas().Pixels(), pixels);
    ExpectPresentedThroughPalette(f);
    const auto animated = f->m_palette.Entries();
    f->SimulateExposure();  // the same picture in the animated palette
    EXPECT_EQ(f->PassCount(), 2);
    EXPECT_EQ(f->Canvas().Pixels(), pixels);
    EXPECT_EQ(f->m_palette.Entries(), animated);
    // A repaint of a window begun animated starts the timer; command state and mark stay.
    EXPECT_TRUE(f->IsTimerActive());
    EXPECT_FALSE(f->m_timerRunning || mark->isChecked());
    f->OnCommand(res::ID_ANIMATION);
    EXPECT_TRUE(f->IsTimerActive() && f->m_timerRunning && mark->isChecked());
}

TEST_F(FrameTest, ATickPresentsOncePerRepetitionAndNothingWhenNothingChanged) {
    // {colour tables, shift}: a tick repaints `shift` times, whatever the number of tables.
    const std::pair<int, int> cases[] = {{1, 1}, {1, 3}, {7, 1}, {7, 3}};
    for (auto [tables, shift] : cases) {
        SCOPED_TRACE(testing::Message() << tables << " tables, shift " << shift);
        auto p = FrameParams(m_input, 2, false);
        p.m_colortableCount = tables;
        p.m_colortableShift = shift;
        CVortanFrame* f = Shown(p);
        auto* view = f->findChild<CPictureView*>();
        ASSERT_NE(view, nullptr);
        int paints = 0;
        EventSpy spy(view, QEvent::Paint, [&paints] { ++paints; });
        for (int tick = 1; tick <= 3; ++tick) {
            const int before = f->PresentCount();
            f->OnTimer();
            EXPECT_EQ(f->PresentCount() - before, shift) << "tick " << tick;
            EXPECT_EQ(paints, tick * shift);
            ExpectPresentedThroughPalette(f);
        }
        // The palette message with the palette as shown repaints nothing.
        const int before = f->PresentCount();
        f->OnPaletteChanged();
        QTest::qWait(20);
        EXPECT_EQ(f->PresentCount(), before);
        EXPECT_EQ(paints, 3 * shift);
        EXPECT_EQ(f->PassCount(), 1);
        f->close();
    }
}

// F2 and the menu item toggle; Save, Save As and Help (commands and keys) do nothing.
TEST_F(FrameTest, F2TogglesTimerAndCheckMarkSaveAndHelpDoNothing) {
    CVortanFrame* f = Shown(FrameParams(m_input, 2, false, 25));
    QAction* mark = f->MenuAction(res::ID_ANIMATION);
    f->SimulateExposure();  // begun without animation: a repaint starts no timer
    EXPECT_FALSE(f->IsTimerActive() || mark->isChecked());
    for (bool running : {true, false, true}) {
        Press(f, QKeySequence(Qt::Key_F2));
        EXPECT_EQ((std::array{f->IsTimerActive(), f->m_timerRunning != 0, mark->isChecked()}),
                  (std::array{running, running, running}));
    }
    for (int id : {res::ID_FILE_SAVE, res::ID_FILE_SAVE_AS, res::ID_HELP_FINDER})
        EXPECT_FALSE(f->OnCommand(id)) << id;
    for (auto keys : {QKeySequence(Qt::CTRL | Qt::Key_S), QKeySequence(Qt::CTRL | Qt::Key_A),
                      QKeySequence(Qt::Key_F1)})
        Press(f, keys);
    EXPECT_TRUE(f->isVisible() && f->IsTimerActive() && f->m_timerRunning && f->PassCount() == 2);
    EXPECT_TRUE(m_ui.messages.empty() && m_ui.fileRequests.empty());
    mark->trigger();  // the menu item reaches the same command
    EXPECT_FALSE(f->IsTimerActive() || mark->isChecked());
}

TEST_F(FrameTest, TimerPeriodIsTheDelayClampedToTenUpToTheLargestSignedValue) {
    constexpr int kMax = std::numeric_limits<int>::max(), kMin = std::numeric_limits<int>::min();
    const std::pair<int, std::uint32_t> cases[] = {{0, 10},      {9, 10},    {10, 10},    {11, 11},
                                                   {kMax, kMax}, {-1, kMax}, {kMin, kMax}};
    for (auto [delay, period] : cases) {
        CVortanFrame* f = Shown(FrameParams(m_input, 2, false, delay));
        f->OnCommand(res::ID_ANIMATION);
        EXPECT_TRUE(f->IsTimerActive() && f->TimerPeriod() == period) << delay;
        // A precise platform timer: a coarse one may drift by 5 % a tick.
        const auto timers = QAbstractEventDispatcher::instance()->registeredTimers(f);
        ASSERT_EQ(timers.size(), 1) << delay;
        EXPECT_EQ(timers[0].interval, static_cast<int>(period)) << delay;
        EXPECT_EQ(timers[0].timerType, Qt::PreciseTimer) << delay;
        f->close();
    }
    EXPECT_TRUE(m_ui.messages.empty());
}

// Client-area exposures run a pass; closing own menus and dialogs and focus changes do not.
TEST_F(FrameTest, WhichExposuresRunAPass) {
    const QPalette appPalette = QApplication::palette();
    QPalette themed = appPalette;  // themes often colour inactive windows differently
    themed.setColor(QPalette::Inactive, QPalette::Window, Qt::darkRed);
    QApplication::setPalette(themed);
    CVortanFrame* f = Shown(FrameParams(m_input));
    QWidget* view = f->findChild<CPictureView*>();
    QWidget* strip = f->findChild<QWidget*>("ctl1035");
    const QRect picture(view->mapTo(f, QPoint(0, 0)), view->size());
    const QRect status(strip->mapTo(f, QPoint(0, 0)), strip->size());
    const QRect over(f->mapToGlobal(picture.topLeft() + QPoint(10, 10)), QSize(60, 40));
    QMenu* options = f->menuBar()->actions().value(1)->menu();
    QDialog ownDialog(f);
    QWidget other(nullptr, Qt::Window);
    QRegion uncovered;
    auto coverAndClose = [&](QWidget* w, bool exposeAgain = false) {
        w->setGeometry(over);
        if (w == options)
            options->popup(over.topLeft());
        else
            w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
        ASSERT_TRUE(w->frameGeometry().intersects(over));
        uncovered = w->frameGeometry().translated(-f->windowHandle()->mapToGlobal(QPoint()));
        w->hide();
        Expose(f, uncovered);                   // offscreen: what a window system sends
        if (exposeAgain) Expose(f, uncovered);  // a later exposure has another cause
    };
    auto focusAwayAndBack = [&] {
        other.show();
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
        other.hide();
        f->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(f));
        QTest::qWait(50);
    };
    const std::tuple<const char*, std::function<void()>, int> cases[] = {
        // what, act, passes
        {"picture", [&] { Expose(f, picture); }, 1},
        {"corner of the picture", [&] { Expose(f, QRect(picture.topLeft(), QSize(10, 10))); }, 1},
        {"status strip", [&] { Expose(f, status); }, 1},
        {"menu bar", [&] { Expose(f, f->menuBar()->geometry()); }, 0},
        {"own menu closing", [&] { coverAndClose(options); }, 0},
        {"own dialog closing", [&] { coverAndClose(&ownDialog); }, 0},
        {"own dialog, then the area again", [&] { coverAndClose(&ownDialog, true); }, 1},
        {"other window closing", [&] { coverAndClose(&other); }, 1},
        {"focus away and back", focusAwayAndBack, 0},
    };
    for (const auto& [what, act, passes] : cases) {
        f->OnCommand(res::ID_ANIMATION);  // stopped: only a pass can start the timer now
        const int before = f->PassCount();
        f->SetStatusText("   Printing... ", false);
        act();
        EXPECT_EQ(f->PassCount() - before, passes) << what;
        EXPECT_EQ(f->IsTimerActive(), passes > 0) << what;
        EXPECT_EQ(f->StatusText(), passes ? "   Drawing:   DONE" : "   Printing... ") << what;
        f->OnCommand(res::ID_ANIMATION);
    }
    QApplication::setPalette(appPalette);
}

// Each message once, with its owner's caption; the window and strip at the message.
TEST_F(FrameTest, MessagesWithTheirOwnersAndWhatShowsMeanwhile) {
    auto run = [&](CVortanFrame* f) {
        m_ui.Clear();
        QStringList seen;
        m_ui.onMessage = [&](auto&) { seen << QString::number(f->isVisible()) + f->StatusText(); };
        EXPECT_TRUE(f->Create());
        f->ActivateFrame();
        EXPECT_TRUE(QTest::qWaitFor([f] { return f->PassCount() >= 1; }, 5000));
        m_ui.onMessage = nullptr;
        return seen;
    };
    using Messages = std::vector<FakeUiService::Message>;
    const std::string missing = m_dir.file("missing.math");
    EXPECT_EQ(run(Make(FrameParams(missing))), QStringList{"1   Drawing:   0%"});
    EXPECT_EQ(m_ui.messages, (Messages{{"Unable to open " + missing, "Error", 0x30}}));
    CVortanFrame* timerless = Make<LimitedFrame<false, true>>(FrameParams(m_input));
    EXPECT_EQ(run(timerless), QStringList{"1   Drawing:   DONE"});
    timerless->OnCommand(res::ID_ANIMATION);  // stop
    timerless->OnCommand(res::ID_ANIMATION);  // start: refused again, the command state kept
    EXPECT_EQ(m_ui.messages, Messages(2, {"Not enough timers available for this window.",
                                          "vortan:CVortanFrame", 0x30}));
    EXPECT_TRUE(timerless->m_timerRunning && !timerless->IsTimerActive());
    EXPECT_EQ(run(Make<LimitedFrame<true, false>>(FrameParams(m_input))), QStringList{"0"});
    EXPECT_EQ(m_ui.messages,
              (Messages{{"Palette animation is not supported on this device", "Sorry!", 0x40}}));
}

TEST_F(FrameTest, ExitKeyExitItemAndCloseBoxDestroyTheWindowAndStopTheTimer) {
    for (int way = 0; way < 3; ++way) {
        QPointer<CVortanFrame> f = Shown(FrameParams(m_input));
        if (way == 0) Press(f, QKeySequence(Qt::CTRL | Qt::Key_X));
        if (way == 1) f->MenuAction(res::ID_EXIT)->trigger();
        if (way == 2) f->close();
        ASSERT_FALSE(f.isNull()) << way;  // deleted once the event loop runs again
        EXPECT_FALSE(f->isVisible() || f->IsTimerActive()) << way;
        vortan::test::FlushDeletes();
        EXPECT_TRUE(f.isNull()) << way;
    }
}

}  // namespace
