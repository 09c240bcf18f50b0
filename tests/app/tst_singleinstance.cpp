#include "app/SingleInstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

// Two starts in one process: the lock is taken per open file, so each object stands for
// one start of the program.
class TestSingleInstance : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        QVERIFY(m_runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    }

    // A program that is ending has let go of its socket and lock before its engine shuts
    // down: a start in that moment becomes the running program at once.
    void startDuringShutdownStartsItself()
    {
        app::SingleInstance running;
        QVERIFY(running.isFirst());
        running.listen([](const QString &) {});
        app::SingleInstance later;
        QVERIFY(!later.isFirst());
        running.stop();
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(later.handOver(QStringLiteral("http://a.example/")),
                 app::SingleInstance::kStartHere);
        QVERIFY(later.isFirst());
        QVERIFY2(clock.elapsed() < 4000, "the later start waited for an answer");
        // And the start after that finds the new holder.
        QVERIFY(!app::SingleInstance().isFirst());
    }

    // A program that cannot listen would leave every later start waiting for an answer that
    // never comes; it gives the lock up instead.
    void failedListenReleasesTheLock()
    {
        // A folder where the socket belongs cannot be removed or bound over.
        QVERIFY(QDir(m_runtime.path()).mkpath(QStringLiteral("ScoutwellV3.socket/x")));
        app::SingleInstance running;
        QVERIFY(running.isFirst());
        running.listen([](const QString &) {});
        QVERIFY(app::SingleInstance().isFirst());
    }

private:
    QTemporaryDir m_runtime;
};

QTEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
