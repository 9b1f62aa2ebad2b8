// The animation window under a real window system: opens a window on a
// generated picture, lets the timer tick for a while and prints the ticks
// per second and this process's CPU share. Run by bench/window_load.sh under
// Xvfb, which adds the X server's share. With --against-copy it also times
// the picture's paint, the frame's conversion into the window's backing
// store, against a copy of as many pixels into another window's backing
// store, painted as often: the frame against the copy where it really runs.
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QPainter>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/qt/qt_ui_service.h"
#include "view/qt/picture_view.h"
#include "view/qt/vortan_frame.h"
#include "view/streamline_writer.h"

namespace {

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

// CPU seconds used so far by process pid (user + system), 0 when unknown.
double ProcessCpuSeconds(const char* pid) {
    if (!pid) return 0.0;
    std::ifstream stat(std::string("/proc/") + pid + "/stat");
    std::string field;
    double ticks = 0.0;
    // Fields 14 and 15 are user and system time in clock ticks; the command
    // name (field 2) holds no blanks for the X server.
    for (int i = 1; i <= 15 && stat >> field; ++i)
        if (i >= 14) ticks += std::atof(field.c_str());
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// A w x h picture of gently curving streamlines of 61 knots in 0..1.
bool WritePicture(const std::string& path, int w, int h, int lines) {
    vortan::StreamlineHeader header;
    header.imageWidth = static_cast<float>(w);
    header.imageHeight = static_cast<float>(h);
    header.dimension = 2.0f;
    header.tMax = 1.0f;
    header.progressStep = 0.25f;
    header.xMax = 1.0f;
    header.yMax = 1.0f;
    vortan::StreamlineWriter writer;
    if (!writer.Open(path, header)) return false;
    for (int line = 0; line < lines; ++line) {
        const double x0 = 0.1 + 0.8 * std::fmod(line * 0.6180339887, 1.0);
        const double y0 = 0.1 + 0.8 * std::fmod(line * 0.7548776662, 1.0);
        std::vector<vortan::StreamlinePoint> points;
        for (int k = 0; k <= 60; ++k) {
            const double t = k / 60.0;
            const double a = line * 0.37 + 2.0 * t;
            points.push_back({t, x0 + 0.08 * std::cos(a) * t, y0 + 0.08 * std::sin(a) * t});
        }
        if (!writer.Write(points)) return false;
    }
    return writer.Commit();
}

// Times the events of one type that one object handles: when each arrived
// and how long the object took over it, in ns.
class EventClock : public QObject {
  public:
    EventClock(QObject* target, QEvent::Type type) : m_target(target), m_type(type) {
        m_clock.start();
        target->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != m_target || event->type() != m_type || m_inside) return false;
        const qint64 start = m_clock.nsecsElapsed();
        m_inside = true;
        watched->event(event);
        m_inside = false;
        if (m_recording) {
            m_arrivals.push_back(start);
            m_work.push_back(m_clock.nsecsElapsed() - start);
        }
        return true;
    }
    void Record() { m_recording = true; }
    std::size_t Count() const { return m_work.size(); }
    // The q-quantile (0..1) of the gaps between events or of the work of one, in ms.
    double Gap(double q) const {
        std::vector<qint64> gaps;
        for (std::size_t i = 1; i < m_arrivals.size(); ++i)
            gaps.push_back(m_arrivals[i] - m_arrivals[i - 1]);
        return Quantile(std::move(gaps), q);
    }
    double Work(double q) const { return Quantile(m_work, q); }

  private:
    static double Quantile(std::vector<qint64> v, double q) {
        if (v.empty()) return 0.0;
        std::sort(v.begin(), v.end());
        const auto last = static_cast<double>(v.size() - 1);
        return static_cast<double>(v[static_cast<std::size_t>(q * last)]) * 1e-6;
    }

    QObject* m_target;
    QEvent::Type m_type;
    QElapsedTimer m_clock;
    std::vector<qint64> m_arrivals, m_work;
    bool m_inside = false;
    bool m_recording = false;
};

// A window whose paint copies a picture's worth of black pixels into its
// backing store, where the picture view converts the picture into its own:
// the copy as it runs in the same place as the frame.
class CopyTarget : public QWidget {
  public:
    CopyTarget(int w, int h) : m_source(static_cast<std::size_t>(w) * h, 0xFF000000u) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_NoSystemBackground);
        setFixedSize(w, h);
    }
    // Whether the last paint reached a backing store image of the whole size.
    bool Copied() const { return m_copied; }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QPoint at;
        QImage* target = StraightTarget(painter, &at);
        m_copied = target != nullptr && target->rect().contains(QRect(at, size()));
        if (!m_copied) return;
        const auto rowBytes = static_cast<std::size_t>(width()) * sizeof(std::uint32_t);
        if (target->bytesPerLine() == static_cast<qsizetype>(rowBytes) && at.x() == 0) {
            std::memcpy(target->scanLine(at.y()), m_source.data(), rowBytes * height());
            return;
        }
        for (int y = 0; y < height(); ++y)
            std::memcpy(target->scanLine(at.y() + y) + at.x() * sizeof(std::uint32_t),
                        m_source.data() + static_cast<std::size_t>(y) * width(), rowBytes);
    }

  private:
    std::vector<std::uint32_t> m_source;
    bool m_copied = false;
};

}  // namespace

