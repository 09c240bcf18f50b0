// The guard's filter engine on Debian's EasyList, EasyPrivacy, badware and malware lists:
// parsing and compiling, loading the compiled index, and matching requests made from the
// lists' own domains and ordinary pages' resource addresses; beside it, in the same run, the
// reference engine (bench/guard_reference.sh) on the same lists and requests.
//
//   bench_guard [--requests FILE] [--no-reference] [--count N]

#include "guard/FilterEngine.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

using namespace guard;
using Clock = std::chrono::steady_clock;

namespace {

const char *const ListDir = "/usr/share/chromium/extensions/ublock-origin/assets/";
const char *const Lists[]
    = {"thirdparties/easylist/easylist.txt", "thirdparties/easylist/easyprivacy.txt",
       "ublock/badware.min.txt", "thirdparties/urlhaus-filter/urlhaus-filter-online.txt"};

struct Line
{
    std::string url, page, type;
};

std::string readFile(const std::string &path)
{
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

double msSince(Clock::time_point t)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

// The hosts the lists name: "||host^..." and bare host lines.
std::vector<std::string> listHosts(const std::vector<std::string> &texts)
{
    std::vector<std::string> hosts;
    for (const std::string &text : texts) {
        std::istringstream in(text);
        std::string line;
        while (std::getline(in, line)) {
            std::size_t start = line.rfind("||", 0) == 0 ? 2 : 0;
            std::size_t end = line.find_first_of("^/$*|\r", start);
            std::string host = line.substr(start, end == std::string::npos ? end : end - start);
            if (host.find('.') == std::string::npos
                || host.find_first_of(" #!,~[@=") != std::string::npos
                || (start == 0 && end != std::string::npos))
                continue;
            hosts.push_back(host);
        }
    }
    return hosts;
}

// Requests as ordinary pages make them: a page on one host loading scripts, pictures, styles,
// fonts and calls from its own host, from shared CDNs, and from the hosts the lists name.
std::vector<Line> makeRequests(const std::vector<std::string> &hosts, std::size_t count)
{
    const char *ordinaryHosts[] = {
        "www.freeware-portal.example", "cdn.freeware-portal.example", "static.newsdaily.example",
        "www.newsdaily.example",       "img.shopfront.example",       "api.shopfront.example",
        "fonts.typeface-cdn.example",  "ajax.libs-cdn.example",       "www.videohub.example",
        "media.videohub.example",      "forum.softwaretalk.example",  "download.editor-app.example",
        "i0.wp-host.example",          "secure.payments.example",     "maps.tiles.example",
        "en.wiki-site.example",        "upload.wiki-site.example",    "github-assets.example",
        "static.blog-platform.co.uk",  "www.blog-platform.co.uk"};
    const struct
    {
        const char *path;
        const char *type;
    } paths[] = {
        {"/", "document"},
        {"/index.html", "subdocument"},
        {"/assets/js/main.3f2a1c9e.js", "script"},
        {"/static/js/vendor.min.js?v=20240101", "script"},
        {"/wp-includes/js/jquery/jquery.min.js?ver=3.7.1", "script"},
        {"/static/css/site.min.css", "stylesheet"},
        {"/css/style.css?ver=6.4.2", "stylesheet"},
        {"/images/logo@2x.png", "image"},
        {"/wp-content/uploads/2023/05/screenshot-1-1024x768.jpg", "image"},
        {"/thumbs/640x360/9f8e7d6c5b4a.webp", "image"},
        {"/favicon.ico", "image"},
        {"/fonts/opensans-regular.woff2", "font"},
        {"/api/v2/search?q=freeware+pdf+editor&page=2&sort=downloads", "xmlhttprequest"},
        {"/graphql?operationName=ProductQuery&variables=%7B%22id%22%3A42%7D", "xmlhttprequest"},
        {"/ads/banner-728x90.gif", "image"},
        {"/adserver/show?zone=1234&cb=987654321", "script"},
        {"/analytics/collect?v=1&tid=UA-12345-1&cid=555&t=pageview", "ping"},
        {"/pixel.gif?event=view&ts=1700000000", "image"},
        {"/track/click?id=abc123&redirect=https%3A%2F%2Fexample.org%2F", "other"},
        {"/download/setup-2.4.1-x64.exe", "other"},
        {"/video/intro-720p.mp4", "media"},
        {"/embed/player.html?id=42&autoplay=1", "subdocument"},
        {"/socket.io/?EIO=4&transport=websocket", "websocket"},
        {"/comments/load?post=8812&offset=20", "xmlhttprequest"},
        {"/prebid/prebid.js", "script"},
        {"/gtag/js?id=G-ABCDEF1234", "script"},
    };
    std::vector<Line> out;
    out.reserve(count);
    std::uint64_t state = 0x9e3779b97f4a7c15ull;
    auto next = [&state](std::size_t n) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return static_cast<std::size_t>(state % n);
    };
    const std::size_t nOrdinary = std::size(ordinaryHosts);
    const std::size_t nPaths = std::size(paths);
    for (std::size_t i = 0; i < count; ++i) {
        Line l;
        const auto &p = paths[next(nPaths)];
        std::string pageHost = ordinaryHosts[next(nOrdinary)];
        std::string host;
        switch (i % 4) {
        case 0: // a host a list names, from an ordinary page
            host = hosts.empty() ? pageHost : hosts[next(hosts.size())];
            break;
        case 1: // the page's own host
            host = pageHost;
            break;
        case 2: // another ordinary host
            host = ordinaryHosts[next(nOrdinary)];
            break;
        case 3: // an ordinary resource on a page of a listed host
            host = ordinaryHosts[next(nOrdinary)];
            if (!hosts.empty())
                pageHost = hosts[next(hosts.size())];
            break;
        }
        l.url = "https://" + host + p.path;
        l.type = p.type;
        l.page = l.type == std::string("document") ? "" : "https://" + pageHost + "/";
        out.push_back(std::move(l));
    }
    return out;
}

std::map<std::string, double> parseFigures(const std::string &line)
{
    std::map<std::string, double> out;
    std::istringstream in(line);
    std::string item;
    while (in >> item) {
        std::size_t eq = item.find('=');
        if (eq != std::string::npos)
            out[item.substr(0, eq)] = std::atof(item.substr(eq + 1).c_str());
    }
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    std::string requestsFile;
    bool reference = true;
    std::size_t count = 120000;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--requests" && i + 1 < argc)
            requestsFile = argv[++i];
        else if (a == "--no-reference")
            reference = false;
        else if (a == "--count" && i + 1 < argc)
            count = std::strtoul(argv[++i], nullptr, 10);
        else {
            std::fprintf(stderr,
                         "usage: bench_guard [--requests FILE] [--no-reference] [--count N]\n");
            return 2;
        }
    }

