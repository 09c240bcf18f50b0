#include "engine/NoticePages.h"

namespace engine::notice {

namespace {

QString esc(const QString &text)
{
    return text.toHtmlEscaped();
}

const char kStyle[] = "<style>body{font:15px sans-serif;margin:40px;max-width:44em}"
                      "h1{font-size:22px;color:#a00}th{text-align:left;padding-right:1em}"
                      "a.b{display:inline-block;padding:6px 14px;margin:16px 8px 0 0;"
                      "border:1px solid #666;border-radius:3px;color:#000;background:#eee;"
                      "text-decoration:none}a.b:focus{outline:2px solid #06c}</style>";

QString button(const QString &href, const QString &caption, bool isDefault)
{
    return QStringLiteral("<a class=b href=\"%1\"%2>%3</a>")
        .arg(esc(href), isDefault ? QStringLiteral(" id=default") : QString(), esc(caption));
}

// The default button has the focus, so Enter chooses it.
const char kFocusDefault[] = "<script>document.getElementById('default').focus()</script>";

} // namespace

QString CertificateErrorTitle(const QString &host)
{
    return QStringLiteral("Warning: certificate error for ") + host;
}

QString CertificateErrorPage(const CertificateFacts &f, const QString &goBack,
                             const QString &proceed)
{
    const QString title = CertificateErrorTitle(f.host);
    QString html = QStringLiteral("<!doctype html><title>%1</title>").arg(esc(title))
        + QLatin1String(kStyle) + QStringLiteral("<h1>%1</h1>").arg(esc(title))
        + QStringLiteral("<p>The site's certificate does not prove that this is %1: %2</p>"
                         "<p>Someone may be reading or changing what passes between you and "
                         "the site. Do not enter passwords or download programs here.</p>")
              .arg(esc(f.host), esc(f.description))
        + QStringLiteral("<table><tr><th>Issued to</th><td>%1</td></tr>"
                         "<tr><th>Issued by</th><td>%2</td></tr>"
                         "<tr><th>Valid from</th><td>%3</td></tr>"
                         "<tr><th>Valid to</th><td>%4</td></tr></table>")
              .arg(esc(f.subject), esc(f.issuer), esc(f.validFrom), esc(f.validTo))
        + button(goBack, QStringLiteral("Go back"), true);
    if (f.overridable)
        html += button(proceed,
                       QStringLiteral("Continue to ") + f.host + QStringLiteral(" for this run"),
                       false);
    else
        html += QStringLiteral("<p>This site does not allow its certificate errors to be passed "
                               "over.</p>");
    return html + QLatin1String(kFocusDefault);
}

QString CrashedPage(const QString &address, const QString &kind, const QString &reload)
{
    return QStringLiteral("<!doctype html><title>Page %1</title>").arg(esc(kind))
        + QLatin1String(kStyle)
        + QStringLiteral("<h1>This page %1</h1><p>The process showing %2 %1. The rest of the "
                         "program is not affected.</p>")
              .arg(esc(kind), esc(address))
        + button(reload, QStringLiteral("Reload"), true) + QLatin1String(kFocusDefault);
}

} // namespace engine::notice
