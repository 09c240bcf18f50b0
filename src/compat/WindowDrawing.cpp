#include "compat/WindowDrawing.h"

#include <QEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace compat {

namespace {

const char kCanvasName[] = "autoRedrawImage";

class Canvas : public QObject
{
public:
    explicit Canvas(QWidget *window) : QObject(window), m_window(window)
    {
        setObjectName(QLatin1String(kCanvasName));
        window->installEventFilter(this);
        grow();
    }

    QImage image;

    void grow()
    {
        const QSize want = image.size().expandedTo(m_window->size());
        if (want == image.size())
            return;
        QImage larger(want, QImage::Format_ARGB32_Premultiplied);
        larger.fill(Qt::transparent);
        if (!image.isNull()) {
            QPainter p(&larger);
            p.drawImage(0, 0, image);
        }
        image = larger;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window) {
            if (event->type() == QEvent::Resize) {
                grow();
            } else if (event->type() == QEvent::Paint && !image.isNull()) {
                QPainter p(m_window);
                p.drawImage(0, 0, image);
            }
        }
        return false;
    }

private:
    QWidget *m_window;
};

// The move for window systems that offer none of their own: the window follows the
// mouse from the press until the button comes up.
class DragFollower : public QObject
{
public:
    DragFollower(QWidget *window, QPointF globalPress)
        : QObject(window), m_window(window), m_press(globalPress), m_start(window->pos())
    {
        window->installEventFilter(this);
        window->grabMouse();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_window)
            return false;
        if (event->type() == QEvent::MouseMove) {
            const QPointF moved = static_cast<QMouseEvent *>(event)->globalPosition() - m_press;
            m_window->move(m_start + moved.toPoint());
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            m_window->releaseMouse();
            deleteLater();
            m_window->removeEventFilter(this);
            return true;
        }
        return false;
    }

private:
    QWidget *m_window;
    QPointF m_press;
    QPoint m_start;
};

} // namespace

QImage &AutoRedrawImage(QWidget *window)
{
    auto *canvas = static_cast<Canvas *>(
        window->findChild<QObject *>(QLatin1String(kCanvasName), Qt::FindDirectChildrenOnly));
    if (!canvas)
        canvas = new Canvas(window);
    canvas->grow();
    return canvas->image;
}

void RemoveTitleBar(QWidget *window)
{
    const bool visible = window->isVisible();
    const QRect client = window->geometry();
    window->setWindowFlags(window->windowFlags() | Qt::FramelessWindowHint);
    window->setGeometry(client);
    if (visible)
        window->show();
}

void BeginWindowDrag(QWidget *window, QPointF globalPress)
{
    QWindow *handle = window->windowHandle();
    if (handle && handle->startSystemMove())
        return;
    new DragFollower(window, globalPress);
}

} // namespace compat
