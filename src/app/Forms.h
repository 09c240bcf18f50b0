#pragma once

#include "widgets/WindowPlacement.h"

#include <QList>
#include <QPointer>
#include <QWidget>

// The window registry: every window of the program exists at most once. Asking for a
// window that does not exist creates it hidden and runs its Form_Load; Show creates it if
// needed and shows it; Unload destroys it, and the next request creates it afresh from the
// settings. Windows reach each other only through here.
//
// A window class needs a default constructor and a Form_Load(). It may add showForm() to
// show itself in a way of its own (the browser window shows inside the main window) and
// Form_Unload() to be told before it is destroyed.
class Forms
{
public:
    // The window's single instance, created hidden (and loaded) when needed. Null only
    // when the window unloaded itself during its own load.
    template<class W> static W *get()
    {
        QPointer<QWidget> &s = slot<W>();
        if (!s) {
            W *w = new W();
            w->setObjectName(QString::fromLatin1(W::staticMetaObject.className()));
            w->setAttribute(Qt::WA_DeleteOnClose, true);
            own(w);
            widgets::FitOnScreenWhenShown(w);
            // Registered before its load runs, so the load (and anything it calls) that
            // refers to the window reaches this same instance.
            s = w;
            UnloadHook hook = nullptr;
            if constexpr (requires { w->Form_Unload(); })
                hook = [](QWidget *x) { static_cast<W *>(x)->Form_Unload(); };
            windowList().append({w, &s, hook});
            w->Form_Load();
        }
        return static_cast<W *>(s.data());
    }

    template<class W> static bool isLoaded() { return !slot<W>().isNull(); }

    // Non-modal show of the single instance, loading it first when needed.
    template<class W> static W *Show()
    {
        W *w = get<W>();
        if (!w)
            return nullptr;
        if constexpr (requires { w->showForm(); }) {
            // A window that shows itself in its own way is still brought back when it was
            // minimized, while it is a window of its own.
            if (w->isWindow() && w->isMinimized())
                w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
            w->showForm();
        } else {
            widgets::BringToFront(w);
        }
        return w;
    }

    // The window every later window belongs to (the main window): they are raised above it
    // whenever it is activated, and are unloaded before it. Each keeps its own minimize.
    static void SetOwner(QWidget *owner);

    template<class W> static void Hide()
    {
        if (W *w = static_cast<W *>(slot<W>().data()))
            w->hide();
    }

    // Destroys the window. Safe from inside the window's own handlers: the object goes
    // once control returns to the event loop, the slot is free at once.
    template<class W> static void Unload()
    {
        QPointer<QWidget> &s = slot<W>();
        if (QWidget *w = s.data())
            destroy(w);
    }

    // Unloads every window still open, in the order they were created; `last`, when given,
    // goes after all the others.
    static void UnloadAll(QWidget *last = nullptr);

private:
    template<class W> static QPointer<QWidget> &slot()
    {
        static QPointer<QWidget> s;
        return s;
    }
    using UnloadHook = void (*)(QWidget *);
    struct Entry
    {
        QPointer<QWidget> window;
        QPointer<QWidget> *slot;
        UnloadHook onUnload;
    };
    static QList<Entry> &windowList();
    static void destroy(QWidget *w);
    static void own(QWidget *w);
    friend class FormsTestAccess;
};
