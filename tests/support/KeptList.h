#pragma once

#include "TestEnv.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

// The rows a downloads.json keeps, newest first.
inline QJsonArray keptRows(const QString &listFile)
{
    return QJsonDocument::fromJson(readFile(listFile))[QLatin1String("downloads")].toArray();
}

// The newest row of the file called `name`, or an empty object.
inline QJsonObject keptRow(const QString &listFile, const QString &name)
{
    for (const QJsonValue &v : keptRows(listFile))
        if (QFileInfo(v[QLatin1String("path")].toString()).fileName() == name)
            return v.toObject();
    return {};
}
