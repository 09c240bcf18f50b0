#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Reading INI files the way the Windows profile functions read them, for files a person
// edits by hand (favourites.ini). Any bytes at all are read safely and within bounded
// memory, whatever the file's size: lines that are neither a "[section]" header nor a
// "key=value" pair, and comment lines starting with ";", are skipped. Each line is UTF-8
// when it is valid UTF-8 and Latin-1 otherwise; a UTF-8 byte-order mark is dropped; a NUL
// ends a line's text.
namespace compat {

// Copies the value of keyName in section appName of the INI file fileName into
// returnedString and returns the number of characters copied, not counting the NUL that
// ends them.
//
// - Section and key names match without regard to letter case or surrounding blanks.
// - The value loses its surrounding blanks, then one pair of enclosing quotation marks
//   ("..." or '...').
// - At most size - 1 characters are copied (and never more than the buffer holds), then a
//   NUL. A size of 0 copies nothing and returns 0.
// - A missing file, section or key gives def, without its trailing blanks.
// - When a section or key occurs twice, the first key found wins.
//
// The file is indexed once; later calls reuse the index while the file's size,
// modification and change times and inode are those seen at the first read, so reading
// thousands of keys one by one costs one read of the file and one stat per call.
int GetPrivateProfileStringA(const QString &appName, const QString &keyName, const QString &def,
                             QString &returnedString, int size, const QString &fileName);

// The pairs of section appName, in file order, with their keys as written (blanks around
// them trimmed) and their values read as GetPrivateProfileStringA reads them. A key that
// stands twice is listed once, where it first stands, with its first value, as the lookup
// finds it; a section that stands twice is read as one. A missing file or section: none.
struct ProfilePair
{
    QString key;
    QString value;
};
QList<ProfilePair> GetPrivateProfileSectionPairs(const QString &appName, const QString &fileName);

// The text of a profile file's bytes, line by line as the reader decodes them: UTF-8 for a
// line that is valid UTF-8, otherwise one Latin-1 character per byte (lines saved by older
// editors), so no byte is ever lost.
QString ProfileText(const QByteArray &bytes);
bool IsValidUtf8(const QByteArray &bytes);

} // namespace compat
