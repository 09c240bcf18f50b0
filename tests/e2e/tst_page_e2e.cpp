// The page commands over the real engine, in this process, under the X display: opening a
// local file through the Open window, its source, saving it and previewing its print.
#include "TestEnv.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "browse/Form1.h"
#include "browse/Ope.h"
#include "platform/App.h"
#include "platform/EngineWebBrowser.h"
#include "platform/FileLists.h"
#include "platform/Settings.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest>

#include <functional>

class TestPageE2E : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void openLocalPageThroughOpe();
    void viewSourceShowsTheSource();
    void saveWebPageWritesTheFile();
    void printPreviewShowsThePage();
    void printWritesThePrintersFile();

private:
    void openPage();
    platform::EngineWebBrowser *engine() const;
    QString pageText() const;

    TestEnv *m_env = nullptr;
    QString m_page;
};

static const char kPage[] = "<html><head><title>Local Freeware Notes</title></head><body>"
                            "<h1>Freeware notes</h1><p>Kept on the disk, opened by hand.</p>"
                            "</body></html>";

static void shoot(QWidget *w, const char *name)
{
    QDir().mkpath(QStringLiteral(SCOUTWELL_SHOT_DIR));
    w->grab().save(QStringLiteral(SCOUTWELL_SHOT_DIR "/") + QLatin1String(name)
                   + QStringLiteral(".png"));
}

// Runs `answer` on the first modal dialog of type D that appears while a command runs.
template<class D> static void answerDialog(std::function<void(D *)> answer)
{
    auto *poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer] {
        if (auto *d = qobject_cast<D *>(QApplication::activeModalWidget())) {
            poll->deleteLater();
            answer(d);
        }
    });
    poll->start(100);
}

void TestPageE2E::init()
{
    m_env = new TestEnv;
    platform::SetWebBrowserFactory({});
    QDir().mkpath(m_env->path() + QStringLiteral("/pages"));
    m_page = m_env->path() + QStringLiteral("/pages/notes.htm");
    QFile f(m_page);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(kPage);
    platform::SaveSetting(QStringLiteral("TB"), QStringLiteral("1"));
    Forms::Show<MDIForm1>();
}

void TestPageE2E::cleanup()
{
    delete m_env;
    m_env = nullptr;
}

platform::EngineWebBrowser *TestPageE2E::engine() const
{
    return qobject_cast<platform::EngineWebBrowser *>(Forms::get<Form1>()->WebBrowser1);
}

QString TestPageE2E::pageText() const
{
    QString text;
    bool done = false;
    engine()->view()->page()->toPlainText([&](const QString &t) {
        text = t;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 10000))
        return QString();
    return text;
}

// File > Open, the folder of the page, the page, "Open"; the page is loaded when the
// browser window takes its title.
void TestPageE2E::openPage()
{
    MDIForm1 *main = Forms::get<MDIForm1>();
    QVERIFY(engine());
    main->FOpen->trigger();
    Ope *ope = Forms::get<Ope>();
    QVERIFY(ope->isVisible());
    QVERIFY(ope->Dir1->setPath(QFileInfo(m_page).absolutePath()));
    QTRY_COMPARE(ope->File1->names(), QStringList {"notes.htm"});
    ope->File1->setFileName(QStringLiteral("notes.htm"));
    shoot(ope, "ope");
    QTest::mouseClick(ope->Command1, Qt::LeftButton);
    QVERIFY(!Forms::isLoaded<Ope>());
    QTRY_COMPARE_WITH_TIMEOUT(Forms::get<Form1>()->windowTitle(),
                              QStringLiteral("Local Freeware Notes"), 30000);
}

void TestPageE2E::openLocalPageThroughOpe()
{
    openPage();
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(engine()->LocationURL(), QUrl::fromLocalFile(m_page).toString());
    QCOMPARE(Forms::get<MDIForm1>()->Combo1->currentText(), QUrl::fromLocalFile(m_page).toString());
    QVERIFY(pageText().contains(QStringLiteral("Kept on the disk, opened by hand.")));
    shoot(Forms::get<MDIForm1>(), "page-opened");
}

void TestPageE2E::viewSourceShowsTheSource()
{
    openPage();
    if (QTest::currentTestFailed())
        return;
    Forms::get<MDIForm1>()->FViewSource->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(
        engine()->LocationURL(),
        QStringLiteral("view-source:") + QUrl::fromLocalFile(m_page).toString(), 30000);
    QTRY_VERIFY_WITH_TIMEOUT(
        pageText().contains(QStringLiteral("<title>Local Freeware Notes</title>")), 30000);
}

void TestPageE2E::saveWebPageWritesTheFile()
{
    openPage();
    if (QTest::currentTestFailed())
        return;
    const QString target = m_env->path() + QStringLiteral("/saved/notes-copy.html");
    QDir().mkpath(QFileInfo(target).absolutePath());
    bool asked = false;
    answerDialog<QFileDialog>([&](QFileDialog *d) {
        asked = d->acceptMode() == QFileDialog::AcceptSave;
        // As a person does: the whole path typed into the file name box.
        if (auto *name = d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
            name->setText(target);
        static_cast<QDialog *>(d)->accept();
    });
    Forms::get<MDIForm1>()->FSaveWP->trigger();
    QVERIFY(asked);
    auto savedText = [&] {
        QFile saved(target);
        return saved.open(QIODevice::ReadOnly) ? saved.readAll() : QByteArray();
    };
    QTRY_VERIFY_WITH_TIMEOUT(savedText().contains("Kept on the disk, opened by hand."), 30000);
    QVERIFY(savedText().contains("<title>Local Freeware Notes</title>"));
}

void TestPageE2E::printPreviewShowsThePage()
{
    openPage();
    if (QTest::currentTestFailed())
        return;
    int pages = 0;
    answerDialog<QPrintPreviewDialog>([&](QPrintPreviewDialog *d) {
        auto *preview = d->findChild<QPrintPreviewWidget *>();
        // The engine draws the pages a moment after the dialog asks for them.
        auto *wait = new QTimer(d);
        QObject::connect(wait, &QTimer::timeout, d, [&, d, preview, wait] {
            if (preview && preview->pageCount() > 0 && d->isVisible()) {
                wait->stop();
                pages = preview->pageCount();
                shoot(d, "print-preview");
                d->reject();
            }
        });
        wait->start(200);
        QTimer::singleShot(30000, d, &QDialog::reject);
    });
    Forms::get<MDIForm1>()->mnuPPreview->trigger();
    QCOMPARE(pages, 1);
}

void TestPageE2E::printWritesThePrintersFile()
{
    openPage();
    if (QTest::currentTestFailed())
        return;
    // Printing into a PDF file, which the print dialog offers on every machine.
    const QString pdf = m_env->path() + QStringLiteral("/printed.pdf");
    answerDialog<QPrintDialog>([&](QPrintDialog *d) {
        // The dialog's file box decides where the file goes, as it does for a person.
        if (auto *file = d->findChild<QLineEdit *>(QStringLiteral("filename")))
            file->setText(pdf);
        d->accept();
    });
    Forms::get<MDIForm1>()->FPrint->trigger();

    auto head = [&] {
        QFile f(pdf);
        return f.open(QIODevice::ReadOnly) ? f.read(5) : QByteArray();
    };
    QTRY_COMPARE_WITH_TIMEOUT(head(), QByteArray("%PDF-"), 30000);
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(pdf).size() > 1000, 10000);
}

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
