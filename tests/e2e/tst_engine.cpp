// The browser window over the real engine, in this process, under the X display: what the
// events of a real load do to the main window, the cache walk and delete over the files the
// engine wrote, Refresh after a redirect, and the page commands on a local file opened
// through the Open window. (Typing with real keys is tst_e2e_input's.)
#include "CacheFiles.h"
#include "LocalHttpServer.h"
#include "TestEnv.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "browse/Form1.h"
#include "browse/Ope.h"
#include "platform/App.h"
#include "platform/EngineWebBrowser.h"
#include "platform/FileLists.h"
#include "platform/Settings.h"
#include "platform/UrlCache.h"

#include <QtPrintSupport>
#include <QtTest>
#include <QtWebEngineWidgets>
#include <QtWidgets>

// Runs `answer` on the first modal dialog that appears while a command runs.
static void answerDialog(const std::function<void(QDialog *)> &answer)
{
    auto *poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer] {
        if (auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            poll->deleteLater();
            answer(d);
        }
    });
    poll->start(100);
}

static platform::EngineWebBrowser *engine()
{
    return qobject_cast<platform::EngineWebBrowser *>(Forms::get<Form1>()->WebBrowser1);
}

static QString pageText()
{
    auto text = std::make_shared<QString>();
    engine()->view()->page()->toPlainText([text](const QString &t) { *text = t; });
    (void)QTest::qWaitFor([text] { return !text->isEmpty(); }, 10000);
    return *text;
}

class TestEngine : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // One engine start serves the flows: the start page from a local server, a redirect,
    // then a page kept on the disk that a person opens, saves, previews and looks at the
    // source of, answering each dialog as it comes.
    void startPageRefreshThenLocalPageThroughThePageCommands()
    {
        TestEnv env;
        platform::SetWebBrowserFactory({});
        LocalHttpServer server;
        // Long enough to show the progress, with two pieces it loads: three cache entries.
        QByteArray body = "<html><head><title>Engine Page</title><link rel=stylesheet "
                          "href=/a.css><link rel=stylesheet href=/b.css></head><body>";
        for (int i = 0; i < 2000; ++i)
            body += "<p>Some freeware worth finding, line " + QByteArray::number(i) + "</p>";
        server.addPage(QStringLiteral("/page.html"), body + "</body></html>");
        server.addPage(QStringLiteral("/a.css"), "p { color: navy }", "text/css");
        server.addPage(QStringLiteral("/b.css"), "h1 { color: teal }", "text/css");
        server.addPage("/landed.html", "<title>Landed page</title><h1>Landed</h1>");
        server.addRedirect("/moved", "/landed.html");
        const QString start = server.url(QStringLiteral("/page.html"));
        platform::SaveSetting(QStringLiteral("Start Page"), start);
        platform::SaveSetting(QStringLiteral("TB"), QStringLiteral("1"));

        MDIForm1 *main = Forms::get<MDIForm1>();
        bool shownWhileLoading = false;
        QObject::connect(main->ProgressBar1, &QProgressBar::valueChanged, main, [&](int v) {
            shownWhileLoading = shownWhileLoading || (v > 0 && main->ProgressBar1->isVisible());
        });
        // The first value may be set before the bar is watched; the load is slower than that.
        Forms::Show<MDIForm1>();
        QTRY_COMPARE_WITH_TIMEOUT(main->windowTitle(), "Scoutwell v3.3 - [Engine Page]", 30000);
        QCOMPARE(main->Combo1->currentText(), start);
        QCOMPARE(main->Combo1->itemText(main->Combo1->count() - 1), start);
        QCOMPARE(engine()->LocationName(), QStringLiteral("Engine Page"));
        QVERIFY(shownWhileLoading);
        QVERIFY(!main->ProgressBar1->isVisible());

        // The engine writes its entry files a moment after each load.
        const QStringList cached {start, server.url("/a.css"), server.url("/b.css")};
        const auto listed = [&] {
            const QStringList urls = cachefiles::walk();
            return std::count_if(cached.begin(), cached.end(),
                                 [&](auto &p) { return urls.contains(p); });
        };
        QTRY_COMPARE_WITH_TIMEOUT(listed(), 3, 20000);
        for (const QString &page : cached)
            QVERIFY(platform::DeleteUrlCacheEntryA(page.toLatin1().constData()));
        QCOMPARE(listed(), 0);

        // Refresh asks for where the redirect landed, which only the engine knows.
        const auto hits = [&](const char *path) { return server.requests().count(path); };
        engine()->Navigate(server.url("/moved"));
        QTRY_COMPARE_WITH_TIMEOUT(Forms::get<Form1>()->windowTitle(), "Landed page", 30000);
        QTest::mouseClick(main->btnRefresh, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(hits("/landed.html"), 2, 30000);
        QCOMPARE(hits("/moved"), 1);

        const QString folder = env.path() + QStringLiteral("/pages");
        const QString notes = folder + QStringLiteral("/notes.htm");
        QVERIFY(cachefiles::writeFile(
            notes,
            "<html><head><title>Local Freeware Notes</title></head><body>"
            "<h1>Freeware notes</h1><p>Kept on the disk, opened by hand.</p></body></html>"));
        const QString url = QUrl::fromLocalFile(notes).toString();

        // File > Open, the page's folder, the page, "Open".
        main->FOpen->trigger();
        Ope *ope = Forms::get<Ope>();
        QVERIFY(ope->isVisible() && ope->Dir1->setPath(folder));
        QTRY_COMPARE(ope->File1->names(), QStringList {"notes.htm"});
        ope->File1->setFileName(QStringLiteral("notes.htm"));
        QDir().mkpath(QStringLiteral(SCOUTWELL_SHOT_DIR));
        ope->grab().save(QStringLiteral(SCOUTWELL_SHOT_DIR "/ope.png"));
        QTest::mouseClick(ope->Command1, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(Forms::get<Form1>()->windowTitle(), "Local Freeware Notes",
                                  30000);
        QCOMPARE(main->Combo1->currentText(), url);

        // Save Web Page asks where to write: the whole path typed into the file name box.
        const QString copy = env.path() + QStringLiteral("/copy.html");
        bool asked = false;
        answerDialog([&](QDialog *d) {
            auto *files = qobject_cast<QFileDialog *>(d);
            asked = files && files->acceptMode() == QFileDialog::AcceptSave;
            if (auto *name = d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
                name->setText(copy);
            d->accept();
        });
        main->FSaveWP->trigger();
        QVERIFY(asked);
        QFile saved(copy);
        QTRY_VERIFY_WITH_TIMEOUT(saved.size() > 0, 30000);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QVERIFY(saved.readAll().contains("Kept on the disk, opened by hand."));

        int pages = 0;
        answerDialog([&pages](QDialog *d) {
            // The engine draws the pages a moment after the dialog asks for them.
            auto *preview = d->findChild<QPrintPreviewWidget *>();
            if (QTest::qWaitFor([preview] { return preview && preview->pageCount() > 0; }, 30000))
                pages = preview->pageCount();
            d->reject();
        });
        main->mnuPPreview->trigger();
        QCOMPARE(pages, 1);

        main->FViewSource->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(engine()->LocationURL(), "view-source:" + url, 30000);
        QTRY_VERIFY_WITH_TIMEOUT(pageText().contains("<title>Local Freeware Notes</title>"), 30000);
    }
};

int main(int argc, char *argv[])
{
    platform::ConfigureBrowserEngine();
    // The save dialog must be one this test can answer.
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QApplication app(argc, argv);
    TestEngine test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_engine.moc"
