#include "support/clsMemoryManagement.h"

#include "compat/Memory.h"

#include <QByteArray>
#include <algorithm>
#include <cstring>

using namespace compat;

clsMemoryManagement::~clsMemoryManagement()
{
    ReleaseMemory();
}

void clsMemoryManagement::Allocate(std::int32_t lCount)
{
    // The block held is given back before the new one is taken, in one step where the
    // system can put the new one in its place: the cache walk allocates once per entry.
    if (m_address != 0 && lCount > 0) {
        m_address = VirtualReplace(m_address, lCount);
    } else {
        ReleaseMemory();
        m_address = VirtualAlloc(0, lCount, MEM_COMMIT, PAGE_READWRITE);
    }
    m_size = lCount;
    VirtualLock(m_address, m_size);
}

void clsMemoryManagement::ReadFrom(std::intptr_t hWritePointer, std::int32_t lLength)
{
    const bool badDestination = IsBadWritePtr(hWritePointer, lLength);
    const bool badBlock = IsBadReadPtr(m_address, lLength);
    // The mapping may go on past the block (the page's tail, a neighbouring block), so the
    // kernel's answer alone does not keep a copy inside the block.
    if (!badDestination && !badBlock && lLength <= m_size)
        RtlMoveMemory(hWritePointer, m_address, lLength);
}

void clsMemoryManagement::WriteTo(std::intptr_t hReadPointer, std::int32_t lLength)
{
    const bool badSource = IsBadReadPtr(hReadPointer, lLength);
    const bool badBlock = IsBadWritePtr(m_address, lLength);
    if (!badSource && !badBlock && lLength <= m_size)
        RtlMoveMemory(m_address, hReadPointer, lLength);
}

QString clsMemoryManagement::ExtractString(std::intptr_t hStartPointer, std::int32_t lMax) const
{
    if (lMax <= 0 || hStartPointer == 0)
        return QString();
    const auto start = static_cast<std::uintptr_t>(hStartPointer);
    const auto block = static_cast<std::uintptr_t>(m_address);
    std::size_t limit = std::size_t(lMax);
    qsizetype length = -1; // of the string; -1 while no terminator is found
    const bool inBlock = m_address != 0 && start >= block && start < block + std::size_t(m_size);
    if (inBlock) {
        // In the own block the string is bounded by the block as by any other buffer.
        limit = std::min(limit, block + std::size_t(m_size) - start);
        const void *end = std::memchr(reinterpret_cast<const void *>(start), 0, limit);
        if (end)
            length = static_cast<const char *>(end) - reinterpret_cast<const char *>(start);
    } else {
        // Elsewhere the kernel copies a page at a time, so an unreadable byte stops the
        // search instead of faulting, and nothing is held but one page until the length
        // is known.
        char page[4096];
        std::size_t seen = 0;
        while (length < 0 && seen < limit) {
            const std::size_t want
                = std::min(limit - seen, sizeof page - (start + seen) % sizeof page);
            const std::size_t got = SafeRead(page, hStartPointer + std::intptr_t(seen), want);
            if (const void *end = std::memchr(page, 0, got))
                length = qsizetype(seen) + (static_cast<const char *>(end) - page);
            else if (got < want)
                return QString(); // unreadable before its terminator
            seen += got;
        }
    }
    // A string that does not end within the bound keeps what a buffer of that size holds
    // with its terminator.
    if (length < 0)
        length = qsizetype(limit) - 1;
    if (inBlock)
        return QString::fromLocal8Bit(reinterpret_cast<const char *>(start), length);
    QByteArray bytes(length, Qt::Uninitialized);
    if (SafeRead(bytes.data(), hStartPointer, std::size_t(length)) != std::size_t(length))
        return QString();
    return QString::fromLocal8Bit(bytes);
}

void clsMemoryManagement::ReleaseMemory()
{
    if (m_address == 0)
        return;
    VirtualUnlock(m_address, m_size);
    VirtualFree(m_address, m_size, MEM_DECOMMIT);
    VirtualFree(m_address, 0, MEM_RELEASE);
    m_address = 0;
}
