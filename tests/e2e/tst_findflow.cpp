#include "LocalHttpServer.h"
#include "TestEnv.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "browse/Form1.h"
#include "find/FFw.h"
#include "find/TFot.h"
#include "find/frmGoToKeyword.h"
#include "find/frmKeywords.h"
#include "platform/App.h"
#include "platform/Settings.h"
#include "platform/WebBrowser.h"
#include "settings/frmSettings.h"

#include <QDir>
#include <QToolButton>
#include <QtTest>

// The navigation buttons against the real browser engine and a small web server on this
// machine: refreshing a page reached by a redirect, and pressing Home and Search. (Typing
// into the address box is driven with real keys in tst_e2e_input.)
namespace {

constexpr int kLoadTimeout = 30000;

QString shotPath(const QString &name)
{
    QDir().mkpath(QStringLiteral(SCOUTWELL_SHOT_DIR));
    return QStringLiteral(SCOUTWELL_SHOT_DIR "/%1.png").arg(name);
}

} // namespace

class TestFindFlow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void refreshHomeAndSearch();
    void findingWindowsOnScreen();
};

void TestFindFlow::refreshHomeAndSearch()
{
    TestEnv env;
    platform::SetWebBrowserFactory({}); // the real engine from here on
    LocalHttpServer server;
    for (const QByteArray name : {"Landed", "Home", "Search"})
        server.addPage("/" + name.toLower() + ".html",
                       "<title>" + name + " page</title><h1>" + name + "</h1>");
    server.addRedirect("/moved", "/landed.html");
    const auto hits = [&](const char *path) { return server.requests().count(path); };
    platform::SaveSetting(QStringLiteral("TB"), QStringLiteral("1"));
    platform::SaveSetting(QStringLiteral("Home Page"), server.url("/home.html"));
    platform::SaveSetting(QStringLiteral("Search-Engine"), server.url("/search.html"));

    MDIForm1 *main = Forms::Show<MDIForm1>();
    Form1 *browser = Forms::get<Form1>();
    QVERIFY(QTest::qWaitForWindowExposed(main));
    // Refresh on a page reached by a redirect loads the page the browser landed on.
    browser->WebBrowser1->Navigate(server.url("/moved"));
    QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), "Landed page", kLoadTimeout);
    QCOMPARE(hits("/landed.html"), 1);
    QTest::mouseClick(main->btnRefresh, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(hits("/landed.html"), 2, kLoadTimeout);
    QCOMPARE(hits("/moved"), 1); // not the address typed

    // Home and Search go to the settings window's fields and put that window away.
    for (const auto &[button, title] :
         {std::pair {main->btnHome, "Home page"}, std::pair {main->btnSearch, "Search page"}}) {
        frmSettings *settings = Forms::Show<frmSettings>();
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(!settings->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), title, kLoadTimeout);
    }
}

// The four finding windows as a person sees them, saved for looking at.
void TestFindFlow::findingWindowsOnScreen()
{
    TestEnv env;
    const QList<QPair<QWidget *, const char *>> windows
        = {{Forms::get<FFw>(), "FFw"},
           {Forms::get<TFot>(), "TFot"},
           {Forms::get<frmGoToKeyword>(), "frmGoToKeyword"},
           {Forms::get<frmKeywords>(), "frmKeywords"}};
    for (const auto &[w, name] : windows) {
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QVERIFY(w->grab().save(shotPath(name)));
    }
}

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
