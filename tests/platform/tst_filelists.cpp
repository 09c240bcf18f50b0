#include "platform/FileLists.h"

#include <QtTest>

using namespace platform;

static const char kOpenPattern[] = "*.htm;*.html;*.asp;*.php;*.xml;*.shtml;*.txt;*.eml*";
static const char kPicturePattern[] = "*.bmp;*.gif;*.jpeg;*.jpg*";

class TestFileLists : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void wildcard_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("listed");
        const auto row = [](const char *pattern, const char *name, bool listed) {
            QTest::addRow("%s in %.12s", name, pattern)
                << QString(pattern) << QString(name) << listed;
        };
        row(kOpenPattern, "note.emlx", true);
        row(kOpenPattern, "picture.gif", false);
        row(kOpenPattern, "PAGE.HTM", true);
        row(kOpenPattern, "page.htmx", false);
        row(kOpenPattern, "[x].htm", true);
        row(kPicturePattern, "sky.jpg2", true);
        row(kPicturePattern, "sky.png", false);
        row("*.*", "README", true);
        row("a?.txt", "ab.txt", true);
        row("a?.txt", "a.txt", false);
        row("*a*b", "xaybzb", true);
    }
    void wildcard()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, name);
        QFETCH(bool, listed);
        QCOMPARE(MatchesPattern(name, pattern), listed);
    }

    void fileListShowsMatchingFilesOnly()
    {
        QTemporaryDir dir;
        for (const char *name : {"b.html", "A.htm", "note.emlx", "picture.gif", ".hidden.htm"})
            QVERIFY(QFile(dir.filePath(QLatin1String(name))).open(QIODevice::WriteOnly));
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
};

QTEST_MAIN(TestFileLists)
#include "tst_filelists.moc"
