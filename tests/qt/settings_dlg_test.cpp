#include "app/qt/settings_dlg.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QTest>
#include <map>
#include <string>
#include <vector>

#include "res/qt/dialog_builder.h"
#include "tests/qt/fake_ui_service.h"
#include "tests/streamline_fixtures.h"
#include "tests/test_support.h"
#include "view/qt/vortan_frame.h"

namespace {

using vortan::test::FakeUiService;
using Message = FakeUiService::Message;

constexpr unsigned kError = vortan::MB_OK | vortan::MB_ICONEXCLAMATION;
const std::string kTimerMsg = "Timer must be an Integer and greater or equal than 0";
const std::string kDiskMsg = "Disk-diameter must be an Integer";
const std::string kCountIntMsg = "Colortables must be an Integer";
const std::string kCountLowMsg = "Colortables must be greater or equal than 1!";
const std::string kCountHighMsg = "Colortables must be smaller or equal than 7!";
const std::string kStepMsg = "Colortable - Step must be greater than 0 and an Integer!";

// A small drawable streamline file of the given picture size.
std::string StreamlineText(float w, float h, float dim = 2.0f) {
    using namespace vortan::test;
    std::string text = HeaderText({w, h, dim, 1.0f, 50.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f, 1.0f});
    const std::vector<float> t = {0.0f, 0.5f, 1.0f};
    text += PadRecord(ClassicRecord(t, {{0.1f, 0.5f, 0.9f}, {0.2f, 0.5f, 0.8f}}), 300);
    text += PadRecord(ClassicRecord(t, {{0.9f, 0.5f, 0.1f}, {0.2f, 0.4f, 0.6f}}), 300);
    return text;
}

class Panel : public ::testing::Test {
  protected:
    void SetUp() override {
        dlg = new CSettingsDlg(ui);
        dlg->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        delete dlg;
        QApplication::processEvents();
    }

    QLineEdit* Edit(int id) { return Control<QLineEdit>(*dlg, id); }
    QAbstractButton* Button(int id) { return Control<QAbstractButton>(*dlg, id); }
    void Click(int id) { QTest::mouseClick(Button(id), Qt::LeftButton); }
    bool Checked(int id) { return Button(id)->isChecked(); }
    bool Enabled(int id) { return Control(*dlg, id)->isEnabled(); }
    // delay, diameter, count, shift
    void SetEdits(const char* delay, const char* diameter, const char* count, const char* shift) {
        Edit(IDC_TIME_DELAY)->setText(delay);
        Edit(IDC_DISK_DIAMETER)->setText(diameter);
        Edit(IDC_COLORTABLE_COUNT)->setText(count);
        Edit(IDC_COLORTABLE_SHIFT)->setText(shift);
    }
    std::string WriteInput(const std::string& name, const std::string& text) {
        const std::string path = dir.file(name);
        vortan::test::WriteTextFile(path, text);
        return path;
    }
    // START with a chosen input file.
    CVortanFrame* StartWith(const std::string& path) {
        ui.ChooseFile(path);
        Click(IDC_START);
        QApplication::processEvents();
        return dlg->AnimationWindow();
    }

