#include "view/qt/animation_dlg.h"

#include <gtest/gtest.h>

#include <QLineEdit>

#include "palette/palette_animation.h"
#include "res/resources.h"
#include "tests/qt/frame_test_support.h"

namespace {

using vortan::test::ClickControl;
using vortan::test::EditText;
using vortan::test::FakeUiService;
using vortan::test::ModalScript;
using vortan::test::TypeInto;

const std::string kDelayMsg = "Time Delay must be an Integer and greater or equal than 0!";
const std::string kShiftMsg = "Colortable - Shift must be an Integer and greater than 0!";
const std::string kNumberMsg = "Please enter a number.";

// One OK press on the dialog: what the edits hold, what is shown, in order,
// whether the dialog closes, and the fields afterwards.
struct OkCase {
    const char* name;
    QString delay, shift;
    std::vector<std::string> messages;
    bool closes;
    float fieldDelay, fieldShift;
};

class AnimationDialogOk : public ::testing::TestWithParam<OkCase> {};

TEST_P(AnimationDialogOk, ChecksDelayThenShift) {
    const OkCase& c = GetParam();
    FakeUiService ui;
    vortan::AnimationDlgState fields;  // 1.0 and 0.0, as a new window holds them
    CAnimationDlg dialog(fields, ui);
    bool stillOpen = false;
    ModalScript script([&](QDialog& d) {
        TypeInto(d, IDC_DELAY, c.delay);
        TypeInto(d, IDC_SHIFT, c.shift);
        ClickControl(d, vortan::IDOK);
        stillOpen = d.isVisible();
        if (stillOpen) ClickControl(d, vortan::IDCANCEL);
    });
    const int result = dialog.DoModal();
    EXPECT_TRUE(script.Ran());
    EXPECT_FALSE(script.LeftOpen());
    EXPECT_EQ(result, c.closes ? vortan::IDOK : vortan::IDCANCEL);
    EXPECT_EQ(stillOpen, !c.closes);
    EXPECT_EQ(ui.MessageTexts(), c.messages);
    for (const auto& m : ui.messages) {
        if (m.text == kNumberMsg) {
            EXPECT_EQ(m.caption, "");
            EXPECT_EQ(m.type, vortan::MB_OK | vortan::MB_ICONEXCLAMATION);
        } else {
            EXPECT_EQ(m.caption, "Info");
            EXPECT_EQ(m.type, vortan::MB_OK);
        }
    }
    EXPECT_EQ(fields.m_delay, c.fieldDelay);
    EXPECT_EQ(fields.m_shift, c.fieldShift);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AnimationDialogOk,
    ::testing::Values(
        OkCase{"Valid", "25", "3", {}, true, 25.0f, 3.0f},
        OkCase{"ZeroDelayShiftOne", "0", "1", {}, true, 0.0f, 1.0f},
        OkCase{"NegativeDelay", "-1", "1", {kDelayMsg}, false, -1.0f, 1.0f},
        OkCase{"FractionalDelay", "2.5", "1", {kDelayMsg}, false, 2.5f, 1.0f},
        OkCase{"ZeroShift", "10", "0", {kShiftMsg}, false, 10.0f, 0.0f},
        OkCase{"FractionalShift", "10", "2.5", {kShiftMsg}, false, 10.0f, 2.5f},
        OkCase{"BothRefusedDelayFirst", "-1", "0", {kDelayMsg, kShiftMsg}, false, -1.0f, 0.0f},
        OkCase{"HugeDelayIsNoInteger", "1e10", "1", {kDelayMsg}, false, 1e10f, 1.0f},
        // The shift edit comes first in the exchange: its refusal keeps both fields.
        OkCase{"ShiftNotANumber", "50", "abc", {kNumberMsg, kNumberMsg}, false, 0.0f, 1.0f},
        // A refused delay keeps its old value; the checks pass on it, the
        // closing exchange refuses again.
        OkCase{"DelayNotANumber", "x", "4", {kNumberMsg, kNumberMsg}, false, 0.0f, 4.0f},
        OkCase{"EmptyDelay", "", "4", {kNumberMsg, kNumberMsg}, false, 0.0f, 4.0f}),
    [](const auto& info) { return std::string(info.param.name); });

// The Settings command of the window (F3).
class SettingsCommandTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_input = m_dir.file("lines.math");
        vortan::test::WriteTextFile(m_input, vortan::test::FrameInputText(120, 90, 2));
    }
    void TearDown() override {
        if (m_frame) m_frame->close();
        vortan::test::FlushDeletes();
    }
    CVortanFrame* Shown(bool animationOn) {
        auto* f = new CVortanFrame(m_ui, nullptr);
        auto p = vortan::test::FrameParams(m_input, 2, animationOn, 40);
        p.m_colortableShift = 2;
        vortan::ApplyAnimationParameters(p, *f);
        m_frame = f;
        EXPECT_TRUE(f->Create());
        f->ActivateFrame();
        EXPECT_TRUE(QTest::qWaitFor([f] { return f->PassCount() >= 1; }, 5000));
        return f;
    }
    // Runs F3 with the script answering the dialog; the edits it saw on opening.
    std::pair<QString, QString> Settings(std::function<void(QDialog&)> script) {
        std::pair<QString, QString> seen;
        ModalScript modal([&](QDialog& d) {
            seen = {EditText(d, IDC_DELAY), EditText(d, IDC_SHIFT)};
            script(d);
        });
        m_frame->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(m_frame.data()));
        QTest::keyClick(m_frame.data(), Qt::Key_F3);
        EXPECT_TRUE(modal.Ran());
        EXPECT_FALSE(modal.LeftOpen());
        return seen;
    }
    static std::function<void(QDialog&)> Enter(QString delay, QString shift, bool thenCancel) {
        return [=](QDialog& d) {
            TypeInto(d, IDC_DELAY, delay);
            TypeInto(d, IDC_SHIFT, shift);
            ClickControl(d, thenCancel ? vortan::IDCANCEL : vortan::IDOK);
            if (d.isVisible()) ClickControl(d, vortan::IDCANCEL);
        };
    }

    vortan::test::TempDir m_dir;
    std::string m_input;
    FakeUiService m_ui;
    QPointer<CVortanFrame> m_frame;
};

