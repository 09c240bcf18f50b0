#include "HelpWindow.h"
#include "TestEnv.h"
#include "app/Forms.h"
#include "app/Hosts.h"
#include "app/MDIForm1.h"
#include "info/About.h"
#include "platform/App.h"
#include "platform/Shell.h"

#include <QtTest>
#include <QtWidgets>

// The captions of the windows a person meets.
static const char kWindows[] = "Open|Change Background|About|Licence|Settings|Restricted Area|"
                               "Login|Security Login|Change Password|Scoutwell Search Engine|"
                               "Find on the web|Go to keyword ...|Scoutwell Keywords|"
                               "Organize favourites|History";

class TestHelp : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Every window by its caption, and every menu command by its caption and shortcut (the
    // favourites read from the file are the user's, not the manual's), in the manual as a
    // reader sees it, without markup.
    void everyWindowAndCommandIsDescribed()
    {
        TestEnv env;
        QString manual;
        for (const HelpWindow::Page &p : HelpWindow::pages()) {
            QFile f(QStringLiteral(":/manual/") + QLatin1String(p.file));
            QVERIFY(f.open(QIODevice::ReadOnly));
            QTextDocument doc;
            doc.setHtml(QString::fromUtf8(f.readAll()));
            manual += doc.toPlainText() + QLatin1Char('\n');
        }
        QStringList described = QString::fromLatin1(kWindows).split('|');
        MDIForm1 *main = Forms::get<MDIForm1>();
        const QList<QMenu *> menus = main->menuBar()->findChildren<QMenu *>() << main->mnuNav;
        for (QMenu *menu : menus) {
            for (QAction *a : menu->actions()) {
                if (!a->isSeparator() && !a->menu() && !main->mnuFT1.contains(a))
                    described << a->text().remove('&')
                              << a->shortcut().toString(QKeySequence::PortableText);
            }
        }
        QVERIFY(described.size() > 15 + 2 * 30);
        for (const QString &text : described)
            QVERIFY2(manual.contains(text), qPrintable(text));
    }
    // About shows the build's version; only its ownership line opens the maker's site.
    void aboutShowsTheBuildAndOpensTheMakersSite()
    {
        QCOMPARE(platform::VersionText(4, 10), QStringLiteral("4.10")); // not 4.1
        TestEnv env;
        QStringList opened;
        platform::SetShellHook([&opened](const platform::ShellRequest &r) {
            opened << r.operation + ' ' + r.file + ' ' + QString::number(r.showCommand);
            return 33;
        });
        About *about = Forms::Show<About>();
        QCOMPARE(about->Label13->text(), QStringLiteral("3.3"));
        QTest::mouseClick(about->Label16, Qt::LeftButton);
        QTest::mouseClick(about->Label6, Qt::LeftButton);
        platform::SetShellHook({});
        QCOMPARE(opened, QStringList {"open " + QLatin1String(hosts::Maker) + " 1"});
        QTest::mouseClick(about->Command1, Qt::LeftButton);
        QVERIFY(!Forms::isLoaded<About>());
    }
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
