#include "HelpWindow.h"
#include "TestEnv.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTreeWidget>
#include <QtTest>

class TestHelp : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void everyLinkLeadsSomewhere();
    void everyMenuCommandIsDescribed();
    void everyWindowIsDescribed_data();
    void everyWindowIsDescribed();
    void contentsOpenTheChosenPage();
};

static QString pageSource(const QString &file)
{
    QFile f(QStringLiteral(":/manual/") + file);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// The whole manual as a reader sees it, without markup.
static QString manualText()
{
    QString all;
    for (const HelpWindow::Page &p : HelpWindow::pages()) {
        QTextDocument doc;
        doc.setHtml(pageSource(QLatin1String(p.file)));
        all += doc.toPlainText() + QLatin1Char('\n');
    }
    return all;
}

void TestHelp::everyLinkLeadsSomewhere()
{
    static const QRegularExpression href(QStringLiteral("href=\"([^\"]*)\""));
    int links = 0;
    for (const HelpWindow::Page &p : HelpWindow::pages()) {
        const QString file = QLatin1String(p.file);
        const QString html = pageSource(file);
        QVERIFY2(!html.isEmpty(), qPrintable(file));
        for (const QRegularExpressionMatch &m : href.globalMatch(html)) {
            const QUrl target = HelpWindow::pageUrl(file).resolved(QUrl(m.captured(1)));
            const QString targetFile = target.adjusted(QUrl::RemoveFragment).fileName();
            const QString targetHtml = pageSource(targetFile);
            QVERIFY2(!targetHtml.isEmpty(), qPrintable(file + " -> " + m.captured(1)));
            if (target.hasFragment()) {
                QVERIFY2(targetHtml.contains("name=\"" + target.fragment() + "\""),
                         qPrintable(file + " -> " + m.captured(1)));
            }
            ++links;
        }
    }
    QVERIFY(links > 40);
}

void TestHelp::everyMenuCommandIsDescribed()
{
    TestEnv env;
    const QString manual = manualText();
    MDIForm1 *main = Forms::get<MDIForm1>();
    QList<QMenu *> menus = main->menuBar()->findChildren<QMenu *>();
    menus.append(main->mnuNav);
    int checked = 0;
    for (QMenu *menu : menus) {
        for (QAction *a : menu->actions()) {
            if (a->isSeparator() || a->menu())
                continue;
            // Favourites read from the file are the user's, not the manual's.
            if (main->mnuFT1.contains(a))
                continue;
            const QString caption = a->text().remove(QLatin1Char('&'));
            QVERIFY2(manual.contains(caption), qPrintable(caption));
            if (!a->shortcut().isEmpty()) {
                const QString key = a->shortcut().toString(QKeySequence::PortableText);
                QVERIFY2(manual.contains(key), qPrintable(caption + " " + key));
            }
            ++checked;
        }
    }
    QVERIFY(checked >= 30);
}

void TestHelp::everyWindowIsDescribed_data()
{
    QTest::addColumn<QString>("caption");
    for (const char *c :
         {"Open", "Change Background", "About", "Licence", "Settings", "Restricted Area", "Login",
          "Security Login", "Change Password", "Scoutwell Search Engine", "Find on the web",
          "Go to keyword ...", "Scoutwell Keywords", "Organize favourites", "History"})
        QTest::newRow(c) << QString::fromLatin1(c);
}

void TestHelp::everyWindowIsDescribed()
{
    QFETCH(QString, caption);
    QVERIFY(manualText().contains(caption));
}

void TestHelp::contentsOpenTheChosenPage()
{
    HelpWindow window;
    QCOMPARE(window.currentPage(), HelpWindow::pageUrl(QStringLiteral("index.html")));
    QCOMPARE(window.contents()->topLevelItemCount(), HelpWindow::pages().size());
    QTreeWidgetItem *keywords = window.contents()->topLevelItem(5);
    QCOMPARE(keywords->text(0), QStringLiteral("Keywords"));
    window.contents()->setCurrentItem(keywords);
    Q_EMIT window.contents()->itemActivated(keywords, 0);
    QCOMPARE(window.currentPage(), HelpWindow::pageUrl(QStringLiteral("keywords.html")));
    QVERIFY(window.browser()->toPlainText().contains(QStringLiteral("tech news")));
    QVERIFY(window.windowTitle().endsWith(QStringLiteral("Keywords")));

    Q_EMIT window.browser()->anchorClicked(QUrl(QStringLiteral("browsing.html#address")));
    QCOMPARE(window.currentPage(), HelpWindow::pageUrl(QStringLiteral("browsing.html#address")));
    QCOMPARE(window.contents()->currentItem()->text(0),
             QStringLiteral("The main window and browsing"));
}

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
