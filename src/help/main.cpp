#include "HelpWindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Scoutwell Help"));
    QApplication::setOrganizationName(QStringLiteral("Kestrelmoor Works"));
    HelpWindow window;
    window.show();
    return app.exec();
}
