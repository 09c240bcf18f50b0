#include "CacheFiles.h"
#include "HelpWindow.h"
#include "TestEnv.h"
#include "app/App.h"
#include "app/Forms.h"
#include "app/Hosts.h"
#include "app/MDIForm1.h"
#include "app/frmSplash.h"
#include "browse/Form1.h"
#include "compat/FileLists.h"
#include "compat/Shell.h"
#include "compat/UrlCache.h"
#include "find/FFw.h"
#include "history/history.h"
#include "info/About.h"
#include "security/Form3.h"
#include "security/Security2.h"
#include "security/frmLogin.h"
#include "settings/Bground.h"
#include "settings/frmSettings.h"
#include "widgets/CoolBar.h"

#include <QtTest>
#include <QtWidgets>

namespace {
// "1" or "0" for each of: GO! shown, its item checked, Progress Bar checked, the toolbar
// shown, its item checked.
QString viewState(MDIForm1 *main)
{
    QString state;
    for (bool on : {!control<QToolButton>(main, "btnGo")->isHidden(),
                    control<QAction>(main, "mnuViewGo")->isChecked(),
                    control<QAction>(main, "mnuViewProgBar")->isChecked(),
                    control<CoolBar>(main, "CoolBar1")->isVisible(),
                    control<QAction>(main, "mnuViewToolbars")->isChecked()})
        state += on ? '1' : '0';
    return state;
}

// Style, title and text of each box shown.
QStringList shown(const TestEnv &env)
{
    QStringList boxes;
    for (const compat::DialogRequest &box : env.boxes)
        boxes << QStringLiteral("%1 %2: %3").arg(box.style).arg(box.title, box.prompt);
    return boxes;
}

QStringList fields(const frmSettings *w)
{
    return {w->txtStartPage->text(), w->txtHomePage->text(), w->SE->text(), w->BGRnd->text()};
}

// Exit and the close box take every window with them, hidden ones too.
bool noneLoaded()
{
    return !Forms::isLoaded<MDIForm1>() && !Forms::isLoaded<Form1>()
        && !Forms::isLoaded<frmSettings>() && !Forms::isLoaded<Form3>();
}

// Remembers how many lines the history window's list held when the window first showed.
struct ShowWatcher : QObject
{
    int linesAtShow = -1;
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (auto *h = qobject_cast<history *>(o); h && e->type() == QEvent::Show)
            linesAtShow = linesAtShow < 0 ? h->List1->count() : linesAtShow;
        return false;
    }
};
// The captions of the windows a person meets.
const char kWindows[] = "Open|Change Background|About|Licence|Settings|Restricted Area|"
                        "Login|Security Login|Change Password|Scoutwell Search Engine|"
                        "Find on the web|Go to keyword ...|Scoutwell Keywords|"
                        "Organize favourites|History|Guard";
} // namespace

