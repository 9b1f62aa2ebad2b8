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

// Works in a fresh folder, restoring the working directory afterwards.
class InFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        saved = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(dir.path())));
    }
    void TearDown() override {
        if (auto* v = CHelpViewer::Instance()) v->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QDir::setCurrent(saved);
    }
    vortan::test::TempDir dir;
    QString saved;
};

TEST_F(InFolder, HelpFileIsTakenFromTheWorkingDirectoryFirst) {
    EXPECT_EQ(HelpFilePath(), QStringLiteral(VORTAN_DATADIR "/vortan.hlp"));
    vortan::test::WriteTextFile(dir.file("vortan.hlp"), "local help\n");
    EXPECT_EQ(HelpFilePath(), QString::fromStdString(dir.file("vortan.hlp")));
}

TEST_F(InFolder, HelpTopicsAndF1OpenTheContents) {
    vortan::test::WriteTextFile(
        dir.file("vortan.hlp"),
        "<html><head><title>Test Help</title></head><body><h1><a name=\"contents\"></a>"
        "Contents</h1><p>Disk-diameter explained.</p></body></html>");
    vortan::test::FakeUiService ui;
    CSettingsDlg panel(ui);
    panel.show();

    QTest::mouseClick(Control(panel, 57667), Qt::LeftButton);
    CHelpViewer* viewer = CHelpViewer::Instance();
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_TRUE(viewer->Loaded());
    EXPECT_EQ(viewer->FilePath(), QString::fromStdString(dir.file("vortan.hlp")));
    EXPECT_EQ(viewer->windowTitle(), "Test Help");
    EXPECT_TRUE(viewer->toPlainText().contains("Disk-diameter explained."));
    viewer->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(CHelpViewer::Instance(), nullptr);

    // F1 in the panel: the same contents.
    panel.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));
    QTest::keyClick(Control(panel, 1009), Qt::Key_F1);
    viewer = CHelpViewer::Instance();
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->Loaded());
    EXPECT_TRUE(viewer->toPlainText().contains("Disk-diameter explained."));

    // Another request reuses the one window.
    panel.WinHelp(1234, 0);
    EXPECT_EQ(CHelpViewer::Instance(), viewer);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(InFolder, MissingHelpFileIsSaidInTheHelpWindow) {
    CHelpViewer* viewer = CHelpViewer::ShowContents(QString::fromStdString(dir.file("none.hlp")));
    ASSERT_NE(viewer, nullptr);
    EXPECT_FALSE(viewer->Loaded());
    EXPECT_TRUE(viewer->toPlainText().contains("cannot be opened"));
}

TEST_F(InFolder, PlainTextHelpIsShownAsText) {
    vortan::test::WriteTextFile(dir.file("plain.hlp"), "Line one\nLine <two>\n");
    CHelpViewer* viewer = CHelpViewer::ShowContents(QString::fromStdString(dir.file("plain.hlp")));
    EXPECT_TRUE(viewer->Loaded());
    EXPECT_TRUE(viewer->toPlainText().contains("Line <two>"));
}

TEST(HelpFile, TheShippedHelpFileOpensWithItsContents) {
    const QString path = QString::fromStdString(vortan::test::SourcePath("vortan.hlp"));
    CHelpViewer* viewer = CHelpViewer::ShowContents(path);
    EXPECT_TRUE(viewer->Loaded());
    const QString text = viewer->toPlainText();
    for (const char* topic : {"Contents", "The settings", "The streamline file",
                              "Exporting streamlines from Mathematica", "Settings files"})
        EXPECT_TRUE(text.contains(topic)) << topic;
    viewer->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace
