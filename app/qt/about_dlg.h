// The About box: icon, version line and OK.
#pragma once

#include <QDialog>

class CAboutDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CAboutDlg(QWidget* parent = nullptr);
    // Runs the box modally over its parent; the result is IDOK or IDCANCEL.
    int DoModal();
};
