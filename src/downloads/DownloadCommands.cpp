#include "app/CommandWiring.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "browse/Form1.h"
#include "compat/Dialogs.h"
#include "downloads/DownloadList.h"
#include "downloads/Downloads.h"
#include "downloads/frmDownloads.h"

#include <QAction>
#include <QLabel>
#include <QPointer>

using downloads::DownloadList;
using downloads::Entry;
using downloads::State;

namespace {

// What the engine shows when it has nothing to say.
const QLatin1String kIdleText("Done");

QString &lastStatus()
{
    static QString text;
    return text;
}

// The status bar belongs to the engine while it has something to say (a page loading, a
// link under the mouse); downloads speak only when it is idle or when they spoke last.
void showStatus(const QString &text)
{
    if (!Forms::isLoaded<Form1>())
        return;
    QLabel *panel = Forms::get<Form1>()->StatusBarPanel1;
    const QString now = panel->text();
    if (!now.isEmpty() && now != kIdleText && now != lastStatus())
        return;
    panel->setText(text);
    lastStatus() = text;
}

void reportProgress()
{
    int running = 0;
    // In floating point: several files of petabytes would leave a 64-bit count.
    double done = 0;
    double total = 0;
    const DownloadList *list = DownloadList::instance();
    for (int row = 0; row < list->rowCount(); ++row) {
        const Entry *e = list->entryAt(row);
        if (e->state != State::Running)
            continue;
        ++running;
        if (e->size > 0) {
            done += double(e->received);
            total += double(e->size);
        }
    }
    // Said once: the rows also change for reasons of their own (a check, a scan), and the
    // word a finished download left must not give way to the same progress again.
    static QString said;
    const QString text = running > 0
        ? QStringLiteral("Downloading %1 file(s): %2%")
              .arg(running)
              .arg(total > 0 ? int(std::clamp(done / total, 0.0, 1.0) * 100) : 0)
        : QString();
    if (std::exchange(said, text) == text)
        return;
    if (running > 0) {
        showStatus(text);
    } else if (lastStatus().startsWith(QLatin1String("Downloading "))) {
        showStatus(kIdleText);
    }
}

void reportFinished(quint64 id)
{
    if (const Entry *e = DownloadList::instance()->find(id))
        showStatus(QStringLiteral("Downloaded ") + e->fileName());
}

} // namespace

namespace downloads {

void Track(engine::Download *download)
{
    DownloadList *list = DownloadList::instance();
    static QPointer<DownloadList> wired;
    if (wired != list) {
        wired = list;
        QObject::connect(list, &DownloadList::dataChanged, list, &reportProgress);
        QObject::connect(list, &DownloadList::downloadFinished, list, &reportFinished);
    }
    list->add(download);
    frmDownloads::ShowWithoutFocus();
}

bool ConfirmExit()
{
    DownloadList *list = DownloadList::existing();
    const int n = list ? list->unfinishedCount() : 0;
    if (n == 0)
        return true;
    if (compat::MsgBox(QStringLiteral("%1 download(s) still running. Cancel them and exit?").arg(n),
                       compat::vbYesNo | compat::vbQuestion)
        != compat::vbYes)
        return false;
    list->cancelAll();
    return true;
}

} // namespace downloads

void wireDownloadCommands(MDIForm1 *main)
{
    QObject::connect(main->mnuTDownloads, &QAction::triggered, main,
                     [] { Forms::Show<frmDownloads>(); });
    // Only a listener at start-up; the list and its window are made at the first download.
    engine::SetDownloadListener(&downloads::Track);
}