    std::vector<std::string> paths;
    std::vector<std::string> texts;
    for (const char *name : Lists) {
        paths.push_back(std::string(ListDir) + name);
        texts.push_back(readFile(paths.back()));
        if (texts.back().empty()) {
            std::fprintf(stderr, "missing %s: install webext-ublock-origin-chromium\n",
                         paths.back().c_str());
            return 1;
        }
    }

    // (a) parsing and compiling, best of three
    double compileMs = 1e9;
    std::string bytes;
    int rules = 0;
    for (int round = 0; round < 3; ++round) {
        Clock::time_point t = Clock::now();
        FilterCompiler compiler;
        for (const std::string &text : texts)
            compiler.addList(text);
        bytes = compiler.compile();
        compileMs = std::min(compileMs, msSince(t));
        if (round == 0) {
            for (int l = 0; l < compiler.listCount(); ++l) {
                ListStats s = compiler.stats(l);
                std::printf("%-60s understood %6d  unsupported %5d\n", Lists[l], s.understood,
                            s.skipped);
                for (const auto &[reason, n] : s.skippedReasons)
                    std::printf("    %-40s %6d\n", reason.c_str(), n);
            }
        }
    }

    // (b) loading the compiled index from bytes read from a file, as a start does: median of 15
    std::vector<double> loads;
    std::unique_ptr<FilterEngine> engine;
    for (int round = 0; round < 15; ++round) {
        Clock::time_point t = Clock::now();
        std::string error;
        engine = FilterEngine::load(std::string_view(bytes), &error);
        loads.push_back(msSince(t));
        if (!engine) {
            std::fprintf(stderr, "load: %s\n", error.c_str());
            return 1;
        }
    }
    std::sort(loads.begin(), loads.end());
    double loadMs = loads[loads.size() / 2];
    rules = engine->ruleCount();
    double indexMb = double(engine->memoryBytes()) / (1024.0 * 1024.0);

