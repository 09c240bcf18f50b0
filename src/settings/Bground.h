#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace compat {
class DriveListBox;
class DirListBox;
class FileListBox;
} // namespace compat

namespace widgets {
class FileChooser;
}

// "Change Background": a borderless chooser that previews a picture and applies it to the
// toolbar. Apply fills the settings window's Background field; the settings window's Save
// stores it.
class Bground : public QWidget
{
    Q_OBJECT
public:
    Bground();

    void Form_Load();
    void Form_Activate();

    QLabel *Label1; // "Change Background"
    compat::DriveListBox *Drive1;
    compat::DirListBox *Dir1;
    compat::FileListBox *File1;
    QLabel *Label2; // "Preview"
    QLabel *Image2; // the previewed picture, stretched to the box
    QPushButton *Command1; // "Preview"
    QPushButton *SetSkin; // "Apply"

    void Command1_Click();
    void SetSkin_Click();

    // The folder and the file name joined with "/", the doubled "/" of the root folder
    // made single.
    static QString PicturePath(const QString &folder, const QString &fileName);

    static constexpr char kPattern[] = "*.bmp;*.gif;*.jpeg;*.jpg*";

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setupControls();
    // The chosen picture, or a null one after telling the user why there is none.
    QPixmap chosenPicture(QString *path);

    widgets::FileChooser *m_chooser;
};
