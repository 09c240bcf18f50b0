#pragma once

#include <QString>
#include <cstdint>

// One block of raw memory straight from the page allocator, locked into physical memory
// while it is held, whose address can be handed to code that fills memory by address.
// Copies between the block and other addresses check both ranges with the kernel first,
// so a bad address only means nothing is copied.
class clsMemoryManagement
{
public:
    clsMemoryManagement() = default;
    ~clsMemoryManagement();
    clsMemoryManagement(const clsMemoryManagement &) = delete;
    clsMemoryManagement &operator=(const clsMemoryManagement &) = delete;

    // Gives up the block held, then takes a zero-filled one of lCount bytes. When the
    // system refuses (lCount 0 or less among others) the object is left empty.
    void Allocate(std::int32_t lCount);
    // The block's address; 0 when the object holds none. It is void after the next
    // Allocate or ReleaseMemory.
    std::intptr_t Handle() const { return m_address; }
    // Copies lLength bytes from the start of the block to hWritePointer; nothing when the
    // block is shorter.
    void ReadFrom(std::intptr_t hWritePointer, std::int32_t lLength);
    // Copies lLength bytes from hReadPointer to the start of the block; nothing when the
    // block is shorter.
    void WriteTo(std::intptr_t hReadPointer, std::int32_t lLength);
    // The zero-terminated string at hStartPointer, which lies in a buffer of lMax bytes.
    // An unreadable string gives "". A string that does not end within lMax bytes is cut
    // to lMax - 1 characters, what a buffer of lMax bytes with its terminator holds; a
    // string that starts in the block is bounded by the block's end in the same way.
    // Only the string found is ever held, whatever lMax says.
    QString ExtractString(std::intptr_t hStartPointer, std::int32_t lMax) const;
    void ReleaseMemory();

private:
    std::intptr_t m_address = 0;
    std::int32_t m_size = 0;
};
