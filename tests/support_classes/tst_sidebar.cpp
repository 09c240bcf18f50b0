#include "platform/WindowDrawing.h"
#include "support/clsSideBar.h"

#include <QImage>
#include <QWidget>
#include <QtTest>

namespace {

const QColor kWindowBack(10, 20, 30);

// A window with a background colour of its own, so that erased and untouched areas can be
// told from black.
std::unique_ptr<QWidget> makeWindow(int width, int height)
{
    auto w = std::make_unique<QWidget>();
    QPalette p = w->palette();
    p.setColor(QPalette::Window, kWindowBack);
    w->setPalette(p);
    w->resize(width, height);
    return w;
}

QColor pixel(QWidget *w, int x, int y)
{
    return QColor::fromRgba(platform::AutoRedrawImage(w).pixel(x, y));
}

} // namespace

class TestSideBar : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void bands_data();
    void bands();
    void darkBlueShadesFromFullBlueToBlack();
    void zeroHeightWindowGetsNoStrips();
};

// Every pixel of the top, middle and bottom rows of a 200 x 150 window.
void TestSideBar::bands_data()
{
    QTest::addColumn<int>("fillStyle"); // 0: a fresh object, only refreshed
    QTest::addColumn<int>("align");
    QTest::addColumn<QColor>("back");
    QTest::addColumn<int>("bandFrom"); // first of its 20 columns; -1: no band
    const QColor grey(128, 128, 128), green(0, 200, 0);
    QTest::newRow("defaults: black on the left") << 0 << 0 << QColor(Qt::black) << 0;
    QTest::newRow("solid right") << 1 << 2 << green << 180;
    QTest::newRow("fill style 3: no band") << 3 << 1 << green << -1;
    QTest::newRow("shaded grey is plain") << 2 << 1 << grey << 0;
}

void TestSideBar::bands()
{
    QFETCH(int, fillStyle);
    QFETCH(int, align);
    QFETCH(QColor, back);
    QFETCH(int, bandFrom);
    auto w = makeWindow(200, 150);
    clsSideBar bar(w.get());
    if (fillStyle)
        bar.Create(QString(), fillStyle, align, Qt::white, back, QStringLiteral("Tahoma"), 16);
    else
        bar.Refresh();
    for (int y : {0, 75, 149}) {
        for (int x = 0; x < 200; ++x) {
            const QColor got = pixel(w.get(), x, y);
            if (bandFrom >= 0 && x >= bandFrom && x < bandFrom + 20)
                QCOMPARE(got, back);
            else if (x < 20 || x > 180) // erased to the window's colour
                QCOMPARE(got, kWindowBack);
            else
                QCOMPARE(got.alpha(), 0); // never drawn
        }
    }
    // The defaults are written back by the drawing.
    if (!fillStyle)
        QCOMPARE(std::tuple(bar.FillStyle(), bar.Align(), bar.FontSize(), bar.FontName()),
                 std::tuple(1, 1, qint16(14), QStringLiteral("Arial")));
}

void TestSideBar::darkBlueShadesFromFullBlueToBlack()
{
    auto w = makeWindow(100, 200);
    clsSideBar bar(w.get());
    bar.Create(QString(), 2, 1, Qt::white, QColor(0, 0, 128), QString(), 0);
    QCOMPARE(pixel(w.get(), 5, 0), QColor(0, 0, 255));
    QVERIFY(pixel(w.get(), 5, 199).blue() <= 3);
    QVERIFY(qAbs(pixel(w.get(), 10, 100).blue() - 128) <= 3);
    for (int y = 1; y < 200; ++y) {
        const QColor c = pixel(w.get(), 0, y);
        QCOMPARE(c.rgb() & 0xffff00, 0u); // no red, no green
        QVERIFY(c.blue() <= pixel(w.get(), 0, y - 1).blue());
        QCOMPARE(pixel(w.get(), 19, y), c); // the strip spans the band
    }
    QCOMPARE(pixel(w.get(), 20, 100).alpha(), 0);
}

void TestSideBar::zeroHeightWindowGetsNoStrips()
{
    auto w = makeWindow(100, 0);
    clsSideBar bar(w.get());
    bar.Create(QStringLiteral("Caption"), 2, 1, Qt::white, QColor(0, 128, 0), QString(), 0);
    w->resize(100, 50);
    for (int y = 0; y < 50; ++y)
        QCOMPARE(pixel(w.get(), 5, y).alpha(), 0);
    QCOMPARE(bar.FontSize(), qint16(14));
}

QTEST_MAIN(TestSideBar)
#include "tst_sidebar.moc"
