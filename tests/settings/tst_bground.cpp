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

class TestBground : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void picturePathInTheRootFolder()
    {
        QCOMPARE(Bground::PicturePath(QStringLiteral("/"), QStringLiteral("sky.bmp")),
                 QStringLiteral("/sky.bmp"));
    }

    // Browse lists the pictures of the program folder. Preview stretches the chosen one into
    // its box. Apply puts its path into the settings window and its picture on the band at
    // once, for the rest of the run, whether the settings are then saved or cancelled. A
    // missing selection or a file that is no picture is reported and changes nothing; Esc
    // leaves without applying.
    void choosing_data()
    {
        QTest::addColumn<QString>("file");
        // Apply fails and is reported; Save and Cancel: Apply, then that in the settings.
        QTest::addColumn<QString>("action");
        // clang-format off
        QTest::newRow("Preview a picture")           << "leaf.jpg2"  << "Preview";
        QTest::newRow("Apply, nothing selected")     << ""           << "Apply";
        QTest::newRow("Apply, not a picture")        << "broken.gif" << "Apply";
        QTest::newRow("Esc leaves without applying") << "sky.bmp"    << "Esc";
        QTest::newRow("Apply, then Save")            << "sky.bmp"    << "Save";
        QTest::newRow("Apply, then Cancel")          << "sky.bmp"    << "Cancel";
        // clang-format on
    }
    void choosing()
    {
        QFETCH(QString, file);
        QFETCH(QString, action);
        TestEnv env;
        const QString dir = env.programFolder() + QLatin1Char('/');
        writePicture(dir + "sky.bmp", "BMP", Qt::blue);
        writePicture(dir + "leaf.jpg2", "JPEG", Qt::green);
        writePicture(dir + "old.bmp", "BMP", Qt::red);
        QFile bad(dir + "broken.gif");
        QVERIFY(bad.open(QIODevice::WriteOnly) && bad.write("not a picture at all") > 0);
        bad.close();
        platform::SaveSetting(QStringLiteral("Bground"), dir + "old.bmp");
        MDIForm1 *main = Forms::get<MDIForm1>();
        const auto band
            = [main] { return main->CoolBar1->bandPicture().toImage().pixelColor(0, 0); };
        QCOMPARE(band(), QColor(Qt::red));
        frmSettings *settings = Forms::Show<frmSettings>();
        settings->Command4->click();
        Bground *b = Forms::get<Bground>();
        QCOMPARE(b->File1->names(),
                 (QStringList {"broken.gif", "leaf.jpg2", "old.bmp", "sky.bmp"}));
        b->File1->setFileName(file);
        if (action == "Esc")
            QTest::keyClick(b, Qt::Key_Escape);
        else
            QTest::mouseClick(action == "Preview" ? b->Command1 : b->SetSkin, Qt::LeftButton);

        const bool reported = action == "Apply";
        QCOMPARE(env.boxes.size(), int(reported));
        for (const auto &box : env.boxes)
            QVERIFY(box.style == platform::vbExclamation
                    && box.prompt.contains(file.isEmpty() ? "choose" : dir + file));
        QCOMPARE(Forms::isLoaded<Bground>(), action == "Preview" || reported);
        if (action == "Preview")
            QCOMPARE(b->Image2->pixmap().size(), QSize(40, 20));
        const bool applied = action == "Save" || action == "Cancel";
        QCOMPARE(settings->BGRnd->text(), dir + (applied ? "sky.bmp" : "old.bmp"));
        QCOMPARE(band(), applied ? QColor(Qt::blue) : QColor(Qt::red));
        if (!applied)
            return;
        QTest::mouseClick(action == "Save" ? settings->cmdSave : settings->Command2,
                          Qt::LeftButton);
        QCOMPARE(platform::GetSetting(QStringLiteral("Bground")),
                 dir + (action == "Save" ? "sky.bmp" : "old.bmp"));
        QCOMPARE(band(), QColor(Qt::blue));
    }
};

QTEST_MAIN(TestBground)
#include "tst_bground.moc"
