#include "CacheFiles.h"
#include "TestEnv.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "history/history.h"
#include "platform/App.h"
#include "platform/UrlCache.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QPushButton>
#include <QtTest>

#include <sys/inotify.h>
#include <unistd.h>

using platform::UrlCacheFolder;

namespace {

QStringList writeEntries(int count)
{
    QStringList urls;
    for (int i = 0; i < count; ++i) {
        const QByteArray url = "http://127.0.0.1:8765/page" + QByteArray::number(i) + ".html";
        cachefiles::writeEntry(UrlCacheFolder(), "1/0/" + url);
        urls.append(QString::fromLatin1(url));
    }
    return urls;
}

QStringList lines(QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out.append(list->item(i)->text());
    return out;
}

QString fileOf(const QString &url)
{
    return UrlCacheFolder() + QLatin1Char('/') + cachefiles::entryName("1/0/" + url.toLatin1());
}

// The names of the files removed from a folder, in the order they went.
class DeletionLog
{
public:
    explicit DeletionLog(const QString &folder)
    {
        m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        ::inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), IN_DELETE);
    }
    ~DeletionLog() { ::close(m_fd); }
    QStringList names()
    {
        QStringList out;
        alignas(inotify_event) char buffer[8192];
        ssize_t n;
        while ((n = ::read(m_fd, buffer, sizeof buffer)) > 0) {
            for (char *p = buffer; p < buffer + n;) {
                auto *e = reinterpret_cast<inotify_event *>(p);
                if (e->len)
                    out.append(QString::fromLatin1(e->name));
                p += sizeof(inotify_event) + e->len;
            }
        }
        return out;
    }

private:
    int m_fd;
};

// Remembers how many lines the history window's list held when the window first showed.
class ShowWatcher : public QObject
{
public:
    int linesAtShow = -1;

protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() == QEvent::Show && linesAtShow < 0)
            if (auto *h = qobject_cast<history *>(o))
                linesAtShow = h->List1->count();
        return false;
    }
};

} // namespace

class TestHistory : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void loadListsTheWholeCacheBeforeShowing_data();
    void loadListsTheWholeCacheBeforeShowing();
    void cacheKiller_data();
    void cacheKiller();
    void drag_data();
    void drag();
    void tempFolderMessage_data();
    void tempFolderMessage();
    void windowLooksAsDesigned();
    void cacheKillerMenuItem();
};

void TestHistory::loadListsTheWholeCacheBeforeShowing_data()
{
    QTest::addColumn<int>("entries");
    QTest::newRow("empty cache") << 0;
    QTest::newRow("one entry") << 1;
    QTest::newRow("twelve entries") << 12;
}

void TestHistory::loadListsTheWholeCacheBeforeShowing()
{
    QFETCH(int, entries);
    TestEnv env;
    QStringList urls = writeEntries(entries);
    ShowWatcher watcher;
    qApp->installEventFilter(&watcher);
    history *h = Forms::Show<history>();
    qApp->removeEventFilter(&watcher);
    QCOMPARE(watcher.linesAtShow, entries);
    QStringList listed = lines(h->List1);
    listed.sort();
    urls.sort();
    QCOMPARE(listed, urls);
    // Showing it again only brings it to the front.
    writeEntries(entries + 1);
    QCOMPARE(Forms::Show<history>(), h);
    QCOMPARE(h->List1->count(), entries);
}

void TestHistory::cacheKiller_data()
{
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("answer");
    QTest::newRow("No keeps everything") << 3 << int(platform::vbNo);
    QTest::newRow("Yes deletes the listed entries") << 3 << int(platform::vbYes);
    QTest::newRow("Yes on an empty cache still reports") << 0 << int(platform::vbYes);
}

