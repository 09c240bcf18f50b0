#pragma once

// The guard's filter engine: parses filter lists in the Adblock Plus syntax, compiles them
// into one flat index, and answers for each request whether it is blocked. Plain C++ (the
// registrable domain comes from libpsl), no Qt: tests, benches and the command-line checks
// use it without a page, and the request interceptor calls it from the engine's IO thread.

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace guard {

// What a request loads. Document is a top-level navigation, Popup a new window opened by a
// page; filters without a type option apply to every type but these two.
enum class ResourceType : std::uint16_t {
    Other,
    Script,
    Image,
    Stylesheet,
    Subdocument,
    XmlHttpRequest,
    Media,
    Font,
    Object,
    Ping,
    WebSocket,
    Document,
    Popup
};

// The filter syntax's type names and their short forms ("script", "xhr", "fetch", "frame",
// "css", "doc", ...), case-insensitive. False for a name it does not know.
bool resourceTypeFromName(std::string_view name, ResourceType *out);
// The long name ("xmlhttprequest", "subdocument", ...).
const char *resourceTypeName(ResourceType type);

// pageUrl is the address of the page (the top-level document) the request is made for;
// empty, or an address without a host ("about:blank", "https://"), means no page: the
// request is third-party and no domain= entry names it.
struct Request
{
    std::string_view url;
    std::string_view pageUrl;
    ResourceType type = ResourceType::Other;
};

// list is the index (in the order the lists were added to the compiler) of the list whose
// filter decided, filter that filter's text; -1 and empty for Pass.
struct Decision
{
    enum Kind { Pass, Block, Allow };
    Kind kind = Pass;
    int list = -1;
    std::string filter;
};

// skippedReasons: reason -> count, for the lines the parser does not understand and drops
// whole. Blank lines, comments and the list's header are neither understood nor skipped.
struct ListStats
{
    int understood = 0;
    int skipped = 0;
    std::map<std::string, int> skippedReasons;
};

// What the parser makes of one line of a list.
struct LineVerdict
{
    enum Kind { Empty, Network, Hiding, Unsupported };
    Kind kind = Empty; // Empty: blank, comment or header
    std::string reason; // why an Unsupported line is skipped ("scriptlet", "option redirect", ...)
};

// Parses lists and compiles them into one index. Pure computation, usable off the UI thread.
class FilterCompiler
{
public:
    FilterCompiler();
    ~FilterCompiler();
    FilterCompiler(const FilterCompiler &) = delete;
    FilterCompiler &operator=(const FilterCompiler &) = delete;

    // Parses one list's text (UTF-8, any line endings) and returns its index.
    int addList(std::string_view text);
    int listCount() const;
    ListStats stats(int list) const;
    // The serialized index of every list added so far, for FilterEngine::load.
    std::string compile() const;

    static LineVerdict classify(std::string_view line);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// A compiled index. Every const member is safe to call from any number of threads at once:
// the index is read-only after load and there are no locks.
class FilterEngine
{
public:
    ~FilterEngine();
    FilterEngine(const FilterEngine &) = delete;
    FilterEngine &operator=(const FilterEngine &) = delete;

    // Checks the bytes (format version, every size and offset) before using them; damaged or
    // foreign bytes give nullptr and the reason in *error, never a crash. The rvalue form
    // keeps the buffer without copying it.
    static std::unique_ptr<FilterEngine> load(std::string_view bytes, std::string *error);
    static std::unique_ptr<FilterEngine> load(std::string &&bytes, std::string *error);

    // Precedence: a block filter marked important, then an exception, then a block filter.
    // A top-level navigation is Request{url, "", ResourceType::Document}.
    Decision match(const Request &request) const;

    // The style sheet that hides what the element-hiding filters name on this page
    // ("sel1,sel2{display:none!important}", several such rules for long lists; empty when
    // nothing is hidden). page is the page's address, or a bare host name.
    std::string hidingCss(std::string_view page) const;

    std::size_t memoryBytes() const; // everything the index holds
    int ruleCount() const; // network and element-hiding filters in the index
    int listCount() const;
    ListStats listStats(int list) const; // as the compiler counted them

private:
    FilterEngine();
    struct Private;
    std::unique_ptr<Private> d;
};

// The command-line checks for list authors (scoutwell --check-filters / --check-requests).
// Each reads tab-separated lines from in, answers one line on out per input line, and
// returns the program's exit code.
int checkFilters(std::istream &in, std::ostream &out);
int checkRequests(const std::vector<std::string> &listFiles, std::istream &in, std::ostream &out,
                  std::ostream &err);

} // namespace guard
