#pragma once

#include "find/UserSites.h"

#include <QWidget>

class QComboBox;
class QLineEdit;
class QListView;
class QPushButton;
class QStandardItemModel;
class QTableView;

// "Sites and Search Engines": the user's own rows of the two search windows, added, edited,
// removed, moved and tried out, with a few current free-software sources to pick from.
class frmSites : public QWidget
{
    Q_OBJECT
public:
    frmSites();
    void Form_Load() { }

    // Shows one list's rows (the window's list box picks the same).
    void showList(usersites::List list);

    QComboBox *cboList;
    QTableView *lstSites;
    QLineEdit *txtName;
    QLineEdit *txtAddress;
    QPushButton *cmdAdd, *cmdSave, *cmdRemove, *cmdUp, *cmdDown, *cmdTest;
    QListView *lstSuggestions;
    QPushButton *cmdSuggest, *cmdImport, *cmdExport, *cmdClose;

    void cmdAdd_Click();
    void cmdSave_Click();
    void cmdRemove_Click();
    void cmdMove_Click(int by);
    void cmdTest_Click();
    void cmdSuggest_Click();
    void cmdImport_Click();
    void cmdExport_Click();

private:
    usersites::List list() const;
    int selectedRow() const;
    void fillRows();
    // Stores the rows; false, after telling the user, when the file cannot be written.
    bool store(const QList<usersites::Site> &rows, int select);

    QStandardItemModel *m_rows;
    QStandardItemModel *m_suggestions;
};
