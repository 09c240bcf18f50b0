#include "CacheFiles.h"
#include "TestEnv.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "history/history.h"
#include "platform/App.h"
#include "platform/UrlCache.h"

#include <QtTest>
#include <QtWidgets>

#include <sys/inotify.h>
#include <unistd.h>

using cachefiles::lines;
using platform::Twips;
using platform::UrlCacheFolder;

namespace {

// The names of the files deleted from the watched folder since the last call, in order.
QStringList deletedNames(int inotifyFd)
{
    QStringList out;
    alignas(inotify_event) char buffer[8192];
    const ssize_t n = std::max<ssize_t>(::read(inotifyFd, buffer, sizeof buffer), 0);
    for (char *p = buffer; p < buffer + n; p += sizeof(inotify_event) + ((inotify_event *)p)->len)
        out.append(QString::fromLatin1(reinterpret_cast<inotify_event *>(p)->name));
    return out;
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

} // namespace

class TestHistory : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Then the temp folder's label is clicked, the folder's last part this long.
    void listThenKill_data()
    {
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("tempName");
        // clang-format off
        QTest::newRow("No keeps everything")                       << 61 << int(platform::vbNo)  << 8;
        QTest::newRow("Yes deletes the listed entries")            << 3  << int(platform::vbYes) << 8;
        QTest::newRow("Yes on an empty cache; temp path too long") << 0  << int(platform::vbYes) << 300;
        // clang-format on
    }

    void listThenKill()
    {
        QFETCH(int, entries);
        QFETCH(int, answer);
        QFETCH(int, tempName);
        TestEnv env;
        MDIForm1 *main = Forms::Show<MDIForm1>();
        QVERIFY(QTest::qWaitForWindowActive(main));
        const auto cache = [](const QString &url) {
            cachefiles::writeEntry(UrlCacheFolder(), "1/0/" + url.toLatin1());
            return url;
        };
        QSet<QString> urls;
        for (int i = 0; i < entries; ++i)
            urls << cache(QStringLiteral("http://127.0.0.1:8765/page%1.html").arg(i));
        QDir().mkpath(UrlCacheFolder());
        // Ctrl+C outside a text field opens the window, fixed in size, with no frame and the
        // whole cache listed before it shows.
        ShowWatcher watcher;
        qApp->installEventFilter(&watcher);
        main->mdiArea()->setFocus();
        QTest::keyClick(main->mdiArea(), Qt::Key_C, Qt::ControlModifier);
        qApp->removeEventFilter(&watcher);
        history *h = Forms::get<history>();
        QVERIFY(h && h->isVisible() && (h->windowFlags() & Qt::FramelessWindowHint));
        QCOMPARE(h->maximumSize(), QSize(Twips(6870), Twips(4020)));
        QCOMPARE(h->minimumSize(), h->maximumSize());
        // The list's scroll bars lie inside the frame, where they can be seen.
        QVERIFY(h->Frame1->rect().contains(h->List1->geometry()));
        QCOMPARE(watcher.linesAtShow, entries);
        const QStringList listed = lines(h->List1);
        QCOMPARE(QSet<QString>(listed.cbegin(), listed.cend()), urls);
        // Cached after the window loaded: not the killer's to delete.
        const QString later = cache(QStringLiteral("http://127.0.0.1:8765/later.html"));

        // At the clear every listed file must be gone already, deleted first line first.
        const int log = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        ::inotify_add_watch(log, QFile::encodeName(UrlCacheFolder()).constData(), IN_DELETE);
        QStringList clears;
        QObject scope; // ends the watch before the locals it writes to
        auto onClear = [&] { clears << deletedNames(log).join(' '); };
        connect(h->List1->model(), &QAbstractItemModel::modelReset, &scope, onClear);
        connect(h->List1->model(), &QAbstractItemModel::rowsRemoved, &scope, onClear);
        env.queueAnswer(answer);
        QTest::mouseClick(h->cmdDelete, Qt::LeftButton);
        QCOMPARE(deletedNames(log), QStringList()); // nothing after the clear, nothing on No
        ::close(log);
        const bool yes = answer == platform::vbYes;
        QStringList order;
        for (const QString &url : listed)
            order << cachefiles::entryName("1/0/" + url.toLatin1());
        QCOMPARE(clears, yes ? QStringList {order.join(' ')} : QStringList());
        const QString dir = env.path() + '/' + QString(tempName, 't');
        QDir().mkpath(dir);
        qputenv("TMPDIR", QFile::encodeName(dir));
        QTest::mouseClick(h->lblWinTemp, Qt::LeftButton);
        qunsetenv("TMPDIR");
        QStringList boxes; // style, title and text of each box shown
        for (const platform::DialogRequest &box : env.boxes)
            boxes << QStringLiteral("%1 %2: %3").arg(box.style).arg(box.title, box.prompt);
        const QString killer = QStringLiteral("Dedor.adu Zaved: ");
        QStringList expected {"36 " + killer
                              + "Do you wish to delete the Internet Explorer cache?"};
        if (yes)
            expected << "64 " + killer + "Cache deleted... Files in use (locked) were not removed!";
        expected << QStringLiteral("64 %1: Windows Temp. Path: %2")
                        .arg(platform::AppTitle(), tempName < 260 ? dir + '/' : "");
        QCOMPARE(boxes, expected);
        // Showing it again only brings it to the front. "X", under a hand, closes it on a left
        // click only; opened afresh it lists what is left.
        QCOMPARE(Forms::Show<history>(), h);
        QCOMPARE(lines(h->List1), yes ? QStringList() : listed);
        QCOMPARE(h->Label2->cursor().shape(), Qt::PointingHandCursor);
        QTest::mouseClick(h->Label2, Qt::RightButton);
        QVERIFY(Forms::isLoaded<history>());
        QTest::mouseClick(h->Label2, Qt::LeftButton);
        QVERIFY(!Forms::isLoaded<history>());
        const QStringList after = lines(Forms::Show<history>()->List1);
        QCOMPARE(after.size(), yes ? 1 : entries + 1);
        QVERIFY(after.contains(later));
    }
};

QTEST_MAIN(TestHistory)
#include "tst_history.moc"
