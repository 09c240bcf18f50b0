#include "engine/EngineDownload.h"

#include "compat/Dialogs.h"
#include "engine/BrowserPage.h"

#include <algorithm>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPointer>
#include <QTimer>
#include <QWebEngineDownloadRequest>
#include <QWebEnginePage>
#include <QWebEngineScript>

namespace engine {

namespace {

QList<EngineDownload *> &live()
{
    static QList<EngineDownload *> list;
    return list;
}

} // namespace

EngineDownload::EngineDownload(QWebEngineDownloadRequest *request)
    : m_page(request->page()), m_pageUrl(m_page ? m_page->url().toString() : QString())
{
    live().append(this);
    attach(request);
    // The engine gives the download's last address only. A download a page's navigation
    // turned into has the navigation's redirects before it, which the page saw go by; one
    // started otherwise (a link with "download", a script) shows its own address alone.
    QList<QUrl> chain {request->url()};
    if (const auto *page = qobject_cast<BrowserPage *>(m_page.data())) {
        if (!page->navigationChain().isEmpty() && page->navigationChain().last() == request->url())
            chain = page->navigationChain();
    }
    m_notEncrypted = std::any_of(chain.cbegin(), chain.cend(), [](const QUrl &u) {
        return u.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) == 0;
    });
}

void EngineDownload::attach(QWebEngineDownloadRequest *request)
{
    if (m_request)
        disconnect(m_request, nullptr, this, nullptr);
    m_request = request;
    ++m_attempts;
    setParent(request);
    for (auto signal : {&QWebEngineDownloadRequest::receivedBytesChanged,
                        &QWebEngineDownloadRequest::totalBytesChanged,
                        &QWebEngineDownloadRequest::isPausedChanged,
                        &QWebEngineDownloadRequest::interruptReasonChanged})
        connect(request, signal, this, &Download::changed);
    connect(request, &QWebEngineDownloadRequest::stateChanged, this, &Download::changed);
    Q_EMIT changed();
}

EngineDownload::~EngineDownload()
{
    live().removeOne(this);
}

QString EngineDownload::url() const
{
    return m_request->url().toString();
}

QString EngineDownload::path() const
{
    return QDir(m_request->downloadDirectory()).filePath(m_request->downloadFileName());
}

qint64 EngineDownload::receivedBytes() const
{
    return m_request->receivedBytes();
}

qint64 EngineDownload::totalBytes() const
{
    const qint64 total = m_request->totalBytes();
    return total > 0 ? total : -1;
}

Download::State EngineDownload::state() const
{
    switch (m_request->state()) {
    case QWebEngineDownloadRequest::DownloadCompleted:
        return Finished;
    case QWebEngineDownloadRequest::DownloadCancelled:
        return Cancelled;
    case QWebEngineDownloadRequest::DownloadInterrupted:
        return Failed;
    default:
        return m_request->isPaused() ? Paused : Running;
    }
}

QString EngineDownload::failReason() const
{
    if (state() != Failed)
        return QString();
    // The engine has reasons of its own that its texts do not cover; for those it gives the
    // text of a user's cancel, which would blame the user.
    constexpr int kContentLengthMismatch = 38;
    if (int(m_request->interruptReason()) == kContentLengthMismatch)
        return QStringLiteral("The server ended the file before its announced size (%1 tries)")
            .arg(m_attempts);
    if (m_request->interruptReason() == QWebEngineDownloadRequest::UserCanceled && !m_cancelled)
        return QStringLiteral("The browser engine gave up the download");
    return m_request->interruptReasonString();
}

void EngineDownload::pause()
{
    m_request->pause();
}

void EngineDownload::resume()
{
    m_request->resume();
}

void EngineDownload::cancel()
{
    m_cancelled = true;
    m_request->cancel();
}

void EngineDownload::readPage(std::function<void(const QString &, const QStringList &)> done)
{
    if (!m_page)
        return;
    struct Parts
    {
        std::optional<QString> text;
        std::optional<QStringList> links;
    };
    auto parts = std::make_shared<Parts>();
    const auto both = [parts, done] {
        if (parts->text && parts->links)
            done(*parts->text, *parts->links);
    };
    m_page->toPlainText([parts, both](const QString &text) {
        parts->text = text;
        both();
    });
    // In the program's own world: the page's scripts neither see nor change this.
    m_page->runJavaScript(QStringLiteral("Array.from(document.links, a => a.href)"),
                          QWebEngineScript::ApplicationWorld, [parts, both](const QVariant &links) {
                              parts->links = links.toStringList();
                              both();
                          });
}

