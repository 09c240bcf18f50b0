#include "platform/PrivateProfile.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QtTest>

using platform::GetPrivateProfileStringA;

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Calls the reader as the program does and checks the buffer's NUL and the count agree.
QString read(const QString &file, const QString &section, const QString &key,
             const QString &def = QString(), int size = 255)
{
    QString buffer(size, QChar(u'#'));
    const int n = GetPrivateProfileStringA(section, key, def, buffer, size, file);
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
    void bufferSmallerThanSizeIsNeverOverrun();
    void randomBytesAreReadSafely();
    void fileChangedBetweenReads_data();
    void fileChangedBetweenReads();
};

void TestPrivateProfile::lookup_data()
{
    QTest::addColumn<QByteArray>("file"); // a null array: no file at all
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("def");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("expected");

    const QString fav = QStringLiteral("Favourites");
    const QByteArray a300(300, 'a');
    QTest::newRow("case of names") << QByteArray("[FaVoUrItEs]\nAbC=one\n") << "favourites"
                                   << "aBc"
                                   << "" << 255 << "one";
    QTest::newRow("blanks around names")
        << QByteArray("[  Favourites\t]\n  1  =  first  \n") << " Favourites "
        << " 1"
        << "x" << 255 << "first";
    QTest::newRow("tabs around value") << QByteArray("[s]\nk=\tv  w\t\n") << "s"
                                       << "k"
                                       << "" << 255 << "v  w";
    QTest::newRow("double quotes dropped") << QByteArray("[s]\nk=  \" spaced \"  \n") << "s"
                                           << "k"
                                           << "" << 255 << " spaced ";
    QTest::newRow("single quotes dropped") << QByteArray("[s]\nk='x'\n") << "s"
                                           << "k"
                                           << "" << 255 << "x";
    QTest::newRow("one pair only") << QByteArray("[s]\nk=\"\"x\"\"\n") << "s"
                                   << "k"
                                   << "" << 255 << "\"x\"";
    QTest::newRow("mixed quotes kept") << QByteArray("[s]\nk=\"x'\n") << "s"
                                       << "k"
                                       << "" << 255 << "\"x'";
    QTest::newRow("lone quote kept") << QByteArray("[s]\nk=\"\n") << "s"
                                     << "k"
                                     << "" << 255 << "\"";
    QTest::newRow("300 characters cut to 254")
        << QByteArray("[Favourites]\n1=" + a300 + "\n") << fav << " 1"
        << "" << 255 << QString(254, u'a');
    QTest::newRow("size 1 holds only the NUL") << QByteArray("[s]\nk=v\n") << "s"
                                               << "k"
                                               << "" << 1 << "";
    QTest::newRow("missing file") << QByteArray() << fav << "1"
                                  << "dflt" << 255 << "dflt";
    QTest::newRow("missing section") << QByteArray("[Links]\n1=x\n") << fav << "1"
                                     << "dflt" << 255 << "dflt";
    QTest::newRow("missing key") << QByteArray("[Favourites]\n1=x\n") << fav << "2"
                                 << "" << 255 << "";
    QTest::newRow("default loses trailing blanks") << QByteArray() << fav << "1"
                                                   << " d \t " << 255 << " d";
    QTest::newRow("default cut to size") << QByteArray() << fav << "1"
                                         << "abcdef" << 4 << "abc";
    QTest::newRow("empty value is not the default") << QByteArray("[s]\nk=\n") << "s"
                                                    << "k"
                                                    << "dflt" << 255 << "";
    QTest::newRow("comment line") << QByteArray("[s]\n;k=no\n  ; k=no\nk=yes\n") << "s"
                                  << "k"
                                  << "" << 255 << "yes";
    QTest::newRow("malformed lines") << QByteArray("[s]\ngarbage\n=lost\n]\nk=v\n") << "s"
                                     << "k"
                                     << "" << 255 << "v";
    QTest::newRow("key before any section") << QByteArray("k=v\n[s]\n") << "s"
                                            << "k"
                                            << "d" << 255 << "d";
    QTest::newRow("first of two keys") << QByteArray("[s]\nk=1\nK=2\n") << "s"
                                       << "k"
                                       << "" << 255 << "1";
    QTest::newRow("section written twice") << QByteArray("[s]\na=1\n[t]\nb=3\n[S]\nb=2\n") << "s"
                                           << "b"
                                           << "" << 255 << "2";
    QTest::newRow("keys belong to their own section")
        << QByteArray("[Favourites]\n1=cap\n[Links]\n1=url\n") << "links"
        << "1"
        << "" << 255 << "url";
    QTest::newRow("header without bracket") << QByteArray("[s]\nk=1\n[t\nk=2\n") << "t"
                                            << "k"
                                            << "" << 255 << "2";
    QTest::newRow("equals sign in value") << QByteArray("[s]\nk=a=b\n") << "s"
                                          << "k"
                                          << "" << 255 << "a=b";
    QTest::newRow("CR LF line ends") << QByteArray("[s]\r\nk=v\r\nj=w\r\n") << "s"
                                     << "k"
                                     << "" << 255 << "v";
    QTest::newRow("CR line ends") << QByteArray("[s]\rk=v\rj=w\r") << "s"
                                  << "j"
                                  << "" << 255 << "w";
    QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF[s]\nk=v\n") << "s"
                                     << "k"
                                     << "" << 255 << "v";
    QTest::newRow("UTF-8 text") << QByteArray("[s]\nk=caf\xC3\xA9\n") << "s"
                                << "k"
                                << "" << 255 << QString::fromUtf8("caf\xC3\xA9");
    QTest::newRow("Latin-1 text") << QByteArray("[s]\nk=caf\xE9\n") << "s"
                                  << "k"
                                  << "" << 255 << QString::fromUtf8("caf\xC3\xA9");
    QTest::newRow("NUL ends the line") << QByteArray("[s]\nk=ab\0cd\n", 12) << "s"
                                       << "k"
                                       << "" << 255 << "ab";
}

