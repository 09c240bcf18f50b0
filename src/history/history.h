#pragma once

#include "support/clsSideBar.h"

#include <QWidget>
#include <memory>

class QFrame;
class QLabel;
class QListWidget;
class QPushButton;

// "History": the browser's URL cache, listed when the window loads, the cache killer
// that deletes it, and where the temp folder is. A small black window without a title
// bar, dragged by its background and closed by its "X".
class history : public QWidget
{
    Q_OBJECT
public:
    history();
    ~history() override;

    void Form_Load();

    QLabel *Label2; // "X"
    QLabel *Label1; // "Current history:"
    QFrame *Frame1;
    QListWidget *List1;
    QLabel *lblWinTemp;
    QPushButton *cmdDelete; // "Initiate Cache Killer"

    void Form_MouseDown(Qt::MouseButton button, QPointF globalPosition);
    void Frame1_MouseDown(Qt::MouseButton button, QPointF globalPosition);
    void Label1_MouseDown(Qt::MouseButton button, QPointF globalPosition);
    void Label2_Click();
    void cmdDelete_Click();
    void lblWinTemp_Click();

    // The side bar down the left edge; made on first use, released with the window.
    clsSideBar *sideBar();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setupControls();
    void BeginWindowDrag(QPointF globalPosition);

    std::unique_ptr<clsSideBar> m_sideBar;
};
