#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;
class QTableView;

namespace guard {
class ListModel;
}

// The Guard window: the whole-program switch, blocking on the current site, the filter
// lists with their state, and the commands that change them.
class frmGuard : public QWidget
{
    Q_OBJECT
public:
    frmGuard();

    void Form_Load();

    QCheckBox *chkGuard; // the whole-program switch
    QCheckBox *chkSite; // "Blocking on this site"
    QLabel *lblState;
    QTableView *grdLists;
    QPushButton *cmdUpdate;
    QPushButton *cmdAdd;
    QPushButton *cmdAddFile;
    QPushButton *cmdRemove;

    void chkGuard_Click();
    void chkSite_Click();
    void cmdUpdate_Click();
    void cmdAdd_Click();
    void cmdAddFile_Click();
    void cmdRemove_Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void setupControls();
    void refresh();

    guard::ListModel *m_model;
    QString m_site;
};
