#pragma once

#include <QWidget>

class QPushButton;

namespace compat {
class DriveListBox;
class DirListBox;
class FileListBox;
} // namespace compat

namespace widgets {
class FileChooser;
}

// "Open": picks a local page, text or mail file and opens it in the browser window.
class Ope : public QWidget
{
    Q_OBJECT
public:
    Ope();

    void Form_Load();
    void Form_Activate();

    compat::DriveListBox *Drive1;
    compat::DirListBox *Dir1;
    compat::FileListBox *File1;
    QPushButton *Command1; // "Open"
    QPushButton *Command2; // "Cancel"

    void Command1_Click();
    void File1_DblClick();
    void Command2_Click();

    // The chosen file: the folder, "/" unless the folder is the root folder, and the
    // selected name (nothing when no file is selected).
    QString FullPath() const;

    static constexpr char kPattern[] = "*.htm;*.html;*.asp;*.php;*.xml;*.shtml;*.txt;*.eml*";

private:
    void setupControls();

    widgets::FileChooser *m_chooser;
};
