#include "LocalHttpServer.h"
#include "TestEnv.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "browse/Form1.h"
#include "platform/App.h"
#include "platform/Settings.h"
#include "platform/WebBrowser.h"

#include <QToolButton>
#include <QtTest>

// Refresh against the real browser engine and a small web server on this machine: the
// engine, not the address asked for, knows where a redirect landed. (The other navigation
// commands are covered with the fake control in tst_basnav, typing with real keys in
// tst_e2e_input.)
class TestFindFlow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void refreshAfterARedirect()
    {
        TestEnv env;
        platform::SetWebBrowserFactory({}); // the real engine from here on
        LocalHttpServer server;
        server.addPage("/landed.html", "<title>Landed page</title><h1>Landed</h1>");
        server.addRedirect("/moved", "/landed.html");
        const auto hits = [&](const char *path) { return server.requests().count(path); };
        platform::SaveSetting(QStringLiteral("TB"), QStringLiteral("1"));

        MDIForm1 *main = Forms::Show<MDIForm1>();
        Form1 *browser = Forms::get<Form1>();
        QVERIFY(QTest::qWaitForWindowExposed(main));
        browser->WebBrowser1->Navigate(server.url("/moved"));
        QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), "Landed page", 30000);
        QCOMPARE(hits("/landed.html"), 1);
        QTest::mouseClick(main->btnRefresh, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(hits("/landed.html"), 2, 30000);
        QCOMPARE(hits("/moved"), 1); // not the address first asked for
    }
};

int main(int argc, char *argv[])
{
    platform::ConfigureBrowserEngine();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    TestFindFlow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_findflow.moc"
