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
    if (lMax <= 0 || IsBadStringPtrA(hStartPointer, lMax))
        return QString();
    // The bytes are fetched through the kernel rather than copied by hand, so even memory
    // that went away since the check cannot fault, and no more than lMax bytes are ever
    // written; the last byte stays the terminator.
    QByteArray buffer(lMax, '\0');
    const std::size_t got = SafeRead(buffer.data(), hStartPointer, std::size_t(lMax - 1));
    buffer[qsizetype(got)] = '\0';
    return QString::fromLocal8Bit(buffer.constData(), qsizetype(std::strlen(buffer.constData())));
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
