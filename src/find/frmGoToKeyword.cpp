#include "find/frmGoToKeyword.h"

#include "app/App.h"
#include "app/Forms.h"
#include "compat/Twips.h"
#include "find/FindStyle.h"
#include "find/basKeywords.h"
#include "find/frmKeywords.h"
#include "widgets/ClickLabel.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

using compat::PlaceTwips;
using compat::Twips;

namespace {

const QColor kNavy(0x1d, 0x35, 0x57);
const QColor kGreen(0x2e, 0x8b, 0x57);

QPixmap canvas(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    return pm;
}

// A key: what the window is about.
QPixmap keyPicture(int size)
{
    QPixmap pm = canvas(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    p.setPen(QPen(QColor(0xc8, 0x9b, 0x2c), s * 0.10, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(s * 0.30, s * 0.34), s * 0.18, s * 0.18);
    p.drawLine(QPointF(s * 0.43, s * 0.47), QPointF(s * 0.86, s * 0.90));
    p.drawLine(QPointF(s * 0.66, s * 0.70), QPointF(s * 0.76, s * 0.60));
    p.drawLine(QPointF(s * 0.76, s * 0.80), QPointF(s * 0.86, s * 0.70));
    return pm;
}

// A round green button with an arrow pointing on.
QPixmap goPicture(int size)
{
    QPixmap pm = canvas(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    p.setPen(Qt::NoPen);
    p.setBrush(kGreen);
    p.drawEllipse(QRectF(s * 0.05, s * 0.05, s * 0.90, s * 0.90));
    QPainterPath arrow;
    arrow.moveTo(s * 0.28, s * 0.42);
    arrow.lineTo(s * 0.52, s * 0.42);
    arrow.lineTo(s * 0.52, s * 0.28);
    arrow.lineTo(s * 0.76, s * 0.50);
    arrow.lineTo(s * 0.52, s * 0.72);
    arrow.lineTo(s * 0.52, s * 0.58);
    arrow.lineTo(s * 0.28, s * 0.58);
    arrow.closeSubpath();
    p.fillPath(arrow, Qt::white);
    return pm;
}

// A page with lines: the keyword list.
QPixmap listPicture(int size)
{
    QPixmap pm = canvas(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    p.setPen(QPen(kNavy, s * 0.05));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(s * 0.18, s * 0.06, s * 0.64, s * 0.88), s * 0.06, s * 0.06);
    for (int i = 0; i < 4; ++i) {
        const qreal y = s * (0.26 + 0.17 * i);
        p.setPen(QPen(kNavy, s * 0.07, Qt::SolidLine, Qt::RoundCap));
        p.drawPoint(QPointF(s * 0.32, y));
        p.setPen(QPen(QColor(0x6a, 0x7f, 0x9a), s * 0.05, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(s * 0.42, y), QPointF(s * 0.70, y));
    }
    return pm;
}

// A thin rule under the instructions.
QPixmap rulePicture(int width, int height)
{
    QPixmap pm(width, height);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    QLinearGradient g(0, 0, width, 0);
    g.setColorAt(0, kNavy);
    g.setColorAt(1, QColor(0xf4, 0xf7, 0xfb));
    p.fillRect(0, 0, width, height, g);
    return pm;
}

widgets::ClickLabel *pictureButton(QWidget *parent, const char *name, const QPixmap &pm)
{
    auto *b = new widgets::ClickLabel(parent);
    b->setObjectName(QLatin1String(name));
    b->setPixmap(pm);
    b->setAlignment(Qt::AlignCenter);
    return b;
}

widgets::ClickLabel *captionUnder(QWidget *parent, const char *name, const char *text)
{
    auto *l = new widgets::ClickLabel(QLatin1String(text), parent);
    l->setObjectName(QLatin1String(name));
    l->setAlignment(Qt::AlignCenter);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

} // namespace

frmGoToKeyword::frmGoToKeyword()
    : QWidget(nullptr,
              Qt::Window | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint
                  | Qt::WindowCloseButtonHint)
{
    setupControls();
}

void frmGoToKeyword::setupControls()
{
    setWindowTitle(QStringLiteral("Go to keyword ..."));
    setFixedSize(Twips(4920), Twips(2640));
    findstyle::styleWindow(this);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(keyPicture(Twips(600)));
    PlaceTwips(Image1, 120, 120, 600, 600);

    // The design's own wording, spelling included.
    Label1 = new QLabel(QStringLiteral("Please type a valid keyord in the box below then press Go"),
                        this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    PlaceTwips(Label1, 840, 120, 3840, 600);

    Image2 = new QLabel(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setPixmap(rulePicture(Twips(3840), 2));
    PlaceTwips(Image2, 840, 750, 3840, 30);

    Label2 = new QLabel(QStringLiteral("Enter word(s)"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    PlaceTwips(Label2, 840, 870, 3840, 255);

    txtGTKeyword = new QLineEdit(this);
    txtGTKeyword->setObjectName(QStringLiteral("txtGTKeyword"));
    txtGTKeyword->installEventFilter(this);
    PlaceTwips(txtGTKeyword, 840, 1140, 3840, 345);

    Image3 = pictureButton(this, "Image3", goPicture(Twips(480)));
    PlaceTwips(Image3, 2280, 1620, 960, 480);
    Label3 = captionUnder(this, "Label3", "GO!");
    PlaceTwips(Label3, 2280, 2130, 960, 285);

    Image4 = pictureButton(this, "Image4", listPicture(Twips(480)));
    PlaceTwips(Image4, 3360, 1620, 1320, 480);
    Label4 = captionUnder(this, "Label4", "Keyword List");
    PlaceTwips(Label4, 3240, 2130, 1560, 285);

    // The captions under the pictures are part of the buttons.
    connect(Image3, &widgets::ClickLabel::clicked, this, &frmGoToKeyword::Image3_Click);
    connect(Label3, &widgets::ClickLabel::clicked, this, &frmGoToKeyword::Image3_Click);
    connect(Image4, &widgets::ClickLabel::clicked, this, &frmGoToKeyword::Image4_Click);
    connect(Label4, &widgets::ClickLabel::clicked, this, &frmGoToKeyword::Image4_Click);

    txtGTKeyword->setFocus();
    compat::CentreOnScreen(this);
}

void frmGoToKeyword::Image3_Click()
{
    basKeywords::RunGoToKeyword(txtGTKeyword->text());
}

void frmGoToKeyword::Image4_Click()
{
    Forms::Show<frmKeywords>();
}

void frmGoToKeyword::txtGTKeyword_KeyPress(int &keyAscii)
{
    if (keyAscii == 13)
        Image3_Click();
}

bool frmGoToKeyword::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtGTKeyword && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            int keyAscii = 13;
            txtGTKeyword_KeyPress(keyAscii);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
