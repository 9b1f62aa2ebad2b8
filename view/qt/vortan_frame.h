// The animation window: shows the streamline picture through the window's
// 256-entry palette and animates it by rotating the colour tables on a timer.
#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <QRect>
#include <QString>
#include <cstdint>
#include <span>
#include <vector>

#include "output/qt/output_window.h"
#include "platform/indexed_canvas.h"
#include "platform/message_map.h"
#include "platform/ui_service.h"
#include "view/frame_host.h"
#include "view/vortan_frame_state.h"

class QAction;
class QExposeEvent;
class QWindow;
class QImage;
class QSize;
class CPictureView;
class CStatusStrip;

// Window messages the message map names (the command ids live in res/resources.h).
inline constexpr int WM_CREATE = 0x0001;
inline constexpr int WM_DESTROY = 0x0002;
inline constexpr int WM_PAINT = 0x000F;
inline constexpr int WM_TIMER = 0x0113;
inline constexpr int WM_PALETTECHANGED = 0x0311;
// Map ids at and above this one are command-update handlers: kUpdateCommandUi + command id.
inline constexpr int kUpdateCommandUi = 0x10000;

// The period the platform runs a timer at: below 10 ms it runs at 10 ms,
// above 2^31 - 1 ms at 2^31 - 1 ms.
std::uint32_t ClampTimerPeriod(std::uint32_t period);

// Texts of the window.
inline constexpr const char* kFrameTitle = "Vortan - Colortableanimation";
inline constexpr const char* kNoPaletteText = "Palette animation is not supported on this device";
inline constexpr const char* kNoPaletteCaption = "Sorry!";
// Top-left corner of the window on the screen.
inline constexpr int kFrameLeft = 50;
inline constexpr int kFrameTop = 50;
// Room kept for the title bar and borders the window manager adds, in pixels,
// when a client area is fitted to the screen.
inline constexpr int kFrameDecorationAllowance = 40;

// The part of a client area of size client shown on a screen whose available
// area is available, the window's top left at topLeft with chrome pixels of
// menu bar above the client: the whole client where it fits, else what fits
// (never below 100 x 100 pixels). The rest scrolls.
QSize VisibleClientSize(QSize client, QRect available, QPoint topLeft, int chrome);

// The window is the output commands' window too: they reach it only through
// vortan::qt::IOutputWindow.
class CVortanFrame : public QMainWindow,
                     public vortan::VortanFrameState,
                     public vortan::qt::IOutputWindow {
    Q_OBJECT
  public:
    // An owned top-level window that deletes itself once its window is closed.
    CVortanFrame(vortan::IUiService& ui, QWidget* owner);
    ~CVortanFrame() override;

    // Creates the window (title, geometry, menu) and runs OnCreate. Call after
    // the animation parameters were copied in. False when creation failed (a
    // picture size IsDrawablePictureSize refuses, or no memory for it); the object then
    // deletes itself once the event loop runs, unless the caller deletes it first.
    bool Create();
    // Shows the window normally, raises and activates it.
    void ActivateFrame();
    // Routes a command id through the message map (menu items and accelerators
    // do too), then refreshes the menu's check mark; false when nothing handles it.
    bool OnCommand(int id);
    static std::span<const vortan::MessageMapEntry<CVortanFrame>> MessageMap();

    vortan::IUiService& Ui() override;
    // The client area as last drawn: picture rows on top, status strip rows below.
    const vortan::IndexedCanvas& Canvas() const override;
    void SetStatusText(const QString& text, bool repaintFirst) override;
    QString StatusText() const;
    // The status strip as it looks on screen (client width x 30).
    QImage GrabStatusBar() override;
    // trunc(W) x (trunc(H) + 30).
    QSize ClientSize() const override;
    // The rest of what the output commands see: this object, the record,
    // m_palette's colours and m_bitmapPath / m_bitmapTitle.
    QObject* LifetimeObject() override;
    const vortan::VortanFrameState& DrawingRecord() const override;
    const vortan::PaletteEntries& PaletteColours() const override;
    const std::string& BitmapPath() const override;
    const std::string& BitmapTitle() const override;
    void RememberBitmap(const std::string& path, const std::string& title) override;
    // Re-presents the picture through the current palette, without a drawing
    // pass, when the palette differs from the one last shown.
    void PresentPalette();
    // Times the picture was converted and repainted (passes and palette changes).
    int PresentCount() const;

    // For tests.
    bool IsTimerActive() const;
    std::uint32_t TimerPeriod() const;
    // The system asks for a repaint of the picture: a drawing pass runs.
    void SimulateExposure();
    // Number of drawing passes run since creation.
    int PassCount() const;
    // The action of a menu command (nullptr when the menu has none).
    QAction* MenuAction(int command) const;

    // Handlers, reached through the message map.
    void OnCreate();
    void OnPaint();
    void OnTimer();
    void OnDestroy();
    void OnPaletteChanged();
    void OnExit();
    void OnFilePrint();
    void OnAnimation();
    void OnSettings();
    void OnUpdateAnimation();
    void OnSaveBitmap();
    void OnSaveBitmapAs();

  protected:
    // Whether the display animates palettes; ours re-presents the picture
    // through the palette, so it does.
    virtual bool DisplayAnimatesPalettes() const;

    void timerEvent(QTimerEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Sees the exposures the window system reports for the window (they
    // repaint no widget: the backing store still holds the picture) and the
    // program's own windows closing.
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Hands a period in milliseconds to the platform; the timer's id, 0 when refused.
    virtual int StartPlatformTimer(int period);

  private:
    friend class CPictureView;
    class Host;

    void BuildMenu();
    // Runs the command-update handlers (the check mark of Animation).
    void OnCommandUpdate();
    void BuildAccelerators();
    // Moves a dialog shown before the window over the window's future client area.
    void PlaceOverClientArea(QWidget& dialog) const;
    // Starts (or re-arms) the animation timer; false when the platform refuses it.
    bool StartTimer(std::uint32_t period);
    void StopTimer();
    // Starts the timer and reports a refusal with the timer message.
    void StartTimerOrReport(std::uint32_t period);
    // A paint of the picture that no present of ours asked for, or an
    // exposure of the client area: schedule a pass.
    void ExposureSeen();
    void OwnWindowHidden(const QWidget& widget);
    void WindowExposed(const QExposeEvent& event);
    void RunScheduledPass();

    vortan::IUiService& m_ui;
    vortan::IndexedCanvas m_canvas;
    CPictureView* m_view = nullptr;
    CStatusStrip* m_status = nullptr;
    QAction* m_animationAction = nullptr;
    QPointer<QWindow> m_watchedWindow;
    bool m_watchingOwnWindows = false;
    // Screen areas (global) that own menus and dialogs covered when they
    // closed, with the time (m_clock, ms); consumed by the next exposure.
    struct ClosedOverClient {
        QRect global;
        qint64 hiddenAt;
    };
    static constexpr qint64 kSavedBitsLifetimeMs = 5000;
    std::vector<ClosedOverClient> m_closedOverClient;
    QElapsedTimer m_clock;
    int m_qtTimerId = 0;
    std::uint32_t m_timerPeriod = 0;
    int m_passCount = 0;
    bool m_passScheduled = false;
    bool m_inPass = false;
    bool m_created = false;
    bool m_destroyed = false;
};
