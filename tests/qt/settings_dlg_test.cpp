#include "app/qt/settings_dlg.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTest>
#include <QToolButton>
#include <array>
#include <string>
#include <vector>

#include "tests/qt/frame_test_support.h"

namespace {

using vortan::test::FakeUiService;
using vortan::test::FrameInputText;
using vortan::test::ReadWholeFile;
using Message = FakeUiService::Message;

constexpr unsigned kError = vortan::MB_OK | vortan::MB_ICONEXCLAMATION;
constexpr int kEdits[] = {IDC_TIME_DELAY, IDC_DISK_DIAMETER, IDC_COLORTABLE_COUNT,
                          IDC_COLORTABLE_SHIFT};
const std::string kTimerMsg = "Timer must be an Integer and greater or equal than 0";
const std::string kNumberMsg = "Please enter a number.";

class Panel : public ::testing::Test {
  protected:
    void SetUp() override {
        dlg = std::make_unique<CSettingsDlg>(ui);
        dlg->show();
        QApplication::processEvents();
    }
    QLineEdit* Edit(int id) { return Control<QLineEdit>(*dlg, id); }
    void Click(int id) { QTest::mouseClick(Control<QAbstractButton>(*dlg, id), Qt::LeftButton); }
    // Checks of 1022, 1027..1030, 1042, 1043; then whether 1018, 1029, 1030, 1042, 1043 take input.
    std::string States() {
        std::string s;
        for (int id : {1022, 1027, 1028, 1029, 1030, 1042, 1043})
            s += Control<QAbstractButton>(*dlg, id)->isChecked() ? '1' : '0';
        s += ' ';
        for (int id : {1018, 1029, 1030, 1042, 1043})
            s += Control(*dlg, id)->isEnabled() ? '1' : '0';
        return s;
    }
    std::string WriteInput(const std::string& name, const std::string& text) {
        vortan::test::WriteTextFile(dir.file(name), text);
        return dir.file(name);
    }
    std::string CopyFixture(const std::string& name, const char* fixture) {
        return WriteInput(name, ReadWholeFile(vortan::test::SourcePath(fixture)));
    }
    CVortanFrame* StartWith(const std::string& path) {
        ui.ChooseFile(path);
        Click(IDC_START);
        QApplication::processEvents();
        return dlg->AnimationWindow();
    }
    vortan::test::TempDir dir;
    FakeUiService ui;
    std::unique_ptr<CSettingsDlg> dlg;
};

// A fixed-size panel offers close and minimise, never maximise.
TEST_F(Panel, TitleBarAndSystemMenuButtonOfferWhatWorks) {
    const Qt::WindowFlags on =
        Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint | Qt::CustomizeWindowHint;
    EXPECT_EQ(
        dlg->windowFlags() & (on | Qt::WindowMaximizeButtonHint | Qt::WindowContextHelpButtonHint),
        on);
    EXPECT_EQ(dlg->minimumSize(), dlg->maximumSize());

    auto* button = dlg->findChild<QToolButton*>("systemMenuButton");
    ASSERT_TRUE(button && button->menu());
    EXPECT_TRUE(!button->autoRaise() && button->isVisible());
    EXPECT_EQ(button->toolTip(), "About vortan...");
    QStringList entries;
    for (QAction* a : button->menu()->actions())
        if (!a->isSeparator()) entries << a->text();
    EXPECT_EQ(entries, (QStringList{"Mi&nimize", "&Close", "&About vortan..."}));
}

TEST_F(Panel, StartValidationTable) {
    const Message timer{kTimerMsg, "Info", vortan::MB_OK};
    const Message disk{"Disk-diameter must be an Integer", "Info", vortan::MB_OK};
    const Message countInt{"Colortables must be an Integer", "", vortan::MB_OK};
    const Message countLow{"Colortables must be greater or equal than 1!", "", vortan::MB_OK};
    const Message countHigh{"Colortables must be smaller or equal than 7!", "", vortan::MB_OK};
    const Message step{"Colortable - Step must be greater than 0 and an Integer!", "Info", 0};
    const Message number{kNumberMsg, "", kError};
    // The edits; the messages in order; whether START asks for the file (bounds: engine tests).
    const std::tuple<std::array<const char*, 4>, std::vector<Message>, bool> cases[] = {
        {{"0", "2", "7", "1"}, {}, true},
        {{"-1", "2", "7", "1"}, {timer}, false},
        {{"-1", "1.5", "0.5", "0"}, {timer, disk, countInt, countLow, step}, false},
        {{"0", "2", "3000000000", "1"}, {countInt, countHigh}, false},
        {{" 5 ", "4", "3", "2"}, {}, true},
        // A refused edit stops the exchange: the record keeps the row above's values, not 2.5.
        {{"x", "2.5", "7", "1"}, {number}, true},
    };
    for (const auto& [edits, messages, asks] : cases) {
        SCOPED_TRACE(std::string(edits[0]) + " " + edits[1] + " " + edits[2] + " " + edits[3]);
        ui.Clear();
        for (int i = 0; i < 4; ++i) Edit(kEdits[i])->setText(edits[i]);
        Click(IDC_START);  // the fake cancels the file dialog
        EXPECT_EQ(ui.messages, messages);
        EXPECT_EQ(ui.fileRequests.size(), asks ? 1u : 0u);
    }
}

// A second START closes the live window first, even when it is then refused.
TEST_F(Panel, StartOpensTheWindowWithTheHeaderSizeAndTheChoicesClosingALiveOneFirst) {
    const std::string path = WriteInput("flow.math", FrameInputText(640.9f, 480.2f, 2));
    Edit(IDC_TIME_DELAY)->setText("25");
    for (int id : {1028, 1030, 1022, 1043}) Click(id);  // disk-scale is disabled by then
    QPointer<CVortanFrame> first = StartWith(path);
    CVortanFrame* f = first.data();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(std::vector<int>({f->m_imageWidth, f->m_imageHeight, f->m_dimension, f->m_timeDelay,
                                f->m_withOrientation, f->m_withoutOrientation, f->m_colors32,
                                f->m_colors64, f->m_intensityDimming, f->m_diskScaleDimming,
                                f->m_animationOn}),
              std::vector<int>({640, 480, 2, 25, 0, 1, 0, 1, 1, 0, 1}));
    EXPECT_EQ(f->frameGeometry().topLeft(), QPoint(50, 50));
    EXPECT_EQ(f->ClientSize(), QSize(640, 510));
    // Without decoration: the outer rectangle (50, 50)-(690, 560) plus the menu bar.
    if (f->frameGeometry() == f->geometry()) {
        EXPECT_EQ(f->frameGeometry(),
                  QRect(QPoint(50, 50), QPoint(689, 559 + f->menuBar()->height())));
    }
    QPointer<CVortanFrame> second = StartWith(path);
    EXPECT_TRUE(first.isNull());
    ASSERT_FALSE(second.isNull());
    Edit(IDC_TIME_DELAY)->setText("-1");
    bool windowGoneAtMessage = false;
    ui.onMessage = [&](const Message&) { windowGoneAtMessage = second.isNull(); };
    Click(IDC_START);
    EXPECT_TRUE(windowGoneAtMessage);
    EXPECT_EQ(ui.MessageTexts(), std::vector<std::string>{kTimerMsg});
    EXPECT_EQ(dlg->AnimationWindow(), nullptr);
}

TEST_F(Panel, RefusedInputFilesOpenNoWindowAndKeepTheLastSize) {
    // Contents (nullptr: missing); the message after the path ("": not a streamline file).
    const std::pair<const char*, const char*> cases[] = {
        {nullptr, ""},
        {"", ""},
        {"640\n480\n", ""},
        {"x\n", ""},
        {"0\n480\n2\n", "picture size 0 x 480 is out of range: each side must be 1 to 16384"},
    };
    ASSERT_NE(StartWith(WriteInput("good.math", FrameInputText(320, 240, 2))), nullptr);
    int n = 0;
    for (const auto& [text, why] : cases) {
        SCOPED_TRACE(text ? text : "missing");
        ui.Clear();
        const std::string name = "in%s%n" + std::to_string(n++);  // no format string
        const std::string path = text ? WriteInput(name, text) : dir.file(name);
        EXPECT_EQ(StartWith(path), nullptr);
        const std::string msg = !text                      ? "Unable to open Dat"
                                : std::string(why).empty() ? path + " is not a streamline file"
                                                           : path + ": " + why;
        EXPECT_EQ(ui.messages, (std::vector<Message>{{msg, "Error", kError}}));
        EXPECT_EQ(QSizeF(dlg->ImageWidth(), dlg->ImageHeight()), QSizeF(320, 240));
    }
}

TEST_F(Panel, StartTracesAFieldFileOnceIntoTheCache) {
    setenv("XDG_CACHE_HOME", dir.file("cache").c_str(), 1);
    const std::string field = CopyFixture("gyre.vtk", "tests/fixtures/fields/gyre_rect_ascii.vtk");
    // The double gyre on [0, 2] x [0, 1]: a picture of 800 x 400 by default.
    CVortanFrame* f = StartWith(field);
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(std::vector<int>({f->m_imageWidth, f->m_imageHeight, f->m_dimension}),
              std::vector<int>({800, 400, 2}));
    EXPECT_EQ(f->m_inputPath.rfind(dir.file("cache") + "/vortan/", 0), 0u) << f->m_inputPath;
    EXPECT_EQ(vortan::test::CountEntries(dir.file("cache/vortan")), 1);  // reuse: trace.sh
    // A field that cannot be traced: its message, no window.
    const std::string scalar = CopyFixture("pressure.vtk", "tests/fixtures/fields/scalar_only.vtk");
    EXPECT_EQ(StartWith(scalar), nullptr);
    ASSERT_EQ(ui.messages.size(), 1u);
    const std::string start = scalar + ": no vector components";
    EXPECT_EQ(ui.messages[0].caption + " " + ui.messages[0].text.substr(0, start.size()),
              "Error " + start);
    unsetenv("XDG_CACHE_HOME");
}

TEST_F(Panel, RadioHandlersRestoreTheirCheckMarks) {
    const std::pair<std::vector<int>, std::string> cases[] = {
        {{}, "0101010 10011"},
        {{1028, 1029}, "0011010 01100"},
        {{1028, 1030, 1027}, "0100110 10011"},
        {{1028, 1030, 1027, 1028}, "0010110 01100"},
        {{1043, 1028, 1027}, "0101001 10011"},
        {{1030}, "0101010 10011"},  // a disabled button takes no click
    };
    for (const auto& [clicks, expected] : cases) {
        SetUp();
        for (int id : clicks) Click(id);
        EXPECT_EQ(States(), expected) << clicks.size() << " clicks";
    }
}

TEST_F(Panel, SaveAndLoadWithBothOrientationFlagsRememberingOnlySuccessfulPaths) {
    const std::string first = dir.file("first.dat");
    ui.ChooseFile(first);
    Click(IDC_SAVE_SETTINGS);
    EXPECT_EQ(ReadWholeFile(first),
              "2.000000\n0.000000\n7.000000\n0\n1\n0\n1\n0\n1.000000\n0\n1\n0\n");
    const std::string path = WriteInput("both.dat", "3\n40\n5\n1\n1\n1\n0\n1\n2\n17\n0\n1\n");
    ui.ChooseFile(path);
    Click(IDC_LOAD_SETTINGS);
    std::string edits;
    for (int id : kEdits) edits += Edit(id)->text().toStdString() + " ";
    EXPECT_EQ(edits, "40 3 5 2 ");
    EXPECT_EQ(States(), "1110101 01100");
    ui.ChooseFile(first);
    Click(IDC_SAVE_SETTINGS);
    EXPECT_EQ(ui.fileRequests.back().initialName, path);
    const std::string saved = "3.000000\n40.000000\n5.000000\n1\n1\n1\n0\n1\n2.000000\n17\n0\n1\n";
    EXPECT_EQ(ReadWholeFile(first), saved);
    // A failed save is reported and not remembered.
    const std::string bad = dir.file("no/such/folder/x.dat");
    ui.ChooseFile(bad);
    Click(IDC_SAVE_SETTINGS);
    EXPECT_EQ(ui.messages, (std::vector<Message>{{"Unable to create " + bad, "Error", kError}}));
    EXPECT_EQ(dlg->SettingsPath(), first);
}

TEST_F(Panel, QuitEnterAndEscape) {
    Edit(IDC_COLORTABLE_SHIFT)->setText("a");
    Click(vortan::IDOK);  // Quit refused: a prompt, the panel stays, the edit has the focus
    EXPECT_EQ(ui.MessageTexts(), std::vector<std::string>{kNumberMsg});
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(dlg->focusWidget(), Edit(IDC_COLORTABLE_SHIFT));
    Edit(IDC_COLORTABLE_SHIFT)->setText("1");
    QTest::keyClick(Edit(IDC_TIME_DELAY), Qt::Key_Return);  // Enter starts
    EXPECT_EQ(ui.fileRequests.size(), 1u);
    QTest::keyClick(Edit(IDC_TIME_DELAY), Qt::Key_Escape);
    EXPECT_TRUE(!dlg->isVisible() && dlg->result() == QDialog::Rejected);
}

}  // namespace
