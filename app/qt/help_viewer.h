// A small help window that shows the program's help file.
#pragma once

#include <QString>
#include <QTextBrowser>

// The help file: "./vortan.hlp" in the working directory, else the copy
// installed with the program.
QString HelpFilePath();

class CHelpViewer : public QTextBrowser {
    Q_OBJECT
  public:
    // Shows the file's contents page in the program's one help window
    // (created on first use) and returns that window.
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
