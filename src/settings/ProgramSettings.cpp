#include "settings/ProgramSettings.h"

#include "app/Hosts.h"
#include "compat/Settings.h"

#include <QHash>
#include <memory>

namespace settings {

namespace {

// The whole [Settings] group, read in one go: every object below takes its value from here.
class Loaded
{
public:
    Loaded() : m_values(compat::ReadAllSettings()) { }
    QString value(const char *key) const { return m_values.value(QLatin1String(key)); }
    bool has(const char *key) const { return m_values.contains(QLatin1String(key)); }

private:
    QHash<QString, QString> m_values;
};

struct Objects
{
    Loaded loaded;
    QObject owner;
    ProgramSettings *program = nullptr;
    SecuritySwitches *switches = nullptr;
    Passcode *passcode = nullptr;
};

std::unique_ptr<Objects> &objects()
{
    static std::unique_ptr<Objects> o;
    return o;
}

Objects &current()
{
    std::unique_ptr<Objects> &o = objects();
    if (!o) {
        o = std::make_unique<Objects>();
        o->program = new ProgramSettings(&o->owner);
        o->switches = new SecuritySwitches(&o->owner);
        o->passcode = new Passcode(&o->owner);
    }
    return *o;
}

const Loaded &loaded()
{
    return objects()->loaded;
}

} // namespace

#define SETTING(key) key, loaded().value(key), loaded().has(key), this

ProgramSettings::ProgramSettings(QObject *parent)
    : QObject(parent), startPage(SETTING("Start Page")), homePage(SETTING("Home Page")),
      searchEngine(SETTING("Search-Engine")), background(SETTING("Bground")),
      showSplash(SETTING("ShowSplash")), tips(SETTING("Tips")), goButton(SETTING("GoBtn")),
      progressBar(SETTING("ProgressBar")), toolbar(SETTING("TB")), httpsFirst(SETTING("HttpsFirst"))
{
}

QString ProgramSettings::defaultSearchEngine()
{
    return QLatin1String(hosts::Dogpile);
}

QString ProgramSettings::aesopSearchEngine()
{
    return QLatin1String(hosts::Aesop);
}

SecuritySwitches::SecuritySwitches(QObject *parent)
    : QObject(parent), log(SETTING("Log")), program(SETTING("PProg")),
      securityArea(SETTING("PSec")), settingsLock(SETTING("PSet"))
{
}

void SecuritySwitches::turnLogOn()
{
    if (!logOn())
        log.setValue(QStringLiteral("1"));
}

Passcode::Passcode(QObject *parent) : QObject(parent), m_stored(SETTING("Passcode"))
{
    connect(&m_stored, &Setting::changed, this, [this] { Q_EMIT changed(workingCopy()); });
}

#undef SETTING

ProgramSettings &Program()
{
    return *current().program;
}

SecuritySwitches &Switches()
{
    return *current().switches;
}

Passcode &PasscodeSetting()
{
    return *current().passcode;
}

void Reload()
{
    objects().reset();
}

} // namespace settings
