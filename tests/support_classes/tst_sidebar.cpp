#include "TestEnv.h"
#include "platform/WindowDrawing.h"
#include "support/clsSideBar.h"

#include <QImage>
#include <QWidget>
#include <QtTest>

namespace {

const QColor kWindowBack(10, 20, 30);

// A window of the given client size with a background colour of its own, so that erased
// and untouched areas can be told from black.
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

// The box holding every pixel of the caption colour within the given columns.
QRect textBox(QWidget *w, const QColor &fore, int fromX, int toX)
{
    const QImage &image = platform::AutoRedrawImage(w);
    QRect box;
    for (int y = 0; y < w->height(); ++y) {
        for (int x = fromX; x < toX; ++x) {
            const QColor c = QColor::fromRgba(image.pixel(x, y));
            if (qAbs(c.red() - fore.red()) < 40 && qAbs(c.green() - fore.green()) < 40
                && qAbs(c.blue() - fore.blue()) < 40)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

} // namespace

class TestSideBar : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void bands_data();
    void bands();
    void freshObjectDrawsTheDefaultsAndWritesThemBack();
    void captionRunsUpwardsInsideTheBand_data();
    void captionRunsUpwardsInsideTheBand();
    void darkBlueShadesFromFullBlueToBlack();
    void zeroHeightWindowGetsNoStrips();
};

// Pixel rows checked at the top, middle and bottom of a 200 x 150 window.
void TestSideBar::bands_data()
{
    QTest::addColumn<int>("fillStyle");
    QTest::addColumn<int>("align");
    QTest::addColumn<QColor>("back");
    QTest::addColumn<int>("bandFrom"); // first column of the band; -1: no band
    QTest::addColumn<int>("bandTo"); // one past its last column
    QTest::addColumn<QColor>("bandColor");
    const QColor grey(128, 128, 128), green(0, 200, 0);
    QTest::newRow("solid left") << 1 << 1 << green << 0 << 20 << green;
    QTest::newRow("solid right") << 1 << 2 << green << 180 << 200 << green;
    QTest::newRow("align other than 1 is right") << 1 << 7 << green << 180 << 200 << green;
    QTest::newRow("fill style 3: no band") << 3 << 1 << green << -1 << -1 << QColor();
    QTest::newRow("fill style -1: no band") << -1 << 2 << green << -1 << -1 << QColor();
    QTest::newRow("shaded grey is plain") << 2 << 1 << grey << 0 << 20 << grey;
    QTest::newRow("shaded grey right is plain") << 2 << 2 << grey << 180 << 200 << grey;
}

void TestSideBar::bands()
{
    QFETCH(int, fillStyle);
    QFETCH(int, align);
    QFETCH(QColor, back);
    QFETCH(int, bandFrom);
    QFETCH(int, bandTo);
    QFETCH(QColor, bandColor);
    auto w = makeWindow(200, 150);
    clsSideBar bar(w.get());
    bar.Create(QString(), fillStyle, align, Qt::white, back, QStringLiteral("Tahoma"), 16);
    for (int y : {0, 75, 149}) {
        for (int x = 0; x < 200; ++x) {
            const bool inBand = x >= bandFrom && x < bandTo;
            const QColor got = pixel(w.get(), x, y);
            if (inBand)
                QCOMPARE(got, bandColor);
            else if (x < 20 || x > 180) // erased to the window's colour
                QCOMPARE(got, kWindowBack);
            else
                QCOMPARE(got.alpha(), 0); // never drawn
        }
    }
}

void TestSideBar::freshObjectDrawsTheDefaultsAndWritesThemBack()
{
    auto w = makeWindow(120, 90);
    clsSideBar bar(w.get());
    QCOMPARE(bar.FillStyle(), 0);
    QCOMPARE(bar.FontName(), QString());
    bar.Refresh();
    QCOMPARE(pixel(w.get(), 0, 0), QColor(Qt::black));
    QCOMPARE(pixel(w.get(), 19, 89), QColor(Qt::black));
    QCOMPARE(pixel(w.get(), 20, 45).alpha(), 0);
    QCOMPARE(bar.FillStyle(), 1);
    QCOMPARE(bar.Align(), 1);
    QCOMPARE(bar.FontSize(), qint16(14));
    QCOMPARE(bar.FontName(), QStringLiteral("Arial"));
    QCOMPARE(bar.Text(), QString());
    // A property change redraws at once, and the drawing reaches the window on screen.
    bar.setBackColor(QColor(200, 0, 0));
    TestEnv env;
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    const QImage shot = w->grab().toImage();
    QCOMPARE(QColor(shot.pixel(10, 60)), QColor(200, 0, 0));
    QCOMPARE(QColor(shot.pixel(60, 60)), kWindowBack);
}

void TestSideBar::captionRunsUpwardsInsideTheBand_data()
{
    QTest::addColumn<int>("align");
    QTest::addColumn<int>("fromX");
    QTest::newRow("left") << 1 << 2;
    QTest::newRow("right") << 2 << 300 - 18;
}

void TestSideBar::captionRunsUpwardsInsideTheBand()
{
    QFETCH(int, align);
    QFETCH(int, fromX);
    auto w = makeWindow(300, 268);
    clsSideBar bar(w.get());
    bar.Create(QStringLiteral("History"), 1, align, Qt::white, QColor(128, 128, 128),
               QStringLiteral("Tahoma"), 16);
    const int bandFrom = align == 1 ? 0 : 280;
    const QRect box = textBox(w.get(), Qt::white, bandFrom, bandFrom + 20);
    QVERIFY(!box.isEmpty());
    // Upright text would be wide and low; this runs up the band from 8 pixels above the
    // bottom edge, its characters right of x.
    QVERIFY2(box.height() > 3 * box.width(),
             qPrintable(QStringLiteral("box %1x%2").arg(box.width()).arg(box.height())));
    QVERIFY(box.left() >= fromX);
    QVERIFY(box.right() < bandFrom + 20);
    QVERIFY(box.bottom() <= 268 - 8);
    QVERIFY(box.bottom() >= 268 - 8 - 4);
    // Nothing of the caption outside the band.
    QVERIFY(textBox(w.get(), Qt::white, 20, 280).isEmpty());
}

void TestSideBar::darkBlueShadesFromFullBlueToBlack()
{
    auto w = makeWindow(100, 200);
    clsSideBar bar(w.get());
    bar.Create(QString(), 2, 1, Qt::white, QColor(0, 0, 128), QString(), 0);
    QCOMPARE(pixel(w.get(), 5, 0), QColor(0, 0, 255));
    QVERIFY(pixel(w.get(), 5, 199).blue() <= 3);
    QVERIFY(qAbs(pixel(w.get(), 10, 100).blue() - 128) <= 3);
    int previous = 256;
    for (int y = 0; y < 200; ++y) {
        const QColor c = pixel(w.get(), 0, y);
        QCOMPARE(c.red(), 0);
        QCOMPARE(c.green(), 0);
        QVERIFY(c.blue() <= previous);
        previous = c.blue();
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
