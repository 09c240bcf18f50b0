#include "FakeWebBrowser.h"
#include "TestEnv.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "platform/CoolBar.h"
#include "platform/FileLists.h"
#include "platform/Settings.h"
#include "settings/Bground.h"
#include "settings/frmSettings.h"

#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using platform::GetSetting;

class TestBground : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void picturePath_data();
    void picturePath();
    void listsPicturesOfTheProgramFolder();
    void previewShowsThePicture();
    void refusesWhatItCannotShow_data();
    void refusesWhatItCannotShow();
    void applyThenSaveOrCancel_data();
    void applyThenSaveOrCancel();
    void escapeLeavesWithoutApplying();
};

static void writePicture(const QString &path, const char *format, QColor colour)
{
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(colour);
    QVERIFY(image.save(path, format));
}

// The program folder of the test with pictures and other files in it.
static void fillProgramFolder(const TestEnv &env)
{
    const QString dir = env.programFolder() + QLatin1Char('/');
    writePicture(dir + "sky.bmp", "BMP", Qt::blue);
    writePicture(dir + "leaf.jpg2", "JPEG", Qt::green);
    writePicture(dir + "sun.png", "PNG", Qt::yellow);
    QFile bad(dir + "broken.gif");
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("not a picture at all");
}

void TestBground::picturePath_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("path");
    QTest::newRow("subfolder") << "/home/u/Pictures"
                               << "sky.bmp"
                               << "/home/u/Pictures/sky.bmp";
    QTest::newRow("root folder") << "/"
                                 << "sky.bmp"
                                 << "/sky.bmp";
    QTest::newRow("no file selected") << "/home/u/Pictures"
                                      << ""
                                      << "/home/u/Pictures/";
}

void TestBground::picturePath()
{
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QFETCH(QString, path);
    QCOMPARE(Bground::PicturePath(folder, name), path);
}

void TestBground::listsPicturesOfTheProgramFolder()
{
    TestEnv env;
    fillProgramFolder(env);
    Forms::get<frmSettings>()->Command4->click();
    QVERIFY(Forms::isLoaded<Bground>());
    Bground *b = Forms::get<Bground>();
    QVERIFY(b->isVisible());
    QCOMPARE(b->Dir1->Path(), env.programFolder());
    QCOMPARE(b->File1->names(), (QStringList {"broken.gif", "leaf.jpg2", "sky.bmp"}));
    QCOMPARE(b->windowFlags() & Qt::FramelessWindowHint, Qt::FramelessWindowHint);
}

void TestBground::previewShowsThePicture()
{
    TestEnv env;
    fillProgramFolder(env);
    Bground *b = Forms::Show<Bground>();
    b->File1->setFileName(QStringLiteral("leaf.jpg2"));
    QTest::mouseClick(b->Command1, Qt::LeftButton);
    const QPixmap shown = b->Image2->pixmap();
    QCOMPARE(shown.size(), QSize(40, 20));
    QVERIFY(b->Image2->hasScaledContents());
    QVERIFY(env.boxes.isEmpty());
}

void TestBground::refusesWhatItCannotShow_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("apply");
    QTest::newRow("preview, nothing selected") << "" << false;
    QTest::newRow("apply, nothing selected") << "" << true;
    QTest::newRow("preview, not a picture") << "broken.gif" << false;
    QTest::newRow("apply, not a picture") << "broken.gif" << true;
}

void TestBground::refusesWhatItCannotShow()
{
    QFETCH(QString, file);
    QFETCH(bool, apply);
    TestEnv env;
    fillProgramFolder(env);
    Forms::get<frmSettings>()->BGRnd->setText(QStringLiteral("kept"));
    Bground *b = Forms::Show<Bground>();
    b->File1->setFileName(file);
    QTest::mouseClick(apply ? b->SetSkin : b->Command1, Qt::LeftButton);

    QCOMPARE(env.boxes.size(), 1);
    QCOMPARE(env.boxes.first().style, int(platform::vbExclamation));
    if (!file.isEmpty())
        QVERIFY(env.boxes.first().prompt.contains(env.programFolder() + "/" + file));
    QVERIFY(Forms::isLoaded<Bground>());
    QVERIFY(b->Image2->pixmap().isNull());
    QCOMPARE(Forms::get<frmSettings>()->BGRnd->text(), QStringLiteral("kept"));
}

void TestBground::applyThenSaveOrCancel_data()
{
    QTest::addColumn<bool>("save");
    QTest::newRow("Apply, then Save") << true;
    QTest::newRow("Apply, then Cancel") << false;
}

void TestBground::applyThenSaveOrCancel()
{
    QFETCH(bool, save);
    TestEnv env;
    fillProgramFolder(env);
    writePicture(env.programFolder() + "/old.bmp", "BMP", Qt::red);
    platform::SaveSetting(QStringLiteral("Bground"), env.programFolder() + "/old.bmp");
    MDIForm1 *main = Forms::get<MDIForm1>();
    QCOMPARE(main->CoolBar1->bandPicture().toImage().pixelColor(0, 0), QColor(Qt::red));

    frmSettings *settings = Forms::Show<frmSettings>();
    settings->Command4->click();
    Bground *b = Forms::get<Bground>();
    b->File1->setFileName(QStringLiteral("sky.bmp"));
    QTest::mouseClick(b->SetSkin, Qt::LeftButton);

    const QString picture = env.programFolder() + QStringLiteral("/sky.bmp");
    QVERIFY(!Forms::isLoaded<Bground>());
    QCOMPARE(settings->BGRnd->text(), picture);
    QCOMPARE(main->CoolBar1->bandPicture().toImage().pixelColor(0, 0), QColor(Qt::blue));
    QCOMPARE(GetSetting(QStringLiteral("Bground")), env.programFolder() + "/old.bmp");

    QTest::mouseClick(save ? settings->cmdSave : settings->Command2, Qt::LeftButton);
    const QString stored = save ? picture : env.programFolder() + "/old.bmp";
    QCOMPARE(GetSetting(QStringLiteral("Bground")), stored);
    QCOMPARE(Forms::get<frmSettings>()->BGRnd->text(), stored);
    // The toolbar keeps the applied picture for the rest of the run either way.
    QVERIFY(!main->CoolBar1->bandPicture().isNull());
}

void TestBground::escapeLeavesWithoutApplying()
{
    TestEnv env;
    fillProgramFolder(env);
    Bground *b = Forms::Show<Bground>();
    b->File1->setFileName(QStringLiteral("sky.bmp"));
    QTest::keyClick(b, Qt::Key_Escape);
    QVERIFY(!Forms::isLoaded<Bground>());
    QCOMPARE(Forms::get<frmSettings>()->BGRnd->text(), QString());
}

QTEST_MAIN(TestBground)
#include "tst_bground.moc"
