#pragma once

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

// What a test reads back: a file's bytes, and the rows a downloads.json keeps.
inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The kept rows, newest first.
inline QJsonArray keptRows(const QString &listFile)
{
    return QJsonDocument::fromJson(readFile(listFile))
        .object()
        .value(QStringLiteral("downloads"))
        .toArray();
}

// The newest row of the file called `name`, or an empty object.
inline QJsonObject keptRow(const QString &listFile, const QString &name)
{
    for (const QJsonValue &v : keptRows(listFile)) {
        if (QFileInfo(v[QStringLiteral("path")].toString()).fileName() == name)
            return v.toObject();
    }
    return {};
}
