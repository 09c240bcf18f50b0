#include "engine/Download.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
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

QString SafeFileName(const QString &suggested)
{
    QString name = suggested.section(QRegularExpression(QStringLiteral("[/\\\\]")), -1);
    // Control characters, and those that turn the text's direction ("exe.txt" shown for
    // "txt.exe"), hide what the file is.
    name.removeIf([](QChar c) {
        return c.category() == QChar::Other_Control || c.category() == QChar::Other_Format
            || c.category() == QChar::Other_Surrogate || c.category() == QChar::Other_NotAssigned;
    });
    name = name.trimmed();
    // A leading dot hides the file; ".." and "." name folders.
    while (name.startsWith(QLatin1Char('.')))
        name = name.mid(1).trimmed();
    while (name.endsWith(QLatin1Char('.')))
        name.chop(1);
    constexpr qsizetype kMaxBytes = 255;
    if (name.toUtf8().size() > kMaxBytes) {
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        QString ext = dot > 0 ? name.mid(dot) : QString();
        if (ext.toUtf8().size() > 32)
            ext.clear();
        QString base = ext.isEmpty() ? name : name.left(dot);
        while (!base.isEmpty() && (base + ext).toUtf8().size() > kMaxBytes)
            base.chop(base.size() > 1 && base.back().isLowSurrogate() ? 2 : 1);
        name = base.trimmed() + ext;
    }
    return name.isEmpty() ? QStringLiteral("download") : name;
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
