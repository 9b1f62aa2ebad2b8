#include "app/qt/help_viewer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTextDocument>

#include "res/qt/app_icon.h"

namespace {

QPointer<CHelpViewer> g_viewer;

// A help file larger than this is not ours; it is not read into memory.
constexpr qint64 kMaxHelpFileSize = 4 * 1024 * 1024;

}  // namespace

QStringList HelpFileCandidates() {
    const QString name = QStringLiteral("vortan.hlp");
    QStringList places;
    for (const QString& folder :
         {QDir::currentPath(), QCoreApplication::applicationDirPath(),
          QStringLiteral(VORTAN_BUILT_FROM), QStringLiteral(VORTAN_DATADIR)}) {
        if (folder.isEmpty()) continue;
        const QString path = QDir::cleanPath(QDir(folder).absoluteFilePath(name));
        if (!places.contains(path)) places.push_back(path);
    }
    return places;
}

QString FindHelpFile(const QStringList& candidates) {
    for (const QString& path : candidates) {
        if (QFileInfo(path).isFile()) return path;
    }
    return QString();
}

QString HelpFilePath() {
    return FindHelpFile(HelpFileCandidates());
}

QString HelpNotFoundText(const QStringList& candidates) {
    QString text = QCoreApplication::translate("CHelpViewer",
                                               "The help file vortan.hlp was not found. "
                                               "Places tried:");
    for (const QString& path : candidates) text += QStringLiteral("\n    ") + path;
    return text;
}

CHelpViewer::CHelpViewer() {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName("vortanHelpViewer");
    setWindowIcon(AppIcon());
    setOpenExternalLinks(false);
    resize(640, 520);
}

CHelpViewer::~CHelpViewer() = default;

CHelpViewer* CHelpViewer::Instance() {
    return g_viewer.data();
}

CHelpViewer* CHelpViewer::ShowContents(const QString& path) {
    if (!g_viewer) g_viewer = new CHelpViewer();
    g_viewer->Load(path);
    g_viewer->show();
    g_viewer->raise();
    g_viewer->activateWindow();
    return g_viewer.data();
}

void CHelpViewer::Load(const QString& path) {
    m_path = path;
    m_loaded = false;
    if (path.isEmpty()) {
        setWindowTitle(tr("vortan Help"));
        setPlainText(HelpNotFoundText(HelpFileCandidates()));
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxHelpFileSize) {
        setWindowTitle(tr("vortan Help"));
        setPlainText(tr("The help file %1 cannot be opened.").arg(path));
        return;
    }
    const QString text = QString::fromUtf8(file.read(kMaxHelpFileSize));
    setSearchPaths({QFileInfo(path).absolutePath()});
    if (Qt::mightBeRichText(text))
        setHtml(text);
    else
        setPlainText(text);
    const QString title = document()->metaInformation(QTextDocument::DocumentTitle);
    setWindowTitle(title.isEmpty() ? tr("vortan Help") : title);
    m_loaded = true;
    // The contents page: the top of the file, or its "contents" anchor.
    moveCursor(QTextCursor::Start);
    scrollToAnchor(QStringLiteral("contents"));
}
