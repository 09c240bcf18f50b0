#pragma once

#include <QRect>
#include <QWidget>

namespace compat {
class DriveListBox;
class DirListBox;
class FileListBox;
} // namespace compat

namespace widgets {

// The drive, folder and file lists of a file chooser, linked as the program's choosers link
// them: another drive moves the folder list there (a drive that cannot be read leaves both
// where they were), another folder refreshes the file list. The window that holds the chooser
// gives the lists' places, in twips from the chooser's own corner, and handles the choice.
class FileChooser : public QWidget
{
    Q_OBJECT
public:
    struct Places
    {
        QRect drives;
        QRect folders;
        QRect files;
    };
    FileChooser(const Places &twips, QWidget *parent);

    compat::DriveListBox *Drive1;
    compat::DirListBox *Dir1;
    compat::FileListBox *File1;

    // Opens the chooser in a folder (and on its drive).
    void start(const QString &folder);

private:
    void Drive1_Change();
    void Dir1_Change();
};

} // namespace widgets
