#include "widgets/WindowPlacement.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace widgets {

namespace {

QMargins marginsOf(const QWidget *w)
{
    const QRect frame = w->frameGeometry();
    const QRect inside = w->geometry();
    return QMargins(inside.left() - frame.left(), inside.top() - frame.top(),
                    frame.right() - inside.right(), frame.bottom() - inside.bottom());
}

bool framed(const QWidget *w)
{
    return w->isVisible() && !marginsOf(w).isNull();
}

// Watches one window until the window manager has put its frame around it.
class FrameWatcher : public QObject
{
public:
    explicit FrameWatcher(QWidget *window) : QObject(window), m_window(window)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type t = event->type();
        // A window placed by its own corner (not its frame's) is not moved by being framed:
        // its first paint, once it is on the screen, is the sign then.
        if (watched == m_window
            && (t == QEvent::Move || t == QEvent::Resize || t == QEvent::Show || t == QEvent::Paint)
            && framed(m_window)) {
            // Once: afterwards the user moves the window wherever they like.
            m_window->removeEventFilter(this);
            deleteLater();
            FitOnScreen(m_window);
        }
        return false;
    }

private:
    QWidget *m_window;
};

class ShowWatcher : public QObject
{
public:
    explicit ShowWatcher(QWidget *window) : QObject(window), m_window(window)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // The show event comes before the window is mapped, so the window manager sees the
        // fitted size and place from the start.
        if (watched == m_window && event->type() == QEvent::Show && !event->spontaneous()
            && m_window->isWindow()) {
            FitOnScreen(m_window);
            // The frame was guessed from another window's (which may be maximized, without
            // borders); the real one is known once the window manager has drawn it.
            // Armed after this event: a filter installed now would see this same event.
            QMetaObject::invokeMethod(
                this,
                [w = m_window] {
                    if (framed(w))
                        FitOnScreen(w);
                    else
                        KeepFrameOnScreen(w);
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    QWidget *m_window;
};

class OwnerWatcher : public QObject
{
public:
    explicit OwnerWatcher(QWidget *owner) : QObject(owner), m_owner(owner)
    {
        owner->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_owner && event->type() == QEvent::WindowActivate) {
            for (QWidget *w : m_owner->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
                if (w->isWindow() && w->isVisible() && !w->isMinimized())
                    w->raise();
            }
        }
        return false;
    }

private:
    QWidget *m_owner;
};

} // namespace

QRect FitInside(const QRect &frame, const QRect &area)
{
    const QSize size = frame.size().boundedTo(area.size());
    const int x = std::clamp(frame.left(), area.left(), area.left() + area.width() - size.width());
    const int y = std::clamp(frame.top(), area.top(), area.top() + area.height() - size.height());
    return QRect(QPoint(x, y), size);
}

QScreen *ScreenUnderPointer()
{
    if (QScreen *screen = QGuiApplication::screenAt(QCursor::pos()))
        return screen;
    return QGuiApplication::primaryScreen();
}

QMargins FrameMargins(const QWidget *window)
{
    if (framed(window))
        return marginsOf(window);
    for (const QWidget *other : QApplication::topLevelWidgets()) {
        if (other != window && !(other->windowFlags() & Qt::FramelessWindowHint) && framed(other))
            return marginsOf(other);
    }
    return QMargins();
}

void FitOnScreen(QWidget *window, QScreen *screen)
{
    if (!screen)
        screen = window->screen();
    if (!screen || window->isMaximized() || window->isFullScreen())
        return;
    // Before the window is framed its frame is a guess, taken from another window; that one
    // may be maximized and show no borders, so a titled frame is given borders of a quarter
    // of its title bar at least (window managers' handles are about that).
    const bool guessed = !framed(window);
    QMargins margins = FrameMargins(window);
    if (guessed && margins.top() > 0) {
        const int border = (margins.top() + 3) / 4;
        margins = QMargins(std::max(margins.left(), border), margins.top(),
                           std::max(margins.right(), border), std::max(margins.bottom(), border));
    }
    const QRect frame(window->frameGeometry().topLeft(), window->size().grownBy(margins));
    const QRect fitted = FitInside(frame, screen->availableGeometry());
    if (fitted.size() != frame.size()) {
        const QSize inside = fitted.size().shrunkBy(margins);
        window->setMinimumSize(window->minimumSize().boundedTo(inside));
        window->resize(inside);
        // What no longer fits is scrolled to, never cut off.
        for (QAbstractScrollArea *area : window->findChildren<QAbstractScrollArea *>()) {
            if (area->horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOff)
                area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
            if (area->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOff)
                area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        }
    }
    if (fitted.topLeft() == frame.topLeft())
        return;
    // A window's position is its frame's, once the frame is known; until then Qt would place
    // the window's own corner there, so the corner is placed inside the guessed frame.
    if (guessed && window->testAttribute(Qt::WA_WState_Created))
        window->setGeometry(
            QRect(fitted.topLeft() + QPoint(margins.left(), margins.top()), window->size()));
    else
        window->move(fitted.topLeft());
}

void BringToFront(QWidget *window)
{
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

void FitOnScreenWhenShown(QWidget *window)
{
    new ShowWatcher(window);
}

void KeepOwnedWindowsAbove(QWidget *owner)
{
    new OwnerWatcher(owner);
}

void KeepFrameOnScreen(QWidget *window)
{
    new FrameWatcher(window);
}

} // namespace widgets
