#pragma once

#include <QString>

// The program's own pages shown in the browser window in place of a site's: a certificate
// warning and a crashed page. Their buttons are links to the addresses given, which the
// browser control takes as commands.
namespace engine::notice {

struct CertificateFacts
{
    QString host;
    QString description; // the engine's words for the error
    QString subject;
    QString issuer;
    QString validFrom;
    QString validTo;
    bool overridable = true;
};

QString CertificateErrorTitle(const QString &host);
QString CertificateErrorPage(const CertificateFacts &facts, const QString &goBack,
                             const QString &proceed);
// kind: "crashed", "was killed" or "ended abnormally".
QString CrashedPage(const QString &address, const QString &kind, const QString &reload);

} // namespace engine::notice
