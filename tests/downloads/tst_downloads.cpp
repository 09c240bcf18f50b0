// The Downloads window with downloads the test moves along by hand.
#include "CacheFiles.h"
#include "FakeDownload.h"
#include "KeptList.h"
#include "TestEnv.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "browse/Form1.h"
#include "downloads/DownloadList.h"
#include "downloads/PublishedSum.h"
#include "downloads/frmDownloads.h"

#include <sys/stat.h>

#include <QAbstractItemModelTester>
#include <QCryptographicHash>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

using cachefiles::writeFile;
using downloads::DownloadList;

namespace {

// A download of `bytes` into the test's download folder, started as the engine starts one.
FakeDownload *startDownload(const TestEnv &env, const QString &name, const QByteArray &bytes)
{
    const QString path = env.path() + "/Downloads/" + name;
    writeFile(path, bytes);
    auto *d = new FakeDownload("http://127.0.0.1/" + name, path, bytes.size());
    engine::AnnounceDownload(d);
    return d;
}

// The kept rows as "name state" lines.
QStringList keptLines()
{
    QStringList lines;
    for (const QJsonValue &v : keptRows(DownloadList::filePath()))
        lines.append(QFileInfo(v["path"].toString()).fileName() + ' ' + v["state"].toString());
    return lines;
}

// Every change of the list is checked for what a view relies on, for as long as it lives.
void testModel()
{
    DownloadList *list = DownloadList::instance();
    new QAbstractItemModelTester(list, QAbstractItemModelTester::FailureReportingMode::QtTest,
                                 list);
}

DownloadRow *row(int i)
{
    return Forms::get<frmDownloads>()->row(i);
}

// A secure address the engine reached through a plain one on the way.
class RedirectedDownload : public FakeDownload
{
public:
    using FakeDownload::FakeDownload;
    bool notEncrypted() const override { return true; }
};

} // namespace

