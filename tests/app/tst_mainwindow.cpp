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

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QToolButton>
#include <QtTest>

class TestMainWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void viewSettings_data();
    void viewSettings();
    void togglesWriteAtOnceAndReturn_data();
    void togglesWriteAtOnceAndReturn();
    void carryOnFillsTheWorkingCopies();
    void backgroundPicture_data();
    void backgroundPicture();
    void menuTree();
    void editingKeysStayWithTextFields();
    void exitAndCloseUnloadEverything_data();
    void exitAndCloseUnloadEverything();
};

namespace {
MDIForm1 *loadMain()
{
    return Forms::Show<MDIForm1>();
}
} // namespace

void TestMainWindow::viewSettings_data()
{
    QTest::addColumn<QString>("goBtn"); // "" = absent
    QTest::addColumn<QString>("progress");
    QTest::addColumn<QString>("tb");
    QTest::addColumn<bool>("goShown");
    QTest::addColumn<bool>("goChecked");
    QTest::addColumn<bool>("progChecked");
    QTest::addColumn<bool>("barShown");
    QTest::addColumn<bool>("tbChecked");
    // Design state: GO! and the toolbar visible, nothing checked.
    QTest::newRow("first start") << ""
                                 << ""
                                 << "" << false << false << true << false << false;
    QTest::newRow("all on") << "1"
                            << "1"
                            << "1" << true << true << true << true << true;
    QTest::newRow("all off") << "0"
                             << "0"
                             << "0" << false << false << false << false << false;
    QTest::newRow("odd values keep the design") << "x"
                                                << "yes"
                                                << "x" << true << false << false << true << false;
    QTest::newRow("a blank is not 1") << " 1"
                                      << "1 "
                                      << " 1" << true << false << false << true << false;
}

void TestMainWindow::viewSettings()
{
    QFETCH(QString, goBtn);
    QFETCH(QString, progress);
    QFETCH(QString, tb);
    QFETCH(bool, goShown);
    QFETCH(bool, goChecked);
    QFETCH(bool, progChecked);
    QFETCH(bool, barShown);
    QFETCH(bool, tbChecked);
    TestEnv env;
    const QList<QPair<const char *, QString>> stored
        = {{"GoBtn", goBtn}, {"ProgressBar", progress}, {"TB", tb}};
    for (const auto &kv : stored) {
        if (!kv.second.isEmpty())
            platform::SaveSetting(QLatin1String(kv.first), kv.second);
    }
    MDIForm1 *main = loadMain();
    QCOMPARE(!main->btnGo->isHidden(), goShown);
    QCOMPARE(main->Combo1->width(), platform::Twips(goShown ? 3855 : 4335));
    QCOMPARE(main->mnuViewGo->isChecked(), goChecked);
    QCOMPARE(main->mnuViewProgBar->isChecked(), progChecked);
    QCOMPARE(main->CoolBar1->isVisible(), barShown);
    QCOMPARE(main->mnuViewToolbars->isChecked(), tbChecked);
    QVERIFY(env.boxes.isEmpty());
    // The browser window opened maximized inside the frame, on the blank page.
    auto *sub = qobject_cast<QMdiSubWindow *>(Forms::get<Form1>()->parentWidget());
    QVERIFY(sub && sub->isMaximized());
    QCOMPARE(sub->mdiArea(), main->mdiArea());
    QCOMPARE(main->windowTitle(), QStringLiteral("Scoutwell v3.3 - [Browser]"));
}

void TestMainWindow::togglesWriteAtOnceAndReturn_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("key");
    QTest::newRow("GO! button") << "mnuViewGo"
                                << "GoBtn";
    QTest::newRow("Progress Bar") << "mnuViewProgBar"
                                  << "ProgressBar";
    QTest::newRow("Toolbar") << "mnuViewToolbars"
                             << "TB";
}

void TestMainWindow::togglesWriteAtOnceAndReturn()
{
    QFETCH(QString, item);
    QFETCH(QString, key);
    TestEnv env;
    MDIForm1 *main = loadMain();
    auto *action = main->findChild<QAction *>(item);
    QVERIFY(action);
    const bool before = action->isChecked();
    const bool goBefore = !main->btnGo->isHidden();
    const bool barBefore = main->CoolBar1->isVisible();

    action->trigger();
    QCOMPARE(action->isChecked(), !before);
    QCOMPARE(platform::GetSetting(key), before ? QStringLiteral("0") : QStringLiteral("1"));
    if (item == QLatin1String("mnuViewGo")) {
        QCOMPARE(!main->btnGo->isHidden(), !goBefore);
        QCOMPARE(main->Combo1->width(), platform::Twips(goBefore ? 4335 : 3855));
    }
    if (item == QLatin1String("mnuViewToolbars"))
        QCOMPARE(main->CoolBar1->isVisible(), !barBefore);

    action->trigger();
    QCOMPARE(action->isChecked(), before);
    QCOMPARE(platform::GetSetting(key), before ? QStringLiteral("1") : QStringLiteral("0"));
    QCOMPARE(!main->btnGo->isHidden(), goBefore);
    QCOMPARE(main->CoolBar1->isVisible(), barBefore);
}

