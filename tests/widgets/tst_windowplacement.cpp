// Windows on the screen: a frame larger than the free area is shrunk and moved inside it,
// and a shrunk window's content scrolls rather than being cut off.
#include "widgets/WindowPlacement.h"

#include <QtTest>
#include <QtWidgets>

using widgets::FitInside;

class TestWindowPlacement : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void fitInside()
    {
        const QRect area(0, 30, 1280, 994); // a panel above
        // clang-format off
        const struct { const char *name; QRect frame, fitted; } cases[] = {
            {"inside stays",          {100, 100, 800, 600},   {100, 100, 800, 600}},
            {"title bar above",       {0, 0, 1280, 700},      {0, 30, 1280, 700}},
            {"too tall, off bottom",  {10, 300, 800, 1344},   {10, 30, 800, 994}},
            {"left of the screen",    {-288, 100, 1548, 600}, {0, 100, 1280, 600}},
            {"off right and bottom",  {1000, 900, 400, 300},  {880, 724, 400, 300}},
            {"exactly the area",      {0, 30, 1280, 994},     {0, 30, 1280, 994}},
        };
        // clang-format on
        for (const auto &c : cases)
            QVERIFY2(FitInside(c.frame, area) == c.fitted, c.name);
    }

    // A fixed-size window wider and taller than the screen, its rows in a scroll area that
    // never scrolls sideways: it is made to fit, and its rows can be scrolled to.
    void shrinksAndScrolls()
    {
        QScreen *screen = QGuiApplication::primaryScreen();
        const QRect avail = screen->availableGeometry();
        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        auto *area = new QScrollArea(&window);
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        area->setWidgetResizable(true);
        auto *rows = new QWidget;
        rows->setMinimumSize(avail.width() + 200, 300);
        area->setWidget(rows);
        layout->addWidget(area);
        window.setFixedSize(avail.width() + 300, avail.height() + 400);
        window.move(avail.left() - 50, avail.top() + 20);

        widgets::FitOnScreen(&window, screen);
        QVERIFY(avail.contains(QRect(window.pos(), window.size())));
        QCOMPARE(window.size(), avail.size());
        QCOMPARE(area->horizontalScrollBarPolicy(), Qt::ScrollBarAsNeeded);

        // A window that fits is left where it is, as it is.
        QWidget small;
        small.resize(200, 100);
        small.move(avail.topLeft() + QPoint(40, 40));
        widgets::FitOnScreen(&small, screen);
        QCOMPARE(QRect(small.pos(), small.size()),
                 QRect(avail.topLeft() + QPoint(40, 40), QSize(200, 100)));
    }
};

QTEST_MAIN(TestWindowPlacement)
#include "tst_windowplacement.moc"
