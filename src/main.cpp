#include "app/Forms.h"
#include "app/frmSplash.h"
#include "platform/App.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    platform::ConfigureBrowserEngine();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Scoutwell"));
    QApplication::setOrganizationName(QStringLiteral("Kestrelmoor Works"));
    // Hidden windows hold working copies of the settings all run long; the program ends
    // through Exit, the main window's close box or the login's Cancel.
    QApplication::setQuitOnLastWindowClosed(false);

    Forms::Show<frmSplash>();
    return app.exec();
}
