#include "app/qt/about_dlg.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/qt/settings_dlg.h"
#include "res/qt/dialog_builder.h"
#include "tests/qt/fake_ui_service.h"

namespace {

// Runs action on the About box once it runs modally (polled, bounded: never blocks).
void WhenAboutShown(std::function<void(CAboutDlg*)> action, int attempts = 200) {
    QTimer::singleShot(0, [action, attempts] {
        if (auto* box = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget()))
            action(box);
        else if (attempts > 0)
            WhenAboutShown(action, attempts - 1);
        else if (auto* w = QApplication::activeModalWidget())
            w->close();  // another box: close it, the checks then fail
    });
}

// Opens the box, checks title, owner, icon and version, and closes it with Escape or OK.
void CheckAboutBox(QWidget* owner, bool escape, const std::function<void()>& open) {
    QString seen;
    WhenAboutShown([&](CAboutDlg* b) {
        seen = b->windowTitle() + (b->parentWidget() == owner ? " (owned)" : "");
        for (auto* l : b->findChildren<QLabel*>())
            seen +=
                l->pixmap().isNull() ? " " + l->text() : QString(" [%1]").arg(l->pixmap().width());
        escape ? QTest::keyClick(b, Qt::Key_Escape)
               : QTest::mouseClick(Control<QAbstractButton>(*b, 1), Qt::LeftButton);
    });
    open();
    for (const char* part : {"About vortan (owned) ", " [32]", " vortan Version 1.0"})
        EXPECT_TRUE(seen.contains(part)) << seen.toStdString();
}

TEST(AboutDlg, OpensAloneAndFromThePanelsSystemMenu) {
    int result = 0;
    CheckAboutBox(nullptr, true, [&] { result = CAboutDlg().DoModal(); });
    EXPECT_EQ(result, vortan::IDCANCEL);
    vortan::test::FakeUiService ui;
    CSettingsDlg panel(ui);
    panel.show();
    QAction* about = panel.SystemMenu()->actions().last();
    EXPECT_EQ(about->text(), "&About vortan...");
    CheckAboutBox(&panel, false, [&] { about->trigger(); });
}

}  // namespace
