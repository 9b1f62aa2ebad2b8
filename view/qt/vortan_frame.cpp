#include "view/qt/vortan_frame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QImage>
#include <QLayout>
#include <QMenuBar>
#include <QPalette>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QTimer>
#include <QTimerEvent>
#include <algorithm>
#include <new>

#include "palette/color_tables.h"
#include "palette/palette_animation.h"
#include "platform/numeric.h"
#include "res/qt/app_icon.h"
#include "res/resources.h"
#include "view/drawing_pass.h"
#include "view/qt/animation_dlg.h"
#include "view/qt/axes_dlg.h"
#include "view/qt/picture_view.h"
#include "view/streamline_reader.h"

namespace res = vortan::res;

std::uint32_t ClampTimerPeriod(std::uint32_t period) {
    constexpr std::uint32_t kMinimum = 10;
    constexpr std::uint32_t kMaximum = 0x7FFFFFFFu;
    return std::clamp(period, kMinimum, kMaximum);
}

namespace {

QPalette SameWhenInactive(QPalette palette) {
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
        const auto r = static_cast<QPalette::ColorRole>(role);
        palette.setBrush(QPalette::Inactive, r, palette.brush(QPalette::Active, r));
    }
    return palette;
}

}  // namespace

// What a drawing pass sees of the window.
class CVortanFrame::Host : public vortan::IFrameHost {
  public:
    explicit Host(CVortanFrame& frame) : m_frame(frame) { m_sincePresent.start(); }

    int MessageBox(const std::string& text, const std::string& caption, unsigned type) override {
        return m_frame.m_ui.MessageBox(text, caption, type);
    }
    void SetStatusText(const std::string& text, bool repaintFirst) override {
        m_frame.SetStatusText(QString::fromStdString(text), repaintFirst);
    }
    bool SetTimer(unsigned, std::uint32_t period) override { return m_frame.StartTimer(period); }
    void KillTimer(unsigned) override { m_frame.StopTimer(); }
    // Streamlets show as they are drawn: the picture is presented again at
    // least every 50 ms of a long pass.
    void StreamletDrawn() override {
        if (m_sincePresent.elapsed() < 50) return;
        m_frame.m_view->Present();
        m_sincePresent.restart();
    }
    // Every repetition of a tick reaches the screen once, after all its tables.
    void PaletteAnimated() override { m_frame.PresentPalette(); }

  private:
    CVortanFrame& m_frame;
    QElapsedTimer m_sincePresent;
};

static const vortan::MessageMapEntry<CVortanFrame> kMessageMap[] = {
    {WM_PAINT, &CVortanFrame::OnPaint},
    {WM_PALETTECHANGED, &CVortanFrame::OnPaletteChanged},
    {WM_TIMER, &CVortanFrame::OnTimer},
    {WM_CREATE, &CVortanFrame::OnCreate},
    {WM_DESTROY, &CVortanFrame::OnDestroy},
    {res::ID_EXIT, &CVortanFrame::OnExit},
    {res::ID_FILE_PRINT, &CVortanFrame::OnFilePrint},
    {res::ID_ANIMATION, &CVortanFrame::OnAnimation},
    {res::ID_SETTINGS, &CVortanFrame::OnSettings},
    {kUpdateCommandUi + res::ID_ANIMATION, &CVortanFrame::OnUpdateAnimation},
    {res::ID_SAVE_BITMAP, &CVortanFrame::OnSaveBitmap},
    {res::ID_SAVE_BITMAP_AS, &CVortanFrame::OnSaveBitmapAs},
};

std::span<const vortan::MessageMapEntry<CVortanFrame>> CVortanFrame::MessageMap() {
    return kMessageMap;
}

