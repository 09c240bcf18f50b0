#include "compat/Memory.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include <pthread.h>
#include <sys/mman.h>
#include <sys/uio.h>
#include <unistd.h>

namespace compat {

namespace {

std::uintptr_t pageSize()
{
    static const std::uintptr_t size = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    return size;
}

// The blocks VirtualAlloc handed out: munmap needs the length that a release by address
// alone does not give, and a lock or a decommit of a whole block is answered from here.
struct Block
{
    std::size_t length;
    bool locked; // mapped locked, and not unlocked since
    bool committed; // false once decommitted whole: only the release is left to come
};

struct BlockTable
{
    std::mutex lock;
    std::map<std::intptr_t, Block> blocks;
    // A whole block unlocked but still locked in the kernel, or 0. Its release drops the
    // lock with the pages, so the unlock's own call (which splits and merges the mapping
    // once more) is spared when the release comes next, as it does for the block's one
    // user; any other call of this layer carries the unlock out first.
    std::intptr_t unlockPending = 0;
};

// Carries out the pending unlock, unless it is the block at `keep`'s; the caller holds
// the table's lock.
void settleUnlock(BlockTable &t, std::intptr_t keep = 0)
{
    if (t.unlockPending == 0 || t.unlockPending == keep)
        return;
    auto it = t.blocks.find(t.unlockPending);
    if (it != t.blocks.end())
        ::munlock(reinterpret_cast<void *>(it->first), it->second.length);
    t.unlockPending = 0;
}

BlockTable &blockTable()
{
    static BlockTable table;
    return table;
}

enum class Own { No, Usable, Decommitted };

// Whether [begin, end) lies wholly inside one block handed out here, and whether the block
// is still committed. Committed blocks are readable and writable until decommitted or
// released, so no kernel question is needed; decommitted ones are no longer to be used.
Own ownBlock(std::uintptr_t begin, std::uintptr_t end)
{
    BlockTable &t = blockTable();
    std::lock_guard<std::mutex> guard(t.lock);
    auto it = t.blocks.upper_bound(static_cast<std::intptr_t>(begin));
    if (it == t.blocks.begin())
        return Own::No;
    --it;
    const auto blockBegin = static_cast<std::uintptr_t>(it->first);
    if (begin < blockBegin || end > blockBegin + it->second.length)
        return Own::No;
    return it->second.committed ? Own::Usable : Own::Decommitted;
}

// The table's entry for the block at `address` covering `size` bytes, or null; the
// caller holds the table's lock.
Block *wholeBlock(BlockTable &t, std::intptr_t address, std::intptr_t size)
{
    auto it = t.blocks.find(address);
    return it != t.blocks.end() && it->second.committed && size > 0
            && static_cast<std::size_t>(size) <= it->second.length
        ? &it->second
        : nullptr;
}

// This process's id; asked once, as the program never forks itself.
pid_t self()
{
    static const pid_t pid = ::getpid();
    return pid;
}

// The range [address, address + length) as unsigned bounds; false when it is empty of
// meaning (address 0, negative length, wrapping round the address space).
bool rangeOf(std::intptr_t address, std::intptr_t length, std::uintptr_t &begin,
             std::uintptr_t &end)
{
    if (address == 0 || length < 0)
        return false;
    begin = static_cast<std::uintptr_t>(address);
    end = begin + static_cast<std::uintptr_t>(length);
    return end >= begin;
}

// Whether the kernel lets this process read its own memory through process_vm_readv;
// container sandboxes may forbid it, and then the mappings table answers instead.
bool vmCallsWork()
{
    static const bool works = [] {
        char probe = 1, copy = 0;
        iovec local {&copy, 1};
        iovec remote {&probe, 1};
        return ::process_vm_readv(self(), &local, 1, &remote, 1, 0) == 1 && copy == 1;
    }();
    return works;
}

// Reads up to `length` bytes from the own address space at `source`, a page at a time
// (the kernel does not split one request at a fault). Returns the bytes read.
std::size_t vmRead(void *destination, std::uintptr_t source, std::size_t length)
{
    std::size_t done = 0;
    while (done < length) {
        const std::uintptr_t at = source + done;
        const std::size_t chunk
            = std::min<std::size_t>(length - done, pageSize() - at % pageSize());
        iovec local {static_cast<char *>(destination) + done, chunk};
        iovec remote {reinterpret_cast<void *>(at), chunk};
        const ssize_t n = ::process_vm_readv(self(), &local, 1, &remote, 1, 0);
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
        if (static_cast<std::size_t>(n) < chunk)
            break;
    }
    return done;
}

// The top of the calling thread's stack, as the thread library knows it; 0 when unknown.
std::uintptr_t stackTop()
{
    pthread_attr_t attr;
    if (::pthread_getattr_np(::pthread_self(), &attr) != 0)
        return 0;
    void *low = nullptr;
    std::size_t size = 0;
    const bool known = ::pthread_attr_getstack(&attr, &low, &size) == 0;
    ::pthread_attr_destroy(&attr);
    return known ? reinterpret_cast<std::uintptr_t>(low) + size : 0;
}

// Whether [begin, end) lies in the calling thread's stack between this frame and the
// stack's top: the frames of everyone who called this are mapped readable and writable
// while they run. A record on the caller's stack is the usual destination of a copy, and
// this answers for it without listing every mapping of the process.
__attribute__((noinline)) bool onOwnStack(std::uintptr_t begin, std::uintptr_t end)
{
    thread_local const std::uintptr_t top = stackTop();
    const auto here = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
    return begin >= here && end <= top;
}

bool mappedWith(std::uintptr_t begin, std::uintptr_t end, char permission)
{
    std::FILE *maps = std::fopen("/proc/self/maps", "re");
    if (!maps)
        return false;
    const bool granted = MapsGrant(maps, begin, end, permission);
    std::fclose(maps);
    return granted;
}

// The checks only consult the own block table, the thread's stack bounds and the kernel's
// list of mappings: they never read or write the memory they are asked about, so asking
// has no effect on it (no page is brought in, none is written back behind another
// thread's back).
bool grants(std::uintptr_t begin, std::uintptr_t end, char permission)
{
    switch (ownBlock(begin, end)) {
    case Own::Usable:
        return true;
    case Own::Decommitted:
        return false;
    case Own::No:
        break;
    }
    return onOwnStack(begin, end) || mappedWith(begin, end, permission);
}

} // namespace

std::intptr_t VirtualAlloc(std::intptr_t address, std::intptr_t size, std::uint32_t type,
                           std::uint32_t protect)
{
    if (address != 0 || size <= 0 || !(type & MEM_COMMIT) || protect != PAGE_READWRITE)
        return 0;
    {
        BlockTable &t = blockTable();
        std::lock_guard<std::mutex> guard(t.lock);
        settleUnlock(t);
    }
    // The block's one user locks it at once; a mapping made locked and populated costs one
    // call where a map and a lock cost two and a fault. Where the process may not lock
    // that much, the block comes unlocked and VirtualLock says so.
    const auto length = static_cast<std::size_t>(size);
    const int flags = MAP_PRIVATE | MAP_ANONYMOUS;
    bool locked = true;
    void *block
        = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, flags | MAP_LOCKED | MAP_POPULATE, -1, 0);
    if (block == MAP_FAILED) {
        locked = false;
        block = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, flags, -1, 0);
    }
    if (block == MAP_FAILED)
        return 0;
    const auto result = reinterpret_cast<std::intptr_t>(block);
    BlockTable &t = blockTable();
    std::lock_guard<std::mutex> guard(t.lock);
    t.blocks[result] = {length, locked, true};
    return result;
}

