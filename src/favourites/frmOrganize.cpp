#include "favourites/frmOrganize.h"

#include "app/App.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "compat/Dialogs.h"
#include "compat/PrivateProfile.h"
#include "compat/Twips.h"
#include "favourites/FavouritesMenu.h"

#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QScreen>
#include <QShortcut>
#include <QTextDocument>

using compat::Twips;

frmOrganize::frmOrganize()
    : QWidget(nullptr,
              Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                  | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint)
{
    setupControls();
}

void frmOrganize::setupControls()
{
    setWindowTitle(QStringLiteral("Organize favourites"));
    setMinimumSize(Twips(kWidthTwips), Twips(kHeightTwips));
    resize(Twips(kWidthTwips), Twips(kHeightTwips));

    Label1 = new QLabel(QStringLiteral("Note: This file MUST remain in the format as below. "
                                       "Changing the format of this file will prevent your "
                                       "favourites from loading in future."),
                        this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(QStringLiteral("If you add or remove a favourite, you MUST make sure you "
                                       "also remove the URL on the same corresponding number. "
                                       "(i.e. name: 1= - URL: 1=)"),
                        this);
    Label2->setObjectName(QStringLiteral("Label2"));
    for (QLabel *note : {Label1, Label2}) {
        note->setWordWrap(true);
        note->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }

    Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setFrameShape(QFrame::Box);
    Shape1->setFrameShadow(QFrame::Plain);

    rtb1 = new QPlainTextEdit(this);
    rtb1->setObjectName(QStringLiteral("rtb1"));
    rtb1->setLineWrapMode(QPlainTextEdit::NoWrap);
    rtb1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    Label3 = new QLabel(QStringLiteral("Save"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setAlignment(Qt::AlignCenter);
    Label3->setFrameShape(QFrame::Panel);
    Label3->setFrameShadow(QFrame::Raised);
    QFont bold = Label3->font();
    bold.setBold(true);
    Label3->setFont(bold);
    Label3->setCursor(Qt::PointingHandCursor);
    Label3->setToolTip(QStringLiteral("Save favourites.ini (Ctrl+S)"));
    Label3->installEventFilter(this);

    // The label has no keyboard of its own; an editor is expected to save on Ctrl+S.
    auto *save = new QShortcut(QKeySequence::Save, this);
    connect(save, &QShortcut::activated, this, &frmOrganize::Label3_Click);

    layoutControls();
    compat::CentreOnScreen(this);
}

void frmOrganize::layoutControls()
{
    const int margin = Twips(120);
    const int w = width() - 2 * margin;
    Label1->setGeometry(margin, margin, w, Twips(450));
    Label2->setGeometry(margin, Twips(630), w, Twips(450));
    const int saveHeight = Twips(375);
    const int frameTop = Twips(1140);
    const int frameBottom = height() - margin - saveHeight - margin;
    Shape1->setGeometry(margin, frameTop, w, frameBottom - frameTop);
    rtb1->setGeometry(Shape1->geometry().adjusted(Twips(60), Twips(60), -Twips(60), -Twips(60)));
    Label3->setGeometry(width() - margin - Twips(975), height() - margin - saveHeight, Twips(975),
                        saveHeight);
}

void frmOrganize::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutControls();
}

void frmOrganize::Form_Load()
{
    // The window wears the main window's icon (rather than its toolbar picture), as every
    // window of the program does.
    if (Forms::isLoaded<MDIForm1>())
        setWindowIcon(Forms::get<MDIForm1>()->windowIcon());

    m_path = favourites::FavouritesFile();
    QFile file(m_path);
    if (!file.exists()) {
        // Nothing to edit yet: Save creates the file.
        return;
    }
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    if (!file.isOpen() || file.error() != QFileDevice::NoError || !QFileInfo(m_path).isFile()) {
        // Saving over a file that could not be shown would throw the user's favourites away.
        compat::MsgBox(QStringLiteral("favourites.ini could not be read (%1), so it cannot be "
                                      "organized.")
                           .arg(file.errorString()),
                       compat::vbExclamation, app::MainCaption());
        Forms::Unload<frmOrganize>();
        return;
    }
    m_latin1 = !compat::IsValidUtf8(bytes);
    m_crlf = bytes.contains("\r\n");
    QString text = compat::ProfileText(bytes);
    if (m_crlf)
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    rtb1->setPlainText(text);
}

QByteArray frmOrganize::bytesToSave() const
{
    // The raw text keeps every character as typed (the plain-text form would turn
    // no-break spaces into blanks); only the paragraph breaks become line ends.
    QString text = rtb1->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    if (m_crlf)
        text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    if (m_latin1) {
        const bool fits
            = std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() <= 0xFF; });
        if (fits)
            return text.toLatin1();
    }
    return text.toUtf8();
}

void frmOrganize::Label3_Click()
{
    // The new text goes to a temporary file beside the old one, which is renamed over it
    // only once it is complete: the file is either wholly replaced or left as it was.
    QSaveFile file(m_path);
    bool saved = file.open(QIODevice::WriteOnly);
    if (saved) {
        const QByteArray bytes = bytesToSave();
        // A failure while the buffered bytes go out is not remembered by the commit, so
        // flush first and give up on the temporary file if anything went wrong.
        saved = file.write(bytes) == bytes.size() && file.flush();
        if (!saved)
            file.cancelWriting();
        saved = file.commit() && saved;
    }
    if (!saved) {
        compat::MsgBox(QStringLiteral("favourites.ini could not be saved (%1). The file is "
                                      "unchanged; your edits are still in this window.")
                           .arg(file.errorString()),
                       compat::vbExclamation, app::MainCaption());
        return;
    }
    compat::MsgBox(
        QStringLiteral("You must re-start this program before your changes will take effect"),
        compat::vbInformation, QStringLiteral("Update Successful"));
    Forms::Unload<frmOrganize>();
}

bool frmOrganize::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Label3 && event->type() == QEvent::MouseButtonRelease) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton
            && Label3->rect().contains(mouse->position().toPoint())) {
            Label3_Click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
