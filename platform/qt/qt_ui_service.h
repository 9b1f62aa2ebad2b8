// Message boxes and file dialogs with QMessageBox and QFileDialog.
#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "platform/ui_service.h"

class QFileDialog;

class QtUiService : public vortan::IUiService {
  public:
    // The type's icon bits choose the icon, its low bits the buttons. An empty
    // caption shows the application's name.
    int MessageBox(const std::string& text, const std::string& caption, unsigned type) override;
    std::optional<vortan::FileDialogResult> FileDialog(
        const vortan::FileDialogRequest& request) override;

    // The window that owns the dialogs shown from now on while no other
    // window of the program is active (none: top level).
    void setParentWidget(QWidget* parent) { m_parent = parent; }
    QWidget* parentWidget() const { return m_parent; }

  private:
    // The owner of the next box or dialog: the active modal dialog or
    // window, else the set parent.
    QWidget* Owner() const;

    QPointer<QWidget> m_parent;
};

// Qt name filters for a Windows filter "Text (*.a)|*.a|All Files (*.*)|*.*||":
// one "Text (pattern ...)" per pair, "*.*" matching every file. When the
// initial name is a pattern ("*.math"), a filter of that pattern comes first.
QStringList QtNameFilters(const vortan::FileDialogRequest& request);

// Sets up dialog for the request: mode, filters, initial name and folder,
// default suffix and overwrite confirmation.
void ConfigureFileDialog(QFileDialog& dialog, const vortan::FileDialogRequest& request);

// The chosen path with the default extension added when its name has none.
QString WithDefaultExtension(const QString& path, const QString& extension);

// The file an open dialog means by typed: with the default extension added
// when its name has none, unless only the name as typed is an existing file.
QString ResolveOpenName(const QString& typed, const QString& extension);

// The message box's standard buttons and icon for a Windows type.
struct MessageBoxStyle {
    int buttons;  // QMessageBox::StandardButtons
    int icon;     // QMessageBox::Icon
};
MessageBoxStyle MessageBoxStyleFor(unsigned type);