bool VirtualFree(std::intptr_t address, std::intptr_t size, std::uint32_t type)
{
    BlockTable &t = blockTable();
    std::lock_guard<std::mutex> guard(t.lock);
    settleUnlock(t, address);
    auto it = t.blocks.find(address);
    if (it == t.blocks.end())
        return false;
    Block &block = it->second;
    void *start = reinterpret_cast<void *>(address);
    if (type == MEM_DECOMMIT) {
        if (!block.committed || size <= 0 || static_cast<std::size_t>(size) > block.length)
            return false;
        // Decommitted pages are not to be used again: the checks refuse a decommitted block
        // from now on. A whole block keeps its pages until the release that follows, which
        // spares a call; part of one reads as zeros again.
        if (static_cast<std::size_t>(size) == block.length) {
            block.committed = false;
            return true;
        }
        settleUnlock(t);
        return ::madvise(start, static_cast<std::size_t>(size), MADV_DONTNEED) == 0;
    }
    if (type == MEM_RELEASE) {
        if (size != 0 || ::munmap(start, block.length) != 0)
            return false;
        if (t.unlockPending == address)
            t.unlockPending = 0;
        t.blocks.erase(it);
        return true;
    }
    return false;
}

std::intptr_t VirtualReplace(std::intptr_t address, std::intptr_t size)
{
    {
        BlockTable &t = blockTable();
        std::lock_guard<std::mutex> guard(t.lock);
        // A pending unlock of this block goes with its pages.
        settleUnlock(t, address);
        auto it = t.blocks.find(address);
        if (it != t.blocks.end()) {
            const std::size_t oldLength = it->second.length;
            if (t.unlockPending == address)
                t.unlockPending = 0;
            const auto pages = [](std::size_t n) { return (n + pageSize() - 1) / pageSize(); };
            bool mayBeGone = false;
            // Only a block that could be locked is swapped: where the process may not lock,
            // the swap would only be refused.
            if (size > 0 && it->second.locked
                && pages(oldLength) == pages(static_cast<std::size_t>(size))) {
                // A fixed mapping over the block's own pages drops them (and their lock)
                // and puts fresh, zero-filled, locked ones in their place.
                void *start = reinterpret_cast<void *>(address);
                const void *block = ::mmap(
                    start, static_cast<std::size_t>(size), PROT_READ | PROT_WRITE,
                    MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED | MAP_LOCKED | MAP_POPULATE, -1, 0);
                if (block == start) {
                    it->second = {static_cast<std::size_t>(size), true, true};
                    return address;
                }
                // Refused for the lock or the arguments, the old pages are untouched and
                // are unmapped below. Out of memory, the kernel may have dropped them
                // already, and the range is not unmapped blind: another mapping may be
                // there by now.
                mayBeGone = errno == ENOMEM;
            }
            if (!mayBeGone)
                ::munmap(reinterpret_cast<void *>(address), oldLength);
            t.blocks.erase(it);
        }
    }
    return VirtualAlloc(0, size, MEM_COMMIT, PAGE_READWRITE);
}

