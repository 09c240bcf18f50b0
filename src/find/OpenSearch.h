#pragma once

#include <QByteArray>
#include <QString>

// A site's search described in an OpenSearch description file, as a page offers it with
// <link rel="search" type="application/opensearchdescription+xml">.
namespace opensearch {

// Far beyond a real description (a few hundred bytes); a larger file is refused, not cut.
constexpr qsizetype kMaxDescriptionSize = 64 * 1024;

struct Description
{
    QString name; // the short name, blanks collapsed; may be empty
    QString address; // the results address with "{keyword}" where the words go
    QString error; // why the file offers no usable address, or ""
};

// Reads a description of at most kMaxDescriptionSize bytes. A file with a document type
// declaration is refused whole: a description needs none, and its entities are the one way
// a small file grows large when read.
Description ParseDescription(const QByteArray &bytes);

// The program's address for a description's template: {searchTerms} becomes {keyword}, the
// other parameters get the value a search's first page asks for, optional ones ("{name?}")
// are left empty. "" with `error` set when the template is not http or https or does not
// hold {searchTerms} exactly once.
QString AddressFromTemplate(const QString &templ, QString *error);

} // namespace opensearch
