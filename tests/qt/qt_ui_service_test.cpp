#include "platform/qt/qt_ui_service.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "tests/test_support.h"

namespace {

using vortan::FileDialogRequest;

// Runs action on the first modal widget of type T that appears (polling, so
// that a dialog opened by exec() is answered and the test never blocks).
template <class T>
void WhenModal(std::function<void(T*)> action, int attempts = 200) {
    QTimer::singleShot(0, [action, attempts] {
        if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget())) {
            action(w);
        } else if (attempts > 0) {
            WhenModal<T>(action, attempts - 1);
        }
    });
}

TEST(QtUiService, MessageBoxStyles) {
    struct Case {
        unsigned type;
        QMessageBox::StandardButtons buttons;
        QMessageBox::Icon icon;
    };
    const Case cases[] = {
        {0x00, QMessageBox::Ok, QMessageBox::NoIcon},
        {0x30, QMessageBox::Ok, QMessageBox::Warning},
        {0x40, QMessageBox::Ok, QMessageBox::Information},
        {0x10, QMessageBox::Ok, QMessageBox::Critical},
        {0x21, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Question},
        {0x34, QMessageBox::Yes | QMessageBox::No, QMessageBox::Warning},
        {0x03, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::NoIcon},
    };
    for (const auto& c : cases) {
        const MessageBoxStyle s = MessageBoxStyleFor(c.type);
        EXPECT_EQ(QMessageBox::StandardButtons(s.buttons), c.buttons) << c.type;
        EXPECT_EQ(QMessageBox::Icon(s.icon), c.icon) << c.type;
    }
}

TEST(QtUiService, MessageBoxShowsTextCaptionAndReturnsTheButton) {
    QtUiService ui;
    struct Case {
        std::string caption;
        unsigned type;
        QMessageBox::StandardButton press;
        QString expectedTitle;
        int expectedResult;
    };
    const Case cases[] = {
        {"", vortan::MB_OK, QMessageBox::Ok, "vortan", vortan::IDOK},
        {"Error", vortan::MB_OK | vortan::MB_ICONEXCLAMATION, QMessageBox::Ok, "Error",
         vortan::IDOK},
        {"Q", vortan::MB_YESNO, QMessageBox::No, "Q", vortan::IDNO},
        {"Q", vortan::MB_YESNO, QMessageBox::Yes, "Q", vortan::IDYES},
        {"", vortan::MB_OKCANCEL, QMessageBox::Cancel, "vortan", vortan::IDCANCEL},
    };
    for (const auto& c : cases) {
        QString title, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        WhenModal<QMessageBox>([&](QMessageBox* box) {
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            box->button(c.press)->click();
        });
        const int result = ui.MessageBox("Timer must be an Integer", c.caption, c.type);
        EXPECT_EQ(title, c.expectedTitle);
        EXPECT_EQ(text, "Timer must be an Integer");
        EXPECT_EQ(int(icon), MessageBoxStyleFor(c.type).icon);
        EXPECT_EQ(result, c.expectedResult);
    }
}

// A message belongs to the window the user works in (the animation window,
// a dialog of it), not to a panel that may be minimised meanwhile; with no
// window active it goes to the set parent.
TEST(QtUiService, MessagesAndFileDialogsBelongToTheActiveWindow) {
    QWidget panel;
    panel.setWindowTitle("panel");
    panel.resize(200, 100);
    panel.show();
    QWidget window;
    window.setWindowTitle("window");
    window.resize(200, 100);
    QtUiService ui;
    ui.setParentWidget(&panel);
    const struct {
        const char* what;
        QWidget* active;
        QWidget* owner;
    } cases[] = {{"panel active", &panel, &panel}, {"other window active", &window, &window}};
    for (const auto& c : cases) {
        c.active->show();
        c.active->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(c.active)) << c.what;
        QWidget* boxOwner = nullptr;
        WhenModal<QMessageBox>([&](QMessageBox* box) {
            boxOwner = box->parentWidget();
            box->button(QMessageBox::Ok)->click();
        });
        ui.MessageBox("text", "", vortan::MB_OK);
        EXPECT_EQ(boxOwner, c.owner) << c.what;
        // The user is back in the window once the box has gone.
        c.active->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(c.active)) << c.what;
        QWidget* dialogOwner = nullptr;
        WhenModal<QFileDialog>([&](QFileDialog* dialog) {
            dialogOwner = dialog->parentWidget();
            dialog->reject();
        });
        FileDialogRequest request;
        request.initialName = "*.dat";
        EXPECT_FALSE(ui.FileDialog(request).has_value());
        EXPECT_EQ(dialogOwner, c.owner) << c.what;
    }
}

