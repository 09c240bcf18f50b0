#include "app/frmSplash.h"

#include "app/App.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "compat/Twips.h"
#include "security/Security2.h"
#include "security/frmLogin.h"
#include "settings/ProgramSettings.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>

using compat::PlaceTwips;
using compat::Twips;

namespace {

// The product picture: a magnifying glass over a download arrow.
QPixmap productPicture(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    QPainterPath arrow;
    arrow.moveTo(s * 0.30, s * 0.18);
    arrow.lineTo(s * 0.50, s * 0.18);
    arrow.lineTo(s * 0.50, s * 0.42);
    arrow.lineTo(s * 0.62, s * 0.42);
    arrow.lineTo(s * 0.40, s * 0.66);
    arrow.lineTo(s * 0.18, s * 0.42);
    arrow.lineTo(s * 0.30, s * 0.42);
    arrow.closeSubpath();
    p.fillPath(arrow, QColor(0x2e, 0x8b, 0x57));
    p.setPen(QPen(QColor(0x1d, 0x35, 0x57), s * 0.07));
    p.drawEllipse(QPointF(s * 0.40, s * 0.42), s * 0.30, s * 0.30);
    p.setPen(QPen(QColor(0x1d, 0x35, 0x57), s * 0.11, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(s * 0.62, s * 0.64), QPointF(s * 0.88, s * 0.90));
    return pm;
}

} // namespace

// The controls are built by the load, and only when the splash stays up: with the splash
// off it hands over at once, unseen, and the first page need not wait for its picture.
frmSplash::frmSplash() : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint) { }

void frmSplash::setupControls()
{
    setWindowTitle(QStringLiteral("Scoutwell"));
    setFixedSize(Twips(6300), Twips(3300));
    setAutoFillBackground(true);
    QPalette pal = palette();
    QLinearGradient bg(0, 0, 0, height());
    bg.setColorAt(0, QColor(0xf4, 0xf7, 0xfb));
    bg.setColorAt(1, QColor(0xd6, 0xe2, 0xf0));
    pal.setBrush(QPalette::Window, bg);
    pal.setColor(QPalette::WindowText, QColor(0x1d, 0x35, 0x57));
    setPalette(pal);

    Image1 = new QLabel(this);
    PlaceTwips(Image1, 240, 360, 1800, 1800);
    Image1->setPixmap(productPicture(Twips(1800)));

    Label1 = new QLabel(QStringLiteral("Scoutwell V3"), this);
    QFont big = font();
    big.setPointSize(22);
    big.setBold(true);
    Label1->setFont(big);
    PlaceTwips(Label1, 2280, 360, 3840, 600);

    Label5 = new QLabel(QStringLiteral("\u00a9 Kestrelmoor Works. Freeware, found fast."), this);
    PlaceTwips(Label5, 2280, 960, 3900, 300);

    Label2 = new QLabel(QStringLiteral("Step 1. Checking authorisation"), this);
    PlaceTwips(Label2, 2280, 1680, 3840, 255);
    Label3 = new QLabel(QStringLiteral("Step 2. Checking file paths"), this);
    PlaceTwips(Label3, 2280, 1980, 3840, 255);
    Label3->hide();
    Label4 = new QLabel(QStringLiteral("Step 3. Loading program settings"), this);
    PlaceTwips(Label4, 2280, 2280, 3840, 255);
    Label4->hide();

    const struct
    {
        QObject *o;
        const char *name;
    } names[] = {{Image1, "Image1"}, {Label1, "Label1"}, {Label5, "Label5"},
                 {Label2, "Label2"}, {Label3, "Label3"}, {Label4, "Label4"}};
    for (const auto &n : names)
        n.o->setObjectName(QLatin1String(n.name));

    Timer1 = new QTimer(this);
    Timer1->setInterval(2000);
    Timer2 = new QTimer(this);
    Timer2->setInterval(1200);
    Timer3 = new QTimer(this);
    Timer3->setInterval(1200);
    Timer4 = new QTimer(this);
    Timer4->setInterval(1200);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer3->setObjectName(QStringLiteral("Timer3"));
    Timer4->setObjectName(QStringLiteral("Timer4"));
    connect(Timer1, &QTimer::timeout, this, &frmSplash::Timer1_Timer);
    connect(Timer2, &QTimer::timeout, this, &frmSplash::Timer2_Timer);
    connect(Timer3, &QTimer::timeout, this, &frmSplash::Timer3_Timer);
    connect(Timer4, &QTimer::timeout, this, &frmSplash::Timer4_Timer);

    compat::CentreOnScreen(this);
}

void frmSplash::Form_Load()
{
    const QString s = settings::Program().showSplash.value(QStringLiteral("1"));
    if (s == QLatin1String("0")) {
        Forms::Show<MDIForm1>();
        Forms::Unload<frmSplash>();
        return;
    }
    setupControls();
    // Timer1 is enabled when the window loads.
    Timer1->start();
}

void frmSplash::Timer1_Timer()
{
    // The security window is loaded hidden, as the check always has: its load settles the
    // switches in the store.
    Forms::get<Security2>();
    // While the splash waits on an odd value, only an edit of the settings file from outside
    // can change it: the store is read again at every check.
    settings::Setting &lock = settings::Switches().program;
    lock.reload();
    const QString p = lock.read(QStringLiteral("0"));
    if (p == QLatin1String("0")) {
        Timer1->stop();
        Forms::Show<MDIForm1>();
        Forms::Unload<frmSplash>();
    } else if (p == QLatin1String("1")) {
        Timer1->stop();
        ShowLoginWindow();
        Forms::Unload<frmSplash>();
    }
    // Anything else: keep waiting and check again at the next tick.
}

void frmSplash::stopLockCheck()
{
    if (Timer1)
        Timer1->stop();
}

void frmSplash::Timer2_Timer()
{
    Label3->show();
    Timer3->start();
    Timer2->stop();
}

void frmSplash::Timer3_Timer()
{
    Label4->show();
    Timer4->start();
    Timer3->stop();
}

void frmSplash::Timer4_Timer()
{
    Timer4->stop();
    Forms::Show<MDIForm1>();
    Forms::Unload<frmSplash>();
}
