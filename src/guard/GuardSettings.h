#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

namespace guard {

// What the user chose for the guard, kept in guard.ini beside the user's other files: the
// whole-program switch, the sites where blocking is off, the lists switched off and the
// addresses of lists the user subscribed to. Written whole with QSaveFile at every change;
// a file that cannot be read is set aside and the defaults used, and load() says so.
class GuardSettings
{
public:
    static QString path();

    // Reads the file; a problem (a damaged file set aside) is returned as a sentence for
    // the Guard window, empty when all is well.
    QString load();
    bool save(QString *error = nullptr) const;

    bool enabled = true;
    QSet<QString> sitesOff; // host names
    QSet<QString> listsOff; // list ids
    QStringList addedAddresses; // in the order they were added
};

} // namespace guard
