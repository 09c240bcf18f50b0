#include "platform/Memory.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>

#include <sys/mman.h>
#include <sys/uio.h>
#include <unistd.h>

namespace platform {

namespace {

std::uintptr_t pageSize()
{
    static const std::uintptr_t size = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    return size;
}

// The blocks VirtualAlloc handed out and their mapped lengths: munmap needs the length
// that a release by address alone does not give.
struct BlockTable
{
    std::mutex lock;
    std::map<std::intptr_t, std::size_t> blocks;
};

BlockTable &blockTable()
{
    static BlockTable table;
    return table;
}

std::size_t blockLength(std::intptr_t address)
{
    BlockTable &t = blockTable();
    std::lock_guard<std::mutex> guard(t.lock);
    auto it = t.blocks.find(address);
    return it == t.blocks.end() ? 0 : it->second;
}

// Whether [begin, end) lies wholly inside one block handed out here. Those are mapped
// readable and writable and stay so until released, so no kernel question is needed.
bool insideOwnBlock(std::uintptr_t begin, std::uintptr_t end)
{
    BlockTable &t = blockTable();
    std::lock_guard<std::mutex> guard(t.lock);
    auto it = t.blocks.upper_bound(static_cast<std::intptr_t>(begin));
    if (it == t.blocks.begin())
        return false;
    --it;
    const auto blockBegin = static_cast<std::uintptr_t>(it->first);
    return begin >= blockBegin && end <= blockBegin + it->second;
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

// Whether every byte of [begin, end) lies in mappings carrying `permission` ('r' or 'w'),
// as /proc/self/maps lists them in address order.
bool mappedWith(std::uintptr_t begin, std::uintptr_t end, char permission)
{
    std::FILE *maps = std::fopen("/proc/self/maps", "re");
    if (!maps)
        return false;
    std::uintptr_t covered = begin;
    char line[512];
    while (covered < end && std::fgets(line, sizeof line, maps)) {
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
    std::fclose(maps);
    return covered >= end;
}

bool readable(std::uintptr_t begin, std::uintptr_t end)
{
    if (insideOwnBlock(begin, end))
        return true;
    if (!vmCallsWork())
        return mappedWith(begin, end, 'r');
    // Readability is a property of whole pages: one byte of each page answers for it.
    for (std::uintptr_t at = begin; at < end; at = (at / pageSize() + 1) * pageSize()) {
        char byte;
        if (vmRead(&byte, at, 1) != 1)
            return false;
    }
    return true;
}

bool writable(std::uintptr_t begin, std::uintptr_t end)
{
    if (insideOwnBlock(begin, end))
        return true;
    if (!vmCallsWork())
        return mappedWith(begin, end, 'w');
    // The kernel honours the page's protection on process_vm_writev, so writing each
    // page's first byte back with its own value asks whether the page is writable
    // without changing it.
    for (std::uintptr_t at = begin; at < end; at = (at / pageSize() + 1) * pageSize()) {
        char byte;
        if (vmRead(&byte, at, 1) != 1)
            return false;
        iovec local {&byte, 1};
        iovec remote {reinterpret_cast<void *>(at), 1};
        if (::process_vm_writev(self(), &local, 1, &remote, 1, 0) != 1)
            return false;
    }
    return true;
}

} // namespace

std::intptr_t VirtualAlloc(std::intptr_t address, std::intptr_t size, std::uint32_t type,
                           std::uint32_t protect)
{
    if (address != 0 || size <= 0 || !(type & MEM_COMMIT) || protect != PAGE_READWRITE)
        return 0;
    void *block = ::mmap(nullptr, static_cast<std::size_t>(size), PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED)
        return 0;
    const auto result = reinterpret_cast<std::intptr_t>(block);
    BlockTable &t = blockTable();
    std::lock_guard<std::mutex> guard(t.lock);
    t.blocks[result] = static_cast<std::size_t>(size);
    return result;
}

bool VirtualFree(std::intptr_t address, std::intptr_t size, std::uint32_t type)
{
    const std::size_t length = blockLength(address);
    if (length == 0)
        return false;
    void *block = reinterpret_cast<void *>(address);
    if (type == MEM_DECOMMIT) {
        if (size <= 0 || static_cast<std::size_t>(size) > length)
            return false;
        return ::madvise(block, static_cast<std::size_t>(size), MADV_DONTNEED) == 0;
    }
    if (type == MEM_RELEASE) {
        if (size != 0 || ::munmap(block, length) != 0)
            return false;
        BlockTable &t = blockTable();
        std::lock_guard<std::mutex> guard(t.lock);
        t.blocks.erase(address);
        return true;
    }
    return false;
}

bool VirtualLock(std::intptr_t address, std::intptr_t size)
{
    if (address == 0 || size <= 0)
        return false;
    return ::mlock(reinterpret_cast<void *>(address), static_cast<std::size_t>(size)) == 0;
}

bool VirtualUnlock(std::intptr_t address, std::intptr_t size)
{
    if (address == 0 || size <= 0)
        return false;
    return ::munlock(reinterpret_cast<void *>(address), static_cast<std::size_t>(size)) == 0;
}

bool IsBadReadPtr(std::intptr_t address, std::intptr_t length)
{
    if (length == 0)
        return false;
    std::uintptr_t begin, end;
    return !rangeOf(address, length, begin, end) || !readable(begin, end);
}

bool IsBadWritePtr(std::intptr_t address, std::intptr_t length)
{
    if (length == 0)
        return false;
    std::uintptr_t begin, end;
    return !rangeOf(address, length, begin, end) || !writable(begin, end);
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

} // namespace platform
