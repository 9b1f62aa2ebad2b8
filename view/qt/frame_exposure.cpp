// The animation window's exposures: when the window system uncovers the
// client area a drawing pass runs, once, outside the paint event; what the
// program's own menus and dialogs covered comes back without one.
#include <QApplication>
#include <QExposeEvent>
#include <QTimer>
#include <QWindow>

#include "view/qt/picture_view.h"
#include "view/qt/vortan_frame.h"

void CVortanFrame::SimulateExposure() {
    if (!m_view) return;
    m_view->repaint();
    if (m_passScheduled) RunScheduledPass();
}

void CVortanFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // The platform window exists once the window is shown; its exposures and
    // the program's own menus and dialogs closing are watched from then on,
    // before the first exposure arrives. An application filter sees both.
    m_watchedWindow = windowHandle();
    if (!m_watchingOwnWindows) {
        qApp->installEventFilter(this);
        m_watchingOwnWindows = true;
    }
}

bool CVortanFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Hide && watched != this && watched->isWidgetType())
        OwnWindowHidden(*static_cast<QWidget*>(watched));
    else if (event->type() == QEvent::Expose && watched == m_watchedWindow.data())
        WindowExposed(*static_cast<QExposeEvent*>(event));
    return QMainWindow::eventFilter(watched, event);
}

void CVortanFrame::OwnWindowHidden(const QWidget& widget) {
    // Menus, dialogs and message boxes of the program give back what they
    // covered unchanged, as the screen bits saved under them did: the
    // exposure that follows their closing asks for no pass.
    const Qt::WindowType type = widget.windowType();
    if (!widget.isWindow() || !isVisible() ||
        (type != Qt::Popup && type != Qt::Dialog && type != Qt::Sheet && type != Qt::ToolTip))
        return;
    const QRect client(mapToGlobal(centralWidget() ? centralWidget()->pos() : QPoint()),
                       ClientSize());
    if (widget.frameGeometry().intersects(client))
        m_closedOverClient.push_back({widget.frameGeometry(), m_clock.elapsed()});
}

void CVortanFrame::WindowExposed(const QExposeEvent& event) {
    if (!m_watchedWindow->isExposed() || !centralWidget()) return;
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    QRegion exposed = event.region();  // window coordinates
    QT_WARNING_POP
    // What closed windows of ours covered comes back with this exposure.
    const QPoint origin = m_watchedWindow->mapToGlobal(QPoint(0, 0));
    const qint64 now = m_clock.elapsed();
    for (const ClosedOverClient& closed : m_closedOverClient)
        if (now - closed.hiddenAt <= kSavedBitsLifetimeMs)
            exposed -= closed.global.translated(-origin);
    m_closedOverClient.clear();
    // Any other uncovered part of the client area (picture or status strip)
    // is a repaint of the window; the menu bar alone is not.
    if (exposed.intersects(centralWidget()->geometry())) ExposureSeen();
}

void CVortanFrame::ExposureSeen() {
    // The pass runs outside the paint event; paints during a pass or while
    // one is already scheduled ask for nothing more.
    if (m_inPass || m_passScheduled || m_destroyed) return;
    m_passScheduled = true;
    QTimer::singleShot(0, this, &CVortanFrame::RunScheduledPass);
}

void CVortanFrame::RunScheduledPass() {
    if (!m_passScheduled) return;
    m_passScheduled = false;
    if (m_destroyed) return;
    vortan::Dispatch(MessageMap(), *this, WM_PAINT);
}
