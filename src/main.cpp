#include "app/App.h"
#include "app/CommandLine.h"
#include "app/ExternalAddress.h"
#include "app/Forms.h"
#include "app/SingleInstance.h"
#include "app/frmSplash.h"
#include "engine/EngineSetup.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char *argv[])
{
    // --help, --version and the filter checks need no display; a second start hands its address on
    // and ends.
    const app::CommandLine command = app::ReadCommandLine(argc, argv);
    if (command.exitCode >= 0)
        return command.exitCode;
    if (command.check != app::CommandLine::Check::None)
        return app::RunFilterCheck(command);
    app::SingleInstance instance;
    if (!instance.isFirst()) {
        const int handedOver = instance.handOver(command.address);
        if (handedOver != app::SingleInstance::kStartHere)
            return handedOver;
    }

    engine::ConfigureBrowserEngine();
    engine::QuietEngineMessages(command.verbose);
    QApplication app(argc, argv);
    // The design's application name: the data and cache folders are named after it.
    QApplication::setApplicationName(QStringLiteral("ScoutwellV3"));
    QApplication::setDesktopFileName(QStringLiteral("example.kestrelmoor.Scoutwell"));
    QApplication::setWindowIcon(app::AppIcon());
    // Hidden windows hold working copies of the settings all run long; the program ends
    // through Exit, the main window's close box or the login's Cancel.
    QApplication::setQuitOnLastWindowClosed(false);

    // Listening waits for the first turn of the event loop (a message box's too), after the
    // first page's navigation when the splash is off; a later start that comes sooner waits.
    QTimer::singleShot(0, &instance, [&instance] { instance.listen(&externalAddress::Open); });
    // The engine shuts down after the event loop, which takes a while; a start in that
    // moment must not knock at a door nobody opens any more.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &instance,
                     [&instance] { instance.stop(); });
    externalAddress::Open(command.address);
    Forms::Show<frmSplash>();
    return app.exec();
}
