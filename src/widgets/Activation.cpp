#include "widgets/Activation.h"

#include <QEvent>
#include <QWidget>

namespace widgets {

namespace {

class ActivationWatcher : public QObject
{
public:
    ActivationWatcher(QWidget *window, std::function<void()> handler)
        : QObject(window), m_window(window), m_handler(std::move(handler))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window
            && (event->type() == QEvent::Show
                || (event->type() == QEvent::ActivationChange && m_window->isActiveWindow())))
            m_handler();
        return false;
    }

private:
    QWidget *m_window;
    std::function<void()> m_handler;
};

} // namespace

void OnActivate(QWidget *window, std::function<void()> handler)
{
    new ActivationWatcher(window, std::move(handler));
}

} // namespace widgets