TEST_F(SettingsCommandTest, FirstOpeningShowsZeroAndOneAndCancelAppliesNothing) {
    CVortanFrame* f = Shown(true);
    const auto seen = Settings([](QDialog& d) { ClickControl(d, vortan::IDCANCEL); });
    EXPECT_EQ(seen, (std::pair<QString, QString>{"0", "1"}));
    EXPECT_EQ(f->m_timeDelay, 40);
    EXPECT_EQ(f->m_colortableShift, 2);
    EXPECT_EQ(f->TimerPeriod(), 40u);
    EXPECT_TRUE(f->IsTimerActive());
}

TEST_F(SettingsCommandTest, OkRestartsTheRunningTimerAndTheTickUsesTheNewShift) {
    CVortanFrame* f = Shown(true);
    Settings(Enter("25", "3", false));
    EXPECT_EQ(f->m_timeDelay, 25);
    EXPECT_EQ(f->m_colortableShift, 3);
    EXPECT_TRUE(f->IsTimerActive());
    EXPECT_EQ(f->TimerPeriod(), 25u);
    EXPECT_TRUE(m_ui.messages.empty());

    vortan::VortanFrameState expected = vortan::test::DetachedState(*f);
    f->OnTimer();
    vortan::AnimationTick(expected);
    EXPECT_EQ(f->m_palette.Entries(), expected.m_palette.Entries());
    // Three single steps make one tick of shift 3.
    vortan::VortanFrameState single = vortan::test::DetachedState(*f);
    single.m_colortableShift = 1;
    for (int i = 0; i < 3; ++i) vortan::AnimationTick(single);
    f->OnTimer();
    EXPECT_EQ(f->m_palette.Entries(), single.m_palette.Entries());

    // The dialog keeps what it last held.
    const auto seen = Settings([](QDialog& d) { ClickControl(d, vortan::IDCANCEL); });
    EXPECT_EQ(seen, (std::pair<QString, QString>{"25", "3"}));
}

TEST_F(SettingsCommandTest, RefusedValuesThenCancelReachNeitherTimerNorTick) {
    CVortanFrame* f = Shown(true);
    Settings(Enter("-1", "0", false));
    EXPECT_EQ(m_ui.MessageTexts(), (std::vector<std::string>{kDelayMsg, kShiftMsg}));
    EXPECT_EQ(f->m_timeDelay, 40);
    EXPECT_EQ(f->m_colortableShift, 2);
    EXPECT_EQ(f->TimerPeriod(), 40u);
    EXPECT_TRUE(f->IsTimerActive());
    // The dialog's own fields kept the refused values it exchanged.
    const auto seen = Settings([](QDialog& d) { ClickControl(d, vortan::IDCANCEL); });
    EXPECT_EQ(seen, (std::pair<QString, QString>{"-1", "0"}));
    EXPECT_EQ(f->m_timeDelay, 40);
}

TEST_F(SettingsCommandTest, WhileStoppedValuesAreStoredAndNoTimerStarts) {
    CVortanFrame* f = Shown(false);
    Settings(Enter("70", "5", false));
    EXPECT_EQ(f->m_timeDelay, 70);
    EXPECT_EQ(f->m_colortableShift, 5);
    EXPECT_FALSE(f->IsTimerActive());
    f->OnCommand(vortan::res::ID_ANIMATION);
    EXPECT_TRUE(f->IsTimerActive());
    EXPECT_EQ(f->TimerPeriod(), 70u);
}

}  // namespace
