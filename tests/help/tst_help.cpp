#include "HelpWindow.h"
#include "TestEnv.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"

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
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