    vortan::test::TempDir dir;
    FakeUiService ui;
    CSettingsDlg* dlg = nullptr;
};

TEST_F(Panel, OpensWithTheDefaults) {
    EXPECT_EQ(dlg->windowTitle(), "Vortan");
    EXPECT_FALSE(dlg->windowIcon().isNull());
    EXPECT_EQ(Edit(IDC_TIME_DELAY)->text(), "0");
    EXPECT_EQ(Edit(IDC_DISK_DIAMETER)->text(), "2");
    EXPECT_EQ(Edit(IDC_COLORTABLE_SHIFT)->text(), "1");
    EXPECT_EQ(Edit(IDC_COLORTABLE_COUNT)->text(), "7");
    const std::map<int, bool> checks = {{1022, false}, {1027, true}, {1028, false}, {1029, true},
                                        {1030, false}, {1042, true}, {1043, false}};
    for (auto [id, on] : checks) EXPECT_EQ(Checked(id), on) << id;
    const std::map<int, bool> enabled = {{1018, true}, {1029, false}, {1030, false},
                                         {1042, true}, {1043, true},  {1009, true},
                                         {1015, true}, {1034, true},  {1022, true}};
    for (auto [id, on] : enabled) EXPECT_EQ(Enabled(id), on) << id;
    EXPECT_EQ(dlg->AnimationWindow(), nullptr);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Panel, StartValidationTable) {
    struct Case {
        const char *delay, *diameter, *count, *shift;
        std::vector<Message> messages;
        bool fileDialog;
    };
    const Message timer{kTimerMsg, "Info", vortan::MB_OK};
    const Message disk{kDiskMsg, "Info", vortan::MB_OK};
    const Message countInt{kCountIntMsg, "", vortan::MB_OK};
    const Message countLow{kCountLowMsg, "", vortan::MB_OK};
    const Message countHigh{kCountHighMsg, "", vortan::MB_OK};
    const Message step{kStepMsg, "Info", vortan::MB_OK};
    const Case cases[] = {
        {"0", "2", "7", "1", {}, true},
        {"-1", "2", "7", "1", {timer}, false},
        {"2.5", "2", "7", "1", {timer}, false},
        {"0", "2.5", "7", "1", {disk}, false},
        {"0", "0", "7", "1", {}, true},
        {"0", "-3", "7", "1", {}, true},
        {"0", "2", "1", "1", {}, true},
        {"0", "2", "0.5", "1", {countInt, countLow}, false},
        {"0", "2", "8", "1", {countHigh}, false},
        {"0", "2", "7", "0", {step}, false},
        {"-1", "1.5", "0.5", "0", {timer, disk, countInt, countLow, step}, false},
        {"3000000000", "2", "7", "1", {timer}, false},
        {"0", "3000000000", "7", "1", {disk}, false},
        {"0", "2", "3000000000", "1", {countInt, countHigh}, false},
        {"0", "2", "7", "3000000000", {step}, false},
        {" 5 ", "4", "3", "2", {}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.delay) + " " + c.diameter + " " + c.count + " " + c.shift);
        ui.Clear();
        SetEdits(c.delay, c.diameter, c.count, c.shift);
        Click(IDC_START);  // the fake cancels the file dialog
        EXPECT_EQ(ui.messages, c.messages);
        ASSERT_EQ(ui.fileRequests.size(), c.fileDialog ? 1u : 0u);
        // Messages come before the file dialog.
        if (c.fileDialog) {
            EXPECT_TRUE(ui.events.back().isFileDialog);
        }
        EXPECT_EQ(dlg->AnimationWindow(), nullptr);
    }
}

TEST_F(Panel, InputFileDialogRequest) {
    Click(IDC_START);
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    const auto& r = ui.fileRequests[0];
    EXPECT_FALSE(r.save);
    EXPECT_EQ(r.defaultExtension, "math");
    EXPECT_EQ(r.initialName, "*.math");
    EXPECT_EQ(r.filter, "Image Files (*.img)|*.img|All Files (*.*)|*.*||");
    EXPECT_TRUE(r.fileMustExist);
    EXPECT_EQ(dlg->InputPath(), "");
}

TEST_F(Panel, RefusedEditDuringStartPromptsAndGoesOnWithTheRecord) {
    SetEdits("x", "3", "7", "1");
    Click(IDC_START);
    // The exchange stops at the delay (the first edit): diameter keeps 2.
    ASSERT_GE(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0],
              (Message{"Please enter a number.", "", vortan::MB_OK | vortan::MB_ICONEXCLAMATION}));
    EXPECT_EQ(dlg->Record().m_diskDiameter, 2.0f);
    EXPECT_EQ(ui.messages.size(), 1u);      // the record's values pass validation
    EXPECT_EQ(ui.fileRequests.size(), 1u);  // and START goes on
}

