// The guard's list parser over any bytes as a list, the index compiled from it loaded and
// asked about a few requests and pages; then the same index with the input's first bytes
// written over its body, which the loader must refuse or survive.
#include "guard/FilterEngine.h"

#include <cstdint>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    guard::FilterCompiler compiler;
    compiler.addList(text);
    std::string bytes = compiler.compile();
    std::string error;
    auto engine = guard::FilterEngine::load(std::string_view(bytes), &error);
    if (!engine)
        __builtin_trap(); // an index the compiler just made must load
    const guard::Request requests[] = {
        {"https://ads.example.com/banner/ad.js?x=1", "https://news.example.org/",
         guard::ResourceType::Script},
        {"https://news.example.org/", "", guard::ResourceType::Document},
        {"http://1.2.3.4:8080/a^b|c*d", "about:blank", guard::ResourceType::Image},
        {"wss://a.b.co.uk/s", "https://", guard::ResourceType::WebSocket},
        {"https://news.example.org/popup", "https://news.example.org/", guard::ResourceType::Popup},
    };
    for (const guard::Request &r : requests)
        engine->match(r);
    // The input's own first line as an address, so that its filters meet what they name.
    std::string_view first = text.substr(0, text.find('\n'));
    engine->match({first, first, guard::ResourceType::Other});
    engine->hidingCss("https://news.example.org/");
    engine->hidingCss(first);
    guard::ListStats stats = engine->listStats(0);
    guard::ListStats compiled = compiler.stats(0);
    if (stats.understood != compiled.understood || stats.skipped != compiled.skipped)
        __builtin_trap();

    // Damaged bytes: the input over the index after its header.
    if (bytes.size() > 200) {
        std::size_t at = 120 + (size ? data[0] : 0) % (bytes.size() - 120);
        std::size_t n = std::min(size, bytes.size() - at);
        std::memcpy(bytes.data() + at, data, n);
        if (auto damaged = guard::FilterEngine::load(std::string_view(bytes), &error)) {
            for (const guard::Request &r : requests)
                damaged->match(r);
            damaged->hidingCss("https://news.example.org/");
        }
    }
    return 0;
}
