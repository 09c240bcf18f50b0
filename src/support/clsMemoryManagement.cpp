#include "support/clsMemoryManagement.h"

#include "platform/Memory.h"

#include <QByteArray>
#include <cstring>

using namespace platform;

clsMemoryManagement::~clsMemoryManagement()
{
    ReleaseMemory();
}

void clsMemoryManagement::Allocate(std::int32_t lCount)
{
    ReleaseMemory();
    m_address = VirtualAlloc(0, lCount, MEM_COMMIT, PAGE_READWRITE);
    m_size = lCount;
    VirtualLock(m_address, m_size);
}

void clsMemoryManagement::ReadFrom(std::intptr_t hWritePointer, std::int32_t lLength)
{
    const bool badDestination = IsBadWritePtr(hWritePointer, lLength);
    const bool badBlock = IsBadReadPtr(m_address, lLength);
    if (!badDestination && !badBlock)
        RtlMoveMemory(hWritePointer, m_address, lLength);
}

void clsMemoryManagement::WriteTo(std::intptr_t hReadPointer, std::int32_t lLength)
{
    const bool badSource = IsBadReadPtr(hReadPointer, lLength);
    const bool badBlock = IsBadWritePtr(m_address, lLength);
    if (!badSource && !badBlock)
        RtlMoveMemory(m_address, hReadPointer, lLength);
}

QString clsMemoryManagement::ExtractString(std::intptr_t hStartPointer, std::int32_t lMax) const
{
    if (lMax <= 0 || hStartPointer == 0)
        return QString();
    // One read through the kernel both checks the string and copies it: it stops at the
    // first byte that cannot be read, so it never faults, and it never writes more than
    // lMax bytes.
    QByteArray buffer(lMax, '\0');
    const std::size_t got = SafeRead(buffer.data(), hStartPointer, std::size_t(lMax));
    const void *end = std::memchr(buffer.constData(), 0, got);
    if (!end && got < std::size_t(lMax))
        return QString(); // unreadable before its terminator
    // A string that does not end within lMax bytes keeps lMax - 1 of them, what a buffer
    // of lMax bytes holds with its terminator.
    const qsizetype length = end ? static_cast<const char *>(end) - buffer.constData() : lMax - 1;
    return QString::fromLocal8Bit(buffer.constData(), length);
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
