#include "TestEnv.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "platform/CoolBar.h"
#include "platform/FileLists.h"
#include "platform/Settings.h"
#include "settings/Bground.h"
#include "settings/frmSettings.h"

#include <QtTest>
#include <QtWidgets>

static void writePicture(const QString &path, const char *format, QColor colour)
{
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(colour);
    QVERIFY(image.save(path, format));
}

// The program folder of the test with two pictures and a file that only pretends to be one.
static QString fillProgramFolder(const TestEnv &env)
{
    const QString dir = env.programFolder() + QLatin1Char('/');
    writePicture(dir + "sky.bmp", "BMP", Qt::blue);
    writePicture(dir + "leaf.jpg2", "JPEG", Qt::green);
    QFile bad(dir + "broken.gif");
    if (bad.open(QIODevice::WriteOnly))
        bad.write("not a picture at all");
    return dir;
}

class TestBground : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void picturePath_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        QTest::newRow("subfolder")
            << "/home/u/Pictures" << QString("sky.bmp") << "/home/u/Pictures/sky.bmp";
        QTest::newRow("root folder") << "/" << QString("sky.bmp") << "/sky.bmp";
        QTest::newRow("no file selected") << "/home/u/Pictures" << QString() << "/home/u/Pictures/";
    }
    void picturePath()
    {
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QFETCH(QString, path);
        QCOMPARE(Bground::PicturePath(folder, name), path);
    }

    // Browse lists the pictures of the program folder. Preview stretches the chosen one into
    // its box; a missing selection or a file that is no picture is reported and changes
    // nothing; Esc leaves without applying.
    void choosing_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("reported");
        QTest::newRow("Preview a picture") << "leaf.jpg2" << QString("Preview") << false;
        QTest::newRow("Preview, nothing selected") << "" << QString("Preview") << true;
        QTest::newRow("Apply, nothing selected") << "" << QString("Apply") << true;
        QTest::newRow("Apply, not a picture") << "broken.gif" << QString("Apply") << true;
        QTest::newRow("Esc leaves without applying") << "sky.bmp" << QString("Esc") << false;
    }
    void choosing()
    {
        QFETCH(QString, file);
        QFETCH(QString, action);
        QFETCH(bool, reported);
        TestEnv env;
        const QString dir = fillProgramFolder(env);
        frmSettings *settings = Forms::get<frmSettings>();
        settings->BGRnd->setText(QStringLiteral("kept"));
        settings->Command4->click();
        Bground *b = Forms::get<Bground>();
        QCOMPARE(b->File1->names(), (QStringList {"broken.gif", "leaf.jpg2", "sky.bmp"}));
        b->File1->setFileName(file);
        if (action == "Esc")
            QTest::keyClick(b, Qt::Key_Escape);
        else
            QTest::mouseClick(action == "Apply" ? b->SetSkin : b->Command1, Qt::LeftButton);
        QCOMPARE(env.boxes.size(), reported ? 1 : 0);
        QVERIFY(!reported || env.boxes[0].style == platform::vbExclamation);
        QVERIFY(!reported || env.boxes[0].prompt.contains(file.isEmpty() ? "choose" : dir + file));
        QCOMPARE(Forms::isLoaded<Bground>(), action != "Esc");
        if (action != "Esc")
            QCOMPARE(b->Image2->pixmap().size(), reported ? QSize(0, 0) : QSize(40, 20));
        QCOMPARE(settings->BGRnd->text(), QStringLiteral("kept"));
    }

    void applyThenSaveOrCancel_data()
    {
        QTest::addColumn<bool>("save");
        QTest::newRow("Apply, then Save") << true;
        QTest::newRow("Apply, then Cancel") << false;
    }
    void applyThenSaveOrCancel()
    {
        QFETCH(bool, save);
        TestEnv env;
        const QString dir = fillProgramFolder(env);
        writePicture(dir + "old.bmp", "BMP", Qt::red);
        platform::SaveSetting(QStringLiteral("Bground"), dir + "old.bmp");
        MDIForm1 *main = Forms::get<MDIForm1>();
        const auto bandColour
            = [main] { return main->CoolBar1->bandPicture().toImage().pixelColor(0, 0); };
        QCOMPARE(bandColour(), QColor(Qt::red));
        frmSettings *settings = Forms::Show<frmSettings>();
        settings->Command4->click();
        Forms::get<Bground>()->File1->setFileName(QStringLiteral("sky.bmp"));
        QTest::mouseClick(Forms::get<Bground>()->SetSkin, Qt::LeftButton);
        QVERIFY(!Forms::isLoaded<Bground>());
        QCOMPARE(settings->BGRnd->text(), dir + "sky.bmp");
        QCOMPARE(bandColour(), QColor(Qt::blue)); // at once, and for the rest of the run
        QTest::mouseClick(save ? settings->cmdSave : settings->Command2, Qt::LeftButton);
        const QString stored = dir + (save ? "sky.bmp" : "old.bmp");
        QCOMPARE(platform::GetSetting(QStringLiteral("Bground")), stored);
        QCOMPARE(bandColour(), QColor(Qt::blue));
    }
};

QTEST_MAIN(TestBground)
#include "tst_bground.moc"
