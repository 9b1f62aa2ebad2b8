#include "platform/qt/qt_ui_service.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <functional>

#include "tests/test_support.h"

namespace {

// Runs action on the first modal T that appears (polled, bounded: exec() never blocks a test).
template <class T>
void WhenModal(std::function<void(T*)> action, int attempts = 200) {
    QTimer::singleShot(0, [action, attempts] {
        if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget()))
            action(w);
        else if (attempts > 0)
            WhenModal<T>(action, attempts - 1);
    });
}

TEST(QtUiService, MessageBoxShowsTextCaptionAndIconAndReturnsTheButton) {
    using B = QMessageBox;
    const std::tuple<const char*, unsigned, B::StandardButton, QString, int> cases[] = {
        {"", vortan::MB_OK, B::Ok, "vortan 0", vortan::IDOK},
        {"Error", vortan::MB_OK | vortan::MB_ICONEXCLAMATION, B::Ok, "Error 2", vortan::IDOK},
        {"Q", vortan::MB_YESNO | vortan::MB_ICONQUESTION, B::No, "Q 4", vortan::IDNO},
        {"", vortan::MB_OKCANCEL | vortan::MB_ICONSTOP, B::Cancel, "vortan 3", vortan::IDCANCEL},
    };
    QtUiService ui;
    for (const auto& c : cases) {
        QString shown;  // title, icon (QMessageBox::Icon), text
        WhenModal<B>([&](B* box) {
            shown = box->windowTitle() + " " + QString::number(box->icon()) + " " + box->text();
            auto* button = box->button(std::get<2>(c));  // none: a wrong set of buttons
            button ? button->click() : box->reject();
        });
        EXPECT_EQ(ui.MessageBox("Timer must be an Integer", std::get<0>(c), std::get<1>(c)),
                  std::get<4>(c));
        EXPECT_EQ(shown, std::get<3>(c) + " Timer must be an Integer");
    }
}

TEST(QtUiService, NameFiltersAndDefaultExtensionFromWindowsConventions) {
    const std::string img = "Image Files (*.img)|*.img|All Files (*.*)|*.*||";
    const std::string dat = "Dat Files (*.dat)|*.dat|All Files (*.*)|*.*||";
    const std::tuple<std::string, const char*, QStringList> cases[] = {
        {img, "*.math", {"*.math (*.math)", "Image Files (*.img)", "All Files (*)"}},
        {dat, "/tmp/old.dat", {"Dat Files (*.dat)", "All Files (*)"}},
        {"Pictures|*.bmp;*.dib||", "", {"Pictures (*.bmp *.dib)"}},
        {"", "", {"All Files (*)"}},
    };
    for (const auto& [filter, initial, expected] : cases)
        EXPECT_EQ(QtNameFilters({false, "", initial, filter}), expected)
            << filter << " / " << initial;
    // path, default extension, the path used
    const std::tuple<const char*, const char*, const char*> extensions[] = {
        {"/a/b/settings.txt", "dat", "/a/b/settings.txt"},
        {"/a.dir/settings", "dat", "/a.dir/settings.dat"},
        {"/a/b/settings", "", "/a/b/settings"},
    };
    for (const auto& [path, ext, expected] : extensions)
        EXPECT_EQ(WithDefaultExtension(path, ext), expected) << path << " " << ext;
}

// A name typed without extension: the file with the default one, else as typed if it exists.
TEST(QtUiService, OpenDialogTakesANameWithoutExtensionAsTypedWhenOnlyThatExists) {
    vortan::test::TempDir dir;
    for (const char* name : {"hostname", "flow.math", "both", "both.math"})
        vortan::test::WriteTextFile(dir.file(name), name);
    QDir().mkpath(QString::fromStdString(dir.file("folder")));
    const std::pair<const char*, const char*> cases[] = {
        {"hostname", "hostname"}, {"flow", "flow.math"},      {"both", "both.math"},
        {"none", "none.math"},    {"flow.math", "flow.math"}, {"folder", "folder.math"},
        {"a.b/x", "a.b/x.math"},
    };
    auto at = [&](const char* name) { return QString::fromStdString(dir.file(name)); };
    for (const auto& [typed, meant] : cases)
        EXPECT_EQ(ResolveOpenName(at(typed), "math"), at(meant)) << typed;
    EXPECT_EQ(ResolveOpenName(at("hostname"), ""), at("hostname"));

    // Through the dialog: the name typed into its name box, then Open.
    for (const auto& [typed, meant] :
         {std::pair{"hostname", "hostname"}, std::pair{"flow", "flow.math"}}) {
        const vortan::FileDialogRequest r{false, "math", dir.file("*.math"),
                                          "Image Files (*.img)|*.img|All Files (*.*)|*.*||", true};
        WhenModal<QFileDialog>([&, name = QString(typed)](QFileDialog* d) {
            auto* edit = d->findChild<QLineEdit*>("fileNameEdit");
            if (edit) edit->setText(name);
            QMetaObject::invokeMethod(d, "accept", Qt::QueuedConnection);
            // A refusal (a "not found" box) would leave the dialog open:
            // close both. Tied to the dialog, so nothing runs once it is gone.
            QTimer::singleShot(500, d, [d] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                    box->done(QMessageBox::Ok);
                d->reject();
            });
        });
        const auto result = QtUiService().FileDialog(r);
        ASSERT_TRUE(result.has_value()) << typed;
        EXPECT_EQ(result->path + " " + result->title, dir.file(meant) + " " + meant);
    }
}

TEST(QtUiService, SaveDialogStartsOnTheRememberedNameAndAsksBeforeOverwriting) {
    vortan::test::TempDir dir;
    vortan::test::WriteTextFile(dir.file("old.dat"), "keep");
    const vortan::FileDialogRequest r{true,  "dat", dir.file("first.dat"), "Dat Files|*.dat||",
                                      false, true};
    // "No" to the question keeps the dialog open; the test then cancels it.
    QString startName;
    bool asked = false;
    WhenModal<QFileDialog>([&](QFileDialog* d) {
        if (auto* edit = d->findChild<QLineEdit*>("fileNameEdit")) startName = edit->text();
        WhenModal<QMessageBox>([&, d](QMessageBox* box) {
            asked = true;
            box->button(QMessageBox::No)->click();
            QTimer::singleShot(0, d, [d] { d->reject(); });
        });
        d->selectFile(QString::fromStdString(dir.file("old.dat")));
        QMetaObject::invokeMethod(d, "accept", Qt::QueuedConnection);
    });
    EXPECT_FALSE(QtUiService().FileDialog(r).has_value());
    EXPECT_EQ(startName, "first.dat");
    EXPECT_TRUE(asked);
    EXPECT_EQ(vortan::test::ReadWholeFile(dir.file("old.dat")), "keep");
}

}  // namespace
