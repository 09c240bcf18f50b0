// scoutwell --check-filters and --check-requests: the engine answering line by line, for
// those who write filter lists.

#include "guard/FilterEngine.h"

#include <fstream>
#include <istream>
#include <ostream>
#include <sstream>

namespace guard {

namespace {

std::vector<std::string_view> columns(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    std::vector<std::string_view> out;
    std::size_t start = 0;
    while (true) {
        std::size_t tab = line.find('\t', start);
        out.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
        if (tab == std::string_view::npos)
            return out;
        start = tab + 1;
    }
}

// Reads "request<TAB>page<TAB>type" from cols[first..]; false with the reason on bad input.
bool readRequest(const std::vector<std::string_view> &cols, std::size_t first, Request *request,
                 std::string *why)
{
    if (cols.size() < first + 1 || cols[first].empty()) {
        *why = "no request address";
        return false;
    }
    request->url = cols[first];
    request->pageUrl = cols.size() > first + 1 ? cols[first + 1] : std::string_view();
    request->type = ResourceType::Other;
    std::string_view type = cols.size() > first + 2 ? cols[first + 2] : std::string_view();
    if (!type.empty() && !resourceTypeFromName(type, &request->type)) {
        *why = "unknown type " + std::string(type);
        return false;
    }
    return true;
}

void answer(const Decision &decision, std::ostream &out)
{
    switch (decision.kind) {
    case Decision::Block:
        out << "block\t" << decision.filter << '\n';
        break;
    case Decision::Allow:
        out << "allow\t" << decision.filter << '\n';
        break;
    case Decision::Pass:
        out << "pass\n";
        break;
    }
}

} // namespace

int checkFilters(std::istream &in, std::ostream &out)
{
    int status = 0;
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string_view> cols = columns(line);
        std::string_view filter = cols[0];
        Request request;
        std::string why;
        if (!readRequest(cols, 1, &request, &why)) {
            out << "error\t" << why << '\n';
            status = 1;
            continue;
        }
        LineVerdict verdict = FilterCompiler::classify(filter);
        if (verdict.kind == LineVerdict::Unsupported) {
            out << "unsupported\t" << verdict.reason << '\n';
            continue;
        }
        if (verdict.kind == LineVerdict::Empty) {
            out << "unsupported\tnot a filter\n";
            continue;
        }
        if (verdict.kind == LineVerdict::Hiding) {
            out << "pass\telement hiding, never matched against requests\n";
            continue;
        }
        // An exception is weighed against the same filter without @@, which it would lift.
        std::string text(filter);
        if (filter.substr(0, 2) == "@@")
            text = std::string(filter.substr(2)) + "\n" + text;
        FilterCompiler compiler;
        compiler.addList(text);
        std::string error;
        std::unique_ptr<FilterEngine> engine = FilterEngine::load(compiler.compile(), &error);
        if (!engine) {
            out << "error\t" << error << '\n';
            status = 1;
            continue;
        }
        answer(engine->match(request), out);
    }
    return status;
}

int checkRequests(const std::vector<std::string> &listFiles, std::istream &in, std::ostream &out,
                  std::ostream &err)
{
    if (listFiles.empty()) {
        err << "--check-requests needs at least one list file\n";
        return 2;
    }
    FilterCompiler compiler;
    for (const std::string &file : listFiles) {
        std::ifstream stream(file, std::ios::binary);
        if (!stream) {
            err << "cannot read the list " << file << '\n';
            return 2;
        }
        std::ostringstream text;
        text << stream.rdbuf();
        compiler.addList(text.str());
    }
    std::string error;
    std::unique_ptr<FilterEngine> engine = FilterEngine::load(compiler.compile(), &error);
    if (!engine) {
        err << "the lists could not be compiled: " << error << '\n';
        return 2;
    }
    int status = 0;
    std::string line;
    while (std::getline(in, line)) {
        Request request;
        std::string why;
        if (!readRequest(columns(line), 0, &request, &why)) {
            out << "error\t" << why << '\n';
            status = 1;
            continue;
        }
        answer(engine->match(request), out);
    }
    return status;
}

} // namespace guard
