// The cache walk and the killer's deletes over a scratch cache folder holding one entry
// file of any bytes, an entry of a key taken from the input, and an "index" file: the
// input's first line is the key, the next line the index, the rest the entry file.
#include "FuzzFiles.h"
#include "compat/UrlCache.h"
#include "history/basWinInet.h"

#include <QApplication>
#include <QListWidget>
#include <QtEndian>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    scratch();
    new QApplication(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const QByteArray key = takeLine(input);
    const QByteArray index = takeLine(input);
    const QString folder = compat::UrlCacheFolder();
    QDir(folder).removeRecursively();
    writeBytes(folder + QStringLiteral("/index"), index);
    writeBytes(folder + QStringLiteral("/0123456789abcdef_0"), input);
    QByteArray entry(24, '\0');
    qToLittleEndian<quint64>(0xfcfb6d1ba7725c30ULL, entry.data());
    qToLittleEndian<quint32>(quint32(key.size()), entry.data() + 12);
    writeBytes(folder + QStringLiteral("/fedcba9876543210_0"), entry + key);
    QListWidget list;
    basWinInet::ListUrlCache(&list);
    for (int i = 0; i < list.count(); ++i)
        compat::DeleteUrlCacheEntryA(list.item(i)->text().toLocal8Bit().constData());
    return 0;
}
