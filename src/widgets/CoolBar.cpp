#include "widgets/CoolBar.h"

#include <QPainter>

CoolBar::CoolBar(QWidget *parent) : QFrame(parent)
{
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Raised);
}

void CoolBar::setBandPicture(const QPixmap &picture)
{
    m_picture = picture;
    update();
}

void CoolBar::paintEvent(QPaintEvent *event)
{
    if (!m_picture.isNull()) {
        QPainter painter(this);
        painter.drawTiledPixmap(rect(), m_picture);
    }
    QFrame::paintEvent(event);
}
