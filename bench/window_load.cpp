// The animation window under a real window system: opens a window on a
// generated picture, lets the timer tick for a while and prints the ticks
// per second and this process's CPU share. Run by bench/window_load.sh under
// Xvfb, which adds the X server's share.
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/qt/qt_ui_service.h"
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

// A w x h picture of 400 gently curving streamlines of 61 knots in 0..1.
bool WritePicture(const std::string& path, int w, int h) {
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
    for (int line = 0; line < 400; ++line) {
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

// Times each timer event the window handles: when it arrived and how long
// the window took over it (the tick, its conversion and its repaint).
class TickClock : public QObject {
  public:
    explicit TickClock(QObject* window) : m_window(window) { m_clock.start(); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != m_window || event->type() != QEvent::Timer || m_inside) return false;
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
    // Median and largest gap between timer events, median and 99th
    // percentile of the work of one, in ms.
    void Print() {
        std::vector<qint64> gaps;
        for (std::size_t i = 1; i < m_arrivals.size(); ++i)
            gaps.push_back(m_arrivals[i] - m_arrivals[i - 1]);
        auto at = [](std::vector<qint64> v, double q) {
            if (v.empty()) return 0.0;
            std::sort(v.begin(), v.end());
            const auto last = static_cast<double>(v.size() - 1);
            return static_cast<double>(v[static_cast<std::size_t>(q * last)]) * 1e-6;
        };
        std::printf(
            "    gap between ticks median %.2f ms, max %.2f ms; work of a tick median %.2f ms, "
            "99%% %.2f ms\n",
            at(gaps, 0.5), at(gaps, 1.0), at(m_work, 0.5), at(m_work, 0.99));
    }

  private:
    QObject* m_window;
    QElapsedTimer m_clock;
    std::vector<qint64> m_arrivals, m_work;
    bool m_inside = false;
    bool m_recording = false;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "Usage: vortan-window-load WIDTH HEIGHT TABLES DELAY_MS SECONDS\n");
        return 2;
    }
    QApplication app(argc, argv);
    const int w = std::atoi(argv[1]), h = std::atoi(argv[2]);
    const std::string path = "/tmp/vortan-window-load-" + std::to_string(::getpid()) + ".math";
    if (!WritePicture(path, w, h)) {
        std::fprintf(stderr, "vortan-window-load: cannot write %s\n", path.c_str());
        return 1;
    }
    vortan::AnimationParameters p;
    p.m_animationOn = 1;
    p.m_dimension = 2;
    p.m_imageWidth = w;
    p.m_imageHeight = h;
    p.m_timeDelay = std::atoi(argv[4]);
    p.m_diskDiameter = 4;
    p.m_colortableCount = std::atoi(argv[3]);
    p.m_withOrientation = 1;
    p.m_colortableShift = 1;
    p.m_inputPath = path;
    QtUiService ui;
    auto* frame = new CVortanFrame(ui, nullptr);
    vortan::ApplyAnimationParameters(p, *frame);
    if (!frame->Create()) return 1;
    frame->ActivateFrame();
    TickClock tickClock(frame);
    frame->installEventFilter(&tickClock);
    if (!QTest::qWaitFor([frame] { return frame->PassCount() >= 1; }, 60000)) return 1;
    QTest::qWait(500);  // settle
    // With shift 1 every tick presents once.
    const int presents0 = frame->PresentCount();
    const char* server = std::getenv("VORTAN_X_SERVER_PID");
    const double cpu0 = CpuSeconds();
    const double server0 = ProcessCpuSeconds(server);
    QElapsedTimer clock;
    clock.start();
    tickClock.Record();
    // A plain event loop, as the program runs: QTest::qWait would sleep 10 ms
    // whenever no event is pending and so hold the ticks back.
    QEventLoop loop;
    QTimer::singleShot(std::atoi(argv[5]) * 1000, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
    const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;
    const double ticks = frame->PresentCount() - presents0;
    const double own = 100.0 * (CpuSeconds() - cpu0) / seconds;
    const double x = 100.0 * (ProcessCpuSeconds(server) - server0) / seconds;
    std::printf(
        "%dx%d, %s tables, delay %s ms: %.1f ticks/s, window %.1f %% of a core, X server %.1f %%\n",
        w, h, argv[3], argv[4], ticks / seconds, own, x);
    tickClock.Print();
    std::fflush(stdout);
    frame->removeEventFilter(&tickClock);
    frame->close();
    std::remove(path.c_str());
    return 0;
}
