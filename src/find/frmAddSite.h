#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// "Add Search Site": a site's search a page offers, added to one of the user's two lists
// with one click on the list's button, under a name the user may change first.
class frmAddSite : public QDialog
{
    Q_OBJECT
public:
    frmAddSite(const QString &name, const QString &address, QWidget *parent = nullptr);

    QLineEdit *txtName;
    QLabel *lblAddress;
    QPushButton *cmdFreeware, *cmdEngines, *cmdCancel;

    // Adds the row to the list the button names; a name or address refused is said in a
    // message box and the window stays open for another name.
    void cmdAdd_Click(bool engines);

private:
    QString m_address;
};
