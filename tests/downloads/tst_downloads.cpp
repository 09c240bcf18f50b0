// The Downloads window with downloads the test moves along by hand.
#include "FakeDownload.h"
#include "KeptList.h"
#include "TestEnv.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "browse/Form1.h"
#include "downloads/DownloadList.h"
#include "downloads/frmDownloads.h"

#include <QCryptographicHash>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using downloads::DownloadList;

namespace {

QByteArray hexOf(const QByteArray &bytes, QCryptographicHash::Algorithm algorithm)
{
    return QCryptographicHash::hash(bytes, algorithm).toHex();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A download of `bytes` into the test's download folder, started as the engine starts one.
FakeDownload *startDownload(const TestEnv &env, const QString &name, const QByteArray &bytes)
{
    const QString path = env.path() + QStringLiteral("/Downloads/") + name;
    writeFile(path, bytes);
    auto *d = new FakeDownload(QStringLiteral("http://127.0.0.1/") + name, path, bytes.size());
    platform::AnnounceDownload(d);
    return d;
}

// The kept rows as "name state" lines.
QStringList keptLines()
{
    QStringList lines;
    for (const QJsonValue &v : keptRows(DownloadList::filePath()))
        lines.append(QFileInfo(v[QStringLiteral("path")].toString()).fileName() + QLatin1Char(' ')
                     + v[QStringLiteral("state")].toString());
    return lines;
}

DownloadRow *row(int i)
{
    return Forms::get<frmDownloads>()->row(i);
}

} // namespace

class TestDownloads : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void freeFileNames();
    void keptListStatusBarAndSums();
    void damagedListIsSetAside_data();
    void damagedListIsSetAside();
};

void TestDownloads::freeFileNames()
{
    QTemporaryDir dir;
    for (const char *taken : {"setup.exe", "setup (1).exe", "tool.tar.gz", "README"})
        QVERIFY(writeFile(dir.filePath(QLatin1String(taken)), "x"));
    // clang-format off
    const struct { const char *name; const char *busy; const char *expected; } cases[] = {
        {"new.zip",     "",            "new.zip"},
        {"setup.exe",   "",            "setup (2).exe"},
        {"tool.tar.gz", "",            "tool (1).tar.gz"},
        {"README",      "",            "README (1)"},
        {"run.bin",     "run.bin",     "run (1).bin"}, // a running download's name is taken
    };
    // clang-format on
    for (const auto &c : cases) {
        const QStringList busy
            = *c.busy ? QStringList {dir.filePath(QLatin1String(c.busy))} : QStringList();
        QCOMPARE(platform::FreeFileName(dir.path(), QLatin1String(c.name), busy),
                 QLatin1String(c.expected));
    }
}

