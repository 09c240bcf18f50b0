#include "platform/PrivateProfile.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Reads as the program does; a count that disagrees with the buffer's NUL shows as text.
QString read(const QString &file, const QString &section, const QString &key,
             const QString &def = QString(), int size = 255)
{
    QString buffer(size, QChar(u'#'));
    const int n = platform::GetPrivateProfileStringA(section, key, def, buffer, size, file);
    if (n < 0 || n >= size || buffer.at(n) != QChar(0))
        return QStringLiteral("<bad count %1>").arg(n);
    return buffer.left(n);
}

} // namespace

class TestPrivateProfile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void lookup_data();
    void lookup();
    void randomBytesAreReadSafely();
    void fileChangedBetweenReads_data();
    void fileChangedBetweenReads();
};

void TestPrivateProfile::lookup_data()
{
    QTest::addColumn<QByteArray>("file"); // null: no file at all
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected"); // the default is "dflt"

    const QByteArray sk = "[s]\nk=";
    QTest::newRow("case of names") << QByteArray("[FaVoUrItEs]\nAbC=one\n") << "favourites"
                                   << "aBc"
                                   << "one";
    QTest::newRow("blanks around names and value")
        << QByteArray("[  s\t]\n  1  = \t v w \n") << " s "
        << " 1"
        << "v w";
    QTest::newRow("quotes dropped once") << sk + "  \"\" spaced \"\"  \n"
                                         << "s"
                                         << "k"
                                         << "\" spaced \"";
    QTest::newRow("unmatched quotes kept") << sk + "\"x'\n"
                                           << "s"
                                           << "k"
                                           << "\"x'";
    QTest::newRow("300 characters cut to 254") << sk + QByteArray(300, 'a') << "s"
                                               << "k" << QString(254, u'a');
    QTest::newRow("missing file") << QByteArray() << "s"
                                  << "k"
                                  << "dflt";
    QTest::newRow("missing section") << QByteArray("[t]\nk=x\n") << "s"
                                     << "k"
                                     << "dflt";
    QTest::newRow("missing key") << QByteArray("[s]\nj=x\n") << "s"
                                 << "k"
                                 << "dflt";
    QTest::newRow("empty value") << sk + "\n"
                                 << "s"
                                 << "k"
                                 << "";
    QTest::newRow("comments and malformed lines")
        << QByteArray("k=v\n[s]\n;k=no\ngarbage\n=x\nk=yes\n") << "s"
        << "k"
        << "yes";
    QTest::newRow("CR LF and BOM") << QByteArray("\xEF\xBB\xBF[s]\r\nk=v\r\n") << "s"
                                   << "k"
                                   << "v";
}

void TestPrivateProfile::lookup()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("test.ini"));
    if (!file.isNull())
        QVERIFY(writeFile(path, file));
    QCOMPARE(read(path, section, key, QStringLiteral("dflt")), expected);
    // The size caps the default too, and size 1 leaves room for the NUL only.
    QCOMPARE(read(path, section, key, QStringLiteral("dflt"), 3), expected.left(2));
    QCOMPARE(read(path, section, key, QStringLiteral("dflt"), 1), QString());
}

void TestPrivateProfile::randomBytesAreReadSafely()
{
    QTemporaryDir dir;
    QRandomGenerator rng(20240611);
    const char alphabet[] = "[]=;\"' \t\r\n\x00\xff\xc3";
    for (int round = 0; round < 30; ++round) {
        QByteArray junk(4096 + round * 97, '\0');
        for (char &c : junk) // half from the characters the parser cares about
            c = rng.bounded(2) ? alphabet[rng.bounded(int(sizeof alphabet) - 1)]
                               : char(rng.bounded(256));
        const QString path = dir.filePath(QStringLiteral("junk%1.ini").arg(round));
        QVERIFY(writeFile(path, junk + "\n[planted section]\nplanted key = \"found\"\n"));
        for (const char *name : {"", "s", "[", "=", "1"}) {
            const QString value = read(path, QLatin1String(name), QLatin1String(name));
            QVERIFY2(!value.startsWith(QLatin1String("<bad")), qPrintable(value));
        }
        QCOMPARE(read(path, QStringLiteral("Planted Section"), QStringLiteral("PLANTED KEY")),
                 QStringLiteral("found"));
    }
}

void TestPrivateProfile::fileChangedBetweenReads_data()
{
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<bool>("renamed");
    QTest::newRow("longer value") << QByteArray("[s]\nk=second value\n") << false;
    QTest::newRow("same size, written later") << QByteArray("[s]\nk=new\n") << false;
    QTest::newRow("same size and time, renamed over") << QByteArray("[s]\nk=new\n") << true;
}

void TestPrivateProfile::fileChangedBetweenReads()
{
    QFETCH(QByteArray, after);
    QFETCH(bool, renamed);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("test.ini"));
    QVERIFY(writeFile(path, "[s]\nk=old\n"));
    QCOMPARE(read(path, QStringLiteral("s"), QStringLiteral("k")), QStringLiteral("old"));
    QCOMPARE(read(path, QStringLiteral("s"), QStringLiteral("k")), QStringLiteral("old"));
    const QDateTime oldTime = QFileInfo(path).lastModified();
    if (renamed) {
        QSaveFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(after) == after.size() && f.commit());
    } else {
        QVERIFY(writeFile(path, after));
    }
    // File times have a coarse grain: give an in-place edit the later time it would have.
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(
        f.setFileTime(renamed ? oldTime : oldTime.addSecs(2), QFileDevice::FileModificationTime));
    QCOMPARE(read(path, QStringLiteral("s"), QStringLiteral("k")),
             QString::fromLatin1(after.mid(6).chopped(1)));
}

QTEST_MAIN(TestPrivateProfile)
#include "tst_privateprofile.moc"
