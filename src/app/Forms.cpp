#include "app/Forms.h"

QList<Forms::Entry> &Forms::windowList()
{
    static QList<Entry> list;
    return list;
}

void Forms::destroy(QWidget *w)
{
    QList<Entry> &list = windowList();
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