    // (c) matching
    std::vector<Line> requests = makeRequests(listHosts(texts), count);
    if (!requestsFile.empty()) {
        std::ifstream in(requestsFile);
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream cols(line);
            Line l;
            std::getline(cols, l.url, '\t');
            std::getline(cols, l.page, '\t');
            std::getline(cols, l.type, '\t');
            if (!l.url.empty())
                requests.push_back(std::move(l));
        }
    }
    std::vector<Request> prepared;
    for (const Line &l : requests) {
        ResourceType t = ResourceType::Other;
        resourceTypeFromName(l.type, &t);
        prepared.push_back(Request {l.url, l.page, t});
    }
    for (const Request &r : prepared) // warm-up
        engine->match(r);
    std::vector<double> times(prepared.size());
    std::size_t blocked = 0;
    for (std::size_t i = 0; i < prepared.size(); ++i) {
        Clock::time_point t = Clock::now();
        Decision d = engine->match(prepared[i]);
        times[i] = std::chrono::duration<double, std::micro>(Clock::now() - t).count();
        blocked += d.kind == Decision::Block;
    }
    std::sort(times.begin(), times.end());
    double median = times[times.size() / 2];
    double p99 = times[std::min(times.size() - 1, times.size() * 99 / 100)];
    std::printf("guard blocked=%zu/%zu\n", blocked, prepared.size());
    // What one reading of the clock adds to every request's figure (not taken off).
    std::vector<double> empty(10000);
    for (double &e : empty) {
        Clock::time_point t = Clock::now();
        e = std::chrono::duration<double, std::micro>(Clock::now() - t).count();
    }
    std::sort(empty.begin(), empty.end());
    std::printf("cores=%u clock_reading_us=%.3f (included in the per-request figures)\n",
                std::thread::hardware_concurrency(), empty[empty.size() / 2]);

    std::map<std::string, double> ref;
    if (reference) {
        std::string file = "/tmp/bench_guard_requests_" + std::to_string(::getpid()) + ".tsv";
        {
            std::ofstream out(file);
            for (const Line &l : requests)
                out << l.url << '\t' << l.page << '\t' << l.type << '\n';
        }
        std::string command = std::string("bash '") + BENCH_SOURCE_DIR + "/guard_reference.sh' '"
            + BENCH_BUILD_DIR + "' '" + file + "'";
        for (const std::string &p : paths)
            command += " '" + p + "'";
        if (FILE *pipe = ::popen(command.c_str(), "r")) {
            char buffer[4096];
            std::string last;
            while (std::fgets(buffer, sizeof buffer, pipe)) {
                std::fputs(buffer, stdout);
                last = buffer;
            }
            if (::pclose(pipe) == 0 && last.rfind("reference ", 0) == 0)
                ref = parseFigures(last);
        }
        std::remove(file.c_str());
        if (ref.empty())
            std::printf("reference engine: not available in this run (see the messages above)\n");
    }

    auto column = [&](const char *key, double guardValue, const char *goal) {
        if (ref.count(key) && ref[key] > 0)
            std::printf("%-16s %12.3f %12.3f %8.2f   %s\n", key, guardValue, ref[key],
                        guardValue / ref[key], goal);
        else
            std::printf("%-16s %12.3f %12s %8s   %s\n", key, guardValue, "-", "-", goal);
    };
    std::printf("\n%-16s %12s %12s %8s   %s\n", "", "guard", "reference", "ratio", "goal");
    column("median_us", median, "<= 1 us and <= 0.4 x reference");
    column("p99_us", p99, "<= 10 us and <= reference");
    column("load_ms", loadMs, "<= 15 ms and <= reference");
    column("index_mb", indexMb, "<= 20 MB");
    column("parse_ms", compileMs, "");
    column("rules", rules, "");
    std::printf("median_us=%.3f p99_us=%.3f load_ms=%.2f index_mb=%.2f rules=%d\n", median, p99,
                loadMs, indexMb, rules);
    return 0;
}
