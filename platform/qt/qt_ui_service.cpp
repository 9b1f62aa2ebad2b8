#include "platform/qt/qt_ui_service.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>

#include "platform/message_sink.h"

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

bool IsPattern(const QString& name) {
    return name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'));
}

// Windows patterns "*.a;*.b" as Qt patterns "*.a *.b"; "*.*" matches everything.
QString QtPatterns(const QString& windowsPatterns) {
    QStringList out;
    for (QString p : windowsPatterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        p = p.trimmed();
        if (p == QLatin1String("*.*")) p = QStringLiteral("*");
        if (!p.isEmpty()) out << p;
    }
    return out.join(QLatin1Char(' '));
}

// "Image Files (*.img)" -> "Image Files": Qt reads the patterns from the last
// parentheses, so the description must not carry other ones.
QString Description(QString text) {
    text = text.trimmed();
    if (text.endsWith(QLatin1Char(')'))) {
        const qsizetype open = text.lastIndexOf(QLatin1Char('('));
        if (open > 0) text = text.left(open).trimmed();
    }
    return text;
}

}  // namespace

QWidget* QtUiService::Owner() const {
    // The window the user works in (a modal dialog, the animation window)
    // owns the message; a minimised panel would hide a box it owned.
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner) owner = QApplication::activeWindow();
    if (!owner || owner->isMinimized()) owner = m_parent;
    return owner;
}

MessageBoxStyle MessageBoxStyleFor(unsigned type) {
    QMessageBox::StandardButtons buttons;
    switch (type & 0xFu) {
        case vortan::MB_OKCANCEL:
            buttons = QMessageBox::Ok | QMessageBox::Cancel;
            break;
        case 0x2:  // MB_ABORTRETRYIGNORE
            buttons = QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
            break;
        case 0x3:  // MB_YESNOCANCEL
            buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
            break;
        case vortan::MB_YESNO:
            buttons = QMessageBox::Yes | QMessageBox::No;
            break;
        case 0x5:  // MB_RETRYCANCEL
            buttons = QMessageBox::Retry | QMessageBox::Cancel;
            break;
        default:
            buttons = QMessageBox::Ok;
            break;
    }
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (type & 0xF0u) {
        case vortan::MB_ICONSTOP:
            icon = QMessageBox::Critical;
            break;
        case vortan::MB_ICONQUESTION:
            icon = QMessageBox::Question;
            break;
        case vortan::MB_ICONEXCLAMATION:
            icon = QMessageBox::Warning;
            break;
        case vortan::MB_ICONINFORMATION:
            icon = QMessageBox::Information;
            break;
        default:
            break;
    }
    return {int(buttons), int(icon)};
}

int QtUiService::MessageBox(const std::string& text, const std::string& caption, unsigned type) {
    const MessageBoxStyle style = MessageBoxStyleFor(type);
    QMessageBox box(QMessageBox::Icon(style.icon),
                    caption.empty() ? QString::fromLatin1(vortan::kAppName) : Q(caption), Q(text),
                    QMessageBox::StandardButtons(style.buttons), Owner());
    switch (box.exec()) {
        case QMessageBox::Ok:
            return vortan::IDOK;
        case QMessageBox::Yes:
            return vortan::IDYES;
        case QMessageBox::No:
            return vortan::IDNO;
        case QMessageBox::Abort:
            return 3;  // IDABORT
        case QMessageBox::Retry:
            return 4;  // IDRETRY
        case QMessageBox::Ignore:
            return 5;  // IDIGNORE
        default:
            // Cancel, or the box closed without a button: Windows reports
            // IDCANCEL, or IDOK for a box that has only OK.
            return (type & 0xFu) == vortan::MB_OK ? vortan::IDOK : vortan::IDCANCEL;
    }
}

QStringList QtNameFilters(const vortan::FileDialogRequest& request) {
    QStringList filters;
    const QString initial = Q(request.initialName);
    const QString initialName = QFileInfo(initial).fileName();
    if (IsPattern(initialName)) filters << QStringLiteral("%1 (%1)").arg(initialName);
    const QStringList parts = Q(request.filter).split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString text = parts[i];
        const QString patterns = QtPatterns(parts[i + 1]);
        if (text.isEmpty() && patterns.isEmpty()) break;  // the closing "||"
        const QString description = Description(text);
        const QString entry =
            description.isEmpty() ? patterns : QStringLiteral("%1 (%2)").arg(description, patterns);
        if (!filters.contains(entry)) filters << entry;
    }
    if (filters.isEmpty()) filters << QStringLiteral("All Files (*)");
    return filters;
}

QString WithDefaultExtension(const QString& path, const QString& extension) {
    if (extension.isEmpty() || path.isEmpty()) return path;
    const QFileInfo info(path);
    if (info.fileName().contains(QLatin1Char('.'))) return path;
    return path + QLatin1Char('.') + extension;
}

QString ResolveOpenName(const QString& typed, const QString& extension) {
    const QString withExtension = WithDefaultExtension(typed, extension);
    if (withExtension == typed || QFileInfo(withExtension).isFile()) return withExtension;
    return QFileInfo(typed).isFile() ? typed : withExtension;
}

namespace {

// An open dialog that takes a name typed without extension as the file with
// the default extension, or else as typed when that file exists.
class OpenFileDialog : public QFileDialog {
  public:
    OpenFileDialog(QWidget* parent, const QString& extension)
        : QFileDialog(parent), m_extension(extension) {}

    void accept() override {
        const QStringList files = selectedFiles();
        if (files.size() == 1) {
            const QString resolved = ResolveOpenName(files.first(), m_extension);
            // The name box takes a full path; Qt's own checks then see it.
            auto* edit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (resolved != files.first() && edit) edit->setText(resolved);
        }
        QFileDialog::accept();
    }

  private:
    QString m_extension;
};

}  // namespace

void ConfigureFileDialog(QFileDialog& dialog, const vortan::FileDialogRequest& request) {
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setWindowTitle(request.save ? QObject::tr("Save As") : QObject::tr("Open"));
    if (request.save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(request.fileMustExist ? QFileDialog::ExistingFile
                                                 : QFileDialog::AnyFile);
    }
    const QStringList filters = QtNameFilters(request);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.first());
    // An open dialog resolves a name without extension itself (OpenFileDialog).
    if (request.save) dialog.setDefaultSuffix(Q(request.defaultExtension));

    const QString initial = Q(request.initialName);
    const QFileInfo info(initial);
    if (initial.isEmpty()) {
        dialog.setDirectory(QDir::currentPath());
    } else if (IsPattern(info.fileName())) {
        // The pattern is the selected filter; the name box starts empty.
        dialog.setDirectory(info.path().isEmpty() || info.path() == QLatin1String(".")
                                ? QDir::currentPath()
                                : info.absolutePath());
    } else {
        if (info.isAbsolute() || info.path() != QLatin1String("."))
            dialog.setDirectory(info.absolutePath());
        else
            dialog.setDirectory(QDir::currentPath());
        dialog.selectFile(info.fileName());
    }
}

std::optional<vortan::FileDialogResult> QtUiService::FileDialog(
    const vortan::FileDialogRequest& request) {
    OpenFileDialog dialog(Owner(), Q(request.defaultExtension));
    ConfigureFileDialog(dialog, request);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    const QString extension = Q(request.defaultExtension);
    const QString chosen = request.save ? WithDefaultExtension(files.first(), extension)
                                        : ResolveOpenName(files.first(), extension);
    const QString path = QFileInfo(chosen).absoluteFilePath();
    return vortan::FileDialogResult{path.toStdString(), QFileInfo(path).fileName().toStdString()};
}
