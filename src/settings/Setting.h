#pragma once

#include <QObject>
#include <QString>

namespace settings {

// One value of the settings store, held here once: read from the store when the program's
// settings are loaded, written back at the moment it changes. Every reader passes its own
// default, as the store's readers always have; a key never written reads as that default.
class Setting : public QObject
{
    Q_OBJECT
public:
    Setting(const char *key, const QString &stored, bool isStored, QObject *parent);

    QString key() const { return m_key; }
    bool isStored() const { return m_stored; }
    // The stored text, or def when the key was never written.
    QString value(const QString &def = QString()) const { return m_stored ? m_value : def; }
    // On/off flags are the exact texts "1" and "0"; anything else is neither.
    bool isOn(const QString &def) const { return value(def) == QLatin1String("1"); }
    bool isOff(const QString &def) const { return value(def) == QLatin1String("0"); }

    // Stores the text at once and tells those who show it.
    void setValue(const QString &text);
    // Reads the store again, for a value only someone outside the program can change at that
    // moment (the program lock the splash waits on).
    void reload();

    // A lock switch's carrier: the text its last reader got (the stored text or that reader's
    // default) or its last writer stored. The gates decide on it.
    QString carried() const { return m_carried; }
    // Reads the value with def and keeps what was read as the carried text.
    QString read(const QString &def);

Q_SIGNALS:
    void changed(const QString &text);
    void carriedChanged(const QString &text);

private:
    void carry(const QString &text);

    QString m_key;
    QString m_value;
    QString m_carried;
    bool m_stored;
};

} // namespace settings
