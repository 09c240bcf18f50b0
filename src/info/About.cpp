#include "info/About.h"

#include "app/App.h"
#include "app/Forms.h"
#include "app/Hosts.h"
#include "compat/Shell.h"
#include "compat/Twips.h"
#include "info/Licence.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

using compat::PlaceTwips;
using compat::Twips;

About::About() : QWidget(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setupControls();
}

void About::setupControls()
{
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(Twips(5640), Twips(3720));

    auto label
        = [this](const char *name, const QString &text, int left, int top, int width, int height) {
              auto *l = new QLabel(text, this);
              l->setObjectName(QLatin1String(name));
              l->setTextFormat(Qt::PlainText);
              PlaceTwips(l, left, top, width, height);
              return l;
          };

    Image1 = label("Image1", QString(), 240, 240, 720, 720);
    Image1->setPixmap(QApplication::style()
                          ->standardIcon(QStyle::SP_FileDialogContentsView)
                          .pixmap(Twips(720), Twips(720)));

    Label1 = label("Label1", QString(), 1200, 240, 4200, 495);
    QFont title = Label1->font();
    title.setBold(true);
    title.setPointSizeF(title.pointSizeF() * 1.8);
    Label1->setFont(title);

    const struct
    {
        QLabel **name, **colon, **value;
        const char *nameId, *colonId, *valueId;
        const char *caption;
    } rows[] = {
        {&Label2, &Label8, &Label13, "Label2", "Label8", "Label13", "Version"},
        {&Label3, &Label10, &Label15, "Label3", "Label10", "Label15", "Author"},
        {&Label4, &Label11, &Label16, "Label4", "Label11", "Label16", "Homepage"},
        {&Label5, &Label12, &Label17, "Label5", "Label12", "Label17", "Licence"},
    };
    int top = 900;
    for (const auto &r : rows) {
        *r.name = label(r.nameId, QLatin1String(r.caption), 1200, top, 1080, 255);
        *r.colon = label(r.colonId, QStringLiteral(":"), 2280, top, 120, 255);
        *r.value = label(r.valueId, QString(), 2460, top, 3060, 255);
        top += 300;
    }

    Label7 = label("Label7",
                   QStringLiteral("This program is provided as is, without warranty of any "
                                  "kind. You use it at your own risk: the maker is not liable "
                                  "for any damage or loss that comes of its use."),
                   240, 2160, 5160, 675);
    Label7->setWordWrap(true);

    Label6 = label("Label6", QStringLiteral("Copyright \u00a9 2026 ") + app::CompanyName(), 240,
                   3030, 3960, 255);
    Label6->setCursor(Qt::PointingHandCursor);
    QFont link = Label6->font();
    link.setUnderline(true);
    Label6->setFont(link);
    QPalette linkPalette = Label6->palette();
    linkPalette.setColor(QPalette::WindowText, linkPalette.color(QPalette::Link));
    Label6->setPalette(linkPalette);
    Label6->installEventFilter(this);

    Command1 = new QPushButton(QStringLiteral("&Close"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    PlaceTwips(Command1, 4320, 3000, 1095, 375);
    connect(Command1, &QPushButton::clicked, this, &About::Command1_Click);

    compat::CentreOnScreen(this);
}

void About::Form_Load()
{
    Label1->setText(app::AppTitle());
    Label13->setText(app::VersionText(app::AppMajor(), app::AppMinor()));
    Label15->setText(app::CompanyName());
    Label16->setText(QLatin1String(hosts::Maker));
    Label17->setText(LicenceKind());
    Label6->setToolTip(QLatin1String(hosts::Maker));
}

bool About::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Label6 && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        Label6_Click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void About::Command1_Click()
{
    Forms::Unload<About>();
}

void About::Label6_Click()
{
    compat::ShellExecuteA(this, QStringLiteral("open"), QLatin1String(hosts::Maker), QString(),
                          QString(), compat::SW_SHOWNORMAL);
}
