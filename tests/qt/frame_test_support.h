// Animation-window tests: a file to draw, a fixture of windows, scripted dialogs.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <ostream>

#include "res/qt/dialog_builder.h"
#include "tests/qt/fake_ui_service.h"
#include "tests/streamline_fixtures.h"
#include "tests/test_support.h"
#include "view/qt/vortan_frame.h"

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace vortan::test {

// A w x h picture of dimension dim: three streamlines, another picture for each axis pair.
inline std::string FrameInputText(float w, float h, float dim) {
    const std::vector<float> t = {0.0f, 0.25f, 0.5f, 0.75f, 1.0f};
    // clang-format off
    const std::vector<std::vector<std::vector<float>>> lines = {
        {{.1f, .3f, .5f, .7f, .9f}, {.2f, .3f, .4f, .5f, .6f}, {.9f, .7f, .5f, .3f, .1f}},
        {{.8f, .6f, .5f, .4f, .2f}, {.1f, .3f, .5f, .7f, .9f}, {.3f, .35f, .4f, .45f, .5f}},
        {{.5f, .55f, .6f, .65f, .7f}, {.8f, .6f, .4f, .3f, .2f}, {.1f, .4f, .6f, .8f, .9f}}};
    // clang-format on
    std::string text = HeaderText({w, h, dim, 1.0f, 100.0f / 3.0f, 0, 1, 0, 1, 0, 1});
    for (const auto& xyz : lines) text += PadRecord(ClassicRecord(t, xyz), 400);
    return text;
}

// A typical START: 120 x 90, disks of 4, 3 colour tables with orientation.
inline AnimationParameters FrameParams(const std::string& input, int dim = 2, bool on = true,
                                       int delay = 40) {
    // clang-format off
    return {.m_animationOn = on, .m_dimension = dim, .m_imageWidth = 120, .m_imageHeight = 90,
            .m_timeDelay = delay, .m_diskDiameter = 4, .m_colortableCount = 3,
            .m_withOrientation = 1, .m_colortableShift = 1, .m_inputPath = input};
    // clang-format on
}

inline void FlushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Runs script on the next modal dialog; one it leaves open is rejected (no test blocks).
struct ModalScript {
    explicit ModalScript(std::function<void(QDialog&)> script) {
        QObject::connect(&m_poll, &QTimer::timeout, [this, script = std::move(script)] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            m_poll.stop();
            QPointer<QDialog> guard(dialog);
            script(*dialog);
            m_closed = !guard || !guard->isVisible();
            if (!m_closed) guard->done(QDialog::Rejected);
        });
        m_poll.start(5);
    }
    // The script ran on a dialog and left it closed.
    bool Closed() const { return m_closed; }
    QTimer m_poll;
    bool m_closed = false;
};

inline void ClickControl(QDialog& dialog, int id) {
    auto* button = Control<QAbstractButton>(dialog, id);
    ASSERT_NE(button, nullptr) << "control " << id;
    QTest::mouseClick(button, Qt::LeftButton);
}
// Pixels of the canvas that a pass drew.
inline long DrawnPixels(const IndexedCanvas& canvas) {
    return std::ranges::count_if(canvas.Pixels(), [](auto p) { return p != kClearedPixel; });
}

// Windows on the file m_input (120 x 90, of dimension dim).
class FrameFixture : public ::testing::Test {
  protected:
    explicit FrameFixture(int dim = 2) {
        WriteTextFile(m_input, FrameInputText(120, 90, float(dim)));
    }
    void TearDown() override {
        for (auto& f : m_frames)
            if (f) f->close();
        FlushDeletes();
    }
    template <class Frame = CVortanFrame>
    CVortanFrame* Make(const AnimationParameters& p) {
        auto* f = new Frame(m_ui, nullptr);
        ApplyAnimationParameters(p, *f);
        m_frames.emplace_back(f);
        return f;
    }
    // Created, shown, and its first pass run.
    CVortanFrame* Shown(const AnimationParameters& p) {
        CVortanFrame* f = Make(p);
        EXPECT_TRUE(f->Create());
        f->ActivateFrame();
        EXPECT_TRUE(QTest::qWaitFor([f] { return f->PassCount() >= 1; }, 5000));
        return f;
    }

    TempDir m_dir;
    std::string m_input = m_dir.file("lines.math");
    FakeUiService m_ui;
    std::vector<QPointer<CVortanFrame>> m_frames;
};

}  // namespace vortan::test