void TestHistory::cacheKiller()
{
    QFETCH(int, entries);
    QFETCH(int, answer);
    TestEnv env;
    writeEntries(entries);
    QDir().mkpath(UrlCacheFolder());
    history *h = Forms::Show<history>();
    const QStringList listed = lines(h->List1);
    // Cached after the window loaded: not the killer's to delete.
    const QString later = QStringLiteral("http://127.0.0.1:8765/later.html");
    cachefiles::writeEntry(UrlCacheFolder(), "1/0/" + later.toLatin1());

    int clears = 0;
    bool allGoneAtClear = true;
    auto onClear = [&] {
        ++clears;
        for (const QString &url : listed)
            allGoneAtClear = allGoneAtClear && !QFile::exists(fileOf(url));
    };
    connect(h->List1->model(), &QAbstractItemModel::modelReset, this, onClear);
    connect(h->List1->model(), &QAbstractItemModel::rowsRemoved, this, onClear);

    DeletionLog log(UrlCacheFolder());
    env.queueAnswer(answer);
    QTest::mouseClick(h->cmdDelete, Qt::LeftButton);

    QCOMPARE(env.boxes.value(0).prompt,
             QStringLiteral("Do you wish to delete the Internet Explorer cache?"));
    QCOMPARE(env.boxes.value(0).style, 36);
    QCOMPARE(env.boxes.value(0).title, QStringLiteral("Dedor.adu Zaved"));
    QVERIFY(QFile::exists(fileOf(later)));
    if (answer != platform::vbYes) {
        QCOMPARE(env.boxes.size(), 1);
        QCOMPARE(lines(h->List1), listed);
        for (const QString &url : listed)
            QVERIFY(QFile::exists(fileOf(url)));
        QCOMPARE(log.names(), QStringList());
        return;
    }
    QCOMPARE(env.boxes.size(), 2);
    QCOMPARE(env.boxes[1].prompt,
             QStringLiteral("Cache deleted... Files in use (locked) were not removed!"));
    QCOMPARE(env.boxes[1].style, 64);
    QCOMPARE(env.boxes[1].title, QStringLiteral("Dedor.adu Zaved"));
    QCOMPARE(h->List1->count(), 0);
    QCOMPARE(clears, 1);
    QVERIFY(allGoneAtClear);
    QStringList expectedOrder;
    for (const QString &url : listed)
        expectedOrder.append(QFileInfo(fileOf(url)).fileName());
    QCOMPARE(log.names(), expectedOrder);

    // A second run in the same window finds the list empty and deletes nothing.
    env.queueAnswer(platform::vbYes);
    h->cmdDelete_Click();
    QCOMPARE(env.boxes.size(), 4);
    QVERIFY(QFile::exists(fileOf(later)));
    // Opened afresh, the window lists only what was cached since.
    Forms::Unload<history>();
    QCOMPARE(lines(Forms::Show<history>()->List1), QStringList {later});
}

void TestHistory::drag_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("moves");
    const int left = Qt::LeftButton, right = Qt::RightButton, middle = Qt::MiddleButton;
    QTest::newRow("background, left") << "history" << left << true;
    QTest::newRow("frame, left") << "Frame1" << left << true;
    QTest::newRow("heading, left") << "Label1" << left << true;
    QTest::newRow("background, right") << "history" << right << false;
    QTest::newRow("heading, middle") << "Label1" << middle << false;
    QTest::newRow("frame, right") << "Frame1" << right << false;
    QTest::newRow("list") << "List1" << left << false;
    QTest::newRow("list's lines") << "qt_scrollarea_viewport" << left << false;
    QTest::newRow("button") << "cmdDelete" << left << false;
    QTest::newRow("temp label") << "lblWinTemp" << left << false;
}

