#include "FakeWebBrowser.h"

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
