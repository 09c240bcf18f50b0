#include "TestEnv.h"

#include "FakeWebBrowser.h"
#include "app/App.h"
#include "app/Forms.h"
#include "downloads/DownloadList.h"
#include "settings/ProgramSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QSettings>

TestEnv::TestEnv()
{
    resetWindows();
    for (const char *kind : {"CONFIG", "CACHE", "DATA"})
        qputenv(QByteArray("XDG_") + kind + "_HOME",
                QFile::encodeName(path() + '/' + QString::fromLatin1(kind).toLower()));
    // The settings are read again from this test's own store.
    settings::Reload();
    QDir().mkpath(programFolder());
    app::SetProgramFolder(programFolder());
    engine::SetWebBrowserFactory([](QWidget *parent) { return new FakeWebBrowser(parent); });
    compat::SetDialogResponder([this](const compat::DialogRequest &request) {
        boxes.append(request);
        return m_answers.isEmpty() ? compat::DialogAnswer {} : m_answers.takeFirst();
    });
}

TestEnv::~TestEnv()
{
    resetWindows();
    settings::Reload();
    compat::SetDialogResponder({});
    engine::SetWebBrowserFactory({});
    app::SetProgramFolder(QString());
}

QStringList storedSettingsIn(const QString &settingsFile)
{
    QSettings store(settingsFile, QSettings::IniFormat);
    store.beginGroup(QStringLiteral("Settings"));
    QStringList lines;
    for (const QString &key : store.childKeys())
        lines.append(key + QLatin1Char('=') + store.value(key).toString());
    lines.sort();
    return lines;
}

void resetWindows()
{
    Forms::UnloadAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // The list of downloads belongs to the data folder of the test that made it.
    delete downloads::DownloadList::existing();
}
