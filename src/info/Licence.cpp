#include "info/Licence.h"

#include "app/App.h"
#include "app/Forms.h"
#include "compat/Twips.h"

#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QVBoxLayout>

using compat::PlaceTwips;
using compat::Twips;

QString LicenceText()
{
    // The same file as the LICENSE at the top of the sources, compiled in.
    QFile f(QStringLiteral(":/scoutwell/LICENSE"));
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll());
}

QString LicenceKind()
{
    return QStringLiteral("MIT License (free software)");
}

Licence::Licence() : QWidget(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setupControls();
}

void Licence::setupControls()
{
    setWindowTitle(QStringLiteral("Licence"));
    setFixedSize(Twips(7200), Twips(5400));

    Label1 = new QLabel(QStringLiteral(" Licence Information"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    PlaceTwips(Label1, 0, 0, 7200, 435);
    QFont heading = Label1->font();
    heading.setBold(true);
    heading.setPointSizeF(heading.pointSizeF() * 1.3);
    Label1->setFont(heading);
    Label1->setAutoFillBackground(true);
    QPalette band = Label1->palette();
    band.setColor(QPalette::Window, band.color(QPalette::Highlight));
    band.setColor(QPalette::WindowText, band.color(QPalette::HighlightedText));
    Label1->setPalette(band);

    Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setFrameShape(QFrame::Box);
    PlaceTwips(Shape1, 120, 555, 6960, 4260);
    auto *inside = new QVBoxLayout(Shape1);
    inside->setContentsMargins(4, 4, 4, 4);
    Text1 = new QPlainTextEdit(Shape1);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    Text1->setFrameShape(QFrame::NoFrame);
    Text1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    inside->addWidget(Text1);

    Label4 = new QLabel(QStringLiteral("Close"), this);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setAlignment(Qt::AlignCenter);
    Label4->setCursor(Qt::PointingHandCursor);
    Label4->setFrameShape(QFrame::Panel);
    Label4->setFrameShadow(QFrame::Raised);
    PlaceTwips(Label4, 5880, 4935, 1200, 345);
    Label4->installEventFilter(this);

    compat::CentreOnScreen(this);
}

void Licence::Form_Load()
{
    // The file's lines are broken for an 80-column terminal; here each paragraph flows to
    // the width of the box.
    QStringList paragraphs = LicenceText().trimmed().split(QStringLiteral("\n\n"));
    for (QString &p : paragraphs)
        p.replace(QLatin1Char('\n'), QLatin1Char(' '));
    Text1->setPlainText(paragraphs.join(QStringLiteral("\n\n")));
}

bool Licence::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Label4 && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton
        && Label4->rect().contains(static_cast<QMouseEvent *>(event)->position().toPoint())) {
        Label4_Click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void Licence::Label4_Click()
{
    Forms::Unload<Licence>();
}
