#pragma once

#include <QString>
#include <cstdint>

// The browser engine's on-disk HTTP cache, reached through the URL-cache calls the
// history window's code is written against: a walk that yields, entry by entry, a record
// with the entry's source URL, and a delete by source URL.
//
// Each cache entry is a file named by sixteen hex digits and "_0" in UrlCacheFolder(),
// with optional "_1" and "_s" siblings. The file starts with a 24-byte header (magic,
// version, key length, key hash, padding) and the key follows; the source URL is the
// key's last blank-separated part without its "1/0/" prefix. Every file is untrusted:
// anything short, truncated, foreign, oversized or not a plain file is skipped.
namespace compat {

using HANDLE = void *;

struct FILETIME
{
    std::uint32_t dwLowDateTime;
    std::uint32_t dwHighDateTime;
};

enum : std::uint32_t { NORMAL_CACHE_ENTRY = 0x00000001 };

// The fixed part of an entry; the strings it points to follow it in the caller's buffer.
// The field order is the one the walk relies on: the source URL's address is the second
// field.
struct INTERNET_CACHE_ENTRY_INFOA
{
    std::uint32_t dwStructSize;
    char *lpszSourceUrlName;
    char *lpszLocalFileName;
    std::uint32_t CacheEntryType;
    std::uint32_t dwUseCount;
    std::uint32_t dwHitRate;
    std::uint32_t dwSizeLow;
    std::uint32_t dwSizeHigh;
    FILETIME LastModifiedTime;
    FILETIME ExpireTime;
    FILETIME LastAccessTime;
    FILETIME LastSyncTime;
    char *lpHeaderInfo;
    std::uint32_t dwHeaderInfoSize;
    char *lpszFileExtension;
    std::uint32_t dwReserved;
};

// Starts a walk of all entries (the pattern must be null or "*"; there are no other
// containers). With a buffer of fewer bytes than the first entry needs, or none, it
// fails, sets *lpcbCacheEntryInfo to the bytes needed and leaves it alone when there is
// no entry. With a large enough buffer it fills it and returns the walk's handle.
HANDLE FindFirstUrlCacheEntryA(const char *lpszUrlSearchPattern,
                               INTERNET_CACHE_ENTRY_INFOA *lpFirstCacheEntryInfo,
                               std::int32_t *lpcbCacheEntryInfo);
// The same for the next entry: sizing calls do not move the walk on, a fetch does.
// Fails, leaving the size alone, when no entry remains.
bool FindNextUrlCacheEntryA(HANDLE hEnumHandle, INTERNET_CACHE_ENTRY_INFOA *lpNextCacheEntryInfo,
                            std::int32_t *lpcbCacheEntryInfo);
bool FindCloseUrlCache(HANDLE hEnumHandle);
// Removes the files of every entry whose source URL is exactly this one. False when no
// entry was removed (none found, or the files could not be removed).
bool DeleteUrlCacheEntryA(const char *lpszUrlName);

// The folder the engine writes its entry files to (under BrowserCachePath()).
QString UrlCacheFolder();

// The source URL a cache key stands for.
QByteArray UrlOfCacheKey(const QByteArray &key);

// The temp folder with a trailing separator, as GetTempPathA has always written it:
// returns its length without the terminator, the size it would need (writing nothing)
// when nBufferLength is too small, and 0 on failure.
std::uint32_t GetTempPathA(std::uint32_t nBufferLength, char *lpBuffer);

} // namespace compat