void TestDownloads::keptListStatusBarAndSums()
{
    TestEnv env;
    Forms::get<MDIForm1>();
    QLabel *status = Forms::get<Form1>()->StatusBarPanel1;
    status->setText(QStringLiteral("Done"));

    FakeDownload *kept = startDownload(env, QStringLiteral("kept.zip"), QByteArray(1000, 'k'));
    QVERIFY(Forms::get<frmDownloads>()->isVisible());
    kept->arrive(500);
    QCOMPARE(status->text(), QStringLiteral("Downloading 1 file(s): 50%"));
    FakeDownload *gone = startDownload(env, QStringLiteral("gone.zip"), QByteArray(3000, 'g'));
    gone->arrive(1500);
    QCOMPARE(status->text(), QStringLiteral("Downloading 2 file(s): 50%"));
    // While the engine has something to say, it keeps the status bar.
    status->setText(QStringLiteral("http://127.0.0.1/hovered-link"));
    gone->arrive(2000);
    QCOMPARE(status->text(), QStringLiteral("http://127.0.0.1/hovered-link"));
    status->setText(QStringLiteral("Done"));

    gone->pause();
    QCOMPARE(row(0)->cmdPause->text(), QStringLiteral("Resume"));
    QVERIFY(!row(0)->cmdOpen->isEnabled() && !row(0)->cmdRemove->isEnabled());
    QCOMPARE(keptLines(), QStringList({"gone.zip paused", "kept.zip running"}));
    // Exit asks while any is unfinished; on No nothing changes (the e2e test answers Yes).
    env.queueAnswer(platform::vbNo);
    Forms::get<MDIForm1>()->FExit->trigger();
    QCOMPARE(env.boxes.size(), 1);
    QCOMPARE(env.boxes[0].prompt,
             QStringLiteral("2 download(s) still running. Cancel them and exit?"));
    QCOMPARE(env.boxes[0].style, 36);
    QVERIFY(Forms::isLoaded<MDIForm1>() && kept->state() == platform::Download::Running);
    gone->resume();
    gone->finish();
    QCOMPARE(status->text(), QStringLiteral("Downloaded gone.zip"));
    kept->finish();
    FakeDownload *broken = startDownload(env, QStringLiteral("broken.zip"), QByteArray(10, 'b'));
    broken->fail(QStringLiteral("Network error"));
    QCOMPARE(row(0)->lblState->text(), QStringLiteral("Failed: Network error"));
    startDownload(env, QStringLiteral("cut.zip"), QByteArray(10, 'c'))->arrive(5);
    QTRY_VERIFY(!DownloadList::instance()->find(1)->sha256.isEmpty()
                && !DownloadList::instance()->find(2)->sha256.isEmpty());
    QVERIFY(QFile::remove(env.path() + QStringLiteral("/Downloads/gone.zip")));

    // The next run: the program ended with cut.zip half-way.
    resetWindows();
    Forms::Show<frmDownloads>();
    QCOMPARE(Forms::get<frmDownloads>()->rowCount(), 4);
    // clang-format off
    const struct { const char *name; const char *state; bool open; } rows[] = {
        {"cut.zip",    "Failed: The program ended before the download finished", false},
        {"broken.zip", "Failed: Network error",                                  false},
        {"gone.zip",   "File moved or deleted since",                            false},
        {"kept.zip",   "Finished",                                               true},
    };
    // clang-format on
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(row(i)->lblName->text(), QLatin1String(rows[i].name));
        QCOMPARE(row(i)->lblState->toolTip(), QLatin1String(rows[i].state));
        QCOMPARE(row(i)->cmdOpen->isEnabled(), rows[i].open);
    }
    const QByteArray bytes(1000, 'k');
    const QByteArray sha256 = hexOf(bytes, QCryptographicHash::Sha256);
    const QByteArray sha1 = hexOf(bytes, QCryptographicHash::Sha1);
    const QByteArray md5 = hexOf(bytes, QCryptographicHash::Md5);
    QCOMPARE(row(3)->txtSha256->text(), QString::fromLatin1(sha256));
    const auto spaced = [](QByteArray hex) {
        for (qsizetype i = hex.size() - 8; i > 0; i -= 8)
            hex.insert(i, ' ');
        return " " + hex + "\t";
    };
    const auto wrong = [](QByteArray hex) { return hex.replace(0, 1, hex[0] == '0' ? "1" : "0"); };
    const QString differs = QStringLiteral("does NOT match the published sum");
    // clang-format off
    const QList<std::pair<QByteArray, QString>> sums = {
        {sha256,                 "matches"},
        {sha256.toUpper(),       "matches"},
        {spaced(sha256),         "matches"},
        {sha256 + "  kept.zip",  "matches"}, // a line of a checksum list
        {sha1,                   "matches"},
        {md5.toUpper(),          "matches"},
        {wrong(sha256),          differs},
        {wrong(sha1),            differs},
        {spaced(wrong(md5)),     differs},
        {sha256.left(63),        "not a SHA-256, SHA-1 or MD5 sum"},
        {sha1 + "0",             "not a SHA-256, SHA-1 or MD5 sum"},
        {QByteArray(64, 'g'),    "not a SHA-256, SHA-1 or MD5 sum"},
    };
    // clang-format on
    for (const auto &[typed, verdict] : sums) {
        row(3)->txtPublished->clear();
        QTest::keyClicks(row(3)->txtPublished, QString::fromLatin1(typed));
        QTRY_COMPARE(row(3)->lblVerdict->text(), verdict);
        QCOMPARE(row(3)->lblVerdict->palette().color(QPalette::WindowText) == Qt::red,
                 verdict == differs);
    }

    // Taking rows off the list never touches the files.
    QTest::mouseClick(row(3)->cmdRemove, Qt::LeftButton);
    QTRY_COMPARE(keptLines(),
                 QStringList({"cut.zip failed", "broken.zip failed", "gone.zip finished"}));
    QVERIFY(QFile::exists(env.path() + QStringLiteral("/Downloads/kept.zip")));
    QTest::mouseClick(Forms::get<frmDownloads>()->cmdClearFinished, Qt::LeftButton);
    QCOMPARE(keptLines(), QStringList());
    QCOMPARE(Forms::get<frmDownloads>()->rowCount(), 0);
}

void TestDownloads::damagedListIsSetAside_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("not JSON") << QByteArray("{\"format\": \"ScoutwellV3 downl");
    QTest::newRow("someone else's JSON") << QByteArray("{\"downloads\": [1, 2]}");
    QTest::newRow("a row without its file")
        << QByteArray("{\"format\": \"ScoutwellV3 downloads\", \"downloads\": "
                      "[{\"url\": \"http://x/a.zip\", \"state\": \"finished\"}]}");
}

void TestDownloads::damagedListIsSetAside()
{
    QFETCH(QByteArray, content);
    TestEnv env;
    QVERIFY(writeFile(DownloadList::filePath(), content));
    Forms::get<MDIForm1>();
    startDownload(env, QStringLiteral("new.zip"), "new")->finish();
    QTRY_COMPARE(env.boxes.size(), 1);
    QCOMPARE(env.boxes[0].style, 48);
    QVERIFY2(env.boxes[0].prompt.contains(QStringLiteral("downloads.json.bad")),
             qPrintable(env.boxes[0].prompt));
    QCOMPARE(readFile(DownloadList::filePath() + QStringLiteral(".bad")), content);
    QCOMPARE(keptLines(), QStringList {"new.zip finished"});
}

QTEST_MAIN(TestDownloads)
#include "tst_downloads.moc"
