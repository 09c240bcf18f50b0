#include "FakeWebBrowser.h"
#include "TestEnv.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "browse/Form1.h"
#include "platform/App.h"
#include "platform/CoolBar.h"
#include "platform/Settings.h"
#include "security/Form3.h"
#include "settings/frmSettings.h"

#include <QtTest>
#include <QtWidgets>

namespace {
// "1" or "0" for each of: GO! shown, its item checked, Progress Bar checked, the toolbar
// shown, its item checked.
QString viewState(MDIForm1 *main)
{
    QString state;
    for (bool on :
         {!main->btnGo->isHidden(), main->mnuViewGo->isChecked(), main->mnuViewProgBar->isChecked(),
          main->CoolBar1->isVisible(), main->mnuViewToolbars->isChecked()})
        state += on ? '1' : '0';
    // The address box takes the room GO! leaves.
    if (main->Combo1->maximumWidth() != platform::Twips(main->btnGo->isHidden() ? 4335 : 3855))
        state += " (address box too wide)";
    return state;
}
} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The main window's load from the stored settings; a background picture is a file in the
    // program folder (sky.png a picture, notes.bmp text, gone.bmp missing).
    void load_data()
    {
        QTest::addColumn<QString>("stored"); // key=value;...
        QTest::addColumn<QString>("state"); // as viewState() gives it
        QTest::addColumn<QString>("error"); // start of the critical box's text; "" = no box
        // clang-format off
        QTest::newRow("first start")       << ""                               << "00100" << "";
        QTest::newRow("all on")            << "GoBtn=1;ProgressBar=1;TB=1"     << "11111" << "";
        QTest::newRow("all off")           << "GoBtn=0;ProgressBar=0;TB=0"     << "00000" << "";
        QTest::newRow("odd values: design") << "GoBtn=x;ProgressBar=yes;TB=x"  << "10010" << "";
        QTest::newRow("a blank is not 1")  << "GoBtn= 1;ProgressBar=1 ;TB= 1"  << "10010" << "";
        QTest::newRow("picture")           << "Bground=sky.png;TB=0;GoBtn=0"   << "00100" << "";
        QTest::newRow("missing picture")   << "Bground=gone.bmp;TB=0;GoBtn=0"  << "10010" << "File not found: ";
        QTest::newRow("not a picture")     << "Bground=notes.bmp;TB=0;GoBtn=0" << "10010" << "Invalid picture: ";
        // clang-format on
    }
    void load()
    {
        QFETCH(QString, stored);
        QFETCH(QString, state);
        QFETCH(QString, error);
        TestEnv env;
        const QString folder = env.programFolder() + QLatin1Char('/');
        QFile notes(folder + "notes.bmp");
        QVERIFY(QImage(16, 16, QImage::Format_RGB32).save(folder + "sky.png"));
        QVERIFY(notes.open(QIODevice::WriteOnly) && notes.write("just text") == 9 && notes.flush());
        QString picture;
        for (const QString &setting : stored.split(';', Qt::SkipEmptyParts)) {
            const QString key = setting.section('=', 0, 0), value = setting.section('=', 1);
            platform::SaveSetting(key, key == "Bground" ? picture = folder + value : value);
        }
        platform::SaveSetting(QStringLiteral("Tips"), QStringLiteral("tip of the day"));
        platform::SaveSetting(QStringLiteral("Passcode"), QStringLiteral("abcdefghijkl"));

        MDIForm1 *main = Forms::Show<MDIForm1>();
        QStringList boxes;
        for (const platform::DialogRequest &box : env.boxes)
            boxes << QStringLiteral("%1 %2: %3").arg(box.style).arg(box.title, box.prompt);
        QCOMPARE(boxes,
                 error.isEmpty() ? QStringList()
                                 : QStringList {"16 Scoutwell: " + error + picture});
        // After an error the rest of the load is skipped: the view keeps its design state.
        QCOMPARE(viewState(main), state);
        QCOMPARE(main->CoolBar1->bandPicture().width(), picture.endsWith("png") ? 16 : 0);
        QVERIFY(!main->menuBar()->actions().contains(main->mnuNav->menuAction()));
        QCOMPARE(main->width(), QGuiApplication::primaryScreen()->availableGeometry().width());
        // The browser window opened first, maximized inside the frame, on the blank page.
        QVERIFY(Forms::isLoaded<Form1>());
        auto *sub = qobject_cast<QMdiSubWindow *>(Forms::get<Form1>()->parentWidget());
        QVERIFY(sub && sub->isMaximized() && sub->mdiArea() == main->mdiArea());
        QCOMPARE(main->windowTitle(), QStringLiteral("Scoutwell v3.3 - [Browser]"));
        // The hidden windows' working copies: the passcode's holds ten characters.
        QCOMPARE(Forms::get<frmSettings>()->Label4->text(), QStringLiteral("tip of the day"));
        QCOMPARE(Forms::get<frmSettings>()->BGRnd->text(), picture);
        QCOMPARE(Forms::get<Form3>()->Text4->text(), QStringLiteral("abcdefghij"));
        QVERIFY(!Forms::get<frmSettings>()->isVisible() && !Forms::get<Form3>()->isVisible());
    }

    // Each View item, from the first start's state, is saved at once and undone by a second
    // use.
    void togglesWriteAtOnceAndReturn()
    {
        TestEnv env;
        MDIForm1 *main = Forms::Show<MDIForm1>();
        // clang-format off
        const struct { QAction *item; const char *key, *state; } toggles[] = {
            {main->mnuViewGo,       "GoBtn",       "11100"},
            {main->mnuViewProgBar,  "ProgressBar", "00000"},
            {main->mnuViewToolbars, "TB",          "00111"},
        };
        // clang-format on
        for (const auto &t : toggles) {
            for (const char *state : {t.state, "00100"}) {
                t.item->trigger();
                QCOMPARE(viewState(main), QString(state));
                QCOMPARE(platform::GetSetting(t.key), QString(t.item->isChecked() ? "1" : "0"));
            }
        }
    }

    void editingKeysStayWithTextFields()
    {
        TestEnv env;
        platform::SaveSetting(QStringLiteral("TB"), QStringLiteral("1"));
        MDIForm1 *main = Forms::Show<MDIForm1>();
        QApplication::setActiveWindow(main);
        QVERIFY(QTest::qWaitForWindowActive(main));
        int viewSource = 0, cacheKiller = 0;
        QObject::connect(main->FViewSource, &QAction::triggered, [&] { ++viewSource; });
        QObject::connect(main->TFCache, &QAction::triggered, [&] { ++cacheKiller; });

        // Keys typed in the address box arrive at the combo box, not at its line edit.
        QComboBox *box = main->Combo1;
        box->setFocus();
        QTRY_VERIFY(box->hasFocus());
        QGuiApplication::clipboard()->setText(QStringLiteral("pasted"));
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(box->currentText(), QStringLiteral("pasted"));
        box->lineEdit()->selectAll();
        QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(viewSource + cacheKiller, 0);

        // Outside a text field the same keys are the menu's.
        main->mdiArea()->setFocus();
        QTRY_VERIFY(main->mdiArea()->hasFocus());
        QTest::keyClick(main->mdiArea(), Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(main->mdiArea(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(viewSource + cacheKiller * 2, 3);
    }

    // File > Exit and the title bar's close box.
    void exitAndCloseUnloadEverything()
    {
        for (const bool byCloseBox : {false, true}) {
            TestEnv env;
            MDIForm1 *main = Forms::Show<MDIForm1>();
            Forms::Show<frmSettings>();
            QVERIFY(Forms::isLoaded<Form1>() && Forms::isLoaded<Form3>());
            if (byCloseBox)
                main->close();
            else
                main->FExit->trigger();
            QVERIFY(!Forms::isLoaded<MDIForm1>() && !Forms::isLoaded<Form1>()
                    && !Forms::isLoaded<frmSettings>() && !Forms::isLoaded<Form3>());
            QVERIFY(env.boxes.isEmpty());
        }
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
