#pragma once

#include <QString>
#include <QVariant>
#include <QWidget>
#include <functional>

namespace engine {

// Command ids and options of ExecWB, as the browser control has always numbered them.
enum OleCmdId { OLECMDID_SAVEAS = 4, OLECMDID_PRINT = 6, OLECMDID_PRINTPREVIEW = 7 };
enum OleCmdExecOpt {
    OLECMDEXECOPT_DODEFAULT = 0,
    OLECMDEXECOPT_PROMPTUSER = 1,
    OLECMDEXECOPT_DONTPROMPTUSER = 2
};

// What ConnectionChange reports of the page shown.
enum ConnectionState {
    ConnectionLocal = 0, // a page of the program or of this machine
    ConnectionSecure = 1,
    ConnectionNotEncrypted = 2,
    ConnectionCertificateError = 3 // HTTPS whose certificate error the user let through
};

// Values of CommandStateChange's Command argument.
enum CommandStateId { CSC_NAVIGATEFORWARD = 1, CSC_NAVIGATEBACK = 2 };

// The browser control the browser window hosts: the operations and events the program
// uses, under the control's own names. The real one runs on the browser engine; tests use
// a scripted fake of the same interface.
class WebBrowserControl : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;

    // Starts loading an address exactly as given. Besides web addresses the control takes
    // "about:blank", "view-source:" addresses, local file paths, "mailto:" addresses (handed
    // on to the mail program) and text without a scheme.
    virtual void Navigate(const QString &address) = 0;
    virtual void GoBack() = 0;
    virtual void GoForward() = 0;
    virtual void Stop() = 0;
    // The address of the page shown.
    virtual QString LocationURL() const = 0;
    // The title of the page shown, or its address when it has none.
    virtual QString LocationName() const = 0;
    // Save as (4), print (6) and print preview (7).
    virtual void ExecWB(int cmdId, int cmdExecOpt, const QVariant &in = QVariant(),
                        QVariant *out = nullptr)
        = 0;
    // The user's answer to the question PermissionRequest put last.
    virtual void AnswerPermission(bool allow) { Q_UNUSED(allow); }

Q_SIGNALS:
    void StatusTextChange(const QString &text);
    void ProgressChange(int progress, int progressMax);
    void CommandStateChange(int command, bool enable);
    void DownloadComplete();
    // The connection of the page shown; detail names its host (and what is known of its
    // certificate).
    void ConnectionChange(int state, const QString &detail);
    // A page asks for what only the user may give ("<host> wants to ..."), with how many
    // more questions wait behind it; an empty question takes the last one back (answered,
    // withdrawn by the page, or the page left).
    void PermissionRequest(const QString &question, int waiting);
};

using WebBrowserFactory = std::function<WebBrowserControl *(QWidget *parent)>;

// Makes the browser control for a browser window: the engine's, unless a test installed
// a factory of its own (an empty factory restores the engine).
WebBrowserControl *CreateWebBrowser(QWidget *parent);
void SetWebBrowserFactory(WebBrowserFactory factory);

// The folder holding the engine's on-disk HTTP cache for this user.
QString BrowserCachePath();

} // namespace engine
