#include "app/qt/help_viewer.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTest>

#include "app/qt/settings_dlg.h"
#include "res/qt/dialog_builder.h"
#include "tests/qt/fake_ui_service.h"
#include "tests/test_support.h"

namespace {

TEST(HelpViewer, HelpFromTheButtonAndF1ShowsTheWorkingDirectorysFile) {
    vortan::test::TempDir dir;
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(dir.path())));
    EXPECT_EQ(HelpFilePath(), QStringLiteral(VORTAN_DATADIR "/vortan.hlp"));  // none here yet
    vortan::test::WriteTextFile(dir.file("vortan.hlp"),
                                "<html><head><title>Test Help</title></head><body>"
                                "<h1><a name=\"contents\"></a>Contents</h1><p>Disk-diameter.</p>");
    vortan::test::FakeUiService ui;
    CSettingsDlg panel(ui);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));
    for (bool f1 : {false, true}) {
        f1 ? QTest::keyClick(Control(panel, IDC_TIME_DELAY), Qt::Key_F1)
           : QTest::mouseClick(Control(panel, 57667), Qt::LeftButton);  // "Help Topics"
        CHelpViewer* viewer = CHelpViewer::Instance();
        ASSERT_NE(viewer, nullptr) << f1;
        EXPECT_TRUE(viewer->isVisible() && viewer->Loaded()) << f1;
        EXPECT_EQ(viewer->windowTitle(), "Test Help") << f1;
        EXPECT_TRUE(viewer->toPlainText().contains("Disk-diameter.")) << f1;
        viewer->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        panel.activateWindow();
    }
    QDir::setCurrent(saved);
}

}  // namespace
