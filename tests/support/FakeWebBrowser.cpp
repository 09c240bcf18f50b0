#include "FakeWebBrowser.h"

#include <QPointer>

namespace {
QPointer<FakeWebBrowser> &lastFake()
{
    static QPointer<FakeWebBrowser> p;
    return p;
}
} // namespace

FakeWebBrowser::FakeWebBrowser(QWidget *parent) : platform::WebBrowserControl(parent)
{
    lastFake() = this;
}

FakeWebBrowser *FakeWebBrowser::last()
{
    return lastFake();
}

void FakeWebBrowser::ExecWB(int cmdId, int cmdExecOpt, const QVariant &, QVariant *)
{
    execCalls.append({cmdId, cmdExecOpt});
}

void FakeWebBrowser::completeLoad(const QString &url, const QString &title)
{
    locationUrl = url;
    locationName = title;
    Q_EMIT DownloadComplete();
}
