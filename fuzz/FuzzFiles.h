#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

// A scratch folder for the whole run, pointed to by the XDG folders, so that no target
// ever touches the real home folder.
inline QTemporaryDir &scratch()
{
    static QTemporaryDir dir;
    static const bool pointed = [] {
        for (const char *var : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME"})
            qputenv(var, QFile::encodeName(dir.path()));
        return true;
    }();
    Q_UNUSED(pointed);
    return dir;
}

inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(path.section(QLatin1Char('/'), 0, -2));
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

// The input cut at its first newline: what comes before and what comes after.
inline QByteArray takeLine(QByteArray &bytes)
{
    const qsizetype eol = bytes.indexOf('\n');
    const QByteArray head = eol < 0 ? bytes : bytes.left(eol);
    bytes = eol < 0 ? QByteArray() : bytes.mid(eol + 1);
    return head;
}
