#include "TestEnv.h"

#include "FakeWebBrowser.h"
#include "app/Forms.h"
#include "downloads/DownloadList.h"
#include "platform/App.h"
#include "platform/Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QSettings>

TestEnv::TestEnv()
{
    resetWindows();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path() + QStringLiteral("/config")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(m_dir.path() + QStringLiteral("/cache")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.path() + QStringLiteral("/data")));
    QDir().mkpath(programFolder());
    platform::SetProgramFolder(programFolder());
    platform::SetWebBrowserFactory([](QWidget *parent) { return new FakeWebBrowser(parent); });
    platform::SetDialogResponder([this](const platform::DialogRequest &request) {
        boxes.append(request);
        return m_answers.isEmpty() ? platform::DialogAnswer {} : m_answers.takeFirst();
    });
}

TestEnv::~TestEnv()
{
    resetWindows();
    platform::SetDialogResponder({});
    platform::SetWebBrowserFactory({});
    platform::SetProgramFolder(QString());
}

QString TestEnv::programFolder() const
{
    return m_dir.path() + QStringLiteral("/program");
}

QString TestEnv::settingsFile() const
{
    return platform::SettingsFilePath();
}

QStringList TestEnv::storedSettings() const
{
    return storedSettingsIn(settingsFile());
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

void TestEnv::queueAnswer(int button, const QString &text)
{
    m_answers.append({button, text});
}

void resetWindows()
{
    Forms::UnloadAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // The list of downloads belongs to the data folder of the test that made it.
    delete downloads::DownloadList::existing();
}
