#pragma once

#include "engine/WebBrowser.h"

#include <QPointer>
#include <QStringList>

// A scripted browser control: it records what the program asks of it and lets a test
// raise the control's events with the values it chooses.
class FakeWebBrowser : public engine::WebBrowserControl
{
    Q_OBJECT
public:
    explicit FakeWebBrowser(QWidget *parent = nullptr) : engine::WebBrowserControl(parent)
    {
        s_last = this;
    }

    void Navigate(const QString &address) override { navigations.append(address); }
    void GoBack() override { calls << QStringLiteral("back"); }
    void GoForward() override { calls << QStringLiteral("forward"); }
    void Stop() override { calls << QStringLiteral("stop"); }
    QString LocationURL() const override { return locationUrl; }
    QString LocationName() const override
    {
        return locationName.isEmpty() ? locationUrl : locationName;
    }
    void ExecWB(int cmdId, int cmdExecOpt, const QVariant &, QVariant *) override
    {
        calls << QStringLiteral("exec %1,%2").arg(cmdId).arg(cmdExecOpt);
    }
    void AnswerPermission(bool allow) override
    {
        calls << (allow ? QStringLiteral("allow") : QStringLiteral("deny"));
    }

    // Finishes a load as the engine would: the location changes, then DownloadComplete.
    void completeLoad(const QString &url, const QString &title = QString())
    {
        locationUrl = url;
        locationName = title;
        Q_EMIT DownloadComplete();
    }

    // The most recently created fake (each browser window makes its own).
    static FakeWebBrowser *last() { return s_last; }

    QStringList navigations;
    QString locationUrl, locationName;
    // The other commands, in order: "back", "forward", "stop", "exec 6,0", "allow", "deny".
    QStringList calls;

private:
    static inline QPointer<FakeWebBrowser> s_last;
};
