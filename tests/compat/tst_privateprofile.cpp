#include "CacheFiles.h"
#include "compat/PrivateProfile.h"

#include <QtTest>

#include <sys/resource.h>

namespace {

using cachefiles::writeFile;

// Reads as the program does; a count that disagrees with the buffer's NUL shows as text.
QString read(const QString &file, const QString &section, const QString &key, int size = 255)
{
    QString buffer(size, QChar(u'#'));
    const int n = compat::GetPrivateProfileStringA(section, key, "dflt", buffer, size, file);
    if (n < 0 || n >= size || buffer.at(n) != QChar(0))
        return QStringLiteral("<bad count %1>").arg(n);
    return buffer.left(n);
}

} // namespace

class TestPrivateProfile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void lookup_data()
    {
        QTest::addColumn<QByteArray>("file"); // null: no file at all
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected"); // the default is "dflt"
        const auto row = [](const char *name, const QByteArray &file, const char *section,
                            const char *key, const QString &expected) {
            QTest::newRow(name) << file << QString(section) << QString(key) << expected;
        };
        row("case of names", "[FaVoUrItEs]\nAbC=one\n", "favourites", "aBc", "one");
        row("blanks around names, value", "[  s\t]\n  1  = \t v w \n", " s ", " 1", "v w");
        row("quotes dropped once", "[s]\nk=  \"\" spaced \"\"  \n", "s", "k", "\" spaced \"");
        row("300 characters cut to 254", "[s]\nk=" + QByteArray(300, 'a'), "s", "k",
            QString(254, 'a'));
        row("missing file", QByteArray(), "s", "k", "dflt");
        row("missing section", "[t]\nk=x\n", "s", "k", "dflt");
        row("missing key, file of the same size", "[s]\nj=x\n", "s", "k", "dflt");
        row("comments, malformed lines", "k=v\n[s]\n;k=no\ngarbage\n=x\nk=yes\n", "s", "k", "yes");
        row("CR LF and BOM", "\xEF\xBB\xBF[s]\r\nk=v\r\n", "s", "k", "v");
        // clang-format off
        const QString cafe = QString::fromUtf8("caf\xC3\xA9");
        row("UTF-8 line beside a Latin-1 one", "[s]\nk=caf\xC3\xA9\nj=caf\xE9\n", "s", "k", cafe);
        row("Latin-1 line beside a UTF-8 one", "[s]\nk=caf\xE9\nj=caf\xC3\xA9\n", "s", "k", cafe);
        row("BOM, then a Latin-1 line", "\xEF\xBB\xBF[s]\nk=caf\xE9\n", "s", "k", cafe);
        row("NUL ends a value", QByteArray("[s]\nk=ab\0cd\n", 12), "s", "k", "ab");
        row("NUL before a header", QByteArray("[s]\nk=1\n\0[t]\nk=2\n", 17), "t", "k", "2");
        row("junk, then a section", QByteArray("[x\n\"=;'\t\r\r\0\xff\xc3[]=\n\n[Planted]\nkey = \"v\"\n", 38), "planted", "KEY", "v");
        // clang-format on
    }
    void lookup()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath("test.ini");
        // A file read before, of the same size as some rows' files: its parsed form must not
        // be used once the file has changed or gone.
        QVERIFY(writeFile(path, "[s]\nk=y\n"));
        QCOMPARE(read(path, "s", "k"), "y");
        const QDateTime before = QFileInfo(path).lastModified();
        QVERIFY(QFile::remove(path));
        if (!file.isNull()) {
            QVERIFY(writeFile(path, file));
            // File times have a coarse grain: give the new file the later time it would have.
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadWrite)
                    && f.setFileTime(before.addSecs(2), QFileDevice::FileModificationTime));
        }
        QCOMPARE(read(path, section, key), expected);
        // The size caps the default too, and size 1 leaves room for the NUL only.
        QCOMPARE(read(path, section, key, 3), expected.left(2));
        QCOMPARE(read(path, section, key, 1), QString());
    }

    // A file far larger than any kept by hand: one line of 40 MB, and more keys than the
    // reader indexes; every key is found all the same, and the file is never held whole.
    void largeFileInBoundedMemory()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("large.ini");
        QByteArray bytes = "[s]\n";
        for (int n = 0; n < 300000; ++n)
            bytes += 'k' + QByteArray::number(n) + "=v" + QByteArray::number(n) + '\n';
        bytes += "long=" + QByteArray(40 * 1024 * 1024, 'a') + "\n[t]\nlast=found\n";
        QVERIFY(writeFile(path, bytes));
        bytes = QByteArray();
        rusage before {}, after {};
        ::getrusage(RUSAGE_SELF, &before);
        QCOMPARE(read(path, "s", "k0") + read(path, "s", "k299999"), "v0v299999");
        QCOMPARE(read(path, "s", "long"), QString(254, 'a'));
        QCOMPARE(read(path, "t", "last"), "found");
        ::getrusage(RUSAGE_SELF, &after);
#if !defined(__SANITIZE_ADDRESS__) // which keeps freed memory aside, so the peak only grows
        QVERIFY(after.ru_maxrss - before.ru_maxrss < 40 * 1024);
#endif
    }
};

QTEST_MAIN(TestPrivateProfile)
#include "tst_privateprofile.moc"
