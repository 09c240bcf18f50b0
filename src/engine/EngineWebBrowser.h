#pragma once

#include "engine/WebBrowser.h"

class QKeyEvent;
class QWebEngineView;
class QWebEngineProfile;

namespace engine {
class PagePermissions;

// The browser control over the browser engine. All windows share one persistent profile,
// so cookies, history and the HTTP cache on disk survive restarts.
class EngineWebBrowser : public WebBrowserControl
{
    Q_OBJECT
public:
    explicit EngineWebBrowser(QWidget *parent = nullptr);

    void Navigate(const QString &address) override;
    void GoBack() override;
    void GoForward() override;
    void Stop() override;
    QString LocationURL() const override;
    QString LocationName() const override;
    void ExecWB(int cmdId, int cmdExecOpt, const QVariant &in, QVariant *out) override;
    void AnswerPermission(bool allow) override;

    QWebEngineView *view() const { return m_view; }

    static QWebEngineProfile *profile();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void open(const QUrl &url);
    void announceLoad(const QUrl &url);
    void emitCommandStates();
    void saveAs();
    void print();
    void printPreview();
    bool pageTakesKey(const QKeyEvent *key) const;

    QWebEngineView *m_view;
    PagePermissions *m_permissions;
    bool m_loading = false;
    QString m_loadingText; // the status text of the load under way
};

} // namespace engine
