#include "TestEnv.h"
#include "platform/FileLists.h"
#include "platform/Shell.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace platform;

class TestFileLists : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void wildcard_data();
    void wildcard();
    void join_data();
    void join();
    void fileListShowsMatchingFilesOnly();
    void folderListMovesIntoSubfoldersAndRefusesUnreadableOnes();
    void driveListChoosesTheInnermostVolume();
    void shellStartsAnExecutableAndReportsAMissingFile();
};

static const char kOpenPattern[] = "*.htm;*.html;*.asp;*.php;*.xml;*.shtml;*.txt;*.eml*";
static const char kPicturePattern[] = "*.bmp;*.gif;*.jpeg;*.jpg*";

void TestFileLists::wildcard_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("listed");
    QTest::newRow("longer eml extension") << kOpenPattern << "note.emlx" << true;
    QTest::newRow("plain eml") << kOpenPattern << "note.eml" << true;
    QTest::newRow("picture not a page") << kOpenPattern << "picture.gif" << false;
    QTest::newRow("capitals") << kOpenPattern << "PAGE.HTM" << true;
    QTest::newRow("htm is not a prefix match") << kOpenPattern << "page.htmx" << false;
    QTest::newRow("backup of a page") << kOpenPattern << "page.htm.bak" << false;
    QTest::newRow("brackets are plain characters") << kOpenPattern << "[x].htm" << true;
    QTest::newRow("no extension") << kOpenPattern << "README" << false;
    QTest::newRow("jpg followed by a digit") << kPicturePattern << "sky.jpg2" << true;
    QTest::newRow("png") << kPicturePattern << "sky.png" << false;
    QTest::newRow("bmp in capitals") << kPicturePattern << "SKY.BMP" << true;
    QTest::newRow("star dot star takes names without a dot") << "*.*"
                                                             << "README" << true;
    QTest::newRow("question mark is one character") << "a?.txt"
                                                    << "ab.txt" << true;
    QTest::newRow("question mark is not zero characters") << "a?.txt"
                                                          << "a.txt" << false;
    QTest::newRow("blanks around patterns") << " *.gif ; *.bmp "
                                            << "x.bmp" << true;
    QTest::newRow("star backtracks") << "*a*b"
                                     << "xaybzb" << true;
}

void TestFileLists::wildcard()
{
    QFETCH(QString, pattern);
    QFETCH(QString, name);
    QFETCH(bool, listed);
    QCOMPARE(MatchesPattern(name, pattern), listed);
}

void TestFileLists::join_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("path");
    QTest::newRow("subfolder") << "/home/u/Docs"
                               << "page.htm"
                               << "/home/u/Docs/page.htm";
    QTest::newRow("root folder") << "/"
                                 << "page.htm"
                                 << "/page.htm";
    QTest::newRow("no file selected") << "/home/u/Docs"
                                      << ""
                                      << "/home/u/Docs/";
    QTest::newRow("root, no file") << "/"
                                   << ""
                                   << "/";
}

void TestFileLists::join()
{
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QFETCH(QString, path);
    QCOMPARE(JoinFolderFile(folder, name), path);
}

static void touch(const QString &path, const QByteArray &content = "x")
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

void TestFileLists::fileListShowsMatchingFilesOnly()
{
    QTemporaryDir dir;
    for (const char *name : {"b.html", "A.htm", "note.emlx", "picture.gif", ".hidden.htm"})
        touch(dir.filePath(QLatin1String(name)));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.htm")));

    FileListBox list;
    list.setPath(dir.path());
    list.setPattern(QLatin1String(kOpenPattern));
    QCOMPARE(list.names(), (QStringList {"A.htm", "b.html", "note.emlx"}));

    // A selection survives the pattern being set again, as it is at each activation.
    list.setFileName(QStringLiteral("b.html"));
    list.setPattern(QLatin1String(kOpenPattern));
    QCOMPARE(list.FileName(), QStringLiteral("b.html"));
    list.setPattern(QStringLiteral("*.gif"));
    QCOMPARE(list.names(), QStringList {"picture.gif"});
    QCOMPARE(list.FileName(), QString());
}

void TestFileLists::folderListMovesIntoSubfoldersAndRefusesUnreadableOnes()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("Docs/Old")));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Music")));

    DirListBox list;
    QSignalSpy changes(&list, &DirListBox::Change);
    QVERIFY(list.setPath(dir.path() + QStringLiteral("/./")));
    QCOMPARE(list.Path(), QDir::cleanPath(dir.path()));
    QCOMPARE(changes.size(), 1);

    QStringList shown;
    for (int i = 0; i < list.count(); ++i)
        shown.append(list.item(i)->text());
    QCOMPARE(shown.first(), QStringLiteral("/"));
    QCOMPARE(shown.mid(shown.size() - 2), (QStringList {"Docs", "Music"}));

    QListWidgetItem *docs = list.findItems(QStringLiteral("Docs"), Qt::MatchExactly).first();
    Q_EMIT list.itemActivated(docs);
    QCOMPARE(list.Path(), dir.path() + QStringLiteral("/Docs"));
    QCOMPARE(list.item(list.count() - 1)->text(), QStringLiteral("Old"));

    QVERIFY(!list.setPath(dir.path() + QStringLiteral("/gone")));
    QCOMPARE(list.Path(), dir.path() + QStringLiteral("/Docs"));
    QCOMPARE(changes.size(), 2);
}

void TestFileLists::driveListChoosesTheInnermostVolume()
{
    DriveListBox drives;
    drives.setVolumes({{"/", ""}, {"/home", "home"}, {"/media/usb", "USB"}});
    QSignalSpy changes(&drives, &DriveListBox::Change);
    drives.setDrive(QStringLiteral("/home/u/Docs"));
    QCOMPARE(drives.Drive(), QStringLiteral("/home"));
    drives.setDrive(QStringLiteral("/homework"));
    QCOMPARE(drives.Drive(), QStringLiteral("/"));
    drives.setDrive(QStringLiteral("/media/usb"));
    QCOMPARE(drives.Drive(), QStringLiteral("/media/usb"));
    QCOMPARE(changes.size(), 0);
    drives.setCurrentIndex(0);
    QCOMPARE(changes.size(), 1);
}

void TestFileLists::shellStartsAnExecutableAndReportsAMissingFile()
{
    QTemporaryDir dir;
    const QString marker = dir.filePath(QStringLiteral("started"));
    const QString program = dir.filePath(QStringLiteral("Help"));
    touch(program, "#!/bin/sh\ntouch \"$PWD/started\"\n");
    QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    QVERIFY(ShellExecuteA(nullptr, "open", program, "", dir.path(), SW_SHOWNORMAL) > 32);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 5000);
    QCOMPARE(ShellExecuteA(nullptr, "open", dir.filePath("missing"), "", "", SW_SHOWNORMAL), 2);
}

QTEST_MAIN(TestFileLists)
#include "tst_filelists.moc"
