#include "app/qt/about_dlg.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <functional>

#include "app/qt/settings_dlg.h"
#include "tests/qt/frame_test_support.h"

namespace {

// Opens the box, checks title, owner, icon and version, and closes it with Escape or OK.
void CheckAboutBox(QWidget* owner, bool escape, const std::function<void()>& open) {
    QString seen;
    vortan::test::ModalScript script([&](QDialog& b) {
        seen = QString(b.metaObject()->className()) + " " + b.windowTitle() +
               (b.parentWidget() == owner ? " (owned)" : "");
        for (auto* l : b.findChildren<QLabel*>())
            seen +=
                l->pixmap().isNull() ? " " + l->text() : QString(" [%1]").arg(l->pixmap().width());
        escape ? QTest::keyClick(&b, Qt::Key_Escape)
               : QTest::mouseClick(Control<QAbstractButton>(b, 1), Qt::LeftButton);
    });
    open();
    EXPECT_TRUE(script.Closed());
    for (const char* part : {"CAboutDlg About vortan (owned) ", " [32]", " vortan Version 1.0"})
        EXPECT_TRUE(seen.contains(part)) << seen.toStdString();
}

TEST(AboutDlg, OpensAloneAndFromThePanelsSystemMenu) {
    int result = 0;
    CheckAboutBox(nullptr, true, [&] { result = CAboutDlg().DoModal(); });
    EXPECT_EQ(result, vortan::IDCANCEL);
    vortan::test::FakeUiService ui;
    CSettingsDlg panel(ui);
    panel.show();
    QAction* about = panel.SystemMenu()->actions().last();  // its text: the panel's tests
    CheckAboutBox(&panel, false, [&] { about->trigger(); });
}

}  // namespace
