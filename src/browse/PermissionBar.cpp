#include "browse/PermissionBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {
constexpr int kSettleMs = 600;
}

PermissionBar::PermissionBar(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("PermissionBar"));
    setFrameShape(QFrame::StyledPanel);
    // Set off from the page, as a question of the program and not of the site.
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(255, 244, 196));
    p.setColor(QPalette::WindowText, Qt::black);
    setPalette(p);
    lblQuestion = new QLabel(this);
    lblQuestion->setObjectName(QStringLiteral("lblQuestion"));
    lblQuestion->setTextFormat(Qt::PlainText);
    // However long the question, Allow and Deny stay in the bar.
    lblQuestion->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    cmdAllow = new QPushButton(QStringLiteral("Allow"), this);
    cmdAllow->setObjectName(QStringLiteral("cmdAllow"));
    cmdDeny = new QPushButton(QStringLiteral("Deny"), this);
    cmdDeny->setObjectName(QStringLiteral("cmdDeny"));
    // Neither is pressed by a key meant for the page.
    cmdAllow->setAutoDefault(false);
    cmdDeny->setAutoDefault(false);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(8, 4, 8, 4);
    row->addWidget(lblQuestion, 1);
    row->addWidget(cmdAllow);
    row->addWidget(cmdDeny);
    hide();

    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, [this] { cmdAllow->setEnabled(true); });
    connect(cmdAllow, &QPushButton::clicked, this, [this] { Q_EMIT answered(true); });
    connect(cmdDeny, &QPushButton::clicked, this, [this] { Q_EMIT answered(false); });
}

void PermissionBar::ask(const QString &question, int waiting)
{
    if (question.isEmpty()) {
        m_settle.stop();
        m_question.clear();
        if (!isHidden()) {
            hide();
            Q_EMIT shownChanged();
        }
        return;
    }
    QString text = question;
    if (waiting > 0)
        text += waiting == 1 ? QStringLiteral("   (1 more question waits)")
                             : QStringLiteral("   (%1 more questions wait)").arg(waiting);
    if (question != m_question || isHidden()) {
        m_question = question;
        cmdAllow->setEnabled(false);
        m_settle.start();
    }
    lblQuestion->setText(text);
    if (isHidden()) {
        show();
        Q_EMIT shownChanged();
    }
}