TEST_F(Panel, StartOpensTheWindowWithTheHeaderSize) {
    const std::string path = WriteInput("flow.math", StreamlineText(640.9f, 480.2f));
    Edit(IDC_TIME_DELAY)->setText("25");
    Click(IDC_WITHOUT_ORIENTATION);
    Click(IDC_COLORS64);
    Click(IDC_ANIMATION);
    Click(IDC_DISK_SCALE);  // disabled without orientation: no effect
    CVortanFrame* f = StartWith(path);
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(dlg->InputPath(), path);
    EXPECT_FLOAT_EQ(dlg->ImageWidth(), 640.9f);
    EXPECT_FLOAT_EQ(dlg->ImageHeight(), 480.2f);
    EXPECT_EQ(f->m_imageWidth, 640);
    EXPECT_EQ(f->m_imageHeight, 480);
    EXPECT_EQ(f->m_dimension, 2);
    EXPECT_EQ(f->m_timeDelay, 25);
    EXPECT_EQ(f->m_inputPath, path);
    EXPECT_EQ(f->m_animationOn, 1);
    EXPECT_EQ(f->m_withOrientation, 0);
    EXPECT_EQ(f->m_withoutOrientation, 1);
    EXPECT_EQ(f->m_colors32, 0);
    EXPECT_EQ(f->m_colors64, 1);
    EXPECT_EQ(f->m_intensityDimming, 1);
    EXPECT_EQ(f->m_diskScaleDimming, 0);
    EXPECT_EQ(f->windowTitle(), "Vortan - Colortableanimation");
    EXPECT_EQ(f->frameGeometry().topLeft(), QPoint(50, 50));
    EXPECT_EQ(f->ClientSize(), QSize(640, 510));
    // Outer rectangle (50, 50)-(690, 560) and the menu bar where the window
    // system adds no decoration; a decorated window keeps its corner and its
    // client size.
    if (f->frameGeometry() == f->geometry()) {
        EXPECT_EQ(f->frameGeometry(),
                  QRect(QPoint(50, 50), QPoint(689, 559 + f->menuBar()->height())));
    }
    EXPECT_TRUE(f->isVisible());
}

TEST_F(Panel, StartClosesALiveWindowFirstEvenWhenRefused) {
    const std::string path = WriteInput("flow.math", StreamlineText(200, 100));
    QPointer<CVortanFrame> first = StartWith(path);
    ASSERT_FALSE(first.isNull());

    // A second START replaces the window.
    QPointer<CVortanFrame> second = StartWith(path);
    EXPECT_TRUE(first.isNull());
    ASSERT_FALSE(second.isNull());
    EXPECT_TRUE(second->isVisible());

    // An invalid delay: the window is closed before the checks, none follows.
    ui.Clear();
    Edit(IDC_TIME_DELAY)->setText("-1");
    bool windowGoneAtMessage = false;
    ui.onMessage = [&](const Message&) { windowGoneAtMessage = second.isNull(); };
    Click(IDC_START);
    EXPECT_TRUE(windowGoneAtMessage);
    EXPECT_TRUE(second.isNull());
    EXPECT_EQ(ui.MessageTexts(), std::vector<std::string>{kTimerMsg});
    EXPECT_EQ(dlg->AnimationWindow(), nullptr);
}

TEST_F(Panel, WindowClosedByTheUserIsNoLongerTouched) {
    const std::string path = WriteInput("flow.math", StreamlineText(200, 100));
    QPointer<CVortanFrame> f = StartWith(path);
    ASSERT_FALSE(f.isNull());
    f->close();
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(f.isNull());
    EXPECT_EQ(dlg->AnimationWindow(), nullptr);
    ui.CancelFileDialog();
    Click(IDC_START);  // nothing to close; the dialog is cancelled
    EXPECT_EQ(ui.fileRequests.size(), 2u);
    EXPECT_EQ(dlg->AnimationWindow(), nullptr);
}

TEST_F(Panel, CancelledInputDialogChangesNothing) {
    const std::string path = WriteInput("flow.math", StreamlineText(300, 200));
    ASSERT_NE(StartWith(path), nullptr);
    ui.CancelFileDialog();
    Click(IDC_START);
    EXPECT_EQ(dlg->AnimationWindow(), nullptr);
    EXPECT_EQ(dlg->InputPath(), path);
    EXPECT_FLOAT_EQ(dlg->ImageWidth(), 300.0f);
}

TEST_F(Panel, InputFileThatCannotBeOpened) {
    const std::string missing = dir.file("missing.math");
    EXPECT_EQ(StartWith(missing), nullptr);
    EXPECT_EQ(ui.messages, (std::vector<Message>{{"Unable to open Dat", "Error", kError}}));
    EXPECT_EQ(dlg->InputPath(), missing);
}

