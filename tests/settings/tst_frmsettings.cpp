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

using platform::GetSetting;
using platform::SaveSetting;

static QStringList fields(const frmSettings *w)
{
    return {w->txtStartPage->text(), w->txtHomePage->text(), w->SE->text(), w->BGRnd->text()};
}

class TestFrmSettings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Reading a field creates the window hidden and loads it from the store; the splash box
    // follows "1" and "0", stores its state when the load changes it, and leaves odd texts.
    // Save stores every field exactly as typed, an empty one too, and says a restart is
    // needed. Then the default buttons change only the fields and Cancel stores none of them;
    // a click on the splash box writes at once and Cancel does not take it back. Each use
    // loads the window afresh from the store.
    void saveThenCancel_data()
    {
        QTest::addColumn<QString>("showSplash"); // "" = absent
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<QString>("splashAfter");
        // clang-format off
        QTest::newRow("fresh profile")        << ""    << true  << "1";
        QTest::newRow("off")                  << "0"   << false << "0";
        QTest::newRow("odd value left alone") << "yes" << false << "yes";
        // clang-format on
    }
    void saveThenCancel()
    {
        QFETCH(QString, showSplash);
        QFETCH(bool, ticked);
        QFETCH(QString, splashAfter);
        TestEnv env;
        if (!showSplash.isEmpty())
            SaveSetting(QStringLiteral("ShowSplash"), showSplash);
        frmSettings *w = Forms::get<frmSettings>();
        QVERIFY(!w->isVisible());
        QCOMPARE(fields(w), QStringList({"", "", "http://www.dogpile.com", ""}));
        QCOMPARE(w->chkSplash->isChecked(), ticked);
        QCOMPARE(env.storedSettings(), QStringList {"ShowSplash=" + splashAfter});

        Forms::Show<frmSettings>();
        w->txtStartPage->setText(QStringLiteral(" not an address, really; "));
        w->SE->setText(QStringLiteral("http://se.example/?q="));
        w->BGRnd->setText(QStringLiteral("/pictures/sky.bmp"));
        QTest::mouseClick(w->cmdSave, Qt::LeftButton);
        QStringList stored {"Bground=/pictures/sky.bmp", "Home Page=",
                            "Search-Engine=http://se.example/?q=", "ShowSplash=" + splashAfter,
                            "Start Page= not an address, really; "};
        QCOMPARE(env.storedSettings(), stored);
        QCOMPARE(env.boxes.size(), 1);
        QVERIFY(env.boxes[0].style == platform::vbInformation
                && env.boxes[0].prompt.contains("re-load Scoutwell"));
        QVERIFY(!Forms::isLoaded<frmSettings>());

        w = Forms::Show<frmSettings>();
        const QStringList saved = fields(w);
        QCOMPARE(saved.join('|'),
                 " not an address, really; ||http://se.example/?q=|/pictures/sky.bmp");
        for (QAbstractButton *button : std::initializer_list<QAbstractButton *> {
                 w->Command1, w->Command3, w->Command6, w->chkSplash})
            QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(fields(w),
                 QStringList({"about:blank", "about:blank", "http://www.aesop.example",
                              "/pictures/sky.bmp"}));
        QTest::mouseClick(w->Command2, Qt::LeftButton);
        stored[3] = ticked ? "ShowSplash=0" : "ShowSplash=1";
        QCOMPARE(env.storedSettings(), stored);
        QCOMPARE(env.boxes.size(), 1);
        QCOMPARE(fields(Forms::get<frmSettings>()), saved);
    }

    // The background chooser lists the pictures of the program folder; Preview stretches the
    // chosen one into its box. Apply puts its path into the settings window and its picture
    // on the band at once, for the rest of the run, whether the settings are then saved or
    // cancelled. A missing selection or a file that is no picture is reported and changes
    // nothing; Esc leaves without applying.
    void background_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("action"); // Save and Cancel: Apply, then that
        // clang-format off
        QTest::newRow("Preview a picture")           << "leaf.jpg2"  << "Preview";
        QTest::newRow("Apply, nothing selected")     << ""           << "Apply";
        QTest::newRow("Apply, not a picture")        << "broken.gif" << "Apply";
        QTest::newRow("Esc leaves without applying") << "sky.bmp"    << "Esc";
        QTest::newRow("Apply, then Save")            << "sky.bmp"    << "Save";
        QTest::newRow("Apply, then Cancel")          << "sky.bmp"    << "Cancel";
        // clang-format on
    }
    void background()
    {
        QFETCH(QString, file);
        QFETCH(QString, action);
        QCOMPARE(Bground::PicturePath("/", "sky.bmp"), QStringLiteral("/sky.bmp"));
        TestEnv env;
        const QString dir = env.programFolder() + QLatin1Char('/');
        for (auto [name, colour] :
             {std::pair {"sky.bmp", Qt::blue}, {"leaf.jpg2", Qt::green}, {"old.bmp", Qt::red}}) {
            QImage image(40, 20, QImage::Format_RGB32);
            image.fill(colour);
            QVERIFY(image.save(dir + name, name[0] == 'l' ? "JPEG" : "BMP"));
        }
        QFile bad(dir + "broken.gif");
        QVERIFY(bad.open(QIODevice::WriteOnly) && bad.write("not a picture at all") > 0);
        bad.close();
        SaveSetting(QStringLiteral("Bground"), dir + "old.bmp");
        MDIForm1 *main = Forms::get<MDIForm1>();
        const auto band
            = [main] { return main->CoolBar1->bandPicture().toImage().pixelColor(0, 0); };
        QCOMPARE(band(), QColor(Qt::red));
        frmSettings *settings = Forms::Show<frmSettings>();
        settings->Command4->click();
        Bground *b = Forms::get<Bground>();
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
        QCOMPARE(GetSetting(QStringLiteral("Bground")),
                 dir + (action == "Save" ? "sky.bmp" : "old.bmp"));
        QCOMPARE(band(), QColor(Qt::blue));
    }
};

QTEST_MAIN(TestFrmSettings)
#include "tst_frmsettings.moc"
