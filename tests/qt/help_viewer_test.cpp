#include "app/qt/help_viewer.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTest>

#include "app/qt/settings_dlg.h"
#include "tests/qt/frame_test_support.h"

namespace {

// Looked for in the working directory, beside the program, the source tree, the installed copy.
TEST(HelpViewer, TheHelpFileIsLookedForInOrderAndShownFromTheButtonAndF1) {
    vortan::test::TempDir dir;
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(dir.path())));
    EXPECT_EQ(HelpFileCandidates(),
              (QStringList{QString::fromStdString(dir.file("vortan.hlp")),
                           QCoreApplication::applicationDirPath() + "/vortan.hlp",
                           QStringLiteral(VORTAN_SOURCE_DIR "/vortan.hlp"),
                           QStringLiteral(VORTAN_DATADIR "/vortan.hlp")}));
    // None here yet: the copy in the source tree the tests were built from.
    EXPECT_EQ(HelpFilePath(), QStringLiteral(VORTAN_SOURCE_DIR "/vortan.hlp"));
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
    for (const char* folder : {"a/vortan.hlp", "b", "c"})  // a/vortan.hlp: a folder, not a file
        QDir().mkpath(QString::fromStdString(dir.file(folder)));
    for (const char* file : {"b/vortan.hlp", "c/vortan.hlp"})
        vortan::test::WriteTextFile(dir.file(file), file);
    auto at = [&](const char* name) { return QString::fromStdString(dir.file(name)); };
    const std::pair<QStringList, QString> cases[] = {
        {{at("a/vortan.hlp"), at("b/vortan.hlp"), at("c/vortan.hlp")}, at("b/vortan.hlp")},
        {{at("c/vortan.hlp"), at("b/vortan.hlp")}, at("c/vortan.hlp")},
        {{at("none/vortan.hlp"), at("a/vortan.hlp")}, QString()},
    };
    for (const auto& [candidates, found] : cases)
        EXPECT_EQ(FindHelpFile(candidates), found) << candidates.join(' ').toStdString();
    EXPECT_EQ(HelpNotFoundText({at("x/vortan.hlp"), at("y/vortan.hlp")}),
              "The help file vortan.hlp was not found. Places tried:\n    " + at("x/vortan.hlp") +
                  "\n    " + at("y/vortan.hlp"));

    CHelpViewer* viewer = CHelpViewer::ShowContents(QString());
    ASSERT_NE(viewer, nullptr);
    EXPECT_FALSE(viewer->Loaded());
    EXPECT_EQ(viewer->toPlainText(), HelpNotFoundText(HelpFileCandidates()));
    viewer->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace
