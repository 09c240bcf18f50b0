// The page commands over the real engine, in this process, under the X display: opening a
// local file through the Open window, saving it, its print preview and its source.
#include "TestEnv.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "browse/Form1.h"
#include "browse/Ope.h"
#include "platform/App.h"
#include "platform/EngineWebBrowser.h"
#include "platform/FileLists.h"
#include "platform/Settings.h"

#include <QtPrintSupport>
#include <QtTest>
#include <QtWebEngineWidgets>
#include <QtWidgets>

static void shoot(QWidget *w, const char *name)
{
    QDir().mkpath(QStringLiteral(SCOUTWELL_SHOT_DIR));
    w->grab().save(QStringLiteral(SCOUTWELL_SHOT_DIR "/") + QLatin1String(name) + ".png");
}

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

static QByteArray fileText(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
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

class TestPageE2E : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A person opens a page kept on the disk, saves it, previews its print and looks at its
    // source, answering each dialog as it comes.
    void localPageThroughThePageCommands()
    {
        TestEnv env;
        platform::SetWebBrowserFactory({});
        const QString folder = env.path() + QStringLiteral("/pages");
        QDir().mkpath(folder);
        QFile f(folder + QStringLiteral("/notes.htm"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("<html><head><title>Local Freeware Notes</title></head><body>"
                "<h1>Freeware notes</h1><p>Kept on the disk, opened by hand.</p></body></html>");
        f.close();
        const QString url = QUrl::fromLocalFile(f.fileName()).toString();
        platform::SaveSetting(QStringLiteral("TB"), QStringLiteral("1"));

        // File > Open, the page's folder, the page, "Open".
        Forms::Show<MDIForm1>()->FOpen->trigger();
        Ope *ope = Forms::get<Ope>();
        QVERIFY(ope->isVisible() && ope->Dir1->setPath(folder));
        QTRY_COMPARE(ope->File1->names(), QStringList {"notes.htm"});
        ope->File1->setFileName(QStringLiteral("notes.htm"));
        shoot(ope, "ope");
        QTest::mouseClick(ope->Command1, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(Forms::get<Form1>()->windowTitle(), "Local Freeware Notes",
                                  30000);
        QCOMPARE(engine()->LocationURL(), url);
        QCOMPARE(Forms::get<MDIForm1>()->Combo1->currentText(), url);
        QVERIFY(pageText().contains(QStringLiteral("Kept on the disk, opened by hand.")));

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
        Forms::get<MDIForm1>()->FSaveWP->trigger();
        QVERIFY(asked);
        QTRY_VERIFY_WITH_TIMEOUT(fileText(copy).contains("Kept on the disk, opened by hand."),
                                 30000);

        int pages = 0;
        answerDialog([&pages](QDialog *d) {
            // The engine draws the pages a moment after the dialog asks for them.
            auto *preview = d->findChild<QPrintPreviewWidget *>();
            if (QTest::qWaitFor([preview] { return preview && preview->pageCount() > 0; }, 30000))
                pages = preview->pageCount();
            d->reject();
        });
        Forms::get<MDIForm1>()->mnuPPreview->trigger();
        QCOMPARE(pages, 1);

        Forms::get<MDIForm1>()->FViewSource->trigger();
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
    TestPageE2E test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_page_e2e.moc"