void TestMainWindow::carryOnFillsTheWorkingCopies()
{
    TestEnv env;
    platform::SaveSetting(QStringLiteral("Tips"), QStringLiteral("tip of the day"));
    platform::SaveSetting(QStringLiteral("Passcode"), QStringLiteral("abcdefghijkl"));
    MDIForm1 *main = loadMain();
    QCOMPARE(Forms::get<frmSettings>()->Label4->text(), QStringLiteral("tip of the day"));
    QVERIFY(!Forms::get<frmSettings>()->isVisible());
    // The working copy holds ten characters at most.
    QCOMPARE(Forms::get<Form3>()->Text4->text(), QStringLiteral("abcdefghij"));
    QVERIFY(!Forms::get<Form3>()->isVisible());
    QCOMPARE(main->width(), QGuiApplication::primaryScreen()->availableGeometry().width());
}

void TestMainWindow::backgroundPicture_data()
{
    QTest::addColumn<QString>("file"); // written into the program folder; "" = none
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("error"); // start of the critical box's text; "" = no box
    QTest::newRow("picture") << "sky.png" << QByteArray("png") << "";
    QTest::newRow("missing file") << "gone.bmp" << QByteArray() << "File not found: ";
    QTest::newRow("not a picture") << "notes.bmp" << QByteArray("just text") << "Invalid picture: ";
}