CVortanFrame::CVortanFrame(vortan::IUiService& ui, QWidget* owner)
    : QMainWindow(owner, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                             Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      m_ui(ui) {
    setAttribute(Qt::WA_DeleteOnClose);
    m_clock.start();
}

CVortanFrame::~CVortanFrame() {
    if (m_watchingOwnWindows && qApp) qApp->removeEventFilter(this);
    if (m_created && !m_destroyed) OnDestroy();
    m_palette.SetAnimateListener({});
}

bool CVortanFrame::Create() {
    if (m_created) return false;
    // The client area holds the picture and the status strip; a size the
    // drawing cannot hold fails creation, as a refused window would.
    if (!vortan::IsDrawablePictureSize(static_cast<float>(m_imageWidth),
                                       static_cast<float>(m_imageHeight))) {
        deleteLater();
        return false;
    }
    // The picture store of the whole client area; without it there is no window.
    try {
        m_canvas.Resize(m_imageWidth, m_imageHeight + vortan::kStatusBarHeight);
    } catch (const std::bad_alloc&) {
        deleteLater();
        return false;
    }
    // Themes that colour inactive windows differently would repaint the whole
    // window on every focus change, and each such paint would cost a pass.
    setPalette(SameWhenInactive(palette()));
    setWindowTitle(QString::fromLatin1(kFrameTitle));
    BuildMenu();
    move(kFrameLeft, kFrameTop);
    m_created = true;
    vortan::Dispatch(MessageMap(), *this, WM_CREATE);
    OnCommandUpdate();
    return true;
}

void CVortanFrame::OnCreate() {
    setWindowIcon(AppIcon());

    const QSize client = ClientSize();
    auto* area = new QWidget(this);
    area->setFixedSize(client);
    m_view = new CPictureView(*this, m_canvas, m_palette, area);
    m_view->setGeometry(0, 0, client.width(), client.height() - vortan::kStatusBarHeight);
    m_status = new CStatusStrip(area);
    m_status->setObjectName(QStringLiteral("ctl%1").arg(res::IDC_STATUSBAR));
    m_status->setGeometry(0, client.height() - vortan::kStatusBarHeight, client.width(),
                          vortan::kStatusBarHeight);
    // A client area larger than the screen scrolls inside a window that fits.
    const QScreen* screen = QGuiApplication::screenAt(QPoint(kFrameLeft, kFrameTop));
    if (!screen) screen = QGuiApplication::primaryScreen();
    const QSize visible =
        screen ? VisibleClientSize(client, screen->availableGeometry(),
                                   QPoint(kFrameLeft, kFrameTop), menuBar()->sizeHint().height())
               : client;
    if (visible == client) {
        setCentralWidget(area);
    } else {
        auto* scroll = new QScrollArea(this);
        scroll->setObjectName(QStringLiteral("pictureScroll"));
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidget(area);
        scroll->setFixedSize(visible);
        setCentralWidget(scroll);
    }
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    BuildAccelerators();
    m_timerRunning = m_animationOn != 0 ? 1 : 0;

    vortan::BuildWindowPalette(*this);

    if (!DisplayAnimatesPalettes())
        m_ui.MessageBox(kNoPaletteText, kNoPaletteCaption,
                        vortan::MB_OK | vortan::MB_ICONINFORMATION);

    if (m_dimension == 3) {
        CAxesDlg dialog(m_axesDlg, m_ui, this);
        PlaceOverClientArea(dialog);
        dialog.DoModal();
        m_axisX = m_axesDlg.m_axisX;
        m_axisY = m_axesDlg.m_axisY;
        m_axisZ = m_axesDlg.m_axisZ;
    } else {
        m_axisX = 1;
        m_axisY = 1;
        m_axisZ = 0;
    }
}

QSize VisibleClientSize(QSize client, QRect available, QPoint topLeft, int chrome) {
    constexpr int kSmallest = 100;
    const int roomW = available.right() + 1 - std::max(topLeft.x(), available.left()) -
                      kFrameDecorationAllowance / 4;
    const int roomH = available.bottom() + 1 - std::max(topLeft.y(), available.top()) - chrome -
                      kFrameDecorationAllowance;
    return QSize(std::min(client.width(), std::max(roomW, kSmallest)),
                 std::min(client.height(), std::max(roomH, kSmallest)));
}

void CVortanFrame::PlaceOverClientArea(QWidget& dialog) const {
    // The window is not shown yet, so Qt would centre the dialog on a window
    // of no size in the screen's corner: centre it where the picture will be.
    const QSize client = ClientSize();
    const QScreen* screen = QGuiApplication::screenAt(QPoint(kFrameLeft, kFrameTop));
    if (!screen) screen = QGuiApplication::primaryScreen();
    const QSize size = dialog.frameGeometry().size();
    int x = kFrameLeft + (client.width() - size.width()) / 2;
    int y = kFrameTop + (client.height() - size.height()) / 2;
    if (screen) {
        const QRect area = screen->availableGeometry();
        x = std::clamp(x, area.left(), std::max(area.left(), area.right() + 1 - size.width()));
        y = std::clamp(y, area.top(), std::max(area.top(), area.bottom() + 1 - size.height()));
    }
    dialog.move(x, y);
}

bool CVortanFrame::DisplayAnimatesPalettes() const {
    return true;
}

void CVortanFrame::ActivateFrame() {
    showNormal();
    raise();
    activateWindow();
}

bool CVortanFrame::OnCommand(int id) {
    // Commands without an entry (Save, Save As, Help Topics) reach nothing.
    QPointer<CVortanFrame> self(this);
    const bool handled = vortan::Dispatch(MessageMap(), *this, id);
    if (self) OnCommandUpdate();
    return handled;
}

void CVortanFrame::OnCommandUpdate() {
    vortan::Dispatch(MessageMap(), *this, kUpdateCommandUi + res::ID_ANIMATION);
}

vortan::IUiService& CVortanFrame::Ui() {
    return m_ui;
}

const vortan::IndexedCanvas& CVortanFrame::Canvas() const {
    return m_canvas;
}

void CVortanFrame::SetStatusText(const QString& text, bool repaintFirst) {
    m_statusBar.text = text.toStdString();
    if (!m_status) return;
    m_status->SetText(text);
    // During a pass the event loop does not run: repaint at once when asked.
    if (repaintFirst)
        m_status->repaint();
    else
        m_status->update();
}

QString CVortanFrame::StatusText() const {
    return m_status ? m_status->Text() : QString::fromStdString(m_statusBar.text);
}

QImage CVortanFrame::GrabStatusBar() {
    return m_status ? m_status->grab().toImage() : QImage();
}

QSize CVortanFrame::ClientSize() const {
    return QSize(m_imageWidth, m_imageHeight + vortan::kStatusBarHeight);
}

void CVortanFrame::PresentPalette() {
    if (m_view) m_view->PresentPalette();
}

int CVortanFrame::PresentCount() const {
    return m_view ? m_view->PresentCount() : 0;
}

bool CVortanFrame::IsTimerActive() const {
    return m_qtTimerId != 0;
}

std::uint32_t CVortanFrame::TimerPeriod() const {
    return m_timerPeriod;
}

int CVortanFrame::PassCount() const {
    return m_passCount;
}

int CVortanFrame::StartPlatformTimer(int period) {
    // Ticks keep the delay's rhythm: a coarse timer would let each tick
    // wander by up to 5 % of the delay to share wake-ups with other timers.
    return startTimer(period, Qt::PreciseTimer);
}

bool CVortanFrame::StartTimer(std::uint32_t period) {
    // Setting the timer again replaces the running one.
    StopTimer();
    const std::uint32_t clamped = ClampTimerPeriod(period);
    m_qtTimerId = StartPlatformTimer(static_cast<int>(clamped));
    if (m_qtTimerId == 0) return false;
    m_timerPeriod = clamped;
    return true;
}

void CVortanFrame::StopTimer() {
    if (m_qtTimerId != 0) killTimer(m_qtTimerId);
    m_qtTimerId = 0;
}

void CVortanFrame::StartTimerOrReport(std::uint32_t period) {
    if (!StartTimer(period))
        m_ui.MessageBox(vortan::kNoTimerText, vortan::kNoTimerCaption,
                        vortan::MB_OK | vortan::MB_ICONEXCLAMATION);
}

void CVortanFrame::timerEvent(QTimerEvent*) {
    // Every timer message is one tick, whatever its id.
    vortan::Dispatch(MessageMap(), *this, WM_TIMER);
}

void CVortanFrame::OnTimer() {
    Host host(*this);
    vortan::AnimationTick(*this, &host);
}

void CVortanFrame::OnPaint() {
    if (!m_view || m_inPass) return;
    m_inPass = true;
    Host host(*this);
    vortan::RunDrawingPass(*this, m_canvas, host, vortan::PassKind::Screen);
    m_inPass = false;
    ++m_passCount;
    m_view->Present();
}

void CVortanFrame::OnPaletteChanged() {
    PresentPalette();
}

void CVortanFrame::closeEvent(QCloseEvent* event) {
    QMainWindow::closeEvent(event);
    if (event->isAccepted() && !m_destroyed) vortan::Dispatch(MessageMap(), *this, WM_DESTROY);
}

void CVortanFrame::OnDestroy() {
    StopTimer();
    m_destroyed = true;
}

void CVortanFrame::OnExit() {
    close();
}

void CVortanFrame::OnAnimation() {
    if (m_timerRunning != 0) {
        StopTimer();
        m_timerRunning = 0;
        return;
    }
    m_timerRunning = 1;
    StartTimerOrReport(static_cast<std::uint32_t>(m_timeDelay));
}

void CVortanFrame::OnSettings() {
    QPointer<CVortanFrame> self(this);
    CAnimationDlg dialog(m_animationDlg, m_ui, this);
    const int result = dialog.DoModal();
    if (!self || m_destroyed) return;
    // Only values that passed OK's checks reach the timer and the tick.
    if (result != vortan::IDOK) return;
    m_timeDelay = vortan::TruncToInt32(m_animationDlg.m_delay);
    m_colortableShift = vortan::TruncToInt32(m_animationDlg.m_shift);
    if (m_timerRunning != 0) {
        StopTimer();
        StartTimerOrReport(static_cast<std::uint32_t>(m_timeDelay));
    }
}

void CVortanFrame::OnUpdateAnimation() {
    if (m_animationAction) m_animationAction->setChecked(m_timerRunning != 0);
}
