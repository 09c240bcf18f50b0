// The memory block's copies and string reads, driven by the input: a block of the size the
// first two bytes give, filled from the input, copied out and read as strings from offsets
// the input picks, then another block in its stead; and the mappings reader over the input
// as a listing.
#include "compat/Memory.h"
#include "support/clsMemoryManagement.h"

#include <cstring>

namespace {

std::intptr_t addr(const void *p)
{
    return reinterpret_cast<std::intptr_t>(p);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 6)
        return 0;
    const int blockSize = (data[0] | data[1] << 8) - 0x100; // some sizes of 0 or less too
    const int copyLength = data[2] | data[3] << 8;
    const std::size_t stringAt = data[4] | data[5] << 8;
    data += 6;
    size -= 6;

    // Both ends of the copies on the stack, as the cache walk's record is.
    char source[65536], out[65536];
    const std::size_t have = std::min(size, sizeof source);
    std::memcpy(source, data, have);
    clsMemoryManagement block;
    block.Allocate(blockSize);
    block.WriteTo(addr(source), std::int32_t(std::min<std::size_t>(have, std::size_t(copyLength))));
    block.ReadFrom(addr(out), std::min(copyLength, int(sizeof out)));
    // Anywhere in the block or past it, with a bound that may overshoot the block.
    if (block.Handle())
        block.ExtractString(block.Handle() + std::intptr_t(stringAt), copyLength);
    // In the input itself, which is not the block's, up to its end.
    if (stringAt < size)
        block.ExtractString(addr(data + stringAt), std::int32_t(size - stringAt));

    // Another block in the first one's stead, of a size the input gives (the same pages or
    // not, or none): fresh, it reads as zeros whatever the first one held.
    const int secondSize = int(stringAt) - 0x100;
    block.Allocate(secondSize);
    if (block.Handle()) {
        const int n = std::min(secondSize, int(sizeof out));
        std::memset(out, 1, std::size_t(n));
        block.ReadFrom(addr(out), n);
        for (int i = 0; i < n; ++i) {
            if (out[i] != 0)
                __builtin_trap();
        }
    }

    std::FILE *maps = ::fmemopen(const_cast<std::uint8_t *>(data), size, "r");
    if (maps) {
        compat::MapsGrant(maps, 0x1000, 0x2000 + stringAt, (copyLength & 1) ? 'r' : 'w');
        std::fclose(maps);
    }
    return 0;
}
