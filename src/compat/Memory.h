#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// Raw memory from the page allocator, and checks and copies that take addresses as plain
// pointer-sized numbers, under the names the memory block's code uses.
//
// Blocks are readable and writable, never executable. The Is*Ptr checks ask the kernel
// whether a range is mapped with the access wanted; they never read or write the memory
// themselves, so they can be handed any number, 0 and wild values included.
namespace compat {

enum : std::uint32_t {
    MEM_COMMIT = 0x1000,
    MEM_DECOMMIT = 0x4000,
    MEM_RELEASE = 0x8000,
    PAGE_READWRITE = 0x04,
};

// A fresh, zero-filled, page-aligned block of `size` bytes; 0 when size is not positive
// or the system refuses. Protections other than read-write are refused. The block comes
// locked in memory where the process may lock that much (its user locks it at once).
std::intptr_t VirtualAlloc(std::intptr_t address, std::intptr_t size, std::uint32_t type,
                           std::uint32_t protect);
// Decommit (the checks refuse a wholly decommitted block from then on; part of one reads
// as zeros again) or release (size 0: the whole block) a block from VirtualAlloc.
// Addresses that did not come from VirtualAlloc are refused.
bool VirtualFree(std::intptr_t address, std::intptr_t size, std::uint32_t type);
// Gives back the block at `address` (unlocked, decommitted and released as one) and takes
// a fresh block of `size` bytes as VirtualAlloc does, in the old one's place when both fill
// the same pages and the old one is locked: the kernel then swaps the pages in one call.
// An address that did not come from VirtualAlloc is left alone. Returns the new block, or 0.
std::intptr_t VirtualReplace(std::intptr_t address, std::intptr_t size);
bool VirtualLock(std::intptr_t address, std::intptr_t size);
bool VirtualUnlock(std::intptr_t address, std::intptr_t size);

// True when the range of `length` bytes is not wholly readable (writable). A length of 0
// is never bad; a negative one always is.
bool IsBadReadPtr(std::intptr_t address, std::intptr_t length);
bool IsBadWritePtr(std::intptr_t address, std::intptr_t length);

// Copies `length` bytes; the ranges may overlap.
void RtlMoveMemory(std::intptr_t destination, std::intptr_t source, std::intptr_t length);

// Copies at most `length` bytes from source to destination without ever faulting: stops
// at the first byte that cannot be read. Returns the number of bytes copied.
std::size_t SafeRead(void *destination, std::intptr_t source, std::size_t length);

// Whether the mappings listed in `maps` (the text of /proc/self/maps, in address order)
// cover every byte of [begin, end) with `permission`, 'r' or 'w'. Reads the stream to the
// first line it needs no more.
bool MapsGrant(std::FILE *maps, std::uintptr_t begin, std::uintptr_t end, char permission);

} // namespace compat
