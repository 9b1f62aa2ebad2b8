#include "app/qt/vortan_app.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/qt/settings_dlg.h"
#include "res/qt/dialog_builder.h"
#include "tests/qt/fake_ui_service.h"
#include "tests/streamline_fixtures.h"
#include "tests/test_support.h"
#include "view/qt/vortan_frame.h"

namespace {

// Runs script once the application's panel is up (polled, bounded).
void WithPanel(CVortanApp& app, std::function<void(CSettingsDlg&)> script, int attempts = 200) {
    QTimer::singleShot(0, [&app, script, attempts] {
        CSettingsDlg* panel = app.MainWnd();
        if (panel && panel->isVisible()) {
            script(*panel);
        } else if (attempts > 0) {
            WithPanel(app, script, attempts - 1);
        } else if (panel) {
            panel->reject();
        }
    });
}

std::string WriteStreamlines(const vortan::test::TempDir& dir) {
    using namespace vortan::test;
    const std::string path = dir.file("flow.math");
    std::string text = HeaderText({160, 120, 2, 1, 100, 0, 1, 0, 1, 0, 1});
    text +=
        PadRecord(ClassicRecord({0.0f, 0.5f, 1.0f}, {{0.1f, 0.5f, 0.9f}, {0.1f, 0.5f, 0.9f}}), 300);
    WriteTextFile(path, text);
    return path;
}

TEST(VortanApp, QuitEndsTheProgramAndClosesItsWindow) {
    vortan::test::TempDir dir;
    const std::string input = WriteStreamlines(dir);
    vortan::test::FakeUiService ui;
    ui.ChooseFile(input);
    CVortanApp app(&ui);
    QPointer<CVortanFrame> frame;
    bool closedWhileRunning = true;
    WithPanel(app, [&](CSettingsDlg& panel) {
        QTest::mouseClick(Control<QAbstractButton>(panel, IDC_START), Qt::LeftButton);
        frame = panel.AnimationWindow();
        closedWhileRunning = frame.isNull() || !frame->isVisible();
        QTest::mouseClick(Control<QAbstractButton>(panel, vortan::IDOK), Qt::LeftButton);
    });
    EXPECT_FALSE(app.InitInstance());
    EXPECT_FALSE(closedWhileRunning);  // the window was up while the panel ran
    EXPECT_TRUE(frame.isNull());       // and went with the panel
    EXPECT_EQ(app.MainWnd(), nullptr);
    EXPECT_TRUE(ui.messages.empty());
}

TEST(VortanApp, EscapeAndRefusedQuit) {
    vortan::test::FakeUiService ui;
    CVortanApp app(&ui);
    int stillOpenAfterRefusedQuit = -1;
    WithPanel(app, [&](CSettingsDlg& panel) {
        Control<QLineEdit>(panel, IDC_TIME_DELAY)->setText("z");
        QTest::mouseClick(Control<QAbstractButton>(panel, vortan::IDOK), Qt::LeftButton);
        stillOpenAfterRefusedQuit = panel.isVisible();
        QTest::keyClick(&panel, Qt::Key_Escape);
    });
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(stillOpenAfterRefusedQuit, 1);
    EXPECT_EQ(ui.MessageTexts(), std::vector<std::string>{"Please enter a number."});
}

TEST(VortanApp, ApplicationHelpReachesThePanel) {
    vortan::test::FakeUiService ui;
    CVortanApp app(&ui);
    EXPECT_TRUE(vortan::Handles(CVortanApp::MessageMap(), 57670));
    EXPECT_FALSE(app.OnCommand(57667));
    bool helpShown = false;
    WithPanel(app, [&](CSettingsDlg& panel) {
        app.OnCommand(57670);
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "vortanHelpViewer" && w->isVisible()) {
                helpShown = true;
                w->close();
            }
        panel.reject();
    });
    app.InitInstance();
    EXPECT_TRUE(helpShown);
}

}  // namespace