bool VirtualLock(std::intptr_t address, std::intptr_t size)
{
    if (address == 0 || size <= 0)
        return false;
    BlockTable &t = blockTable();
    std::lock_guard<std::mutex> guard(t.lock);
    Block *block = wholeBlock(t, address, size);
    if (block && t.unlockPending == address) {
        // Still locked in the kernel: the lock is simply kept.
        t.unlockPending = 0;
        block->locked = true;
    }
    settleUnlock(t);
    if (block && block->locked)
        return true;
    return ::mlock(reinterpret_cast<void *>(address), static_cast<std::size_t>(size)) == 0;
}

bool VirtualUnlock(std::intptr_t address, std::intptr_t size)
{
    if (address == 0 || size <= 0)
        return false;
    BlockTable &t = blockTable();
    std::lock_guard<std::mutex> guard(t.lock);
    settleUnlock(t);
    Block *block = wholeBlock(t, address, size);
    if (block && block->locked) {
        block->locked = false;
        t.unlockPending = address;
        return true;
    }
    if (block)
        block->locked = false;
    return ::munlock(reinterpret_cast<void *>(address), static_cast<std::size_t>(size)) == 0;
}

bool IsBadReadPtr(std::intptr_t address, std::intptr_t length)
{
    if (length == 0)
        return false;
    std::uintptr_t begin, end;
    return !rangeOf(address, length, begin, end) || !grants(begin, end, 'r');
}

bool IsBadWritePtr(std::intptr_t address, std::intptr_t length)
{
    if (length == 0)
        return false;
    std::uintptr_t begin, end;
    return !rangeOf(address, length, begin, end) || !grants(begin, end, 'w');
}

void RtlMoveMemory(std::intptr_t destination, std::intptr_t source, std::intptr_t length)
{
    if (length > 0)
        std::memmove(reinterpret_cast<void *>(destination), reinterpret_cast<void *>(source),
                     static_cast<std::size_t>(length));
}

std::size_t SafeRead(void *destination, std::intptr_t source, std::size_t length)
{
    std::uintptr_t begin, end;
    if (length == 0 || !rangeOf(source, static_cast<std::intptr_t>(length), begin, end))
        return 0;
    if (vmCallsWork())
        return vmRead(destination, begin, length);
    if (!mappedWith(begin, end, 'r'))
        return 0;
    std::memcpy(destination, reinterpret_cast<void *>(begin), length);
    return length;
}

bool MapsGrant(std::FILE *maps, std::uintptr_t begin, std::uintptr_t end, char permission)
{
    std::uintptr_t covered = begin;
    // Whole lines, however long: a mapped file's name can be longer than any fixed buffer,
    // and its tail must never be taken for a line of its own.
    char *line = nullptr;
    std::size_t capacity = 0;
    while (covered<end && ::getline(&line, &capacity, maps)> 0) {
        unsigned long lo = 0, hi = 0;
        char perms[5] = {};
        if (std::sscanf(line, "%lx-%lx %4s", &lo, &hi, perms) != 3)
            continue;
        if (hi <= covered)
            continue;
        if (lo > covered)
            break;
        const bool allowed = permission == 'r' ? perms[0] == 'r' : perms[1] == 'w';
        if (!allowed)
            break;
        covered = hi;
    }
    std::free(line);
    return covered >= end;
}

} // namespace compat
