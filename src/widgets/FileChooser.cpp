#include "widgets/FileChooser.h"

#include "compat/FileLists.h"
#include "compat/Twips.h"

namespace widgets {

FileChooser::FileChooser(const Places &twips, QWidget *parent) : QWidget(parent)
{
    // The chooser covers just its lists, so that nothing beside them is hidden under it.
    const QRect all = twips.drives.united(twips.folders).united(twips.files);
    compat::PlaceTwips(this, all.x(), all.y(), all.width(), all.height());
    const auto place = [&all](QWidget *w, const QRect &r) {
        compat::PlaceTwips(w, r.x() - all.x(), r.y() - all.y(), r.width(), r.height());
    };
    Drive1 = new compat::DriveListBox(this);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    place(Drive1, twips.drives);
    Dir1 = new compat::DirListBox(this);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    place(Dir1, twips.folders);
    File1 = new compat::FileListBox(this);
    File1->setObjectName(QStringLiteral("File1"));
    place(File1, twips.files);

    connect(Drive1, &compat::DriveListBox::Change, this, &FileChooser::Drive1_Change);
    connect(Dir1, &compat::DirListBox::Change, this, &FileChooser::Dir1_Change);
}

void FileChooser::start(const QString &folder)
{
    Dir1->setPath(folder);
    File1->setPath(Dir1->Path());
    Drive1->setDrive(Dir1->Path());
}

void FileChooser::Drive1_Change()
{
    // A volume that cannot be read (gone, or not ready) is ignored: the lists stay as they
    // were, and so does the drive shown.
    if (!Dir1->setPath(Drive1->Drive()))
        Drive1->setDrive(Dir1->Path());
}

void FileChooser::Dir1_Change()
{
    File1->setPath(Dir1->Path());
}

} // namespace widgets
