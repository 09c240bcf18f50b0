#include "settings/Setting.h"

#include "compat/Settings.h"

namespace settings {

Setting::Setting(const char *key, const QString &stored, bool isStored, QObject *parent)
    : QObject(parent), m_key(QLatin1String(key)), m_value(stored), m_stored(isStored)
{
    setObjectName(m_key);
}

void Setting::setValue(const QString &text)
{
    const bool different = !m_stored || m_value != text;
    m_value = text;
    m_stored = true;
    compat::SaveSetting(m_key, text);
    carry(text);
    if (different)
        Q_EMIT changed(text);
}

void Setting::reload()
{
    const QHash<QString, QString> all = compat::ReadAllSettings();
    const bool stored = all.contains(m_key);
    const QString value = all.value(m_key);
    if (stored == m_stored && value == m_value)
        return;
    m_stored = stored;
    m_value = value;
    Q_EMIT changed(value);
}

QString Setting::read(const QString &def)
{
    carry(value(def));
    return m_carried;
}

void Setting::carry(const QString &text)
{
    if (m_carried == text)
        return;
    m_carried = text;
    Q_EMIT carriedChanged(text);
}

} // namespace settings