TEST(QtUiService, NameFiltersFromWindowsFilters) {
    struct Case {
        const char* filter;
        const char* initial;
        QStringList expected;
    };
    const Case cases[] = {
        {"Image Files (*.img)|*.img|All Files (*.*)|*.*||",
         "*.math",
         {"*.math (*.math)", "Image Files (*.img)", "All Files (*)"}},
        {"Dat Files (*.dat)|*.dat|All Files (*.*)|*.*||",
         "*.dat",
         {"*.dat (*.dat)", "Dat Files (*.dat)", "All Files (*)"}},
        {"Dat Files (*.dat)|*.dat|All Files (*.*)|*.*||",
         "/tmp/old.dat",
         {"Dat Files (*.dat)", "All Files (*)"}},
        {"Pictures|*.bmp;*.dib||", "", {"Pictures (*.bmp *.dib)"}},
        {"", "", {"All Files (*)"}},
    };
    for (const auto& c : cases) {
        FileDialogRequest r;
        r.filter = c.filter;
        r.initialName = c.initial;
        EXPECT_EQ(QtNameFilters(r), c.expected) << c.filter << " / " << c.initial;
    }
}

TEST(QtUiService, DefaultExtension) {
    struct Case {
        const char *path, *ext, *expected;
    };
    const Case cases[] = {
        {"/a/b/settings", "dat", "/a/b/settings.dat"},
        {"/a/b/settings.txt", "dat", "/a/b/settings.txt"},
        {"/a.dir/settings", "dat", "/a.dir/settings.dat"},
        {"/a/b/settings", "", "/a/b/settings"},
    };
    for (const auto& c : cases) EXPECT_EQ(WithDefaultExtension(c.path, c.ext), c.expected);
}

TEST(QtUiService, OpenDialogListsTheInitialPatternAndReturnsPathAndTitle) {
    vortan::test::TempDir dir;
    vortan::test::WriteTextFile(dir.file("flow.math"), "640\n480\n2\n");
    vortan::test::WriteTextFile(dir.file("other.img"), "x");
    FileDialogRequest r;
    r.defaultExtension = "math";
    r.initialName = dir.path() + "/*.math";
    r.filter = "Image Files (*.img)|*.img|All Files (*.*)|*.*||";
    r.fileMustExist = true;

    QtUiService ui;
    QString selectedFilter;
    QFileDialog::AcceptMode mode = QFileDialog::AcceptSave;
    WhenModal<QFileDialog>([&](QFileDialog* d) {
        selectedFilter = d->selectedNameFilter();
        mode = d->acceptMode();
        d->selectFile(QString::fromStdString(dir.file("flow.math")));
        QMetaObject::invokeMethod(d, "accept");
    });
    const auto result = ui.FileDialog(r);
    EXPECT_EQ(selectedFilter, "*.math (*.math)");
    EXPECT_EQ(mode, QFileDialog::AcceptOpen);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->path, dir.file("flow.math"));
    EXPECT_EQ(result->title, "flow.math");
}

TEST(QtUiService, CancelledDialogGivesNothing) {
    QtUiService ui;
    FileDialogRequest r;
    r.filter = "Dat Files (*.dat)|*.dat||";
    WhenModal<QFileDialog>([](QFileDialog* d) { d->reject(); });
    EXPECT_FALSE(ui.FileDialog(r).has_value());
}

TEST(QtUiService, SaveDialogAppendsTheExtensionAndAsksBeforeOverwriting) {
    vortan::test::TempDir dir;
    QtUiService ui;
    FileDialogRequest r;
    r.save = true;
    r.defaultExtension = "dat";
    r.filter = "Dat Files (*.dat)|*.dat|All Files (*.*)|*.*||";
    r.overwritePrompt = true;
    r.initialName = dir.file("first.dat");

    // A name typed without extension.
    QString startName;
    WhenModal<QFileDialog>([&](QFileDialog* d) {
        if (auto* edit = d->findChild<QLineEdit*>("fileNameEdit")) startName = edit->text();
        d->selectFile(QString::fromStdString(dir.file("typed")));
        QMetaObject::invokeMethod(d, "accept");
    });
    auto result = ui.FileDialog(r);
    EXPECT_EQ(startName, "first.dat");
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->path, dir.file("typed.dat"));

    // Over an existing file the dialog asks; "No" keeps the dialog open, and
    // the test then cancels it.
    vortan::test::WriteTextFile(dir.file("old.dat"), "keep");
    bool asked = false;
    WhenModal<QFileDialog>([&](QFileDialog* d) {
        WhenModal<QMessageBox>([&, d](QMessageBox* box) {
            asked = true;
            box->button(QMessageBox::No)->click();
            QTimer::singleShot(0, d, [d] { d->reject(); });
        });
        d->selectFile(QString::fromStdString(dir.file("old.dat")));
        QMetaObject::invokeMethod(d, "accept", Qt::QueuedConnection);
    });
    result = ui.FileDialog(r);
    EXPECT_TRUE(asked);
    EXPECT_FALSE(result.has_value());
    EXPECT_EQ(vortan::test::ReadWholeFile(dir.file("old.dat")), "keep");
}

}  // namespace
