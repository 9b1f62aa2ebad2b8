#include "app/qt/about_dlg.h"

#include "platform/win_types.h"
#include "res/qt/app_icon.h"
#include "res/qt/dialog_builder.h"
#include "res/resources.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    BuildDialog(*this, vortan::res::Dialog(100));
    setWindowIcon(AppIcon());
    // The box has no handlers of its own: OK and Cancel end it.
    SetCommandHandler(*this, [this](int id) {
        if (id == vortan::IDOK) accept();
        if (id == vortan::IDCANCEL) reject();
    });
}

int CAboutDlg::DoModal() {
    // Modal to its owner only, so that other windows of the program keep running.
    setWindowModality(parentWidget() ? Qt::WindowModal : Qt::ApplicationModal);
    return exec() == QDialog::Accepted ? vortan::IDOK : vortan::IDCANCEL;
}
