// A small help window that shows the program's help file.
#pragma once

#include <QString>
#include <QStringList>
#include <QTextBrowser>

// Where the help file is looked for, in order: "./vortan.hlp" in the working
// directory, beside the executable, in the source tree the program was built
// from, then the installed copy. Absolute paths, none twice.
QStringList HelpFileCandidates();
// The first of candidates that is a file, or an empty string.
QString FindHelpFile(const QStringList& candidates);
// The help file to show: the first candidate found, or empty when none is.
QString HelpFilePath();
// What the help window says when no candidate is there: every place tried.
QString HelpNotFoundText(const QStringList& candidates);

class CHelpViewer : public QTextBrowser {
    Q_OBJECT
  public:
    // Shows the file's contents page in the program's one help window
    // (created on first use) and returns that window. An empty path shows
    // where the file was looked for.
    static CHelpViewer* ShowContents(const QString& path);
    // The help window while it exists.
    static CHelpViewer* Instance();

    // The file shown, and whether it could be read.
    QString FilePath() const { return m_path; }
    bool Loaded() const { return m_loaded; }

  private:
    CHelpViewer();
    ~CHelpViewer() override;
    void Load(const QString& path);

    QString m_path;
    bool m_loaded = false;
};
