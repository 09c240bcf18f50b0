#include "engine/Download.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace engine {

namespace {

DownloadListener &listener()
{
    static DownloadListener l;
    return l;
}

} // namespace

QString DownloadFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (!folder.isEmpty() && QDir().mkpath(folder))
        return folder;
    return QDir::homePath();
}

QString FreeFileName(const QString &folder, const QString &name, const QStringList &busy)
{
    const QDir dir(folder);
    const auto taken
        = [&](const QString &n) { return dir.exists(n) || busy.contains(dir.filePath(n)); };
    if (!taken(name))
        return name;
    // The number goes before the extension, and before both parts of ".tar.gz" and the like,
    // so the copy still opens with the same program.
    qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        dot = name.size();
    else if (name.left(dot).endsWith(QLatin1String(".tar"), Qt::CaseInsensitive) && dot > 4)
        dot -= 4;
    const QString base = name.left(dot);
    const QString ext = name.mid(dot);
    for (int n = 1;; ++n) {
        const QString candidate = QStringLiteral("%1 (%2)%3").arg(base).arg(n).arg(ext);
        if (!taken(candidate))
            return candidate;
    }
}

void SetDownloadListener(DownloadListener l)
{
    listener() = std::move(l);
}

void AnnounceDownload(Download *download)
{
    if (listener())
        listener()(download);
    else
        download->deleteLater();
}

} // namespace engine
