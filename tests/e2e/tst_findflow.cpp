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

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QScreen>
#include <QTcpServer>
#include <QTcpSocket>
#include <QToolButton>
#include <QtTest>

// The address box and the navigation buttons against the real browser engine and a small
// web server on this machine: what a person sees when typing an address, refreshing a page
// reached by a redirect, and pressing Home and Search.
namespace {

// Serves a few fixed pages over HTTP/1.0 and notes every path asked for.
class TinyHttpServer : public QTcpServer
{
public:
    TinyHttpServer()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = nextPendingConnection())
                serve(s);
        });
    }

    QString url(const QString &path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path);
    }

    int hits(const QString &path) const { return log.count(path); }

    QStringList log;

private:
    void serve(QTcpSocket *s)
    {
        connect(s, &QTcpSocket::readyRead, s, [this, s] {
            m_pending[s] += s->readAll();
            if (!m_pending[s].contains("\r\n\r\n"))
                return;
            const QByteArray request = m_pending.take(s);
            const QString path = QString::fromLatin1(request.split(' ').value(1));
            log.append(path);
            s->write(respond(path));
            s->disconnectFromHost();
        });
        connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
    }

    static QByteArray page(const char *title)
    {
        const QByteArray body = QByteArray("<html><head><title>") + title
            + "</title></head><body><h1>" + title + "</h1></body></html>";
        return "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nCache-Control: no-store\r\n"
               "Content-Length: "
            + QByteArray::number(body.size()) + "\r\n\r\n" + body;
    }

    static QByteArray respond(const QString &path)
    {
        if (path == QLatin1String("/typed.html"))
            return page("Typed page");
        if (path == QLatin1String("/moved"))
            return "HTTP/1.0 302 Found\r\nLocation: /landed.html\r\nContent-Length: 0\r\n\r\n";
        if (path == QLatin1String("/landed.html"))
            return page("Landed page");
        if (path == QLatin1String("/home.html"))
            return page("Home page");
        if (path == QLatin1String("/search.html"))
            return page("Search page");
        return "HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n";
    }

    QHash<QTcpSocket *, QByteArray> m_pending;
};

constexpr int kLoadTimeout = 30000;

QString shotDir()
{
    const QString dir = QStringLiteral(SCOUTWELL_SHOT_DIR);
    QDir().mkpath(dir);
    return dir;
}

void saveShot(QWidget *w, const QString &name)
{
    QVERIFY(w->isVisible());
    QVERIFY(w->grab().save(shotDir() + QLatin1Char('/') + name + QStringLiteral(".png")));
}

} // namespace

class TestFindFlow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void addressBoxRefreshHomeAndSearch();
    void findingWindowsOnScreen();
};

void TestFindFlow::addressBoxRefreshHomeAndSearch()
{
    TestEnv env;
    platform::SetWebBrowserFactory({}); // the real engine from here on
    TinyHttpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    platform::SaveSetting(QStringLiteral("TB"), QStringLiteral("1"));
    platform::SaveSetting(QStringLiteral("Home Page"), server.url("/home.html"));
    platform::SaveSetting(QStringLiteral("Search-Engine"), server.url("/search.html"));

    MDIForm1 *main = Forms::Show<MDIForm1>();
    Form1 *browser = Forms::get<Form1>();
    QVERIFY(QTest::qWaitForWindowExposed(main));

    // Typed address and Enter: the page loads and the box shows where the browser is.
    QLineEdit *address = main->Combo1->lineEdit();
    address->clear();
    QTest::keyClicks(address, server.url("/typed.html"));
    QTest::keyClick(address, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), QStringLiteral("Typed page"), kLoadTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(main->Combo1->currentText(), server.url("/typed.html"), kLoadTimeout);
    QCOMPARE(server.hits("/typed.html"), 1);
    QVERIFY(main->windowTitle().contains(QStringLiteral("Typed page")));
    QVERIFY(QGuiApplication::primaryScreen()->grabWindow(0).save(shotDir()
                                                                 + "/find-typed-address.png"));

    // Refresh on a page reached by a redirect loads the page the browser landed on.
    address->clear();
    QTest::keyClicks(address, server.url("/moved"));
    QTest::keyClick(address, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), QStringLiteral("Landed page"), kLoadTimeout);
    QCOMPARE(browser->WebBrowser1->LocationURL(), server.url("/landed.html"));
    QCOMPARE(server.hits("/landed.html"), 1);
    QTest::mouseClick(main->btnRefresh, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(server.hits("/landed.html"), 2, kLoadTimeout);
    QCOMPARE(server.hits("/moved"), 1);

    // Home and Search go to the settings window's fields and put that window away.
    frmSettings *settings = Forms::Show<frmSettings>();
    QVERIFY(settings->isVisible());
    QTest::mouseClick(main->btnHome, Qt::LeftButton);
    QVERIFY(!settings->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), QStringLiteral("Home page"), kLoadTimeout);
    Forms::Show<frmSettings>();
    QTest::mouseClick(main->btnSearch, Qt::LeftButton);
    QVERIFY(!Forms::get<frmSettings>()->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), QStringLiteral("Search page"), kLoadTimeout);
    QCOMPARE(server.hits("/home.html"), 1);
    QCOMPARE(server.hits("/search.html"), 1);
    QCOMPARE(main->Combo1->currentText(), server.url("/search.html"));
}

// The four finding windows as a person sees them, saved for looking at.
void TestFindFlow::findingWindowsOnScreen()
{
    TestEnv env;
    const auto show = [](QWidget *w) {
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
    };
    show(Forms::get<FFw>());
    saveShot(Forms::get<FFw>(), QStringLiteral("FFw"));
    show(Forms::get<TFot>());
    saveShot(Forms::get<TFot>(), QStringLiteral("TFot"));
    show(Forms::get<frmGoToKeyword>());
    saveShot(Forms::get<frmGoToKeyword>(), QStringLiteral("frmGoToKeyword"));
    show(Forms::get<frmKeywords>());
    saveShot(Forms::get<frmKeywords>(), QStringLiteral("frmKeywords"));
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