void TestHistory::drag()
{
    QFETCH(QString, target);
    QFETCH(int, button);
    QFETCH(bool, moves);
    TestEnv env;
    history *h = Forms::Show<history>();
    QWidget *w = target == QLatin1String("history") ? h : h->findChild<QWidget *>(target);
    QVERIFY(w);
    const QPoint start = h->pos();
    const QPoint at = target == QLatin1String("history") ? QPoint(200, 15) : QPoint(3, 3);
    const QPoint global = w->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::MouseButton(button),
                      Qt::MouseButton(button), Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent move(QEvent::MouseMove, QPointF(at + QPoint(30, 40)), global + QPoint(30, 40),
                     Qt::NoButton, Qt::MouseButton(button), Qt::NoModifier);
    QApplication::sendEvent(h, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, at + QPoint(30, 40), global + QPoint(30, 40),
                        Qt::MouseButton(button), Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(h, &release);
    QCOMPARE(h->pos(), moves ? start + QPoint(30, 40) : start);
    // After the release the window no longer follows the mouse.
    QMouseEvent after(QEvent::MouseMove, QPointF(5, 5), QPointF(global + QPoint(90, 90)),
                      Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(h, &after);
    QCOMPARE(h->pos(), moves ? start + QPoint(30, 40) : start);
}

void TestHistory::tempFolderMessage_data()
{
    QTest::addColumn<int>("nameLength"); // length of the temp folder's last part
    QTest::addColumn<bool>("shown");
    QTest::newRow("ordinary folder") << 8 << true;
    QTest::newRow("longer than 260 characters") << 300 << false;
}

void TestHistory::tempFolderMessage()
{
    QFETCH(int, nameLength);
    QFETCH(bool, shown);
    TestEnv env;
    const QString dir = env.path() + QLatin1Char('/') + QString(nameLength, QLatin1Char('t'));
    QDir().mkpath(dir);
    qputenv("TMPDIR", QFile::encodeName(dir));
    history *h = Forms::Show<history>();
    QTest::mouseClick(h->lblWinTemp, Qt::LeftButton);
    qunsetenv("TMPDIR");
    QCOMPARE(env.boxes.size(), 1);
    QCOMPARE(env.boxes[0].prompt,
             QStringLiteral("Windows Temp. Path: ") + (shown ? dir + QLatin1Char('/') : QString()));
    QCOMPARE(env.boxes[0].style, 64);
    QCOMPARE(env.boxes[0].title, platform::AppTitle());
}

void TestHistory::windowLooksAsDesigned()
{
    TestEnv env;
    history *h = Forms::Show<history>();
    QVERIFY(h->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(h->size(), QSize(platform::Twips(6870), platform::Twips(4020)));
    QVERIFY(h->minimumSize() == h->maximumSize());
    const QImage shot = h->grab().toImage();
    QCOMPARE(QColor(shot.pixel(10, 40)), QColor(128, 128, 128));
    QCOMPARE(QColor(shot.pixel(21, 40)), QColor(Qt::black));
    QCOMPARE(h->Label2->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(h->lblWinTemp->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(h->Label1->cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(h->cursor().shape(), Qt::ArrowCursor);
    // "X" closes the window on a left click only.
    QTest::mouseClick(h->Label2, Qt::RightButton);
    QVERIFY(Forms::isLoaded<history>());
    QTest::mouseClick(h->Label2, Qt::LeftButton);
    QVERIFY(!Forms::isLoaded<history>());
}

void TestHistory::cacheKillerMenuItem()
{
    TestEnv env;
    MDIForm1 *main = Forms::Show<MDIForm1>();
    QVERIFY(QTest::qWaitForWindowActive(main));
    QCOMPARE(main->TFCache->text(), QStringLiteral("Cache Killer"));
    // Ctrl+C in the address box copies text; it does not open the window.
    main->Combo1->lineEdit()->setFocus();
    QTest::keyClick(main->Combo1->lineEdit(), Qt::Key_C, Qt::ControlModifier);
    QVERIFY(!Forms::isLoaded<history>());
    main->mdiArea()->setFocus();
    QTest::keyClick(main->mdiArea(), Qt::Key_C, Qt::ControlModifier);
    QVERIFY(Forms::isLoaded<history>());
    history *h = Forms::get<history>();
    main->TFCache->trigger();
    QCOMPARE(Forms::get<history>(), h);
}

QTEST_MAIN(TestHistory)
#include "tst_history.moc"
