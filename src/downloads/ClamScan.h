#pragma once

#include <QString>
#include <atomic>

namespace downloads {

// What the malware scanner said about one file.
struct ScanResult
{
    enum Outcome { Clean, Infected, NotScanned };
    Outcome outcome = NotScanned;
    QString signature; // the malware's name, when Infected
    QString reason; // in plain words, when NotScanned
    QString version; // the scanner's, such as "1.0.7"
    QString signatures; // the date of its signatures, as the scanner gives it
};

// The scanner daemon's local socket: $SCOUTWELL_CLAMD_SOCKET when set, else the LocalSocket
// that /etc/clamav/clamd.conf names; empty when neither says.
QString ClamdSocketPath();

// Asks the daemon at `socketPath` about the open file `fd`. The descriptor itself is
// passed, so the daemon needs no access to the user's folders and reads the file whatever
// its size. Blocks until the daemon answers: for a worker thread. Gives up when `stop`
// turns true (checked a few times a second).
ScanResult ScanDescriptor(int fd, const QString &socketPath, const std::atomic_bool *stop);

} // namespace downloads