TEST_F(Panel, FilesThatAreNoStreamlineFilesOpenNoWindow) {
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"text", "Hello, world\n"},
        {"one", "640\n"},
        {"two", "640\n480\n"},
        {"two-then-text", "640\n480\nabc\n"},
        {"zero-width", "0\n480\n2\n"},
        {"negative", "-5\n480\n2\n"},
        {"too-wide", "16385\n480\n2\n"},
        {"too-high", "640\n100000\n2\n"},
        {"below-one", "0.5\n480\n2\n"},
        {"overflow", "1e39\n480\n2\n"},
        {"percent%s%n%d", "x\n"},
    };
    const std::string good = WriteInput("good.math", StreamlineText(320, 240));
    ASSERT_NE(StartWith(good), nullptr);
    for (const auto& [name, text] : cases) {
        SCOPED_TRACE(name);
        ui.Clear();
        const std::string path = WriteInput(std::string(name) + ".math", text);
        EXPECT_EQ(StartWith(path), nullptr);
        EXPECT_EQ(ui.messages,
                  (std::vector<Message>{{path + " is not a streamline file", "Error", kError}}));
        // The size of the last good file is kept.
        EXPECT_FLOAT_EQ(dlg->ImageWidth(), 320.0f);
        EXPECT_FLOAT_EQ(dlg->ImageHeight(), 240.0f);
    }
    // Sizes at the limits are drawable.
    ui.Clear();
    EXPECT_NE(StartWith(WriteInput("small.math", StreamlineText(1, 1))), nullptr);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Panel, RadioHandlersRestoreTheirCheckMarks) {
    struct Case {
        std::vector<int> clicks;
        std::map<int, bool> checks;
        std::map<int, bool> enabled;
    };
    const Case cases[] = {
        {{1028, 1029},
         {{1027, false}, {1028, true}, {1029, true}, {1030, false}},
         {{1018, false}, {1029, true}, {1030, true}, {1042, false}, {1043, false}}},
        {{1028, 1030, 1027},
         {{1027, true}, {1028, false}, {1029, false}, {1030, true}, {1042, true}},
         {{1018, true}, {1029, false}, {1030, false}, {1042, true}, {1043, true}}},
        {{1028, 1030, 1027, 1028},
         {{1027, false}, {1028, true}, {1029, false}, {1030, true}},
         {{1018, false}, {1029, true}, {1030, true}}},
        {{1043}, {{1042, false}, {1043, true}, {1027, true}, {1029, true}}, {}},
        {{1043, 1028, 1027}, {{1042, false}, {1043, true}, {1027, true}, {1028, false}}, {}},
        {{1043, 1042}, {{1042, true}, {1043, false}}, {}},
        // A disabled button takes no click.
        {{1030}, {{1030, false}, {1029, true}, {1027, true}}, {{1030, false}}},
    };
    for (const auto& c : cases) {
        TearDown();
        SetUp();
        std::string trace;
        for (int id : c.clicks) trace += std::to_string(id) + " ";
        SCOPED_TRACE(trace);
        for (int id : c.clicks) Click(id);
        for (auto [id, on] : c.checks) EXPECT_EQ(Checked(id), on) << "check " << id;
        for (auto [id, on] : c.enabled) EXPECT_EQ(Enabled(id), on) << "enabled " << id;
    }
}

TEST_F(Panel, RadioClicksReachTheWindow) {
    // The record follows the clicks: 64 colours without orientation, then
    // back to orientation with disk-scale dimming.
    const std::string path = WriteInput("flow.math", StreamlineText(100, 100));
    Click(IDC_WITHOUT_ORIENTATION);
    Click(IDC_COLORS64);
    Click(IDC_WITH_ORIENTATION);
    Click(IDC_DISK_SCALE);
    CVortanFrame* f = StartWith(path);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->m_withOrientation, 1);
    EXPECT_EQ(f->m_withoutOrientation, 0);
    // "64 Colors" kept its check mark, so START reads it from the control.
    EXPECT_EQ(f->m_colors64, 1);
    EXPECT_EQ(f->m_colors32, 0);
    EXPECT_EQ(f->m_diskScaleDimming, 1);
    EXPECT_EQ(f->m_intensityDimming, 0);
}

