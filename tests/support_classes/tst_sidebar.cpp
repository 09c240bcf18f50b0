#include "platform/WindowDrawing.h"
#include "support/clsSideBar.h"

#include <QImage>
#include <QWidget>
#include <QtTest>

namespace {

const QColor kWindowBack(10, 20, 30);

QColor pixel(QWidget *w, int x, int y)
{
    return QColor::fromRgba(platform::AutoRedrawImage(w).pixel(x, y));
}

} // namespace

class TestSideBar : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Every pixel of a 200 x 150 window, and the defaults written back by the drawing.
    void bands_data()
    {
        QTest::addColumn<int>("fillStyle"); // 0: a fresh object, only refreshed
        QTest::addColumn<int>("align");
        QTest::addColumn<QColor>("back");
        QTest::addColumn<int>("bandFrom"); // first of its 20 columns; -1: no band
        QTest::addColumn<int>("height"); // at the drawing; 150 after it
        const QColor grey(128, 128, 128), green(0, 200, 0);
        QTest::newRow("defaults: black on the left") << 0 << 0 << QColor(Qt::black) << 0 << 150;
        QTest::newRow("solid right") << 1 << 2 << green << 180 << 150;
        QTest::newRow("fill style 3: no band") << 3 << 1 << green << -1 << 150;
        QTest::newRow("shaded grey is plain") << 2 << 1 << grey << 0 << 150;
        QTest::newRow("dark blue shaded to black") << 2 << 1 << QColor(0, 0, 128) << 0 << 150;
        QTest::newRow("zero-height window: nothing drawn")
            << 2 << 1 << QColor(0, 128, 0) << -1 << 0;
    }
    void bands()
    {
        QFETCH(int, fillStyle);
        QFETCH(int, align);
        QFETCH(QColor, back);
        QFETCH(int, bandFrom);
        QFETCH(int, height);
        // A background colour of its own tells erased and untouched areas from black.
        auto w = std::make_unique<QWidget>();
        w->setPalette(QPalette(kWindowBack, kWindowBack));
        w->resize(200, height);
        clsSideBar bar(w.get());
        if (fillStyle)
            bar.Create(height ? "" : "Caption", fillStyle, align, Qt::white, back, QString(), 0);
        else
            bar.Refresh();
        w->resize(200, 150);
        const bool shaded = back == QColor(0, 0, 128);
        for (int y = 0; y < 150; ++y) {
            const QColor strip = pixel(w.get(), qMax(bandFrom, 0), y);
            for (int x = 0; x < 200; ++x) {
                const QColor got = pixel(w.get(), x, y);
                if (bandFrom >= 0 && x >= bandFrom && x < bandFrom + 20)
                    QCOMPARE(got, shaded ? strip : back); // a strip spans the band
                else if (height && (x < 20 || x > 180)) // erased to the window's colour
                    QCOMPARE(got, kWindowBack);
                else
                    QCOMPARE(got.alpha(), 0); // never drawn
            }
            // Shaded from full blue at the top down to black, with no red or green.
            if (shaded && y)
                QVERIFY(strip.blue() <= pixel(w.get(), 0, y - 1).blue());
            QVERIFY(!shaded || (strip.rgb() & 0xffff00) == 0);
        }
        if (shaded)
            QVERIFY(pixel(w.get(), 0, 0).blue() == 255 && pixel(w.get(), 0, 149).blue() <= 3);
        QCOMPARE(
            std::tuple(bar.FillStyle(), bar.Align(), bar.FontSize(), bar.FontName()),
            std::tuple(qMax(fillStyle, 1), qMax(align, 1), qint16(14), QStringLiteral("Arial")));
    }
};

QTEST_MAIN(TestSideBar)
#include "tst_sidebar.moc"
