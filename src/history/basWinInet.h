#pragma once

class QListWidget;

// The URL-cache walk and the cache killer of the history window.
namespace basWinInet {

// Appends the source URL of every cache entry, in cache order, to the history window's
// List1.
void ListUrlCache(QListWidget *List1);
// Asks, deletes every URL List1 shows (first line first), clears List1 and reports.
void KillUrlCache(QListWidget *List1);

} // namespace basWinInet
