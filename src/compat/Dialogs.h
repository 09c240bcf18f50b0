#pragma once

#include <QString>
#include <functional>

class QWidget;

// Message boxes and the input box, taking the style numbers the program's windows use:
// the low bits choose the buttons (0 OK, 1 OK/Cancel, 2 Abort/Retry/Ignore,
// 3 Yes/No/Cancel, 4 Yes/No, 5 Retry/Cancel), 16 critical, 32 question, 48 exclamation,
// 64 information, and 4096 keeps the box in front of every window until it is answered.
namespace compat {

enum MsgBoxStyle {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbSystemModal = 4096,
};

enum MsgBoxResult {
    vbOK = 1,
    vbCancel = 2,
    vbAbort = 3,
    vbRetry = 4,
    vbIgnore = 5,
    vbYes = 6,
    vbNo = 7,
};

// Shows a message box and returns the button pressed. An empty title gives the program's
// title, as the original runtime did.
int MsgBox(const QString &prompt, int style = vbOKOnly, const QString &title = QString());

// Asks for one line of text; returns the typed text on OK and "" on Cancel.
QString InputBox(const QString &prompt, const QString &title = QString(),
                 const QString &defaultText = QString());

// One box as the program asked for it.
struct DialogRequest
{
    enum Kind { Message, Input } kind = Message;
    QString prompt;
    QString title;
    int style = 0;
    QString defaultText;
};

struct DialogAnswer
{
    int button = vbOK;
    QString text;
};

// Tests install a responder that sees every box instead of the screen and answers it.
// Passing an empty function restores the real boxes.
using DialogResponder = std::function<DialogAnswer(const DialogRequest &)>;
void SetDialogResponder(DialogResponder responder);

} // namespace compat
