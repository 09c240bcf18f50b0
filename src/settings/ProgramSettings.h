#pragma once

#include "settings/Setting.h"

#include <QObject>

// The program's state that outlives windows: its settings, the four security switches and
// the passcode. Each is loaded once from the settings store, when first asked for, and
// written back at the moment it changes; windows show these objects and follow their change
// signals, and nothing else holds a copy.
namespace settings {

class ProgramSettings : public QObject
{
    Q_OBJECT
public:
    explicit ProgramSettings(QObject *parent);

    Setting startPage; // "Start Page"
    Setting homePage; // "Home Page"
    Setting searchEngine; // "Search-Engine"
    Setting background; // "Bground": a picture's path, or "" for none
    Setting showSplash; // "ShowSplash"
    Setting tips; // "Tips": only ever read
    Setting goButton; // "GoBtn"
    Setting progressBar; // "ProgressBar"
    Setting toolbar; // "TB"
    Setting httpsFirst; // "HttpsFirst": "Try secure connections first", on unless "0"

    // The search engine of a fresh profile, and the one the settings window's Default puts in.
    static QString defaultSearchEngine();
    static QString aesopSearchEngine();
};

// The site log and the three locks. Each switch keeps, besides its stored text, the text its
// last reader got (its carrier), since the gates decide on that.
class SecuritySwitches : public QObject
{
    Q_OBJECT
public:
    explicit SecuritySwitches(QObject *parent);

    Setting log; // "Log"
    Setting program; // "PProg"
    Setting securityArea; // "PSec"
    Setting settingsLock; // "PSet"

    // Whether the site log writes: "Log visited websites" is ticked unless the stored text is
    // "0" (the box starts ticked and its load clears it for "0" alone).
    bool logOn() const { return !log.isOff(QStringLiteral("1")); }
    // What every browser window's load does: ticks the log box, which stores "1" when it was
    // clear.
    void turnLogOn();
};

// The passcode, stored as typed; every prompt compares against it.
class Passcode : public QObject
{
    Q_OBJECT
public:
    explicit Passcode(QObject *parent);

    // Passcodes set through the program have at most this many characters.
    static constexpr int kMaxLength = 10;

    // The passcode the prompts compare with: the stored one cut to kMaxLength characters, as
    // the hidden field that has always held it takes no more.
    QString workingCopy() const { return m_stored.value().left(kMaxLength); }
    // The one comparison rule: the whole entry, character for character, case and blanks
    // included.
    bool matches(const QString &entry) const { return entry == workingCopy(); }
    void change(const QString &passcode) { m_stored.setValue(passcode); }

Q_SIGNALS:
    void changed(const QString &workingCopy);

private:
    Setting m_stored; // "Passcode"
};

// The objects, loaded from the store at the first call after start-up (or after Reload).
ProgramSettings &Program();
SecuritySwitches &Switches();
Passcode &PasscodeSetting();

// Drops the loaded objects, so that the next call reads the store again. For a store that was
// replaced behind the program's back (the tests' private worlds do that).
void Reload();

} // namespace settings
