#include "FakeWebBrowser.h"
#include "TestEnv.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "browse/Ope.h"
#include "platform/FileLists.h"
#include "platform/Shell.h"

#include <QtTest>
#include <QtWidgets>

class TestPageCommands : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The path rule: folder and file joined by one "/", none doubled at the root folder.
    void open()
    {
        TestEnv env;
        const QString docs = env.path() + QStringLiteral("/Docs");
        QDir().mkpath(docs);
        for (const char *name : {"page.htm", "note.emlx", "picture.gif"})
            QVERIFY(QFile(docs + '/' + name).open(QIODevice::WriteOnly));
        // clang-format off
        const QStringList rows[] = { // folder, file, the address opened
            {docs, "page.htm", docs + "/page.htm"},
            {docs, "",         docs + "/"},
            {"/",  "",         "/"},
        };
        // clang-format on
        for (const QStringList &r : rows) {
            Forms::get<MDIForm1>()->FOpen->trigger();
            FakeWebBrowser::last()->navigations.clear();
            Ope *ope = Forms::get<Ope>();
            QVERIFY(ope->Dir1->setPath(docs)); // the list leaves the picture out
            QCOMPARE(ope->File1->names(), (QStringList {"note.emlx", "page.htm"}));
            QVERIFY(ope->Dir1->setPath(r[0]));
            ope->File1->setFileName(r[1]);
            QTest::mouseClick(ope->Command1, Qt::LeftButton);
            QCOMPARE(FakeWebBrowser::last()->navigations, QStringList {r[2]});
            QVERIFY(!Forms::isLoaded<Ope>());
        }
    }

    // What each page and help command asks of the browser control and of the shell.
    void commands_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("box"); // the address box's text
        QTest::addColumn<QString>("page"); // the control's LocationURL
        QTest::addColumn<QString>("effect");
        const QString a = QStringLiteral("http://127.0.0.1:8000/a.html"), none;
        const QString help = "shell open|PROGRAM/Help||1", source = "go view-source:" + a;
        // clang-format off
        QTest::newRow("View Source: the page") << "FViewSource"  << "typed" << a << source;
        QTest::newRow("View Source: no text")  << "FViewSource"  << none << a << none;
        QTest::newRow("Save Web Page")         << "FSaveWP"      << none << a << "exec 4,2";
        QTest::newRow("Print")                 << "FPrint"       << none << a << "exec 6,0";
        QTest::newRow("Print Preview")         << "mnuPPreview"  << none << a << "exec 7,0";
        QTest::newRow("Help")                  << "HHel"         << none << none << help;
        QTest::newRow("Suggestions")           << "HSuggestions" << none << none
            << "go mailto:suggestions@kestrelmoor.example?subject=Scoutwell Suggestion";
        // Send Link: what the mail program reads back as the body is the page's address whole.
        const QString mail = "shell open|mailto:friend@recipient.example?subject=I thought you "
                             "might find this interesting&body=";
        for (const QString p : {"http://a.example/s?q=1&b=2&c=x=y#top", "about:blank",
                                "http://a.example/a%20b/c d?e=1+2%26",
                                "http://a.example/stra\u00dfe?q=\u00e9t\u00e9"})
            QTest::addRow("Send Link, %s", qPrintable(p)) << "mnuTSendLink" << none << p << mail + p + "||1";
        // clang-format on
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
            QString file = r.file;
            if (file.startsWith("mailto:")) // its body as the mail program decodes it
                file = file.section("&body=", 0, 0) + "&body="
                    + QUrlQuery(QUrl(file, QUrl::TolerantMode))
                          .queryItemValue("body", QUrl::FullyDecoded);
            seen << "shell "
                    + QStringList {r.operation, file, r.parameters, QString::number(r.showCommand)}
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
};

QTEST_MAIN(TestPageCommands)
#include "tst_pagecommands.moc"
