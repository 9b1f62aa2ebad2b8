// Helpers for the animation-window tests: streamline files to draw, a frame
// created from parameters, and scripted answers to modal dialogs.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "res/qt/dialog_builder.h"
#include "tests/qt/fake_ui_service.h"
#include "tests/streamline_fixtures.h"
#include "tests/test_support.h"
#include "view/qt/vortan_frame.h"

// Failure messages show Qt strings as text.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace vortan::test {

// A streamline file of a w x h picture: dimension dim, ranges 0..1 on every
// axis, and three streamlines that run through the picture at different
// angles in x, y and z (so each axis pair gives a different picture).
inline std::string FrameInputText(float w, float h, float dim) {
    std::string text =
        HeaderText({w, h, dim, 1.0f, 100.0f / 3.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f, 1.0f});
    const std::vector<float> t = {0.0f, 0.25f, 0.5f, 0.75f, 1.0f};
    text += PadRecord(ClassicRecord(t, {{0.1f, 0.3f, 0.5f, 0.7f, 0.9f},
                                        {0.2f, 0.3f, 0.4f, 0.5f, 0.6f},
                                        {0.9f, 0.7f, 0.5f, 0.3f, 0.1f}}),
                      400);
    text += PadRecord(ClassicRecord(t, {{0.8f, 0.6f, 0.5f, 0.4f, 0.2f},
                                        {0.1f, 0.3f, 0.5f, 0.7f, 0.9f},
                                        {0.3f, 0.35f, 0.4f, 0.45f, 0.5f}}),
                      400);
    text += PadRecord(ClassicRecord(t, {{0.5f, 0.55f, 0.6f, 0.65f, 0.7f},
                                        {0.8f, 0.6f, 0.4f, 0.3f, 0.2f},
                                        {0.1f, 0.4f, 0.6f, 0.8f, 0.9f}}),
                      400);
    return text;
}

// Parameters of a typical START: 3 colour tables with orientation.
inline AnimationParameters FrameParams(const std::string& inputPath, int dim = 2,
                                       bool animationOn = true, int delay = 40) {
    AnimationParameters p;
    p.m_animationOn = animationOn ? 1 : 0;
    p.m_dimension = dim;
    p.m_imageWidth = 120;
    p.m_imageHeight = 90;
    p.m_timeDelay = delay;
    p.m_diskDiameter = 4;
    p.m_colortableCount = 3;
    p.m_withOrientation = 1;
    p.m_colortableShift = 1;
    p.m_inputPath = inputPath;
    return p;
}

// Deletes what closed windows left for deletion.
inline void FlushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Runs script on the next modal dialog once it is shown (inside its own event
// loop), while this object lives; keep it on the stack around the call that
// opens the dialog. A dialog the script leaves open is rejected, so a test
// never blocks; LeftOpen() then tells the test.
class ModalScript {
  public:
    explicit ModalScript(std::function<void(QDialog&)> script)
        : m_state(std::make_shared<State>()) {
        m_state->script = std::move(script);
        Poll(m_state, 0);
    }
    ~ModalScript() { m_state->alive = false; }
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

    bool Ran() const { return m_state->ran; }
    bool LeftOpen() const { return m_state->leftOpen; }

  private:
    struct State {
        std::function<void(QDialog&)> script;
        bool alive = true;
        bool ran = false;
        bool leftOpen = false;
    };
    static void Poll(std::shared_ptr<State> state, int tries) {
        QTimer::singleShot(tries == 0 ? 0 : 5, [state, tries] {
            if (!state->alive || state->ran) return;
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog) {
                if (tries < 400) Poll(state, tries + 1);
                return;
            }
            state->ran = true;
            QPointer<QDialog> guard(dialog);
            state->script(*dialog);
            if (guard && guard->isVisible()) {
                state->leftOpen = true;
                guard->done(QDialog::Rejected);
            }
        });
    }
    std::shared_ptr<State> m_state;
};

// Fire-and-forget form of ModalScript: runs script on the next modal dialog
// shown within about a second; *leftOpen tells whether it had to be rejected.
// The script must stay valid until a dialog shows; prefer ModalScript.
inline void OnNextModal(std::function<void(QDialog&)> script, bool* leftOpen = nullptr) {
    auto poll = std::make_shared<std::function<void(int)>>();
    *poll = [script = std::move(script), leftOpen, weak = std::weak_ptr(poll)](int tries) {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            if (auto self = weak.lock(); self && tries < 200)
                QTimer::singleShot(5, [self, tries] { (*self)(tries + 1); });
            return;
        }
        QPointer<QDialog> guard(dialog);
        script(*dialog);
        if (guard && guard->isVisible()) {
            if (leftOpen) *leftOpen = true;
            guard->done(QDialog::Rejected);
        }
    };
    QTimer::singleShot(0, [poll] { (*poll)(0); });
}

// Clicks a control of a dialog with the mouse.
inline void ClickControl(QDialog& dialog, int id) {
    auto* button = Control<QAbstractButton>(dialog, id);
    ASSERT_NE(button, nullptr) << "control " << id;
    QTest::mouseClick(button, Qt::LeftButton);
}

inline void TypeInto(QDialog& dialog, int id, const QString& text) {
    auto* edit = Control<QLineEdit>(dialog, id);
    ASSERT_NE(edit, nullptr) << "edit " << id;
    edit->setText(text);
}

inline QString EditText(QDialog& dialog, int id) {
    auto* edit = Control<QLineEdit>(dialog, id);
    return edit ? edit->text() : QString("<missing %1>").arg(id);
}

// The record part of a frame, detached from the window (no palette listener).
inline VortanFrameState DetachedState(const CVortanFrame& frame) {
    VortanFrameState copy = frame;
    copy.m_palette.SetAnimateListener({});
    return copy;
}

}  // namespace vortan::test
