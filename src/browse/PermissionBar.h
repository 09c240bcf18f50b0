#pragma once

#include <QFrame>
#include <QTimer>

class QLabel;
class QPushButton;

// The bar across the top of the browser window that puts a page's request to the user:
// "<host> wants to ...", Allow and Deny. Hidden while nothing is asked.
class PermissionBar : public QFrame
{
    Q_OBJECT
public:
    explicit PermissionBar(QWidget *parent);

    // Shows the question (and how many more wait behind it), or hides the bar for an empty one.
    void ask(const QString &question, int waiting);

    QLabel *lblQuestion;
    QPushButton *cmdAllow;
    QPushButton *cmdDeny;

Q_SIGNALS:
    void answered(bool allow);
    // Shown or hidden: the window lays its page out again.
    void shownChanged();

private:
    // Allow takes clicks only a moment after a question appears: a page that asks just as the
    // user clicks where the bar then shows must not get a yes by that click.
    QTimer m_settle;
    QString m_question;
};
