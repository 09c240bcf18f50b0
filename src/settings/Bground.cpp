#include "settings/Bground.h"

#include "app/App.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "compat/Dialogs.h"
#include "compat/FileLists.h"
#include "compat/Twips.h"
#include "settings/WorkingCopy.h"
#include "settings/frmSettings.h"
#include "widgets/Activation.h"
#include "widgets/FileChooser.h"

#include <QEvent>
#include <QGuiApplication>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

using compat::PlaceTwips;
using compat::Twips;

namespace {

QPixmap readPicture(const QString &path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return QPixmap::fromImage(reader.read());
}

} // namespace

Bground::Bground() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
{
    setupControls();
}

void Bground::setupControls()
{
    setWindowTitle(QStringLiteral("Skin1"));
    setFixedSize(Twips(6480), Twips(3255));
    // Without a border the window needs an edge of its own to stand out from what is
    // behind it.
    setAttribute(Qt::WA_StyledBackground, true);
    setStyleSheet(QStringLiteral(
        "Bground { border: 2px outset palette(mid); background: palette(window); }"));

    QFont labelFont(QStringLiteral("OCR A Extended"));
    labelFont.setStyleHint(QFont::TypeWriter);
    labelFont.setBold(true);

    // Made before the heading, which it touches: the heading stays on top, to be dragged.
    m_chooser = new widgets::FileChooser(
        {QRect(0, 240, 1695, 315), QRect(0, 600, 1695, 2565), QRect(1680, 600, 1695, 2565)}, this);
    Drive1 = m_chooser->Drive1;
    Dir1 = m_chooser->Dir1;
    File1 = m_chooser->File1;

    Label1 = new QLabel(QStringLiteral("Change Background"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(labelFont);
    Label1->setCursor(Qt::SizeAllCursor);
    Label1->setToolTip(QStringLiteral("Drag to move; Esc closes without applying"));
    PlaceTwips(Label1, 120, 0, 2535, 255);
    Label1->installEventFilter(this);

    Label2 = new QLabel(QStringLiteral("Preview"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(labelFont);
    PlaceTwips(Label2, 3600, 240, 975, 255);
    Image2 = new QLabel(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setScaledContents(true);
    Image2->setFrameShape(QFrame::StyledPanel);
    Image2->setFrameShadow(QFrame::Sunken);
    PlaceTwips(Image2, 3600, 480, 2655, 2295);

    Command1 = new QPushButton(QStringLiteral("Preview"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    PlaceTwips(Command1, 3600, 2880, 1335, 300);
    SetSkin = new QPushButton(QStringLiteral("Apply"), this);
    SetSkin->setObjectName(QStringLiteral("SetSkin"));
    PlaceTwips(SetSkin, 4920, 2880, 1335, 300);

    connect(Command1, &QPushButton::clicked, this, &Bground::Command1_Click);
    connect(SetSkin, &QPushButton::clicked, this, &Bground::SetSkin_Click);

    widgets::OnActivate(this, [this] { Form_Activate(); });
    compat::CentreOnScreen(this);
}

void Bground::Form_Load()
{
    m_chooser->start(app::ProgramFolder());
}

void Bground::Form_Activate()
{
    File1->setPattern(QLatin1String(kPattern));
}

void Bground::keyPressEvent(QKeyEvent *event)
{
    // The window has no title bar and no Cancel: Esc is the way out without applying.
    if (event->key() == Qt::Key_Escape) {
        Forms::Unload<Bground>();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool Bground::eventFilter(QObject *watched, QEvent *event)
{
    // The heading stands where a title bar would be, and moves the window as one does.
    if (watched == Label1 && event->type() == QEvent::MouseButtonPress
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton && windowHandle()) {
        windowHandle()->startSystemMove();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

QString Bground::PicturePath(const QString &folder, const QString &fileName)
{
    QString path = folder + QLatin1Char('/') + fileName;
    path.replace(QStringLiteral("//"), QStringLiteral("/"));
    return path;
}

QPixmap Bground::chosenPicture(QString *path)
{
    *path = PicturePath(File1->Path(), File1->FileName());
    if (File1->FileName().isEmpty()) {
        compat::MsgBox(QStringLiteral("Please choose a picture in the list of files first."),
                       compat::vbExclamation, app::MainCaption());
        return QPixmap();
    }
    const QPixmap picture = readPicture(*path);
    if (picture.isNull())
        compat::MsgBox(QStringLiteral("The picture could not be loaded:\n") + *path,
                       compat::vbExclamation, app::MainCaption());
    return picture;
}

void Bground::Command1_Click()
{
    QString path;
    const QPixmap picture = chosenPicture(&path);
    if (!picture.isNull())
        Image2->setPixmap(picture);
}

void Bground::SetSkin_Click()
{
    QString path;
    const QPixmap picture = chosenPicture(&path);
    // A picture that cannot be used changes nothing, so that the settings window never
    // stores a background the next start cannot load.
    if (picture.isNull())
        return;
    // The settings window may have been closed meanwhile: it is loaded hidden again, and its
    // new working copy takes the path.
    Forms::get<frmSettings>();
    settings::WorkingCopy::current()->setText(settings::WorkingCopy::Background, path);
    Forms::get<MDIForm1>()->setToolbarPicture(picture);
    Forms::Unload<Bground>();
}
