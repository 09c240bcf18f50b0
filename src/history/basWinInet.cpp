#include "history/basWinInet.h"

#include "compat/Dialogs.h"
#include "compat/UrlCache.h"
#include "support/clsMemoryManagement.h"

#include <QListWidget>

#include <memory>

using namespace compat;

namespace basWinInet {

namespace {

// The byte count the sizing and fetching calls pass in and out.
std::int32_t cacheEntrySize = 0;

// The entry's fixed header and the word after it, copied out of the entry buffer.
struct EntryRecord
{
    INTERNET_CACHE_ENTRY_INFOA header;
    std::uint32_t extra;
};
constexpr std::int32_t kRecordBytes
    = std::int32_t(sizeof(INTERNET_CACHE_ENTRY_INFOA) + sizeof(std::uint32_t));
static_assert(sizeof(EntryRecord) >= std::size_t(kRecordBytes));

const QString kKillerTitle = QStringLiteral("Dedor.adu Zaved");

// Copies the record out of the fetched entry and lists its source URL. The record is
// cleared first, so an entry that could not be fetched or copied gives no line rather
// than the previous entry's URL once more.
void listEntry(clsMemoryManagement &block, EntryRecord &record, QStringList &lines)
{
    record = EntryRecord {};
    block.ReadFrom(reinterpret_cast<std::intptr_t>(&record), kRecordBytes);
    const auto url = reinterpret_cast<std::intptr_t>(record.header.lpszSourceUrlName);
    // The string starts after the header: what the buffer holds from there on is its
    // bound, not the buffer's whole size. An address outside the buffer gives no line.
    const std::intptr_t offset = url - block.Handle();
    if (url && block.Handle() && offset >= 0 && offset < cacheEntrySize)
        lines.append(block.ExtractString(url, std::int32_t(cacheEntrySize - offset)));
}

} // namespace

void ListUrlCache(QListWidget *List1)
{
    EntryRecord record {};
    // The lines go into the list in one step at the end, in walk order: the window is not
    // shown before the walk ends, and one insertion costs the list far less than thousands.
    QStringList lines;
    std::unique_ptr<clsMemoryManagement> entryBuffer;
    HANDLE hEnum = nullptr;

    cacheEntrySize = 0;
    FindFirstUrlCacheEntryA(nullptr, nullptr, &cacheEntrySize);
    if (cacheEntrySize > 0) {
        entryBuffer = std::make_unique<clsMemoryManagement>();
        entryBuffer->Allocate(cacheEntrySize);
        hEnum = FindFirstUrlCacheEntryA(
            nullptr, reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA *>(entryBuffer->Handle()),
            &cacheEntrySize);
        listEntry(*entryBuffer, record, lines);
    }
    while (hEnum) {
        cacheEntrySize = 0;
        FindNextUrlCacheEntryA(hEnum, nullptr, &cacheEntrySize);
        if (cacheEntrySize <= 0)
            break;
        entryBuffer->Allocate(cacheEntrySize);
        // Without a buffer the walk cannot move past this entry; it ends here rather
        // than asking for the same entry forever.
        if (entryBuffer->Handle() == 0)
            break;
        FindNextUrlCacheEntryA(
            hEnum, reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA *>(entryBuffer->Handle()),
            &cacheEntrySize);
        listEntry(*entryBuffer, record, lines);
    }
    FindCloseUrlCache(hEnum);
    entryBuffer.reset();
    List1->addItems(lines);
}

void KillUrlCache(QListWidget *List1)
{
    if (MsgBox(QStringLiteral("Do you wish to delete the Internet Explorer cache?"),
               vbQuestion | vbYesNo, kKillerTitle)
        != vbYes)
        return;
    const int count = List1->count();
    for (int i = 0; i < count; ++i)
        DeleteUrlCacheEntryA(List1->item(i)->text().toLocal8Bit().constData());
    List1->clear();
    MsgBox(QStringLiteral("Cache deleted... Files in use (locked) were not removed!"),
           vbInformation, kKillerTitle);
}

} // namespace basWinInet