// The start-up, the main window, the settings, history and About windows it opens, and its
// manual.
class TestMainWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The start-up decisions: which window opens, and when. A fresh profile's start and what it
    // stores are the end-to-end start-up run's.
    void startup()
    {
        // clang-format off
        const struct { QString showSplash, pprog, afterTick; } rows[] = { // "": nothing stored
            {"",    "",   "main"},
            {"1",   "1",  "login"},
            {"1",   "2",  "splash"}, // an odd lock keeps waiting
            {"1",   " 1", "splash"}, // a blank is odd too
            {"yes", "1",  "login"},  // an odd splash text acts as on
            {"0",   "1",  "main"},   // without the splash the lock is never consulted
        };
        // clang-format on
        for (const auto &[showSplash, pprog, afterTick] : rows) {
            TestEnv env;
            if (!showSplash.isEmpty())
                compat::SaveSetting(QStringLiteral("ShowSplash"), showSplash);
            if (!pprog.isEmpty())
                compat::SaveSetting(QStringLiteral("PProg"), pprog);
            Forms::Show<frmSplash>();
            QCOMPARE(Forms::isLoaded<frmSplash>(), showSplash != "0");
            if (Forms::isLoaded<frmSplash>()) {
                QVERIFY(Forms::get<frmSplash>()->isVisible() && !Forms::isLoaded<MDIForm1>());
                // Two ticks: an odd value must survive more than one check.
                for (int tick = 0; tick < 2 && Forms::isLoaded<frmSplash>(); ++tick)
                    Forms::get<frmSplash>()->Timer1_Timer();
            }
            QCOMPARE(Forms::isLoaded<frmSplash>() && Forms::get<frmSplash>()->Timer1->isActive(),
                     afterTick == "splash");
            QCOMPARE(Forms::isLoaded<MDIForm1>() && Forms::get<MDIForm1>()->isVisible(),
                     afterTick == "main");
            QCOMPARE(Forms::isLoaded<frmLogin>() && Forms::get<frmLogin>()->isVisible(),
                     afterTick == "login");
            if (afterTick == "splash")
                QCOMPARE(Forms::get<Security2>()->lblProgram->text(), pprog);
            QVERIFY(env.boxes.isEmpty());
            // The settings window's splash box follows "1" and "0", stores its state when its
            // load changes it, leaves odd texts, and writes a click at once.
            const QString splash = showSplash.isEmpty() ? "1" : showSplash;
            QCOMPARE(Forms::get<frmSettings>()->chkSplash->isChecked(), splash == "1");
            QCOMPARE(compat::GetSetting("ShowSplash"), splash);
            QTest::mouseClick(Forms::Show<frmSettings>()->chkSplash, Qt::LeftButton);
            QCOMPARE(compat::GetSetting("ShowSplash"), splash == "1" ? "0" : "1");
        }
    }

    // The main window's load from the stored settings, then File > Exit. A background picture
    // is a file in the program folder (notes.bmp text, gone.bmp missing; a real one is the
    // chooser test's); an error skips the rest of the load, and the view keeps its design state
    // (as viewState() gives it).
    void loadThenExit()
    {
        // clang-format off
        const struct { QString stored, state, error; } rows[] = { // error: the critical box's start
            {"",                               "00100", ""},
            {"GoBtn=1;ProgressBar=1;TB=1",     "11111", ""},
            {"GoBtn=0;ProgressBar=0;TB=0",     "00000", ""},
            {"GoBtn=x;ProgressBar=yes;TB=x",   "10010", ""}, // odd values: the design's state
            {"GoBtn= 1;ProgressBar=1 ;TB= 1",  "10010", ""}, // a blank is not 1
            {"Bground=gone.bmp;TB=0;GoBtn=0",  "10010", "File not found: "},
            {"Bground=notes.bmp;TB=0;GoBtn=0", "10010", "Invalid picture: "},
        };
        // clang-format on
        for (const auto &[stored, state, error] : rows) {
            TestEnv env;
            const QString folder = env.programFolder() + QLatin1Char('/');
            QVERIFY(putFile(folder + "notes.bmp", "just text"));
            const QString picture = folder + stored.section("Bground=", 1).section(';', 0, 0);
            for (const QString &setting : (stored + ";Tips=tip of the day;Passcode=abcdefghijkl")
                                              .split(';', Qt::SkipEmptyParts))
                compat::SaveSetting(setting.section('=', 0, 0),
                                    (setting.startsWith("Bground") ? folder : "")
                                        + setting.section('=', 1));
            MDIForm1 *main = Forms::Show<MDIForm1>();
            QCOMPARE(shown(env),
                     error.isEmpty() ? QStringList()
                                     : QStringList {"16 Scoutwell: " + error + picture});
            QCOMPARE(viewState(main), state);
            // The browser window opened first, maximized inside the frame.
            auto *sub = qobject_cast<QMdiSubWindow *>(Forms::get<Form1>()->parentWidget());
            QVERIFY(sub && sub->isMaximized() && sub->mdiArea() == main->mdiArea());
            // The hidden windows' working copies: the passcode's holds ten characters.
            QCOMPARE(Forms::get<frmSettings>()->Label4->text(), QStringLiteral("tip of the day"));
            QCOMPARE(Forms::get<Form3>()->Text4->text(), QStringLiteral("abcdefghij"));
            QVERIFY(!Forms::get<frmSettings>()->isVisible() && !Forms::get<Form3>()->isVisible());
            control<QAction>(main, "FExit")->trigger();
            QVERIFY(noneLoaded());
        }
    }

    // Each View item, from the first start's state, is saved at once and undone by a second
    // use; then the title bar's close box.
    void togglesThenClose()
    {
        TestEnv env;
        MDIForm1 *main = Forms::Show<MDIForm1>();
        // clang-format off
        const struct { QAction *item; const char *key, *state; } toggles[] = {
            {control<QAction>(main, "mnuViewGo"),       "GoBtn",       "11100"},
            {control<QAction>(main, "mnuViewProgBar"),  "ProgressBar", "00000"},
            {control<QAction>(main, "mnuViewToolbars"), "TB",          "00111"},
        };
        // clang-format on
        for (const auto &t : toggles) {
            for (const char *state : {t.state, "00100"}) {
                t.item->trigger();
                QCOMPARE(viewState(main), QString(state));
                QCOMPARE(compat::GetSetting(t.key), QString(t.item->isChecked() ? "1" : "0"));
            }
        }
        Forms::Show<frmSettings>();
        QVERIFY(Forms::isLoaded<Form3>());
        main->close();
        QVERIFY(noneLoaded() && env.boxes.isEmpty());
    }

    // Save stores every field exactly as typed, an empty one too, and says a restart is
    // needed. Then the default buttons change only the fields and Cancel stores none of them,
    // nor takes back the splash box's click. Each use loads the window afresh from the store.
    void settingsSaveThenCancel()
    {
        TestEnv env;
        frmSettings *w = Forms::Show<frmSettings>();
        QCOMPARE(fields(w).join('|'), "||http://www.dogpile.com|");
        w->txtStartPage->setText(QStringLiteral(" not an address, really; "));
        w->SE->setText(QStringLiteral("http://se.example/?q="));
        w->BGRnd->setText(QStringLiteral("/pictures/sky.bmp"));
        QTest::mouseClick(w->cmdSave, Qt::LeftButton);
        QStringList stored {"Bground=/pictures/sky.bmp",
                            "Home Page=", "Search-Engine=http://se.example/?q=", "ShowSplash=1",
                            "Start Page= not an address, really; "};
        QCOMPARE(env.storedSettings(), stored);
        QVERIFY(env.boxes.size() == 1 && env.boxes[0].style == compat::vbInformation
                && env.boxes[0].prompt.contains("re-load Scoutwell"));
        QVERIFY(!Forms::isLoaded<frmSettings>());

        w = Forms::Show<frmSettings>();
        const QStringList saved = fields(w);
        QCOMPARE(saved.join('|'),
                 " not an address, really; ||http://se.example/?q=|/pictures/sky.bmp");
        for (QAbstractButton *button : std::initializer_list<QAbstractButton *> {
                 w->Command1, w->Command3, w->Command6, w->chkSplash})
            QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(fields(w).join('|'),
                 "about:blank|about:blank|http://www.aesop.example|/pictures/sky.bmp");
        QTest::mouseClick(w->Command2, Qt::LeftButton);
        stored[3] = "ShowSplash=0";
        QCOMPARE(env.storedSettings(), stored);
        QCOMPARE(env.boxes.size(), 1);
        QCOMPARE(fields(Forms::get<frmSettings>()), saved);
    }

    // The background chooser lists the pictures of the program folder; Preview stretches the
    // chosen one into its box. A missing selection or a file that is no picture is reported
    // and changes nothing; Esc leaves without applying. Apply puts the path into the settings
    // window and the picture on the band at once, for the rest of the run, whether the
    // settings are then cancelled or saved.
    void background()
    {
        QCOMPARE(Bground::PicturePath("/", "sky.bmp"), QStringLiteral("/sky.bmp"));
        TestEnv env;
        const QString dir = env.programFolder() + QLatin1Char('/');
        for (auto [name, colour] :
             {std::pair {"sky.bmp", Qt::blue}, {"leaf.jpg2", Qt::green}, {"old.bmp", Qt::red}}) {
            QImage image(40, 20, QImage::Format_RGB32);
            image.fill(colour);
            QVERIFY(image.save(dir + name, name[0] == 'l' ? "JPEG" : "BMP"));
        }
        QVERIFY(putFile(dir + "broken.gif", "not a picture at all"));
        compat::SaveSetting(QStringLiteral("Bground"), dir + "old.bmp");
        MDIForm1 *main = Forms::get<MDIForm1>();
        const auto state = [&] {
            return control<CoolBar>(main, "CoolBar1")
                       ->bandPicture()
                       .toImage()
                       .pixelColor(0, 0)
                       .name()
                + ' ' + Forms::get<frmSettings>()->BGRnd->text().remove(dir) + ' '
                + QString::number(env.boxes.size()) + (Forms::isLoaded<Bground>() ? " open" : "");
        };
        QCOMPARE(state(), "#ff0000 old.bmp 0");
        // clang-format off
        const struct { const char *file, *action, *after; } steps[] = {
            {"leaf.jpg2",  "Preview", "#ff0000 old.bmp 0 open"},
            {"",           "Apply",   "#ff0000 old.bmp 1 open"},
            {"broken.gif", "Apply",   "#ff0000 old.bmp 2 open"},
            {"sky.bmp",    "Esc",     "#ff0000 old.bmp 2"},
            {"sky.bmp",    "Cancel",  "#0000ff old.bmp 2"},
            {"sky.bmp",    "Save",    "#0000ff sky.bmp 3"},
        };
        // clang-format on
        for (const auto &[file, action, after] : steps) {
            frmSettings *settings = Forms::Show<frmSettings>();
            if (!Forms::isLoaded<Bground>())
                settings->Command4->click();
            Bground *b = Forms::get<Bground>();
            b->File1->setFileName(file);
            if (action == QLatin1String("Esc"))
                QTest::keyClick(b, Qt::Key_Escape);
            else
                QTest::mouseClick(action == QLatin1String("Preview") ? b->Command1 : b->SetSkin,
                                  Qt::LeftButton);
            if (action == QLatin1String("Preview"))
                QCOMPARE(b->Image2->pixmap().size(), QSize(40, 20));
            if (action == QLatin1String("Apply"))
                QVERIFY(env.boxes.last().style == compat::vbExclamation
                        && env.boxes.last().prompt.contains(*file ? dir + file : "choose"));
            if (action == QLatin1String("Cancel") || action == QLatin1String("Save")) {
                QCOMPARE(settings->BGRnd->text(), dir + "sky.bmp");
                QTest::mouseClick(action == QLatin1String("Save") ? settings->cmdSave
                                                                  : settings->Command2,
                                  Qt::LeftButton);
            }
            // The settings window as the store loads it again after Cancel and Save.
            QCOMPARE(state(), QString(after));
        }
    }

    // The history window, opened with Ctrl+C, lists the cache. Its Cache Killer deletes the
    // listed entries on Yes only (on the emptied list: nothing); the temp folder's label shows
    // the folder, or nothing for a path too long.
    void historyListThenKill()
    {
        TestEnv env;
        MDIForm1 *main = Forms::Show<MDIForm1>();
        QVERIFY(QTest::qWaitForWindowActive(main));
        const auto cache = [](const QString &url) {
            cachefiles::writeEntry(compat::UrlCacheFolder(), "1/0/" + url.toLatin1());
            return url;
        };
        QSet<QString> urls;
        for (int i = 0; i < 61; ++i)
            urls << cache(QStringLiteral("http://127.0.0.1:8765/page%1.html").arg(i));
        // Ctrl+C outside a text field (in the address box it copies: the real-input run) opens
        // the window, fixed in size, with no frame and the whole cache listed before it shows.
        ShowWatcher watcher;
        qApp->installEventFilter(&watcher);
        main->mdiArea()->setFocus();
        QTest::keyClick(main->mdiArea(), Qt::Key_C, Qt::ControlModifier);
        qApp->removeEventFilter(&watcher);
        history *h = Forms::get<history>();
        QVERIFY(h->isVisible() && (h->windowFlags() & Qt::FramelessWindowHint)
                && h->minimumSize() == h->maximumSize());
        // The list's scroll bars lie inside the frame, where they can be seen.
        QVERIFY(h->Frame1->rect().contains(h->List1->geometry()));
        QCOMPARE(watcher.linesAtShow, 61);
        const QStringList listed = cachefiles::lines(h->List1);
        QCOMPARE(QSet<QString>(listed.cbegin(), listed.cend()), urls);
        // Cached after the window loaded: not the killer's to delete.
        const QString later = cache(QStringLiteral("http://127.0.0.1:8765/later.html"));
        const QString asked
            = "36 Dedor.adu Zaved: Do you wish to delete the Internet Explorer cache?",
            done = "64 Dedor.adu Zaved: Cache deleted... Files in use (locked) were not removed!";
        for (const int answer : {compat::vbNo, compat::vbYes, compat::vbYes}) {
            env.queueAnswer(answer);
            QTest::mouseClick(h->cmdDelete, Qt::LeftButton);
            QCOMPARE(cachefiles::lines(h->List1), answer == compat::vbNo ? listed : QStringList());
            QCOMPARE(QDir(compat::UrlCacheFolder()).entryList(QDir::Files).size(),
                     answer == compat::vbNo ? 62 : 1);
        }
        for (const int length : {8, 300}) {
            const QString dir = env.path() + '/' + QString(length, 't');
            QDir().mkpath(dir);
            qputenv("TMPDIR", QFile::encodeName(dir));
            QTest::mouseClick(h->lblWinTemp, Qt::LeftButton);
            qunsetenv("TMPDIR");
            QCOMPARE(shown(env).last(),
                     QStringLiteral("64 %1: Windows Temp. Path: %2")
                         .arg(app::AppTitle(), length < 260 ? dir + '/' : ""));
        }
        QCOMPARE(shown(env).mid(0, 5), QStringList({asked, asked, done, asked, done}));
        // Showing it again only brings it to the front. "X" closes it on a left click only;
        // opened afresh it lists what is left: the one entry cached after the listing.
        QCOMPARE(Forms::Show<history>(), h);
        QTest::mouseClick(h->Label2, Qt::RightButton);
        QVERIFY(Forms::isLoaded<history>());
        QTest::mouseClick(h->Label2, Qt::LeftButton);
        QVERIFY(!Forms::isLoaded<history>());
        QCOMPARE(cachefiles::lines(Forms::Show<history>()->List1), QStringList {later});
    }

    // Every window by its caption, and every menu command by its caption and shortcut (the
    // favourites read from the file are the user's, not the manual's), in the manual as a
    // reader sees it, without markup.
    void everyWindowAndCommandIsDescribed()
    {
        TestEnv env;
        QString manual;
        for (const HelpWindow::Page &p : HelpWindow::pages()) {
            QTextDocument doc;
            doc.setHtml(QString::fromUtf8(readFile(":/manual/" + QLatin1String(p.file))));
            manual += doc.toPlainText() + QLatin1Char('\n');
        }
        QStringList described = QString(kWindows).split('|');
        MDIForm1 *main = Forms::get<MDIForm1>();
        const QList<QMenu *> menus = main->menuBar()->findChildren<QMenu *>()
            << control<QMenu>(main, "mnuNav");
        for (QMenu *menu : menus)
            for (QAction *a : menu->actions())
                if (!a->isSeparator() && !a->menu() && !main->mnuFT1.contains(a))
                    described << a->text().remove('&')
                              << a->shortcut().toString(QKeySequence::PortableText);
        QVERIFY(described.size() > 15 + 2 * 30);
        for (const QString &text : described)
            QVERIFY2(manual.contains(text), qPrintable(text));
    }

    // Ctrl+L, Alt+D and F6 bring a hidden toolbar back as its View item does, and leave the
    // address box's text selected for typing over.
    void addressKeys()
    {
        // clang-format off
        const struct { QKeySequence key; const char *storedTB; } keys[] = {
            {QKeySequence(Qt::CTRL | Qt::Key_L), nullptr}, // a fresh profile
            {QKeySequence(Qt::ALT | Qt::Key_D),  "0"},
            {QKeySequence(Qt::Key_F6),           "0"},
            {QKeySequence(Qt::Key_F6),           "1"},
        };
        // clang-format on
        for (const auto &k : keys) {
            TestEnv env;
            if (k.storedTB)
                compat::SaveSetting("TB", k.storedTB);
            MDIForm1 *main = Forms::Show<MDIForm1>();
            QVERIFY(QTest::qWaitForWindowActive(main));
            auto *combo = control<QComboBox>(main, "Combo1");
            combo->setEditText("http://example.org/page");
            QTest::keySequence(main, k.key);
            QCOMPARE(viewState(main), QStringLiteral("00111"));
            QCOMPARE(compat::GetSetting("TB"), QStringLiteral("1"));
            QVERIFY(combo->lineEdit()->hasFocus());
            QCOMPARE(combo->lineEdit()->selectedText(), QStringLiteral("http://example.org/page"));
            main->close();
        }
    }

    // A tool window belongs to the main window (so it stays above it), comes back from
    // minimized when asked for again, and goes, with its own unload, before the main window.
    void toolWindowsComeBack()
    {
        TestEnv env;
        MDIForm1 *main = Forms::Show<MDIForm1>();
        FFw *find = Forms::Show<FFw>();
        QVERIFY(find->isWindow() && find->parentWidget() == main);
        QCOMPARE(find->windowTitle(), QStringLiteral("Scoutwell Search Engine"));
        find->setWindowState(Qt::WindowMinimized);
        main->TFFw->trigger();
        QVERIFY(!find->isMinimized() && find->isVisible());
        QPointer<FFw> gone = find;
        main->close();
        QVERIFY(!Forms::isLoaded<FFw>());
        QTRY_VERIFY(gone.isNull());
    }

    // With no program of the desktop's to hand them to, a mail address, a file and a folder
    // each get a box that says what failed and what to install.
    void desktopFailuresAreShown()
    {
        TestEnv env;
        const QString file = env.path() + "/tool.zip";
        QVERIFY(putFile(file, "zip"));
        // No xdg-open, as on a desktop without xdg-utils.
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(env.path()));
        const auto restore = qScopeGuard([&] { qputenv("PATH", path); });
        compat::ShellExecuteA(nullptr, "open", "mailto:a@example.org?subject=Hi", QString(),
                              QString(), compat::SW_SHOWNORMAL);
        compat::OpenWithDesktop(file);
        compat::OpenWithDesktop(env.path());
        const QStringList boxes = shown(env);
        QCOMPARE(boxes.size(), 3);
        // clang-format off
        const struct { const char *what, *install; } expected[] = {
            {"mailto:a@example.org?subject=Hi", "Install a mail program, and xdg-utils"},
            {"The file could not be opened",    "Install xdg-utils and a program for this kind of file"},
            {"The folder could not be opened",  "Install xdg-utils and a file manager"},
        };
        // clang-format on
        for (int i = 0; i < 3; ++i) {
            QVERIFY2(boxes[i].startsWith("48 Scoutwell"), qPrintable(boxes[i]));
            QVERIFY2(boxes[i].contains(expected[i].what) && boxes[i].contains(expected[i].install),
                     qPrintable(boxes[i]));
        }
    }

    // About shows the build's version; of its lines only the ownership one opens the maker's site.
    void aboutShowsTheBuildAndOpensTheMakersSite()
    {
        QCOMPARE(app::VersionText(4, 10), QStringLiteral("4.10")); // not 4.1
        TestEnv env;
        QStringList opened;
        compat::SetShellHook([&opened](const compat::ShellRequest &r) {
            opened << r.operation + ' ' + r.file + ' ' + QString::number(r.showCommand);
            return 33;
        });
        About *about = Forms::Show<About>();
        QCOMPARE(about->Label13->text(), QStringLiteral("3.3"));
        QTest::mouseClick(about->Label16, Qt::LeftButton);
        QTest::mouseClick(about->Label6, Qt::LeftButton);
        compat::SetShellHook({});
        QCOMPARE(opened, QStringList {"open " + QLatin1String(hosts::Maker) + " 1"});
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
