#pragma once

#include <QComboBox>
#include <QList>
#include <QListWidget>
#include <QString>

// The drive, folder and file lists of the program's file choosers, with the linking their
// windows do by hand: a drive list of the mounted volumes, a folder list showing the path
// down to the current folder and its subfolders, and a file list filtered by a pattern
// such as "*.htm;*.html;*.eml*".
namespace compat {

// Windows wildcard matching of one file name against one pattern: "*" stands for any run
// of characters, "?" for exactly one, everything else for itself, without regard to
// letter case; "*.*" matches every name, with or without a dot.
bool MatchesWildcard(const QString &name, const QString &pattern);

// The same against a list of patterns separated by ";"; blanks around each are ignored.
bool MatchesPattern(const QString &name, const QString &patternList);

// A file in a folder: the folder, "/" unless the folder already ends with one (the root
// folder does), and the name.
QString JoinFolderFile(const QString &folder, const QString &name);

// One mounted volume: where it is mounted and what the desktop calls it.
struct Volume
{
    QString rootPath;
    QString label;
};

class DriveListBox : public QComboBox
{
    Q_OBJECT
public:
    explicit DriveListBox(QWidget *parent = nullptr);

    // The root folder of the chosen volume.
    QString Drive() const;
    // Chooses the volume holding `path` (the innermost mount), without raising Change.
    void setDrive(const QString &path);

    // Replaces the machine's volumes, for windows that must not depend on the machine
    // they run on (tests).
    void setVolumes(const QList<Volume> &volumes);
    static QList<Volume> mountedVolumes();

Q_SIGNALS:
    // The user chose another volume.
    void Change();

private:
    void fill(const QList<Volume> &volumes);
    bool m_quiet = false;
};

class DirListBox : public QListWidget
{
    Q_OBJECT
public:
    explicit DirListBox(QWidget *parent = nullptr);

    // The current folder, absolute, without a trailing "/" except for the root folder.
    QString Path() const { return m_path; }
    // Moves to `path`. A folder that does not exist or cannot be read leaves the list as it
    // was and returns false.
    bool setPath(const QString &path);

Q_SIGNALS:
    void Change();

private:
    void rebuild();
    QString m_path;
};

class FileListBox : public QListWidget
{
    Q_OBJECT
public:
    explicit FileListBox(QWidget *parent = nullptr);

    QString Path() const { return m_path; }
    void setPath(const QString &path);
    QString Pattern() const { return m_pattern; }
    void setPattern(const QString &pattern);
    // The selected file's name, or "" when none is selected.
    QString FileName() const;
    void setFileName(const QString &name);
    // The names listed, in list order.
    QStringList names() const;

Q_SIGNALS:
    void Click();
    void DblClick();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void refresh();
    QString m_path;
    QString m_pattern = QStringLiteral("*.*");
};

} // namespace compat
