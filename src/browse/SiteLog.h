#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// The visited-site log: "sitelog.f" in the folder for the user's files, one quoted, dated line per
// completed download while "Log visited websites" is ticked. Nothing reads it back.

// Appends the line for the address box's text when the log box is ticked. A file that
// cannot be opened or written costs that line (said once a run on standard error) and
// nothing else: browsing goes on.
void SiteLog();

// The log file's full path.
QString SiteLogPath();

// One record: "dd/mm/yy - hh:mm:ss - address" in double quotes, then CR LF. The address
// is written as it stands, quotes inside it included.
QByteArray SiteLogLine(const QDateTime &when, const QString &address);