void TestMainWindow::backgroundPicture()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, content);
    QFETCH(QString, error);
    TestEnv env;
    const QString path = env.programFolder() + QLatin1Char('/') + file;
    if (content == "png") {
        QImage image(16, 16, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        QVERIFY(image.save(path));
    } else if (!content.isEmpty()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    platform::SaveSetting(QStringLiteral("Bground"), path);
    platform::SaveSetting(QStringLiteral("TB"), QStringLiteral("0"));
    platform::SaveSetting(QStringLiteral("GoBtn"), QStringLiteral("0"));

    MDIForm1 *main = loadMain();
    QCOMPARE(Forms::get<frmSettings>()->BGRnd->text(), path);
    if (error.isEmpty()) {
        QVERIFY(env.boxes.isEmpty());
        QCOMPARE(main->CoolBar1->bandPicture().size(), QSize(16, 16));
        QVERIFY(!main->CoolBar1->isVisible());
        return;
    }
    QCOMPARE(env.boxes.size(), 1);
    QCOMPARE(env.boxes[0].style, 16);
    QCOMPARE(env.boxes[0].prompt, error + path);
    QCOMPARE(env.boxes[0].title, QStringLiteral("Scoutwell"));
    // The rest of the load was skipped: the view keeps its design state.
    QVERIFY(main->CoolBar1->isVisible());
    QVERIFY(!main->btnGo->isHidden());
    QVERIFY(!main->mnuViewToolbars->isChecked());
    QVERIFY(!main->mnuViewProgBar->isChecked());
    // The browser window had opened before the error.
    QVERIFY(Forms::isLoaded<Form1>());
}

void TestMainWindow::menuTree()
{
    TestEnv env;
    MDIForm1 *main = loadMain();
    // One line a menu: its caption and name, then each item as caption/name/shortcut; a
    // separator is "-/name". The favourites follow mnuFT1; the test profile has none.
    const QStringList expected = {
        "&File FFile: Show Browser/FShow/, -/FSe, Open/FOpen/Ctrl+O, Save Web Page/FSaveWP/Ctrl+W, "
        "Print/FPrint/Ctrl+P, Print Preview/mnuPPreview/Ctrl+Z, -/FSep, "
        "View Source/FViewSource/Ctrl+V, -/FSepe, Exit/FExit/Ctrl+E",
        "&Tools TTools: Settings/TSettings/F8, Security/TSecurity/F9, -/TSeper, "
        "Cache Killer/TFCache/Ctrl+C, -/TSep, Find Freeware/TFFw/F2, Find on the web/TFotw/F3, "
        "-/mnuSeperator1, Mail/mnuTMail/, Windows Update/mnuTWinUpdate/, -/mnuTDownloadsSep, "
        "Downloads/mnuTDownloads/Ctrl+J",
        "&Favourites mnuFavs: Kestrelmoor Works/mnuFTG/, -/mnuSeperator, "
        "Go to keyword .../mnuFKeywords/, Organize Favourites/mnuOrganize/, -/mnuFT1",
        "&View mnuView: GO! button/mnuViewGo/, Progress Bar/mnuViewProgBar/, -/mnuVSep, "
        "Toolbar/mnuViewToolbars/",
        "&Help HHelp: Help/HHel/F1, -/HSep, About/HAbout/, Licence/HLicence/, "
        "Report Bug/HRep/, Suggestions/HSuggestions/",
        // Not in the menu bar, but its shortcuts belong to the window.
        "Navigation mnuNav: Back/mnuBack/Ctrl+B, Forward/mnuForward/Ctrl+F, Stop/mnuStop/Ctrl+S, "
        "Refresh/mnuRefresh/F5, Home/mnuHome/Ctrl+H, Search/mnuSearch/F12",
    };
    QList<QMenu *> menus;
    for (QAction *top : main->menuBar()->actions())
        menus.append(top->menu());
    menus.append(main->mnuNav);
    QStringList seen;
    for (QMenu *menu : menus) {
        QStringList items;
        for (QAction *a : menu->actions()) {
            items.append(a->isSeparator() ? QStringLiteral("-/") + a->objectName()
                                          : a->text() + QLatin1Char('/') + a->objectName()
                                 + QLatin1Char('/') + a->shortcut().toString());
            if (a->objectName() == QLatin1String("mnuFT1"))
                break;
        }
        seen.append(menu->title() + QLatin1Char(' ') + menu->objectName() + QStringLiteral(": ")
                    + items.join(QStringLiteral(", ")));
    }
    QCOMPARE(seen, expected);
    QVERIFY(!main->menuBar()->actions().contains(main->mnuNav->menuAction()));
    for (QAction *a : main->mnuNav->actions())
        QVERIFY(main->actions().contains(a));
    QCOMPARE(main->mnuTSendLink->text(), QStringLiteral("Send Link"));
}

void TestMainWindow::editingKeysStayWithTextFields()
{
    TestEnv env;
    platform::SaveSetting(QStringLiteral("TB"), QStringLiteral("1"));
    MDIForm1 *main = loadMain();
    QApplication::setActiveWindow(main);
    QVERIFY(QTest::qWaitForWindowActive(main));
    int viewSource = 0;
    int cacheKiller = 0;
    QObject::connect(main->FViewSource, &QAction::triggered, [&] { ++viewSource; });
    QObject::connect(main->TFCache, &QAction::triggered, [&] { ++cacheKiller; });

    QLineEdit *box = main->Combo1->lineEdit();
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    QGuiApplication::clipboard()->setText(QStringLiteral("pasted"));
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(box->text(), QStringLiteral("pasted"));
    box->selectAll();
    QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(viewSource, 0);
    QCOMPARE(cacheKiller, 0);

    // Outside a text field the same keys are the menu's.
    main->mdiArea()->setFocus();
    QTRY_VERIFY(main->mdiArea()->hasFocus());
    QTest::keyClick(main->mdiArea(), Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(main->mdiArea(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(viewSource, 1);
    QCOMPARE(cacheKiller, 1);
}

void TestMainWindow::exitAndCloseUnloadEverything_data()
{
    QTest::addColumn<bool>("byCloseBox");
    QTest::newRow("File > Exit") << false;
    QTest::newRow("title-bar close") << true;
}

void TestMainWindow::exitAndCloseUnloadEverything()
{
    QFETCH(bool, byCloseBox);
    TestEnv env;
    MDIForm1 *main = loadMain();
    Forms::Show<frmSettings>();
    QVERIFY(Forms::isLoaded<Form1>() && Forms::isLoaded<Form3>());
    if (byCloseBox)
        main->close();
    else
        main->FExit->trigger();
    QVERIFY(!Forms::isLoaded<MDIForm1>());
    QVERIFY(!Forms::isLoaded<Form1>());
    QVERIFY(!Forms::isLoaded<frmSettings>());
    QVERIFY(!Forms::isLoaded<Form3>());
    QVERIFY(env.boxes.isEmpty());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