TEST_F(Panel, LoadShowsTheRecordWithBothOrientationFlags) {
    const std::string path = WriteInput("both.dat", "3\n40\n5\n1\n1\n1\n0\n1\n2\n17\n0\n1\n");
    ui.ChooseFile(path);
    Click(IDC_LOAD_SETTINGS);
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    const auto& r = ui.fileRequests[0];
    EXPECT_FALSE(r.save);
    EXPECT_EQ(r.defaultExtension, "dat");
    EXPECT_EQ(r.initialName, "*.dat");
    EXPECT_EQ(r.filter, "Dat Files (*.dat)|*.dat|All Files (*.*)|*.*||");
    EXPECT_TRUE(r.fileMustExist);
    EXPECT_TRUE(ui.messages.empty());

    EXPECT_EQ(Edit(IDC_DISK_DIAMETER)->text(), "3");
    EXPECT_EQ(Edit(IDC_TIME_DELAY)->text(), "40");
    EXPECT_EQ(Edit(IDC_COLORTABLE_COUNT)->text(), "5");
    EXPECT_EQ(Edit(IDC_COLORTABLE_SHIFT)->text(), "2");
    const std::map<int, bool> checks = {{1022, true}, {1027, true},  {1028, true}, {1029, false},
                                        {1030, true}, {1042, false}, {1043, true}};
    for (auto [id, on] : checks) EXPECT_EQ(Checked(id), on) << id;
    const std::map<int, bool> enabled = {
        {1018, false}, {1042, false}, {1043, false}, {1029, true}, {1030, true}};
    for (auto [id, on] : enabled) EXPECT_EQ(Enabled(id), on) << id;
    EXPECT_EQ(dlg->SettingsPath(), path);
    EXPECT_EQ(dlg->Record().m_reserved, 17);

    // Saving it again gives the same lines back, the reserved value included.
    const std::string copy = dir.file("copy.dat");
    ui.ChooseFile(copy);
    Click(IDC_SAVE_SETTINGS);
    EXPECT_EQ(ui.fileRequests.back().initialName, path);
    EXPECT_EQ(vortan::test::ReadWholeFile(copy),
              "3.000000\n40.000000\n5.000000\n1\n1\n1\n0\n1\n2.000000\n17\n0\n1\n");
    EXPECT_EQ(dlg->SettingsPath(), copy);
}

TEST_F(Panel, LoadFailuresChangeNothing) {
    Edit(IDC_TIME_DELAY)->setText("12");
    // Cancelled.
    Click(IDC_LOAD_SETTINGS);
    EXPECT_EQ(Edit(IDC_TIME_DELAY)->text(), "12");
    // Unopenable.
    const std::string missing = dir.file("none.dat");
    ui.ChooseFile(missing);
    Click(IDC_LOAD_SETTINGS);
    EXPECT_EQ(ui.messages, (std::vector<Message>{{"Unable to open " + missing, "Error", kError}}));
    EXPECT_EQ(Edit(IDC_TIME_DELAY)->text(), "12");
    EXPECT_EQ(dlg->SettingsPath(), "");
    EXPECT_TRUE(Enabled(1018));
}

TEST_F(Panel, CountLoadedWithoutOrientationBlocksStartUntilCorrected) {
    const std::string path = WriteInput("nine.dat", "2\n0\n9\n0\n0\n1\n1\n0\n1\n0\n1\n0\n");
    ui.ChooseFile(path);
    Click(IDC_LOAD_SETTINGS);
    EXPECT_FALSE(Enabled(IDC_COLORTABLE_COUNT));
    Click(IDC_START);
    EXPECT_EQ(ui.MessageTexts(), std::vector<std::string>{kCountHighMsg});
    EXPECT_EQ(ui.fileRequests.size(), 1u);  // the load only
    Click(IDC_WITH_ORIENTATION);
    EXPECT_TRUE(Enabled(IDC_COLORTABLE_COUNT));
    Edit(IDC_COLORTABLE_COUNT)->setText("4");
    ui.Clear();
    Click(IDC_START);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ui.fileRequests.size(), 1u);
}

