// The reading of downloads.json over any bytes: every row read has its numbers in range,
// and what is read, written again, reads back as the same rows.
#include "FuzzFiles.h"
#include "downloads/DownloadList.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using downloads::DownloadList;
    QString why;
    const auto rows = DownloadList::parse(
        QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), &why);
    if (!rows)
        return 0;
    for (const auto &e : *rows) {
        if (e->size < -1 || e->received < 0 || e->url.isEmpty() || e->path.isEmpty()
            || e->unfinished())
            __builtin_trap();
    }
    const auto again = DownloadList::parse(DownloadList::serialize(*rows), &why);
    if (!again || again->size() != rows->size())
        __builtin_trap();
    for (size_t i = 0; i < rows->size(); ++i) {
        const auto &a = *(*rows)[i];
        const auto &b = *(*again)[i];
        if (a.size != b.size || a.path != b.path || a.sha256 != b.sha256
            || a.published != b.published || a.scan != b.scan)
            __builtin_trap();
    }
    return 0;
}
