// The floors for the start-up benchmark: a program that only shows an engine view, loads one
// address and puts the page's title in its window title. With --persistent the view runs on
// a persistent profile with a disk HTTP cache under the XDG data and cache folders, as the
// program's own browser control does, so the bench can tell the engine's share from ours.
// With --at-load-end the title is put up when the load has finished, not as soon as the page
// names it: the program's caption follows the end of the load, so this floor keeps to the
// same rule. With --frame the view sits as a maximized child in a multi-document area of a
// plain main window with a menu bar and a status bar, as wide as the screen and three
// quarters as high, the frame the program's design puts its browser window in, and that
// window's title is the one put up.
//
// Usage: bench_bare_view [--persistent] [--at-load-end] [--frame] address
#include <QApplication>
#include <QLoggingCategory>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

// The same start-up trace as the program's, so the two can be laid side by side.
Q_LOGGING_CATEGORY(lcStartup, "scoutwell.startup", QtWarningMsg)

static void trace(const char *step)
{
    if (!lcStartup().isDebugEnabled())
        return;
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    qCDebug(lcStartup, "%.3f %s", now.tv_sec * 1e3 + now.tv_nsec / 1e6, step);
}

int main(int argc, char *argv[])
{
    trace("main");
    QApplication app(argc, argv);
    trace("application made");
    const QStringList options = QApplication::arguments().mid(1, argc - 2);
    const bool persistent = options.contains(QStringLiteral("--persistent"));
    QWebEngineProfile *profile = nullptr;
    if (persistent) {
        profile = new QWebEngineProfile(QStringLiteral("BareView"), &app);
        profile->setPersistentStoragePath(
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
            + QStringLiteral("/BareView/engine"));
        profile->setCachePath(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
                              + QStringLiteral("/BareView/engine"));
        profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
        profile->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
    }
    QWebEngineView view;
    if (profile)
        view.setPage(new QWebEnginePage(profile, &view));
    QWebEnginePage *page = view.page();
    trace("engine: page");
    QObject::connect(page, &QWebEnginePage::loadStarted, [] { trace("engine: load started"); });
    QObject::connect(page, &QWebEnginePage::titleChanged, [] { trace("engine: title"); });
    QMainWindow frame;
    const bool framed = options.contains(QStringLiteral("--frame"));
    QWidget *titled = framed ? static_cast<QWidget *>(&frame) : &view;
    if (options.contains(QStringLiteral("--at-load-end")))
        QObject::connect(page, &QWebEnginePage::loadFinished, titled,
                         [titled, &view] { titled->setWindowTitle(view.title()); });
    else
        QObject::connect(&view, &QWebEngineView::titleChanged, titled, &QWidget::setWindowTitle);
    if (framed) {
        for (const char *menu : {"&File", "&Tools", "F&avourites", "&View", "&Help"})
            frame.menuBar()->addMenu(QString::fromLatin1(menu))->addAction(QStringLiteral("Item"));
        auto *area = new QMdiArea;
        frame.setCentralWidget(area);
        area->addSubWindow(&view)->setWindowState(Qt::WindowMaximized);
        frame.statusBar()->showMessage(QStringLiteral("Done"));
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        frame.setGeometry(screen.left(), screen.top(), screen.width(), screen.height() * 3 / 4);
    } else {
        view.resize(1024, 700);
    }
    view.load(QUrl(QString::fromLocal8Bit(argv[argc - 1])));
    trace("navigate");
    titled->show();
    trace("shown");
    QTimer::singleShot(0, [] { trace("event loop"); });
    return app.exec();
}
