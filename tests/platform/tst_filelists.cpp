#include "browse/Ope.h"
#include "platform/FileLists.h"
#include "settings/Bground.h"

#include <QtTest>

using namespace platform;

class TestFileLists : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void wildcard()
    {
        // The Open window's and the background chooser's patterns, and the wildcards' rules.
        // clang-format off
        const struct { const char *pattern, *name; bool listed; } rows[] = {
            {Ope::kPattern, "note.emlx", true},
            {Ope::kPattern, "picture.gif", false},
            {Ope::kPattern, "PAGE.HTM", true},
            {Ope::kPattern, "page.htmx", false},
            {Ope::kPattern, "[x].htm", true},
            {Bground::kPattern, "sky.jpg2", true},
            {Bground::kPattern, "sky.png", false},
            {"*.*", "README", true},
            {"a?.txt", "ab.txt", true},
            {"a?.txt", "a.txt", false},
            {"*a*b", "xaybzb", true},
        };
        // clang-format on
        for (const auto &r : rows)
            QVERIFY2(MatchesPattern(QLatin1String(r.name), QLatin1String(r.pattern)) == r.listed,
                     r.name);
    }

    void fileListShowsMatchingFilesOnly()
    {
        QTemporaryDir dir;
        for (const char *name : {"b.html", "A.htm", "note.emlx", "picture.gif", ".hidden.htm"})
            QVERIFY(QFile(dir.filePath(QLatin1String(name))).open(QIODevice::WriteOnly));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.htm")));
        FileListBox list;
        list.setPath(dir.path());
        list.setPattern(QLatin1String(Ope::kPattern));
        QCOMPARE(list.names(), (QStringList {"A.htm", "b.html", "note.emlx"}));
        // A selection survives the pattern being set again, as it is at each activation.
        list.setFileName(QStringLiteral("b.html"));
        list.setPattern(QLatin1String(Ope::kPattern));
        QCOMPARE(list.FileName(), QStringLiteral("b.html"));
        list.setPattern(QStringLiteral("*.gif"));
        QCOMPARE(list.names(), QStringList {"picture.gif"});
        QCOMPARE(list.FileName(), QString());
    }
};

QTEST_MAIN(TestFileLists)
#include "tst_filelists.moc"