void EngineDownload::fetchText(const QString &url, std::function<void(const QString &)> done)
{
    if (!m_page)
        return done(QString());
    static int lastKey = 0;
    const int key = ++lastKey;
    const QString quoted
        = QString::fromUtf8(QJsonDocument(QJsonArray {url}).toJson(QJsonDocument::Compact));
    // Fetched by the page itself, with its cookies and rules, read in pieces and given up
    // past 1 MB; the result waits in this world's own variable until asked for.
    m_page->runJavaScript(
        QStringLiteral("(function () {"
                       "  const box = window.__scoutwellTexts = window.__scoutwellTexts || {};"
                       "  box[%1] = null;"
                       "  fetch(%2[0], {credentials: 'include'}).then(async r => {"
                       "    if (!r.ok || !r.body) throw 0;"
                       "    const reader = r.body.getReader(), parts = [];"
                       "    let n = 0;"
                       "    for (;;) {"
                       "      const x = await reader.read();"
                       "      if (x.done) break;"
                       "      n += x.value.length;"
                       "      if (n > 1048576) { reader.cancel(); throw 0; }"
                       "      parts.push(x.value);"
                       "    }"
                       "    const all = new Uint8Array(n);"
                       "    let at = 0;"
                       "    for (const p of parts) { all.set(p, at); at += p.length; }"
                       "    box[%1] = {text: new TextDecoder().decode(all)};"
                       "  }).catch(() => { box[%1] = {text: null}; });"
                       "})()")
            .arg(key)
            .arg(quoted),
        QWebEngineScript::ApplicationWorld);
    auto *poll = new QTimer(this);
    auto tries = std::make_shared<int>(0);
    connect(poll, &QTimer::timeout, this, [this, poll, key, tries, done] {
        if (!m_page || ++*tries > 300) {
            poll->deleteLater();
            return done(QString());
        }
        m_page->runJavaScript(
            QStringLiteral("(function () { const box = window.__scoutwellTexts || {};"
                           "  const v = box[%1]; if (!v) return 0; delete box[%1];"
                           "  return v.text === null ? 1 : v.text; })()")
                .arg(key),
            QWebEngineScript::ApplicationWorld, [poll, done](const QVariant &v) {
                if (!poll->isActive())
                    return;
                if (v.typeId() == QMetaType::QString) {
                    poll->stop();
                    poll->deleteLater();
                    done(v.toString());
                } else if (v.toInt() == 1) {
                    poll->stop();
                    poll->deleteLater();
                    done(QString());
                }
            });
    });
    poll->start(100);
}

QStringList EngineDownload::busyPaths()
{
    QStringList paths;
    for (EngineDownload *d : live()) {
        if (d->state() == Running || d->state() == Paused)
            paths.append(d->path());
    }
    return paths;
}

void EngineDownload::onDownloadRequested(QWebEngineDownloadRequest *request)
{
    if (request->isSavePageDownload()) {
        request->accept();
        return;
    }
    // A connection that broke off is picked up again by the engine as a new request for the
    // same download: it goes on into the same file, without asking again.
    for (EngineDownload *d : live()) {
        if (d->m_request->id() == request->id()
            && (d->state() == Running || d->state() == Paused)) {
            request->setDownloadDirectory(d->m_request->downloadDirectory());
            request->setDownloadFileName(d->m_request->downloadFileName());
            request->accept();
            d->attach(request);
            return;
        }
    }
    const QString folder = DownloadFolder();
    // The server's name is never trusted to stay inside the folder or to show what it is.
    const QString name = SafeFileName(request->suggestedFileName());
    QString offered = QDir(folder).filePath(FreeFileName(folder, name, busyPaths()));
    // The engine's request may go away while the dialog is open (the page closed).
    const QPointer<QWebEngineDownloadRequest> guard(request);
    QString path;
    for (;;) {
        path = QFileDialog::getSaveFileName(QApplication::activeWindow(),
                                            QStringLiteral("Save File"), offered);
        if (!guard)
            return;
        if (path.isEmpty()) {
            request->cancel();
            return;
        }
        // Writing through a link, or into a pipe or a device, puts the bytes somewhere else.
        const QFileInfo chosen(path);
        if (!chosen.isSymLink() && (!chosen.exists() || chosen.isFile()))
            break;
        compat::MsgBox(QStringLiteral("%1 is a link or not a plain file; the download cannot "
                                      "be saved there. Choose another name.")
                           .arg(QDir::toNativeSeparators(path)),
                       compat::vbExclamation);
        offered = QDir(chosen.absolutePath()).filePath(name);
    }
    const QFileInfo info(path);
    request->setDownloadDirectory(info.absolutePath());
    request->setDownloadFileName(info.fileName());
    request->accept();
    AnnounceDownload(new EngineDownload(request));
}

} // namespace engine
