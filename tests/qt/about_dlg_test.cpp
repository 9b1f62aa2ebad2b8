#include "app/qt/about_dlg.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "app/qt/settings_dlg.h"
#include "res/qt/dialog_builder.h"
#include "tests/qt/fake_ui_service.h"

namespace {

// Runs action on the About box once it runs modally (never blocks: gives up
// after a bounded number of polls, and the test then fails on its checks).
void WhenAboutShown(std::function<void(CAboutDlg*)> action, int attempts = 200) {
    QTimer::singleShot(0, [action, attempts] {
        if (auto* box = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget())) {
            action(box);
        } else if (attempts > 0) {
            WhenAboutShown(action, attempts - 1);
        } else {
            // Nothing showed up: close whatever is modal so the test goes on.
            if (auto* w = QApplication::activeModalWidget()) w->close();
        }
    });
}

TEST(AboutDlg, ShowsTitleIconAndVersionAndClosesWithOkOrEscape) {
    struct Case {
        bool escape;
        int result;
    };
    for (const Case c : {Case{false, vortan::IDOK}, Case{true, vortan::IDCANCEL}}) {
        CAboutDlg box;
        QString title, text;
        bool icon = false;
        WhenAboutShown([&](CAboutDlg* b) {
            title = b->windowTitle();
            for (auto* l : b->findChildren<QLabel*>()) {
                if (!l->pixmap().isNull()) icon = true;
                if (!l->text().isEmpty()) text = l->text();
            }
            if (c.escape)
                QTest::keyClick(b, Qt::Key_Escape);
            else
                QTest::mouseClick(Control<QAbstractButton>(*b, 1), Qt::LeftButton);
        });
        EXPECT_EQ(box.DoModal(), c.result);
        EXPECT_EQ(title, "About vortan");
        EXPECT_EQ(text, "vortan Version 1.0");
        EXPECT_TRUE(icon);
    }
}

TEST(AboutDlg, ReachedFromThePanelsSystemMenu) {
    vortan::test::FakeUiService ui;
    CSettingsDlg panel(ui);
    panel.show();
    QMenu* menu = panel.SystemMenu();
    ASSERT_NE(menu, nullptr);
    const auto actions = menu->actions();
    ASSERT_GE(actions.size(), 2);
    // The menu ends with a separator and the About entry (command 16).
    EXPECT_TRUE(actions[actions.size() - 2]->isSeparator());
    QAction* about = actions.back();
    EXPECT_EQ(about->text(), "&About vortan...");
    EXPECT_EQ(about->data().toInt(), 16);

    int shown = 0;
    QWidget* owner = nullptr;
    WhenAboutShown([&](CAboutDlg* b) {
        ++shown;
        owner = b->parentWidget();
        b->accept();
    });
    about->trigger();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(owner, &panel);
    EXPECT_TRUE(panel.isVisible());  // the panel goes on

    // Only the About id opens the box (its low four bits do not count).
    WhenAboutShown([&](CAboutDlg* b) {
        ++shown;
        b->accept();
    });
    panel.OnSysCommand(0x0013);
    EXPECT_EQ(shown, 2);

    // The title-area button carries the same menu, and so does the context menu.
    auto* button = panel.findChild<QToolButton*>("systemMenuButton");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->menu(), menu);
    EXPECT_TRUE(button->isVisible());
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(20, 20),
                            panel.mapToGlobal(QPoint(20, 20)));
    QApplication::sendEvent(&panel, &event);
    EXPECT_TRUE(menu->isVisible());
    menu->close();

    EXPECT_EQ(panel.QueryDragIcon().cacheKey(), panel.windowIcon().cacheKey());
    EXPECT_FALSE(panel.QueryDragIcon().isNull());
    EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
