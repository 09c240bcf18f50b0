// A site's search description over any bytes: whatever is read must be an address the
// program would keep.
#include "find/OpenSearch.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const opensearch::Description d = opensearch::ParseDescription(
        QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (d.error.isEmpty()
        && (d.address.count(QLatin1String("{keyword}")) != 1
            || !(d.address.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
                 || d.address.startsWith(QLatin1String("https://"), Qt::CaseInsensitive))))
        __builtin_trap();
    return 0;
}
