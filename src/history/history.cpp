#include "history/history.h"

#include "app/App.h"
#include "app/Forms.h"
#include "compat/Dialogs.h"
#include "compat/Twips.h"
#include "compat/WindowDrawing.h"
#include "history/basWinInet.h"
#include "history/basWindowsTemp.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

using compat::PlaceTwips;
using compat::Twips;

namespace {

QFont tahoma(double points, bool bold)
{
    QFont f;
    // Where Tahoma is missing, a condensed face of about its width keeps the texts inside
    // their designed boxes; the usual substitute is wide enough to cut the temp label.
    f.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans Condensed"),
                   QStringLiteral("Liberation Sans Narrow")});
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

void setTextColor(QWidget *w, const QColor &color)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, color);
    p.setColor(QPalette::Text, color);
    w->setPalette(p);
}

void setBackground(QWidget *w, const QColor &color)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, color);
    p.setColor(QPalette::Base, color);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

} // namespace

history::history() : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setupControls();
}

history::~history() = default;

void history::setupControls()
{
    setWindowTitle(QStringLiteral("History"));
    setFixedSize(Twips(6870), Twips(4020));
    setBackground(this, Qt::black);
    setFont(tahoma(8.25, false));
    const QColor highlightText = palette().color(QPalette::HighlightedText);

    Label2 = new QLabel(QStringLiteral("X"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    PlaceTwips(Label2, 6360, 0, 375, 255);
    Label2->setAlignment(Qt::AlignCenter);
    Label2->setFont(tahoma(9.75, true));
    setTextColor(Label2, QColor(224, 224, 224));
    Label2->setCursor(Qt::PointingHandCursor);

    Label1 = new QLabel(QStringLiteral("Current history:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    PlaceTwips(Label1, 840, 120, 3255, 255);
    Label1->setFont(tahoma(9.75, true));
    setTextColor(Label1, highlightText);

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    PlaceTwips(Frame1, 360, 480, 6375, 3495);
    Frame1->setFrameShape(QFrame::NoFrame);
    setBackground(Frame1, Qt::black);

    List1 = new QListWidget(Frame1);
    List1->setObjectName(QStringLiteral("List1"));
    // Designed 6135 wide, the list would reach past the frame's right edge and hide its
    // vertical scroll bar there; it ends at that edge instead.
    PlaceTwips(List1, 480, 0, 6375 - 480, 2955);
    List1->setSortingEnabled(false);
    setBackground(List1, Qt::black);
    setTextColor(List1, highlightText);

    lblWinTemp
        = new QLabel(QStringLiteral("Click here to locate your Windows' Temp Folder!"), Frame1);
    lblWinTemp->setObjectName(QStringLiteral("lblWinTemp"));
    PlaceTwips(lblWinTemp, 480, 3120, 3615, 255);
    setTextColor(lblWinTemp, highlightText);
    lblWinTemp->setCursor(Qt::PointingHandCursor);

    cmdDelete = new QPushButton(QStringLiteral("Initiate Cache Killer"), Frame1);
    cmdDelete->setObjectName(QStringLiteral("cmdDelete"));
    PlaceTwips(cmdDelete, 4560, 3120, 1695, 375);
    cmdDelete->setAutoDefault(false);
    // A plain white face with black text, as a graphical button with a white back.
    cmdDelete->setStyleSheet(
        QStringLiteral("QPushButton { background: white; color: black; border: 1px solid #808080; }"
                       "QPushButton:pressed { background: #e0e0e0; }"));

    connect(cmdDelete, &QPushButton::clicked, this, &history::cmdDelete_Click);
    for (QWidget *w : {static_cast<QWidget *>(Label1), static_cast<QWidget *>(Frame1),
                       static_cast<QWidget *>(Label2), static_cast<QWidget *>(lblWinTemp),
                       static_cast<QWidget *>(List1)})
        w->installEventFilter(this);

    compat::CentreOnScreen(this);
}

clsSideBar *history::sideBar()
{
    if (!m_sideBar)
        m_sideBar = std::make_unique<clsSideBar>(this);
    return m_sideBar.get();
}

void history::Form_Load()
{
    // The whole cache is listed before the window appears.
    basWinInet::ListUrlCache(List1);
    show();
    raise();
    activateWindow();
    sideBar()->RemoveTitleBar();
    sideBar()->Create(QStringLiteral("History"), 1, 1, QColor(255, 255, 255), QColor(128, 128, 128),
                      QStringLiteral("Tahoma"), 16);
}

void history::mousePressEvent(QMouseEvent *event)
{
    Form_MouseDown(event->button(), event->globalPosition());
}

bool history::eventFilter(QObject *watched, QEvent *event)
{
    const auto type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease)
        return QWidget::eventFilter(watched, event);
    auto *mouse = static_cast<QMouseEvent *>(event);
    if (watched == Label1 || watched == Frame1) {
        if (type == QEvent::MouseButtonPress) {
            if (watched == Label1)
                Label1_MouseDown(mouse->button(), mouse->globalPosition());
            else
                Frame1_MouseDown(mouse->button(), mouse->globalPosition());
        }
        return true;
    }
    // A press on the list's own edge would otherwise reach the frame and drag.
    if (watched == List1)
        return type == QEvent::MouseButtonPress;
    // The two clickable labels take their own presses, so pressing them never starts a
    // drag; a click is a left press and release over the label.
    auto *label = static_cast<QWidget *>(watched);
    if (type == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton
        && label->rect().contains(mouse->position().toPoint())) {
        if (watched == Label2)
            Label2_Click();
        else if (watched == lblWinTemp)
            lblWinTemp_Click();
    }
    return true;
}

void history::Form_MouseDown(Qt::MouseButton button, QPointF globalPosition)
{
    if (button == Qt::LeftButton)
        BeginWindowDrag(globalPosition);
}

void history::Frame1_MouseDown(Qt::MouseButton button, QPointF globalPosition)
{
    if (button == Qt::LeftButton)
        BeginWindowDrag(globalPosition);
}

void history::Label1_MouseDown(Qt::MouseButton button, QPointF globalPosition)
{
    if (button == Qt::LeftButton)
        BeginWindowDrag(globalPosition);
}

void history::Label2_Click()
{
    Forms::Unload<history>();
}

void history::cmdDelete_Click()
{
    basWinInet::KillUrlCache(List1);
}

void history::lblWinTemp_Click()
{
    compat::MsgBox(QStringLiteral("Windows Temp. Path: ") + basWindowsTemp::GetWindowsTempPath(),
                   compat::vbInformation, app::AppTitle());
}

void history::BeginWindowDrag(QPointF globalPosition)
{
    compat::BeginWindowDrag(this, globalPosition);
}
