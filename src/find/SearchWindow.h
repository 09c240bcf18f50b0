#pragma once

#include "find/SearchRow.h"
#include "find/UserSites.h"

#include <QStringList>
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace widgets {
class ClickLabel;
}

// The search window both finding windows are: a list of names over a keyword box and a
// "SEARCH!" label. The chosen row's address opens in the browser window.
class SearchWindow : public QWidget
{
    Q_OBJECT
public:
    QLineEdit *txtKeyword;
    QLabel *Label1; // "Keyword:"
    widgets::ClickLabel *Label5; // "SEARCH!"
    QPushButton *cmdSites; // "Sites…": the user's own rows

    void Label5_Click();

protected:
    // What tells the two windows apart.
    struct Design
    {
        const char *caption;
        const char *listName; // the list box's design name
        const char *prompt; // the list box's text before a name is chosen
        QStringList names; // the list, in its designed order
        std::span<const SearchRow> table;
        // A caption ("Site:") beside the list; without one the list takes its room.
        const char *listCaption;
        // What a search with the prompt still in the list says; null: nothing.
        const char *promptMessage;
        // Which of the user's own lists follows the designed names.
        usersites::List userList;
    };
    explicit SearchWindow(const Design &design);

    QComboBox *m_list;
    QLabel *m_listCaption = nullptr;

private:
    // The designed names, then the user's own, keeping what the box shows.
    void fillList();

    Design m_design;
};
