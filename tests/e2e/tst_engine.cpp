// The browser window over the real engine, in this process: what the events of a real load
// do to the main window.
#include "LocalHttpServer.h"
#include "TestEnv.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "browse/Form1.h"
#include "platform/Settings.h"
#include "platform/WebBrowser.h"

#include <QComboBox>
#include <QProgressBar>
#include <QtTest>

class TestEngine : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void startPageLoadFeedsTheMainWindow();
};

void TestEngine::startPageLoadFeedsTheMainWindow()
{
    TestEnv env;
    platform::SetWebBrowserFactory({});
    LocalHttpServer server;
    QByteArray body = "<html><head><title>Engine Page</title></head><body>";
    for (int i = 0; i < 2000; ++i)
        body += "<p>Some freeware worth finding, line " + QByteArray::number(i) + "</p>";
    body += "</body></html>";
    server.addPage(QStringLiteral("/page.html"), body);
    const QString url = server.url(QStringLiteral("/page.html"));
    platform::SaveSetting(QStringLiteral("Start Page"), url);
    platform::SaveSetting(QStringLiteral("TB"), QStringLiteral("1"));

    MDIForm1 *main = Forms::get<MDIForm1>();
    QList<int> values;
    bool shownWhileLoading = false;
    QObject::connect(main->ProgressBar1, &QProgressBar::valueChanged, main, [&](int v) {
        values.append(v);
        shownWhileLoading = shownWhileLoading || (v > 0 && main->ProgressBar1->isVisible());
    });
    // The first value may be set before the bar is watched; the load is slower than that.
    Forms::Show<MDIForm1>();

    QTRY_COMPARE_WITH_TIMEOUT(main->windowTitle(), QStringLiteral("Scoutwell v3.3 - [Engine Page]"),
                              30000);
    QCOMPARE(main->Combo1->currentText(), url);
    QVERIFY(main->Combo1->count() >= 1);
    QCOMPARE(main->Combo1->itemText(main->Combo1->count() - 1), url);
    QCOMPARE(Forms::get<Form1>()->WebBrowser1->LocationName(), QStringLiteral("Engine Page"));
    QVERIFY2(shownWhileLoading, qPrintable(QStringLiteral("values seen: %1").arg(values.size())));
    QVERIFY(!main->ProgressBar1->isVisible());
}

QTEST_MAIN(TestEngine)
#include "tst_engine.moc"
