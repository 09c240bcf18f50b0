#include "browse/SiteLog.h"

#include "app/App.h"
#include "app/Forms.h"
#include "app/MDIForm1.h"
#include "browse/Clock.h"
#include "settings/ProgramSettings.h"

#include <QFile>

#include <cstdio>

QString SiteLogPath()
{
    return app::UserFilesFolder() + QStringLiteral("/sitelog.f");
}

QByteArray SiteLogLine(const QDateTime &when, const QString &address)
{
    const QDate d = when.date();
    const QTime t = when.time();
    const QString value
        = QString::asprintf("%02d/%02d/%02d - %02d:%02d:%02d - ", d.day(), d.month(),
                            d.year() % 100, t.hour(), t.minute(), t.second())
        + address;
    return '"' + value.toLocal8Bit() + "\"\r\n";
}

void SiteLog()
{
    if (!settings::Switches().logOn())
        return;
    const QByteArray line = SiteLogLine(browse::Now(), Forms::get<MDIForm1>()->address());
    QFile file(SiteLogPath());
    // The log tells which sites were visited: a new file is readable by its owner only.
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Append,
                                   QFileDevice::ReadOwner | QFileDevice::WriteOwner)
        && file.write(line) == line.size() && file.flush();
    file.close();
    // Browsing goes on without the line; the user hears of it once a run, not once a page.
    static bool told = false;
    if (!written && !told) {
        told = true;
        std::fprintf(stderr, "scoutwell: the site log %s cannot be written (%s); lines are lost\n",
                     qPrintable(file.fileName()), qPrintable(file.errorString()));
    }
}
