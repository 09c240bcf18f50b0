#include "app/Forms.h"

QList<Forms::Entry> &Forms::windowList()
{
    static QList<Entry> list;
    return list;
}

namespace {

QPointer<QWidget> &owner()
{
    static QPointer<QWidget> o;
    return o;
}

} // namespace

void Forms::SetOwner(QWidget *w)
{
    owner() = w;
    if (w)
        widgets::KeepOwnedWindowsAbove(w);
}

void Forms::own(QWidget *w)
{
    QWidget *o = owner();
    if (!o || o == w || w->parentWidget())
        return;
    // Still a window of its own, with its caption, frame, keys and minimize button. It is
    // not made a transient of the owner for the window manager: some minimize a transient's
    // owner along with it, and a search minimizes its window.
    w->setParent(o, w->windowFlags() | Qt::Window);
}

void Forms::destroy(QWidget *w)
{
    QList<Entry> &list = windowList();
    // The windows it owns go first, each with its own unload, rather than silently along
    // with it.
    for (qsizetype i = 0; i < list.size();) {
        QWidget *other = list[i].window;
        if (other && other != w && other->parentWidget() == w)
            destroy(other);
        else
            ++i;
    }
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (list[i].window != w)
            continue;
        const Entry e = list.takeAt(i);
        // The slot is freed before anything else, so a request made from here on (even from
        // the unload hook) creates a new window.
        *e.slot = nullptr;
        if (e.onUnload)
            e.onUnload(w);
        break;
    }
    w->hide();
    w->deleteLater();
}

void Forms::UnloadAll(QWidget *last)
{
    QList<Entry> &list = windowList();
    qsizetype i = 0;
    while (i < list.size()) {
        QPointer<QWidget> w = list[i].window;
        if (!w)
            list.removeAt(i);
        else if (w == last)
            ++i;
        else
            destroy(w);
    }
    if (last)
        destroy(last);
}
