#include "FakeWebBrowser.h"
#include "TestEnv.h"
#include "app/Forms.h"
#include "app/Hosts.h"
#include "app/MDIForm1.h"
#include "browse/Ope.h"
#include "platform/FileLists.h"
#include "platform/Shell.h"

#include <QtTest>
#include <QtWidgets>

// File > Open on the folder Docs, which holds a page, a mail file and a picture; the main
// window's start-up navigation forgotten.
static Ope *openOnDocs(const TestEnv &env)
{
    QDir().mkpath(env.path() + QStringLiteral("/Docs"));
    for (const char *name : {"page.htm", "note.emlx", "picture.gif"})
        (void)QFile(env.path() + QStringLiteral("/Docs/") + QLatin1String(name))
            .open(QIODevice::WriteOnly);
    Forms::get<MDIForm1>()->FOpen->trigger();
    FakeWebBrowser::last()->navigations.clear();
    Ope *ope = Forms::get<Ope>();
    ope->Dir1->setPath(env.path() + QStringLiteral("/Docs"));
    return ope;
}

class TestPageCommands : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The path rule: folder and file joined by one "/", none doubled at the root folder.
    void open_data()
    {
        QTest::addColumn<QString>("folder"); // TEST: the test's folder
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("navigated");
        QTest::newRow("a file in a subfolder")
            << "TEST/Docs" << QString("page.htm") << "TEST/Docs/page.htm";
        QTest::newRow("no file selected") << "TEST/Docs" << QString() << "TEST/Docs/";
        QTest::newRow("root folder") << "/" << QString() << "/";
    }
    void open()
    {
        QFETCH(QString, folder);
        QFETCH(QString, file);
        QFETCH(QString, navigated);
        TestEnv env;
        Ope *ope = openOnDocs(env);
        QCOMPARE(ope->File1->names(), (QStringList {"note.emlx", "page.htm"}));
        QVERIFY(ope->Dir1->setPath(folder.replace("TEST", env.path())));
        ope->File1->setFileName(file);
        QTest::mouseClick(ope->Command1, Qt::LeftButton);
        QCOMPARE(FakeWebBrowser::last()->navigations,
                 QStringList {navigated.replace("TEST", env.path())});
        QVERIFY(!Forms::isLoaded<Ope>());
    }

    // What each page and help command asks of the browser control and of the shell.
    void commands_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("box"); // the address box's text
        QTest::addColumn<QString>("page"); // the control's LocationURL
        QTest::addColumn<QString>("effect");
        const QString a = QStringLiteral("http://127.0.0.1:8000/a.html");
        const QString q = QStringLiteral("http://a.example/x?q=1&r=a b");
        const QString none;
        QTest::newRow("View Source, the page not the box")
            << "FViewSource" << QString("typed") << a << "go view-source:" + a;
        QTest::newRow("View Source, empty box does nothing") << "FViewSource" << none << a << none;
        QTest::newRow("Save Web Page") << "FSaveWP" << none << a << "exec 4,2";
        QTest::newRow("Print") << "FPrint" << none << a << "exec 6,0";
        QTest::newRow("Print Preview") << "mnuPPreview" << none << a << "exec 7,0";
        QTest::newRow("Send Link, the address as one value")
            << "mnuTSendLink" << none << q
            << "shell open|mailto:friend@recipient.example?subject=I thought you might find this "
               "interesting&body=http://a.example/x%3Fq%3D1%26r%3Da%20b||1";
        QTest::newRow("Suggestions")
            << "HSuggestions" << none << none
            << "go mailto:suggestions@kestrelmoor.example?subject=Scoutwell Suggestion";
        QTest::newRow("Help") << "HHel" << none << none << "shell open|PROGRAM/Help||1";
    }
    void commands()
    {
        QFETCH(QString, item);
        QFETCH(QString, box);
        QFETCH(QString, page);
        QFETCH(QString, effect);
        TestEnv env;
        QStringList seen;
        platform::SetShellHook([&seen](const platform::ShellRequest &r) {
            seen << "shell "
                    + QStringList {r.operation, r.file, r.parameters,
                                   QString::number(r.showCommand)}
                          .join('|');
            return 33;
        });
        MDIForm1 *main = Forms::get<MDIForm1>();
        FakeWebBrowser *fake = FakeWebBrowser::last();
        fake->navigations.clear();
        fake->locationUrl = page;
        main->Combo1->setEditText(box);
        main->findChild<QAction *>(item)->trigger();
        platform::SetShellHook({});
        for (const QString &address : fake->navigations)
            seen << "go " + address;
        for (const auto &[command, option] : fake->execCalls)
            seen << QStringLiteral("exec %1,%2").arg(command).arg(option);
        QCOMPARE(seen.join('\n'), effect.replace(QStringLiteral("PROGRAM"), env.programFolder()));
    }

    // What the mail program reads back from Send Link's address is the page's address whole.
    void sendLinkBodyDecodes_data()
    {
        QTest::addColumn<QString>("page");
        QTest::newRow("query, fragment") << "http://a.example/s?q=1&b=2&c=x=y#top";
        QTest::newRow("percent, blanks, plus") << "http://a.example/a%20b/c d?e=1+2%26";
        QTest::newRow("non-ASCII")
            << QString::fromUtf8("http://a.example/stra\u00dfe?q=\u00e9t\u00e9");
        QTest::newRow("about:blank") << "about:blank";
    }
    void sendLinkBodyDecodes()
    {
        QFETCH(QString, page);
        TestEnv env;
        QString mail;
        platform::SetShellHook([&mail](const platform::ShellRequest &r) {
            mail = r.file;
            return 33;
        });
        MDIForm1 *main = Forms::get<MDIForm1>();
        FakeWebBrowser::last()->locationUrl = page;
        main->mnuTSendLink->trigger();
        platform::SetShellHook({});
        // Read as the shell hands it on.
        const QUrl url(mail, QUrl::TolerantMode);
        const QUrlQuery query(url);
        QCOMPARE(url.scheme() + ':' + url.path(), QString("mailto:") + hosts::SendLinkRecipient);
        QCOMPARE(query.queryItemValue("subject", QUrl::FullyDecoded),
                 "I thought you might find this interesting");
        QCOMPARE(query.queryItemValue("body", QUrl::FullyDecoded), page);
    }
};

QTEST_MAIN(TestPageCommands)
#include "tst_pagecommands.moc"