TEST_F(Panel, SaveWritesTheScreenAndRemembersOnlySuccessfulPaths) {
    // The defaults.
    const std::string first = dir.file("first.dat");
    ui.ChooseFile(first);
    Click(IDC_SAVE_SETTINGS);
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    const auto& r = ui.fileRequests[0];
    EXPECT_TRUE(r.save);
    EXPECT_EQ(r.defaultExtension, "dat");
    EXPECT_EQ(r.initialName, "");
    EXPECT_TRUE(r.overwritePrompt);
    EXPECT_TRUE(r.pathMustExist);
    EXPECT_EQ(vortan::test::ReadWholeFile(first),
              "2.000000\n0.000000\n7.000000\n0\n1\n0\n1\n0\n1.000000\n0\n1\n0\n");
    EXPECT_EQ(dlg->SettingsPath(), first);

    // The edits and the "Animation" box are read at save time.
    SetEdits("30", "5", "3", "2");
    Click(IDC_ANIMATION);
    ui.ChooseFile(first);
    Click(IDC_SAVE_SETTINGS);
    EXPECT_EQ(ui.fileRequests.back().initialName, first);
    EXPECT_EQ(vortan::test::ReadWholeFile(first),
              "5.000000\n30.000000\n3.000000\n1\n1\n0\n1\n0\n2.000000\n0\n1\n0\n");

    // A failed save: reported, the old file and the remembered path survive.
    const std::string bad = dir.file("no/such/folder/x.dat");
    ui.ChooseFile(bad);
    Click(IDC_SAVE_SETTINGS);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].caption, "Error");
    EXPECT_EQ(ui.messages[0].type, kError);
    EXPECT_NE(ui.messages[0].text.find(bad), std::string::npos);
    EXPECT_EQ(dlg->SettingsPath(), first);
    ui.CancelFileDialog();
    Click(IDC_SAVE_SETTINGS);
    EXPECT_EQ(ui.fileRequests.back().initialName, first);

    // A refused edit: prompt, and the record's value is written.
    ui.Clear();
    Edit(IDC_TIME_DELAY)->setText("soon");
    ui.ChooseFile(first);
    Click(IDC_SAVE_SETTINGS);
    EXPECT_EQ(ui.MessageTexts(), std::vector<std::string>{"Please enter a number."});
    EXPECT_EQ(vortan::test::ReadWholeFile(first).substr(0, 19), "5.000000\n30.000000\n");
}

TEST_F(Panel, QuitEnterAndEscape) {
    // Quit with a letter in an edit: prompt, the panel stays.
    Edit(IDC_COLORTABLE_SHIFT)->setText("a");
    Click(vortan::IDOK);
    EXPECT_EQ(ui.MessageTexts(), std::vector<std::string>{"Please enter a number."});
    EXPECT_TRUE(dlg->isVisible());
    // The panel's focus widget: the application's one is none where the
    // window system has not activated the panel (no window manager).
    EXPECT_EQ(dlg->focusWidget(), Edit(IDC_COLORTABLE_SHIFT));

    // Enter in an edit starts.
    Edit(IDC_COLORTABLE_SHIFT)->setText("1");
    ui.Clear();
    QTest::keyClick(Edit(IDC_TIME_DELAY), Qt::Key_Return);
    EXPECT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_TRUE(dlg->isVisible());

    // Escape ends the panel.
    QTest::keyClick(Edit(IDC_TIME_DELAY), Qt::Key_Escape);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->result(), QDialog::Rejected);
}

TEST_F(Panel, QuitWithGoodValuesEndsThePanel) {
    Edit(IDC_TIME_DELAY)->setText("8");
    Click(vortan::IDOK);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_EQ(dlg->Record().m_timeDelay, 8.0f);
}

TEST_F(Panel, MessageMapRoutesTheCommands) {
    for (int id : {1, 2, 1007, 1031, 1032, 57667, 57670, 1027, 1028, 1029, 1030, 1042, 1043})
        EXPECT_TRUE(vortan::Handles(CSettingsDlg::MessageMap(), id)) << id;
    EXPECT_FALSE(dlg->OnCommand(1022));  // the "Animation" box has no handler
    EXPECT_FALSE(dlg->OnCommand(57603));
}

}  // namespace
