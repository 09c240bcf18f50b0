#include "FakeWebBrowser.h"
#include "TestEnv.h"
#include "app/Forms.h"
#include "app/Hosts.h"
#include "app/MDIForm1.h"
#include "browse/Form1.h"
#include "browse/Ope.h"
#include "browse/PageCommands.h"
#include "platform/App.h"
#include "platform/FileLists.h"
#include "platform/Shell.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QtTest>

class TestPageCommands : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void openNavigatesToTheChosenFile_data();
    void openNavigatesToTheChosenFile();
    void doubleClickOpensAndCancelDoesNot();
    void unreadableDriveIsIgnored();
    void viewSource_data();
    void viewSource();
    void pageCommandsReachTheControl_data();
    void pageCommandsReachTheControl();
    void leavingTheProgram_data();
    void leavingTheProgram();

private:
    QList<platform::ShellRequest> m_shell;
};

// The main window with the fake browser, its start-up navigation forgotten.
static FakeWebBrowser *startMain()
{
    Forms::get<MDIForm1>();
    FakeWebBrowser *fake = FakeWebBrowser::last();
    fake->navigations.clear();
    return fake;
}

static void makeFolder(const QString &root)
{
    QDir().mkpath(root + QStringLiteral("/Docs"));
    for (const char *name : {"page.htm", "note.emlx", "picture.gif"}) {
        QFile f(root + QStringLiteral("/Docs/") + QLatin1String(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
}

void TestPageCommands::openNavigatesToTheChosenFile_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("expected");
    QTest::newRow("file in a subfolder") << "Docs"
                                         << "page.htm"
                                         << "Docs/page.htm";
    QTest::newRow("no file selected") << "Docs"
                                      << ""
                                      << "Docs/";
}

void TestPageCommands::openNavigatesToTheChosenFile()
{
    QFETCH(QString, folder);
    QFETCH(QString, file);
    QFETCH(QString, expected);
    TestEnv env;
    makeFolder(env.path());
    FakeWebBrowser *fake = startMain();

    Forms::get<MDIForm1>()->FOpen->trigger();
    QVERIFY(Forms::isLoaded<Ope>());
    Ope *ope = Forms::get<Ope>();
    QVERIFY(ope->Dir1->setPath(env.path() + QLatin1Char('/') + folder));
    ope->Form_Activate();
    QCOMPARE(ope->File1->names(), (QStringList {"note.emlx", "page.htm"}));
    ope->File1->setFileName(file);
    QTest::mouseClick(ope->Command1, Qt::LeftButton);

    QCOMPARE(fake->navigations, QStringList {env.path() + QLatin1Char('/') + expected});
    QVERIFY(!Forms::isLoaded<Ope>());
}

void TestPageCommands::doubleClickOpensAndCancelDoesNot()
{
    TestEnv env;
    makeFolder(env.path());
    FakeWebBrowser *fake = startMain();

    Ope *ope = Forms::Show<Ope>();
    ope->Dir1->setPath(env.path() + QStringLiteral("/Docs"));
    QListWidgetItem *item = ope->File1->findItems("page.htm", Qt::MatchExactly).value(0);
    QVERIFY(item);
    const QPoint at = ope->File1->visualItemRect(item).center();
    QTest::mouseClick(ope->File1->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(ope->File1->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(fake->navigations, QStringList {env.path() + QStringLiteral("/Docs/page.htm")});
    QVERIFY(!Forms::isLoaded<Ope>());

    ope = Forms::Show<Ope>();
    QTest::mouseClick(ope->Command2, Qt::LeftButton);
    QVERIFY(!Forms::isLoaded<Ope>());
    QCOMPARE(fake->navigations.size(), 1);
}

void TestPageCommands::unreadableDriveIsIgnored()
{
    TestEnv env;
    makeFolder(env.path());
    Ope *ope = Forms::Show<Ope>();
    const QString docs = env.path() + QStringLiteral("/Docs");
    ope->Drive1->setVolumes(
        {{docs, "docs"}, {env.path() + "/not-mounted", "gone"}, {env.path(), "here"}});
    ope->Dir1->setPath(docs);
    ope->Drive1->setDrive(ope->Dir1->Path());
    QCOMPARE(ope->Drive1->currentIndex(), 0);

    ope->Drive1->setCurrentIndex(1);
    QCOMPARE(ope->Dir1->Path(), docs);
    QCOMPARE(ope->Drive1->Drive(), docs);
    QCOMPARE(ope->File1->Path(), docs);
    QVERIFY(env.boxes.isEmpty());

    ope->Drive1->setCurrentIndex(2);
    QCOMPARE(ope->Dir1->Path(), env.path());
    QCOMPARE(ope->File1->Path(), env.path());
}

void TestPageCommands::viewSource_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QStringList>("navigations");
    QTest::newRow("empty box does nothing though a page is shown") << "" << QStringList();
    QTest::newRow("the page's address, not the box text")
        << "typed text" << QStringList {"view-source:http://127.0.0.1:8000/a.html"};
}

void TestPageCommands::viewSource()
{
    QFETCH(QString, box);
    QFETCH(QStringList, navigations);
    TestEnv env;
    FakeWebBrowser *fake = startMain();
    fake->locationUrl = QStringLiteral("http://127.0.0.1:8000/a.html");
    MDIForm1 *main = Forms::get<MDIForm1>();
    main->Combo1->setEditText(box);
    main->FViewSource->trigger();
    QCOMPARE(fake->navigations, navigations);
}

void TestPageCommands::pageCommandsReachTheControl_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("option");
    QTest::newRow("Save Web Page") << "FSaveWP" << 4 << 2;
    QTest::newRow("Print") << "FPrint" << 6 << 0;
    QTest::newRow("Print Preview") << "mnuPPreview" << 7 << 0;
}

void TestPageCommands::pageCommandsReachTheControl()
{
    QFETCH(QString, item);
    QFETCH(int, command);
    QFETCH(int, option);
    TestEnv env;
    FakeWebBrowser *fake = startMain();
    QAction *action = Forms::get<MDIForm1>()->findChild<QAction *>(item);
    QVERIFY(action);
    action->trigger();
    QCOMPARE(fake->execCalls, (QList<QPair<int, int>> {{command, option}}));
}

void TestPageCommands::leavingTheProgram_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("navigation");
    QTest::addColumn<QString>("shellFile");
    const QString maker = QLatin1String(hosts::Maker);
    QTest::newRow("Send Link on about:blank")
        << "mnuTSendLink"
        << "about:blank"
        << ""
        << "mailto:friend@recipient.example?subject=I thought you might find this "
           "interesting&body=about:blank";
    QTest::newRow("Send Link keeps the address unencoded")
        << "mnuTSendLink"
        << "http://a.example/x?q=1&r=a b"
        << ""
        << "mailto:friend@recipient.example?subject=I thought you might find this "
           "interesting&body=http://a.example/x?q=1&r=a b";
    QTest::newRow("Suggestions") << "HSuggestions"
                                 << ""
                                 << "mailto:suggestions@kestrelmoor.example?subject=Scoutwell "
                                    "Suggestion"
                                 << "";
    QTest::newRow("Report Bug") << "HRep"
                                << "" << maker + "/forum"
                                << "";
    QTest::newRow("Windows Update") << "mnuTWinUpdate"
                                    << ""
                                    << "http://windowsupdate.microsoft.com"
                                    << "";
    QTest::newRow("Help") << "HHel"
                          << ""
                          << ""
                          << "PROGRAM/Help";
}

void TestPageCommands::leavingTheProgram()
{
    QFETCH(QString, item);
    QFETCH(QString, page);
    QFETCH(QString, navigation);
    QFETCH(QString, shellFile);
    TestEnv env;
    m_shell.clear();
    platform::SetShellHook([this](const platform::ShellRequest &r) {
        m_shell.append(r);
        return 33;
    });
    FakeWebBrowser *fake = startMain();
    fake->locationUrl = page;
    Forms::get<MDIForm1>()->findChild<QAction *>(item)->trigger();
    platform::SetShellHook({});

    QCOMPARE(fake->navigations, navigation.isEmpty() ? QStringList() : QStringList {navigation});
    shellFile.replace(QStringLiteral("PROGRAM"), env.programFolder());
    if (shellFile.isEmpty()) {
        QVERIFY(m_shell.isEmpty());
    } else {
        QCOMPARE(m_shell.size(), 1);
        QCOMPARE(m_shell.first().operation, QStringLiteral("open"));
        QCOMPARE(m_shell.first().file, shellFile);
        QCOMPARE(m_shell.first().parameters, QString());
        QCOMPARE(m_shell.first().showCommand, 1);
    }
}

QTEST_MAIN(TestPageCommands)
#include "tst_pagecommands.moc"