int main(int argc, char** argv) {
    const bool againstCopy = argc > 1 && std::strcmp(argv[1], "--against-copy") == 0;
    char** args = argv + (againstCopy ? 1 : 0);
    const int count = argc - (againstCopy ? 1 : 0);
    if (count != 6 && count != 7) {
        std::fprintf(stderr,
                     "Usage: vortan-window-load [--against-copy] WIDTH HEIGHT TABLES DELAY_MS "
                     "SECONDS [STREAMLINES]\n");
        return 2;
    }
    // The paint timed against the copy is the processor's conversion, which
    // an OpenGL look-up would replace.
    if (againstCopy) qputenv("VORTAN_GL", "0");
    QApplication app(argc, argv);
    const int w = std::atoi(args[1]), h = std::atoi(args[2]);
    const int lines = count == 7 ? std::atoi(args[6]) : 400;
    const std::string path = "/tmp/vortan-window-load-" + std::to_string(::getpid()) + ".math";
    // The picture file goes on every way out.
    struct RemoveOnExit {
        const std::string& path;
        ~RemoveOnExit() { std::remove(path.c_str()); }
    } removeOnExit{path};
    if (!WritePicture(path, w, h, lines)) {
        std::fprintf(stderr, "vortan-window-load: cannot write %s\n", path.c_str());
        return 1;
    }
    vortan::AnimationParameters p;
    p.m_animationOn = 1;
    p.m_dimension = 2;
    p.m_imageWidth = w;
    p.m_imageHeight = h;
    p.m_timeDelay = std::atoi(args[4]);
    p.m_diskDiameter = 4;
    p.m_colortableCount = std::atoi(args[3]);
    p.m_withOrientation = 1;
    p.m_colortableShift = 1;
    p.m_inputPath = path;
    QtUiService ui;
    auto* frame = new CVortanFrame(ui, nullptr);
    vortan::ApplyAnimationParameters(p, *frame);
    if (!frame->Create()) return 1;
    frame->ActivateFrame();
    // Timer events: the tick, its conversion and its repaint.
    EventClock tickClock(frame, QEvent::Timer);
    if (!QTest::qWaitFor([frame] { return frame->PassCount() >= 1; }, 60000)) return 1;
    // The copy's window beside the frame's (the screen must hold both), its
    // paint asked for on a timer of the same delay.
    std::unique_ptr<CopyTarget> copy;
    std::unique_ptr<EventClock> copyClock, pictureClock;
    QTimer copyTimer;
    if (againstCopy) {
        auto* view = frame->findChild<CPictureView*>();
        if (view == nullptr) {
            std::fprintf(stderr, "vortan-window-load: the window has no picture view\n");
            return 1;
        }
        pictureClock = std::make_unique<EventClock>(view, QEvent::Paint);
        copy = std::make_unique<CopyTarget>(w, h);
        copy->move(frame->frameGeometry().right() + 1, 0);
        copy->show();
        copyClock = std::make_unique<EventClock>(copy.get(), QEvent::Paint);
        QObject::connect(&copyTimer, &QTimer::timeout, copy.get(), [&copy] { copy->repaint(); });
        copyTimer.start(p.m_timeDelay);
    }
    QTest::qWait(500);  // settle
    // With shift 1 every tick presents once.
    const int presents0 = frame->PresentCount();
    const char* server = std::getenv("VORTAN_X_SERVER_PID");
    const double cpu0 = CpuSeconds();
    const double server0 = ProcessCpuSeconds(server);
    QElapsedTimer clock;
    clock.start();
    tickClock.Record();
    if (againstCopy) {
        pictureClock->Record();
        copyClock->Record();
    }
    // A plain event loop, as the program runs: QTest::qWait would sleep 10 ms
    // whenever no event is pending and so hold the ticks back.
    QEventLoop loop;
    QTimer::singleShot(std::atoi(args[5]) * 1000, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
    const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;
    const double ticks = frame->PresentCount() - presents0;
    const double own = 100.0 * (CpuSeconds() - cpu0) / seconds;
    const double x = 100.0 * (ProcessCpuSeconds(server) - server0) / seconds;
    std::printf(
        "%dx%d, %s tables, delay %s ms: %.1f ticks/s, window %.1f %% of a core, X server %.1f %%\n",
        w, h, args[3], args[4], ticks / seconds, own, x);
    std::printf(
        "    gap between ticks median %.2f ms, max %.2f ms; work of a tick median %.2f ms, "
        "99%% %.2f ms\n",
        tickClock.Gap(0.5), tickClock.Gap(1.0), tickClock.Work(0.5), tickClock.Work(0.99));
    if (againstCopy) {
        if (!copy->Copied()) {
            std::fprintf(stderr,
                         "vortan-window-load: the copy's window has no image to copy into\n");
            return 1;
        }
        const auto& pixels = frame->Canvas().Pixels();
        const double ratio = pictureClock->Work(0.5) / copyClock->Work(0.5);
        const auto cleared = std::count(pixels.begin(), pixels.end(), vortan::kClearedPixel);
        std::printf(
            "    paint of the picture (%zu paints, %.0f %% background) median %.3f ms, of a copy "
            "of its size beside it (%zu paints) median %.3f ms: %.2f x the copy, target <= 1.2 "
            "%s\n",
            pictureClock->Count(),
            100.0 * static_cast<double>(cleared) /
                static_cast<double>(std::max<std::size_t>(pixels.size(), 1)),
            pictureClock->Work(0.5), copyClock->Count(), copyClock->Work(0.5), ratio,
            ratio <= 1.2 ? "met" : "NOT met");
    }
    std::fflush(stdout);
    frame->removeEventFilter(&tickClock);
    frame->close();
    return 0;
}
