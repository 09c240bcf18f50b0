#pragma once

#include "platform/WebBrowser.h"

#include <QPointer>
#include <QStringList>

// A scripted browser control: it records what the program asks of it and lets a test
// raise the control's events with the values it chooses.
class FakeWebBrowser : public platform::WebBrowserControl
{
    Q_OBJECT
public:
    explicit FakeWebBrowser(QWidget *parent = nullptr) : platform::WebBrowserControl(parent)
    {
        s_last = this;
    }

    void Navigate(const QString &address) override { navigations.append(address); }
    void GoBack() override { ++backCalls; }
    void GoForward() override { ++forwardCalls; }
    void Stop() override { ++stopCalls; }
    QString LocationURL() const override { return locationUrl; }
    QString LocationName() const override
    {
        return locationName.isEmpty() ? locationUrl : locationName;
    }
    void ExecWB(int cmdId, int cmdExecOpt, const QVariant &, QVariant *) override
    {
        execCalls.append({cmdId, cmdExecOpt});
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
    int backCalls = 0, forwardCalls = 0, stopCalls = 0;
    QList<QPair<int, int>> execCalls;

private:
    static inline QPointer<FakeWebBrowser> s_last;
};
