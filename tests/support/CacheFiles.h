#pragma once

#include "history/basWinInet.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QtEndian>

// Entry files laid out as the browser engine writes them, for tests that build a cache
// folder of their own, and what the cache walk makes of a folder.
namespace cachefiles {

constexpr quint64 kMagic = 0xfcfb6d1ba7725c30ULL;
// The file name the engine gives the entry of this key.
inline QString entryName(const QByteArray &key)
{
    const QByteArray digest = QCryptographicHash::hash(key, QCryptographicHash::Sha1);
    return QString::number(qFromLittleEndian<quint64>(digest.constData()), 16)
               .rightJustified(16, '0')
        + "_0";
}

// Header, key and body.
inline QByteArray entryBytes(const QByteArray &key, quint64 magic = kMagic)
{
    QByteArray bytes(24, '\0');
    qToLittleEndian<quint64>(magic, bytes.data());
    qToLittleEndian<quint32>(5, bytes.data() + 8);
    qToLittleEndian<quint32>(quint32(key.size()), bytes.data() + 12);
    return bytes + key + "<html></html>";
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return QDir().mkpath(QFileInfo(path).absolutePath()) && f.open(QIODevice::WriteOnly)
        && f.write(bytes) == bytes.size();
}

// Writes a valid entry for key into folder; returns its file's path.
inline QString writeEntry(const QString &folder, const QByteArray &key)
{
    const QString path = folder + QLatin1Char('/') + entryName(key);
    return writeFile(path, entryBytes(key)) ? path : QString();
}

inline QStringList lines(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out.append(list->item(i)->text());
    return out;
}

// The URLs one walk of the cache lists, in its order or sorted.
inline QStringList walk(bool sorted = false)
{
    QListWidget list;
    list.setSortingEnabled(sorted);
    basWinInet::ListUrlCache(&list);
    return lines(&list);
}

} // namespace cachefiles