class TestDownloads : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void freeFileNames()
    {
        QTemporaryDir dir;
        for (const char *taken : {"setup.exe", "setup (1).exe", "tool.tar.gz", "README"})
            QVERIFY(writeFile(dir.filePath(taken), "x"));
        // A running download's name is taken ("run.bin").
        for (auto [name, free] : {std::pair {"new.zip", "new.zip"},
                                  {"setup.exe", "setup (2).exe"},
                                  {"tool.tar.gz", "tool (1).tar.gz"},
                                  {"README", "README (1)"},
                                  {"run.bin", "run (1).bin"}})
            QCOMPARE(engine::FreeFileName(dir.path(), name, {dir.filePath("run.bin")}), free);
    }

    void keptListStatusBarAndSums()
    {
        TestEnv env;
        Forms::get<MDIForm1>();
        QLabel *status = Forms::get<Form1>()->StatusBarPanel1;
        status->setText("Done");
        testModel();
        FakeDownload *kept = startDownload(env, "kept.zip", QByteArray(1000, 'k'));
        QVERIFY(Forms::get<frmDownloads>()->isVisible());
        kept->arrive(500);
        QCOMPARE(status->text(), "Downloading 1 file(s): 50%");
        FakeDownload *gone = startDownload(env, "gone.zip", QByteArray(3000, 'g'));
        gone->arrive(1500);
        QCOMPARE(status->text(), "Downloading 2 file(s): 50%");
        // While the engine has something to say, it keeps the status bar.
        status->setText("http://127.0.0.1/hovered-link");
        gone->arrive(2000);
        QCOMPARE(status->text(), "http://127.0.0.1/hovered-link");
        status->setText("Done");
        gone->pause();
        QCOMPARE(row(0)->cmdPause->text(), "Resume");
        QVERIFY(!row(0)->cmdOpen->isEnabled() && !row(0)->cmdRemove->isEnabled());
        QCOMPARE(keptLines(), QStringList({"gone.zip paused", "kept.zip running"}));
        gone->resume();
        gone->finish();
        QCOMPARE(status->text(), "Downloaded gone.zip");
        kept->finish();
        startDownload(env, "broken.zip", "b")->fail("Network error");
        QCOMPARE(row(0)->lblState->text(), "Failed: Network error");
        startDownload(env, "cut.zip", "cc")->arrive(1);
        QTRY_VERIFY(!DownloadList::instance()->find(1)->sha256.isEmpty()
                    && !DownloadList::instance()->find(2)->sha256.isEmpty());
        QVERIFY(QFile::remove(env.path() + "/Downloads/gone.zip"));

        // The next run: the program ended with cut.zip half-way.
        resetWindows();
        testModel();
        Forms::Show<frmDownloads>();
        QStringList rows;
        for (int i = 0; i < Forms::get<frmDownloads>()->rowCount(); ++i)
            rows << row(i)->lblName->text() + ": " + row(i)->lblState->toolTip()
                    + (row(i)->cmdOpen->isEnabled() ? ", open" : "");
        QCOMPARE(
            rows,
            QStringList({"cut.zip: Failed: The program ended before the download finished",
                         "broken.zip: Failed: Network error",
                         "gone.zip: File moved or deleted since", "kept.zip: Finished, open"}));
        const auto hex = [](auto algorithm) {
            return QCryptographicHash::hash(QByteArray(1000, 'k'), algorithm).toHex();
        };
        const QByteArray sha256 = hex(QCryptographicHash::Sha256),
                         sha1 = hex(QCryptographicHash::Sha1), md5 = hex(QCryptographicHash::Md5);
        QCOMPARE(row(3)->txtSha256->text(), sha256);
        const auto spaced = [](QByteArray hex) {
            for (qsizetype i = hex.size() - 8; i > 0; i -= 8)
                hex.insert(i, ' ');
            return " " + hex + "\t";
        };
        const auto wrong = [](QByteArray h) { return h.replace(0, 1, h[0] == '0' ? "1" : "0"); };
        const QString yes = "matches", no = "does NOT match the published sum",
                      none = "not a SHA-256, SHA-1 or MD5 sum";
        // clang-format off
        const std::pair<QByteArray, QString> sums[] = {
            {spaced(sha256),         yes},
            {sha256 + "  kept.zip",  yes}, // a line of a checksum list
            {sha1,                   yes},
            {md5.toUpper(),          yes},
            {wrong(sha256),          no},
            {spaced(wrong(md5)),     no},
            {sha256.left(63),        none},
            {sha1 + "0",             none},
            {QByteArray(64, 'g'),    none},
        };
        // clang-format on
        for (const auto &[typed, verdict] : sums) {
            row(3)->txtPublished->clear();
            QTest::keyClicks(row(3)->txtPublished, typed);
            QTRY_COMPARE(row(3)->lblVerdict->text(), verdict);
            QCOMPARE(row(3)->lblVerdict->palette().color(QPalette::WindowText) == Qt::red,
                     verdict == no);
        }

        // Taking rows off the list never touches the files.
        QTest::mouseClick(row(3)->cmdRemove, Qt::LeftButton);
        QTRY_COMPARE(keptLines(),
                     QStringList({"cut.zip failed", "broken.zip failed", "gone.zip finished"}));
        QVERIFY(QFile::exists(env.path() + "/Downloads/kept.zip"));
        QTest::mouseClick(Forms::get<frmDownloads>()->cmdClearFinished, Qt::LeftButton);
        QVERIFY(keptLines().isEmpty() && Forms::get<frmDownloads>()->rowCount() == 0);
    }

    // A file that came over plain HTTP, or through it, says so in its row, and the mark is
    // kept; a list from before the mark has it from each row's own address.
    void notEncryptedMark()
    {
        TestEnv env;
        Forms::get<MDIForm1>();
        testModel();
        const QString folder = env.path() + "/Downloads/";
        startDownload(env, "plain.zip", "p")->finish();
        FakeDownload *secure = new FakeDownload("https://a.example/s.zip", folder + "s.zip", 1);
        FakeDownload *redirected
            = new RedirectedDownload("https://a.example/r.zip", folder + "r.zip", 1);
        for (FakeDownload *d : {secure, redirected}) {
            writeFile(d->path(), "x");
            engine::AnnounceDownload(d);
            d->finish();
        }
        const QStringList marked {"r.zip Not encrypted", "s.zip ", "plain.zip Not encrypted"};
        const auto shown = [] {
            QStringList lines;
            for (int i = 0; i < Forms::get<frmDownloads>()->rowCount(); ++i)
                lines << row(i)->lblName->text() + ' ' + row(i)->lblEncryption->text();
            return lines;
        };
        QCOMPARE(shown(), marked);
        QCOMPARE(row(0)->lblEncryption->palette().color(QPalette::WindowText), QColor(Qt::red));
        QStringList kept;
        for (const QJsonValue &v : keptRows(DownloadList::filePath()))
            kept << QVariant(v["not_encrypted"].toVariant()).toString();
        QCOMPARE(kept, QStringList({"true", "false", "true"}));
        resetWindows();
        Forms::Show<frmDownloads>();
        QCOMPARE(shown(), marked);

        resetWindows();
        const QByteArray old
            = "{\"format\": \"ScoutwellV3 downloads\", \"downloads\": ["
              "{\"url\": \"HTTP://x.example/old.zip\", \"path\": \"/tmp/old.zip\", "
              "\"state\": \"failed\"}, {\"url\": \"https://x.example/new.zip\", "
              "\"path\": \"/tmp/new.zip\", \"state\": \"failed\"}]}";
        QVERIFY(writeFile(DownloadList::filePath(), old));
        Forms::Show<frmDownloads>();
        QCOMPARE(shown(), QStringList({"old.zip Not encrypted", "new.zip "}));
        QString why;
        QVERIFY(!DownloadList::parse(QByteArray(old).replace("\"failed\"}]",
                                                             "\"failed\", "
                                                             "\"not_encrypted\": 0}]"),
                                     &why));
    }

    void safeNames()
    {
        const QString longName = QString(300, 'a') + ".tar.gz";
        // clang-format off
        const std::pair<QString, QString> names[] = {
            {"setup.exe",                              "setup.exe"},
            {"../../.config/autostart/evil.desktop",   "evil.desktop"},
            {"..\\..\\boot.ini",                       "boot.ini"},
            {"..",                                     "download"},
            {".bashrc",                                "bashrc"},
            {"  ...hidden.zip",                        "hidden.zip"},
            {"a\tb\nc\x01.zip",                        "abc.zip"},
            {QString("photo\u202Egpj.exe"),          "photogpj.exe"},
            {"dir/",                                   "download"},
            {"",                                       "download"},
        };
        // clang-format on
        for (const auto &[suggested, safe] : names)
            QCOMPARE(engine::SafeFileName(suggested), safe);
        const QString cut = engine::SafeFileName(longName);
        QVERIFY(cut.toUtf8().size() <= 255 && cut.endsWith(".gz") && cut.startsWith("aaa"));
        QVERIFY(engine::SafeFileName(QString(200, QChar(0x00e9)) + ".zip").toUtf8().size() <= 255);
    }

    void publishedSumFinder()
    {
        const QByteArray a = QByteArray(64, 'a'), b = QByteArray(64, 'b'), c = QByteArray(40, 'c'),
                         d = QByteArray(32, 'd');
        // clang-format off
        const struct { QString page; QString name; QByteArray found; } pages[] = {
            {"tool.zip  SHA-256: " + a + "\nother.zip " + b,       "tool.zip",  a},
            {"other.zip " + b + "\n" + a.toUpper() + " *tool.zip", "tool.zip",  a},
            {"SHA256 (tool.zip) = " + a + "\nSHA256 (x.zip) = " + b, "tool.zip", a},
            {"Checksum: " + a + "\nMD5: " + d,                      "tool.zip",  a},
            {"Only an MD5 here: " + d,                              "tool.zip",  d},
            {"tool.zip.asc " + a + "\ntool.zip " + b,               "tool.zip",  b},
            {a + " one.zip\n" + b + " two.zip",                     "tool.zip",  {}},
            {"tool.zip " + a + "\ntool.zip " + b,                    "tool.zip",  {}},
            {"tool.zip " + c + " " + a,                             "tool.zip",  a},
            {"no sums at all, tool.zip",                            "tool.zip",  {}},
            {"x" + a + " tool.zip",                                 "tool.zip",  {}},
            {QString(a) + "  TOOL.ZIP",                             "tool.zip",  a},
        };
        // clang-format on
        for (const auto &[page, name, found] : pages) {
            const auto sum = downloads::FindPublishedSum(page, {name});
            QCOMPARE(sum ? sum->hex : QByteArray(), found);
        }
        const QStringList links {"http://h/files/MD5SUMS", "http://h/files/SHA256SUMS",
                                 "http://h/files/tool.zip.sha1", "http://h/about.html"};
        QCOMPARE(downloads::FindSumFileLink(links, {"tool.zip"}), "http://h/files/SHA256SUMS");
        QCOMPARE(downloads::FindSumFileLink(links + QStringList("http://h/tool.zip.sha256"),
                                            {"tool.zip"}),
                 "http://h/tool.zip.sha256");
        QCOMPARE(downloads::FindSumFileLink({"http://h/a.html"}, {"tool.zip"}), QString());
    }

    // What a damaged, hostile or unwritable list, or an odd file, once did wrong.
    void listFaults()
    {
        TestEnv env;
        Forms::get<MDIForm1>();
        const QString file = DownloadList::filePath();
        // A number out of range sets the list aside; each damaged list is kept beside the
        // earlier ones.
        const QByteArray head = "{\"format\": \"ScoutwellV3 downloads\", \"downloads\": [{\"url\": "
                                "\"http://x/a.zip\", \"path\": \"/tmp/a.zip\", \"state\": "
                                "\"failed\", ";
        const QByteArray numbers[] = {"\"size\": 1e300}]}", "\"size\": -5}]}",
                                      "\"received\": 1.5}]}", "\"size\": \"big\"}]}"};
        for (const QByteArray &n : numbers) {
            QVERIFY(writeFile(file, head + n));
            const qsizetype before = env.boxes.size();
            Forms::Show<frmDownloads>();
            QTRY_COMPARE(env.boxes.size(), before + 1);
            QCOMPARE(DownloadList::instance()->rowCount(), 0);
            resetWindows();
        }
        QCOMPARE(readFile(file + ".bad"), head + numbers[0]);
        QCOMPARE(readFile(file + ".bad.3"), head + numbers[3]);
        QVERIFY(env.boxes.last().prompt.contains("downloads.json.bad.3"));
        QVERIFY(!QFile::exists(file));

        // Sizes near the largest a file can have: the bar stays right.
        FakeDownload *huge = startDownload(env, "huge.bin", "h");
        auto *list = DownloadList::instance();
        huge->setTotal(qint64(1) << 62);
        huge->arrive(qint64(1) << 61);
        QCOMPARE(row(0)->prgDone->value(), 500);
        huge->cancel();

        // A list that cannot be written is said once, and written at the next change after.
        QVERIFY(QFile::remove(file) && QDir().mkdir(file));
        startDownload(env, "one.zip", "1")->finish();
        startDownload(env, "two.zip", "2")->finish();
        QTRY_VERIFY(!list->saveProblem().isEmpty());
        QCOMPARE(Forms::get<frmDownloads>()->lblProblem->text(), list->saveProblem());
        QVERIFY(QDir().rmdir(file));
        startDownload(env, "three.zip", "3")->finish();
        QTRY_COMPARE(keptLines().size(), 4);
        QVERIFY(Forms::get<frmDownloads>()->lblProblem->text().isEmpty());

        // A file changed after its sum was made no longer matches.
        const QByteArray sum = QCryptographicHash::hash("3", QCryptographicHash::Sha256).toHex();
        QTRY_COMPARE(list->find(list->entryAt(0)->id)->sha256.toLatin1(), sum);
        QTest::keyClicks(row(0)->txtPublished, sum);
        QTRY_COMPARE(row(0)->lblVerdict->text(), "matches");
        QVERIFY(putFile(env.path() + "/Downloads/three.zip", "changed"));
        list->recheckFiles();
        QTRY_COMPARE(row(0)->lblVerdict->text(), "does NOT match the published sum");

        // A folder or a named pipe at a download's place: said once, never waited for.
        for (const char *name : {"folder.zip", "pipe.zip"}) {
            const QString path = env.path() + "/Downloads/" + name;
            FakeDownload *d = new FakeDownload("http://127.0.0.1/x", path, 1);
            engine::AnnounceDownload(d);
            QVERIFY(name[0] == 'f' ? QDir().mkdir(path) : ::mkfifo(qPrintable(path), 0600) == 0);
            d->finish();
            QTest::keyClicks(row(0)->txtPublished, sum);
            QTRY_VERIFY(row(0)->lblVerdict->text().startsWith("Cannot read the file: "));
            QSignalSpy changes(list, &DownloadList::dataChanged);
            QTest::qWait(300);
            QVERIFY2(changes.size() < 3, qPrintable(QString::number(changes.size())));
        }
        resetWindows(); // ends the list's threads: none may wait on the pipe
    }

    // A list of the wrong shape is set aside with one message, and the next download is
    // kept (text that is not JSON at all is the end-to-end run's damaged list).
    void damagedListIsSetAside()
    {
        for (const QByteArray &content :
             {QByteArray("{\"downloads\": [1, 2]}"),
              QByteArray("{\"format\": \"ScoutwellV3 downloads\", \"downloads\": [{\"url\": "
                         "\"http://x/a.zip\", \"state\": \"finished\"}]}")}) {
            TestEnv env;
            QVERIFY(writeFile(DownloadList::filePath(), content));
            Forms::get<MDIForm1>();
            startDownload(env, "new.zip", "new")->finish();
            QTRY_COMPARE(env.boxes.size(), 1);
            QVERIFY(env.boxes[0].style == 48 && env.boxes[0].prompt.contains("downloads.json.bad"));
            QCOMPARE(readFile(DownloadList::filePath() + ".bad"), content);
            QCOMPARE(keptLines(), QStringList {"new.zip finished"});
        }
    }
};

QTEST_MAIN(TestDownloads)
#include "tst_downloads.moc"
