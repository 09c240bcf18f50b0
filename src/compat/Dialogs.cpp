#include "compat/Dialogs.h"

#include "app/App.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace compat {

namespace {

DialogResponder &responder()
{
    static DialogResponder r;
    return r;
}

QWidget *dialogParent()
{
    QWidget *w = QApplication::activeWindow();
    return (w && w->isVisible()) ? w : nullptr;
}

struct ButtonSpec
{
    QMessageBox::StandardButton qt;
    int result;
};

QList<ButtonSpec> buttonsFor(int style)
{
    switch (style & 7) {
    case vbOKCancel:
        return {{QMessageBox::Ok, vbOK}, {QMessageBox::Cancel, vbCancel}};
    case vbAbortRetryIgnore:
        return {{QMessageBox::Abort, vbAbort},
                {QMessageBox::Retry, vbRetry},
                {QMessageBox::Ignore, vbIgnore}};
    case vbYesNoCancel:
        return {
            {QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}, {QMessageBox::Cancel, vbCancel}};
    case vbYesNo:
        return {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}};
    case vbRetryCancel:
        return {{QMessageBox::Retry, vbRetry}, {QMessageBox::Cancel, vbCancel}};
    default:
        return {{QMessageBox::Ok, vbOK}};
    }
}

QMessageBox::Icon iconFor(int style)
{
    switch (style & 0x70) {
    case vbCritical:
        return QMessageBox::Critical;
    case vbQuestion:
        return QMessageBox::Question;
    case vbExclamation:
        return QMessageBox::Warning;
    case vbInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

} // namespace

void SetDialogResponder(DialogResponder r)
{
    responder() = std::move(r);
}

int MsgBox(const QString &prompt, int style, const QString &title)
{
    const QString caption = title.isEmpty() ? app::AppTitle() : title;
    if (responder())
        return responder()({DialogRequest::Message, prompt, caption, style, QString()}).button;

    QMessageBox box(iconFor(style), caption, prompt, QMessageBox::NoButton, dialogParent());
    const QList<ButtonSpec> buttons = buttonsFor(style);
    for (const ButtonSpec &b : buttons)
        box.addButton(b.qt);
    if (style & vbSystemModal) {
        box.setWindowModality(Qt::ApplicationModal);
        box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    }
    box.exec();
    const QMessageBox::StandardButton pressed = box.standardButton(box.clickedButton());
    for (const ButtonSpec &b : buttons) {
        if (b.qt == pressed)
            return b.result;
    }
    // Closed through the title bar: the box's escape answer.
    return buttons.size() == 1 ? buttons.first().result : vbCancel;
}

QString InputBox(const QString &prompt, const QString &title, const QString &defaultText)
{
    const QString caption = title.isEmpty() ? app::AppTitle() : title;
    if (responder()) {
        DialogAnswer a = responder()({DialogRequest::Input, prompt, caption, 0, defaultText});
        return a.button == vbOK ? a.text : QString();
    }
    QInputDialog dialog(dialogParent());
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    dialog.setTextEchoMode(QLineEdit::Normal);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.textValue();
}

} // namespace compat