void TestPrivateProfile::lookup()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, def);
    QFETCH(int, size);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("test.ini"));
    if (!file.isNull())
        QVERIFY(writeFile(path, file));
    const QString sectionBefore = section;
    QCOMPARE(read(path, section, key, def, size), expected);
    QCOMPARE(section, sectionBefore);
}

void TestPrivateProfile::bufferSmallerThanSizeIsNeverOverrun()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("test.ini"));
    QVERIFY(writeFile(path, "[s]\nk=0123456789\n"));
    QString buffer(5, QChar(u'#'));
    const int n = GetPrivateProfileStringA(QStringLiteral("s"), QStringLiteral("k"), QString(),
                                           buffer, 255, path);
    QCOMPARE(n, 4);
    QCOMPARE(buffer, QString(QStringLiteral("0123") + QChar(0)));
}

void TestPrivateProfile::randomBytesAreReadSafely()
{
    QTemporaryDir dir;
    QRandomGenerator rng(20240611);
    const char alphabet[] = "[]=;\"' \t\r\n\x00\xff\xc3";
    for (int round = 0; round < 40; ++round) {
        QByteArray junk(4096 + round * 97, '\0');
        for (char &c : junk) {
            // Half the bytes from the characters the parser cares about, half anything.
            c = rng.bounded(2) ? alphabet[rng.bounded(int(sizeof alphabet) - 1)]
                               : char(rng.bounded(256));
        }
        const QString path = dir.filePath(QStringLiteral("junk%1.ini").arg(round));
        QVERIFY(writeFile(path, junk + "\n[planted section]\nplanted key = \"found\"\n"));
        for (const char *section : {"", "s", "[", "planted section"}) {
            for (const char *key : {"", "=", "k", "1"}) {
                const QString value = read(path, QLatin1String(section), QLatin1String(key));
                QVERIFY2(!value.startsWith(QLatin1String("<bad")), qPrintable(value));
            }
        }
        QCOMPARE(read(path, QStringLiteral("Planted Section"), QStringLiteral("PLANTED KEY")),
                 QStringLiteral("found"));
    }
}

void TestPrivateProfile::fileChangedBetweenReads_data()
{
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QString>("how");
    QTest::newRow("longer value") << QByteArray("[s]\nk=second value\n") << "write";
    QTest::newRow("same size, written later") << QByteArray("[s]\nk=new\n") << "write";
    QTest::newRow("same size and time, renamed over") << QByteArray("[s]\nk=new\n") << "rename";
}

void TestPrivateProfile::fileChangedBetweenReads()
{
    QFETCH(QByteArray, after);
    QFETCH(QString, how);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("test.ini"));
    QVERIFY(writeFile(path, "[s]\nk=old\n"));
    QCOMPARE(read(path, QStringLiteral("s"), QStringLiteral("k")), QStringLiteral("old"));
    // Read twice, so a reader that only re-parses on every other call would show here.
    QCOMPARE(read(path, QStringLiteral("s"), QStringLiteral("k")), QStringLiteral("old"));
    const QDateTime oldTime = QFileInfo(path).lastModified();

    if (how == QLatin1String("write")) {
        QVERIFY(writeFile(path, after));
        // File times have a coarse grain; an edit made later shows a later time.
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(oldTime.addSecs(2), QFileDevice::FileModificationTime));
    } else {
        QSaveFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(after);
        QVERIFY(f.commit());
        QFile g(path);
        QVERIFY(g.open(QIODevice::ReadWrite));
        QVERIFY(g.setFileTime(oldTime, QFileDevice::FileModificationTime));
    }
    QCOMPARE(read(path, QStringLiteral("s"), QStringLiteral("k")),
             QString::fromLatin1(after.mid(6).chopped(1)));
}

QTEST_MAIN(TestPrivateProfile)
#include "tst_privateprofile.moc"
