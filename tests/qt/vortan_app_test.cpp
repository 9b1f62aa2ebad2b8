#include "app/qt/vortan_app.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/qt/settings_dlg.h"
#include "tests/qt/frame_test_support.h"

namespace {

// Runs the program with script played on its panel once it is up (polled, bounded).
bool RunWithPanel(CVortanApp& app, std::function<void(CSettingsDlg&)> script) {
    std::function<void(int)> poll = [&](int attempts) {
        CSettingsDlg* panel = app.MainWnd();
        if (panel && panel->isVisible())
            script(*panel);
        else if (attempts > 0)
            QTimer::singleShot(0, [&, attempts] { poll(attempts - 1); });
        else if (panel)
            panel->reject();
    };
    QTimer::singleShot(0, [&] { poll(200); });
    return app.InitInstance();
}

TEST(VortanApp, QuitEndsTheProgramAndClosesItsWindow) {
    using namespace vortan::test;
    TempDir dir;
    WriteTextFile(dir.file("flow.math"), FrameInputText(160, 120, 2));
    FakeUiService ui;
    ui.ChooseFile(dir.file("flow.math"));
    CVortanApp app(&ui);
    QPointer<CVortanFrame> frame;
    bool shownWhileRunning = false;
    EXPECT_FALSE(RunWithPanel(app, [&](CSettingsDlg& panel) {
        QTest::mouseClick(Control<QAbstractButton>(panel, IDC_START), Qt::LeftButton);
        frame = panel.AnimationWindow();
        shownWhileRunning = frame && frame->isVisible();
        QTest::mouseClick(Control<QAbstractButton>(panel, vortan::IDOK), Qt::LeftButton);  // Quit
    }));
    EXPECT_TRUE(shownWhileRunning);
    EXPECT_TRUE(frame.isNull());
    EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
