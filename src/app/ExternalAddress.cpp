#include "app/ExternalAddress.h"

#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "browse/basNav.h"

#include <QApplication>

namespace externalAddress {

namespace {

QString &waiting()
{
    static QString address;
    return address;
}

void navigate(MDIForm1 *main, const QString &address)
{
    main->setAddress(address);
    basNav::Navigate(address);
}

void bringToFront(QWidget *w)
{
    w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
    w->raise();
    w->activateWindow();
}

} // namespace

void Open(const QString &address)
{
    if (Forms::isLoaded<MDIForm1>()) {
        MDIForm1 *main = Forms::get<MDIForm1>();
        if (!address.isEmpty())
            navigate(main, address);
        bringToFront(main);
        return;
    }
    if (!address.isEmpty())
        waiting() = address;
    // The splash or the login window stands for the program until the main window shows.
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->isVisible())
            bringToFront(w);
    }
}

void MainWindowLoaded()
{
    const QString address = std::exchange(waiting(), QString());
    if (!address.isEmpty())
        navigate(Forms::get<MDIForm1>(), address);
}

} // namespace externalAddress
