#include "find/OpenSearch.h"

#include <QRegularExpression>
#include <QUrl>
#include <QXmlStreamReader>

namespace opensearch {

namespace {

// Longer than any name a list shows in full; the user may still edit it before adding.
constexpr qsizetype kMaxNameLength = 64;

QString simplified(const QString &text)
{
    return text.simplified().left(kMaxNameLength);
}

} // namespace

QString AddressFromTemplate(const QString &templ, QString *error)
{
    static const QRegularExpression parameter(QStringLiteral("\\{([^{}]*)\\}"));
    const QString trimmed = templ.trimmed();
    const QUrl url(trimmed);
    if (!url.isValid() || (url.scheme() != u"http" && url.scheme() != u"https")
        || url.host().isEmpty()) {
        *error = QStringLiteral("The site's search address is not a web address.");
        return {};
    }
    if (trimmed.contains(QLatin1String("{keyword}"))) {
        // The program's own placeholder is no OpenSearch parameter: taking it as one would
        // put the words where the site did not ask for them.
        *error = QStringLiteral("The site's search address is not one the program can use.");
        return {};
    }
    QString out;
    int terms = 0;
    qsizetype from = 0;
    for (QRegularExpressionMatchIterator it = parameter.globalMatch(trimmed); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += trimmed.mid(from, m.capturedStart() - from);
        from = m.capturedEnd();
        QString name = m.captured(1);
        const bool optional = name.endsWith(u'?');
        if (optional)
            name.chop(1);
        if (name == u"searchTerms") {
            ++terms;
            out += QStringLiteral("{keyword}");
        } else if (optional) {
            // Left out, as the format allows for a parameter the client does not know.
        } else if (name == u"startIndex" || name == u"startPage") {
            out += u'1';
        } else if (name == u"inputEncoding" || name == u"outputEncoding") {
            out += QStringLiteral("UTF-8");
        } else if (name == u"language") {
            out += u'*';
        } else if (name == u"count") {
            out += QStringLiteral("20");
        }
        // Another site's own required parameter has no value the program could know: empty.
    }
    out += trimmed.mid(from);
    if (terms != 1) {
        *error = QStringLiteral("The site's search address has no single place for the words "
                                "searched for.");
        return {};
    }
    return out;
}

Description ParseDescription(const QByteArray &bytes)
{
    Description out;
    if (bytes.size() > kMaxDescriptionSize) {
        out.error = QStringLiteral("The site's search description is too large.");
        return out;
    }
    QXmlStreamReader xml(bytes);
    bool root = true;
    QString templ;
    QString templError;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::DTD || token == QXmlStreamReader::EntityReference) {
            out.error = QStringLiteral("The site's search description is not one the program "
                                       "reads.");
            return out;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (root) {
            root = false;
            if (xml.name() != u"OpenSearchDescription") {
                out.error = QStringLiteral("The file is not a search description.");
                return out;
            }
            continue;
        }
        if (xml.name() == u"ShortName" && out.name.isEmpty()) {
            out.name = simplified(xml.readElementText(QXmlStreamReader::SkipChildElements));
        } else if (xml.name() == u"Url" && templ.isEmpty()) {
            const QXmlStreamAttributes a = xml.attributes();
            const QString rel = a.value(QLatin1String("rel")).toString();
            const QString method = a.value(QLatin1String("method")).toString();
            // Only a results page the browser can open with an address: not a form posted,
            // not suggestions or another format.
            if (a.value(QLatin1String("type")).trimmed().compare(u"text/html", Qt::CaseInsensitive)
                    != 0
                || !(method.isEmpty() || method.compare(u"get", Qt::CaseInsensitive) == 0)
                || !(rel.isEmpty() || rel.split(u' ', Qt::SkipEmptyParts).contains(u"results")))
                continue;
            QString error;
            const QString address
                = AddressFromTemplate(a.value(QLatin1String("template")).toString(), &error);
            if (address.isEmpty())
                templError = error;
            else
                templ = address;
        }
    }
    if (xml.hasError()) {
        out.error = QStringLiteral("The site's search description could not be read.");
        return out;
    }
    if (root) {
        out.error = QStringLiteral("The file is not a search description.");
        return out;
    }
    if (templ.isEmpty()) {
        out.error = templError.isEmpty()
            ? QStringLiteral("The site's search description has no address for a results page.")
            : templError;
        return out;
    }
    out.address = templ;
    return out;
}

} // namespace opensearch
