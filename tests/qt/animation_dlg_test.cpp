#include "view/qt/animation_dlg.h"

#include <gtest/gtest.h>

#include <QLineEdit>

#include "palette/palette_animation.h"
#include "res/resources.h"
#include "tests/qt/frame_test_support.h"

namespace {

using vortan::test::ClickControl;
using Texts = std::vector<std::string>;
const std::string kDelay = "Time Delay must be an Integer and greater or equal than 0!";
const std::string kShift = "Colortable - Shift must be an Integer and greater than 0!";
const std::string kNumber = "Please enter a number.";

// Types delay and shift, presses OK (then Cancel if still open); *opened: the edits at first.
std::function<void(QDialog&)> Enter(QString delay, QString shift, QStringList* opened) {
    return [=](QDialog& d) {
        *opened = {Control<QLineEdit>(d, IDC_DELAY)->text(),
                   Control<QLineEdit>(d, IDC_SHIFT)->text()};
        Control<QLineEdit>(d, IDC_DELAY)->setText(delay);
        Control<QLineEdit>(d, IDC_SHIFT)->setText(shift);
        ClickControl(d, vortan::IDOK);
        if (d.isVisible()) ClickControl(d, vortan::IDCANCEL);
    };
}

TEST(AnimationDialog, OkChecksDelayThenShiftInOrder) {
    // delay, shift; the messages; the fields afterwards (a new dialog holds 0 and 1)
    const std::tuple<QString, QString, Texts, float, float> cases[] = {
        {"25", "3", {}, 25, 3},
        {"0", "1", {}, 0, 1},
        {"2.5", "1", {kDelay}, 2.5f, 1},
        {"1e10", "1", {kDelay}, 1e10f, 1},
        {"10", "2.5", {kShift}, 10, 2.5f},
        {"-1", "0", {kDelay, kShift}, -1, 0},
        // A shift that is no number keeps both fields; a delay keeps its old value.
        {"50", "abc", {kNumber, kNumber}, 0, 1},
        {"", "4", {kNumber, kNumber}, 0, 4}};
    for (const auto& [delay, shift, messages, fieldDelay, fieldShift] : cases) {
        const std::string name = (delay + "/" + shift).toStdString();
        vortan::test::FakeUiService ui;
        vortan::AnimationDlgState fields;
        CAnimationDlg dialog(fields, ui);
        QStringList opened;
        vortan::test::ModalScript script(Enter(delay, shift, &opened));
        EXPECT_EQ(dialog.DoModal(), messages.empty() ? vortan::IDOK : vortan::IDCANCEL) << name;
        EXPECT_TRUE(script.Closed()) << name;
        EXPECT_EQ(ui.MessageTexts(), messages) << name;
        for (const auto& m : ui.messages)  // caption and type
            EXPECT_EQ(m.caption + "/" + std::to_string(m.type),
                      m.text == kNumber ? "/48" : "Info/0");
        EXPECT_EQ(fields.m_delay, fieldDelay) << name;
        EXPECT_EQ(fields.m_shift, fieldShift) << name;
    }
}

// The Settings command (F3) of a window with a delay of 40 and a shift of 2.
class SettingsCommandTest : public vortan::test::FrameFixture {
  protected:
    // F3 with delay and shift typed; the edits as the dialog opened.
    QStringList Settings(QString delay, QString shift) {
        QStringList opened;
        vortan::test::ModalScript modal(Enter(delay, shift, &opened));
        m_frames.back()->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(m_frames.back().data()));
        QTest::keyClick(m_frames.back().data(), Qt::Key_F3);
        EXPECT_TRUE(modal.Closed());
        return opened;
    }
};

TEST_F(SettingsCommandTest, RefusedValuesAndCancelApplyNothingOkRestartsOnlyARunningTimer) {
    for (bool running : {true, false}) {
        auto p = vortan::test::FrameParams(m_input, 2, running, 40);
        p.m_colortableShift = 2;
        CVortanFrame* f = Shown(p);
        m_ui.Clear();
        EXPECT_EQ(Settings("-1", "0"), (QStringList{"0", "1"}));
        EXPECT_EQ(m_ui.MessageTexts(), (Texts{kDelay, kShift}));
        EXPECT_EQ(Settings("7", "abc"), (QStringList{"-1", "0"}));  // the dialog kept them
        EXPECT_EQ(std::pair(f->m_timeDelay, f->m_colortableShift), std::pair(40, 2));
        EXPECT_EQ(f->IsTimerActive(), running);
        Settings("25", "3");
        EXPECT_EQ(std::pair(f->m_timeDelay, f->m_colortableShift), std::pair(25, 3));
        EXPECT_EQ(f->IsTimerActive(), running);
        if (!running) f->OnCommand(vortan::res::ID_ANIMATION);
        EXPECT_EQ(f->TimerPeriod(), 25u);
        vortan::VortanFrameState single = *f;  // three steps of one make a tick of shift 3
        single.m_palette.SetAnimateListener({});
        single.m_colortableShift = 1;
        for (int i = 0; i < 3; ++i) vortan::AnimationTick(single);
        f->OnTimer();
        EXPECT_EQ(f->m_palette.Entries(), single.m_palette.Entries());
        f->close();
    }
}

}  // namespace
