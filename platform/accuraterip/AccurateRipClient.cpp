#include "AccurateRipClient.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>

#include "HttpGet.h"
#include "UrlParts.h"

namespace quillon::accuraterip {

namespace {

std::atomic<long> g_connectMs{5000};
std::atomic<long> g_totalMs{10000};

// "host[:port][/path]" without a trailing slash, from the setting as the user wrote it.
std::optional<std::string> serverBase(std::string server) {
    if (server.empty()) server = kDefaultServer;
    constexpr std::string_view scheme = "http://";
    if (server.size() >= scheme.size() &&
        std::equal(scheme.begin(), scheme.end(), server.begin(),
                   [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); }))
        server.erase(0, scheme.size());
    const std::size_t slash = server.find('/');
    const std::string host = server.substr(0, slash);
    std::string path = slash == std::string::npos ? std::string() : server.substr(slash);
    while (!path.empty() && path.back() == '/')
        path.pop_back();
    if (!http::validHost(host) || !http::validPath(path)) return std::nullopt;
    return host + path;
}

}  // namespace

std::optional<std::string> accurateRipUrl(const std::string& server, const DiscIds& ids) {
    const auto base = serverBase(server);
    if (!base || ids.audioTracks < 1 || ids.audioTracks > 99) return std::nullopt;
    char name[96];
    std::snprintf(name, sizeof name, "%x/%x/%x/dBAR-%03d-%08x-%08x-%08x.bin", ids.id1 & 15,
                  (ids.id1 >> 4) & 15, (ids.id1 >> 8) & 15, ids.audioTracks, ids.id1, ids.id2,
                  ids.cddbId);
    return "http://" + *base + "/accuraterip/" + name;
}

void setAccurateRipTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds total) {
    g_connectMs = static_cast<long>(connect.count());
    g_totalMs = static_cast<long>(total.count());
}

Lookup fetchAccurateRip(const std::string& server, const DiscIds& ids) {
    Lookup lookup;
    const auto url = accurateRipUrl(server, ids);
    if (!url) return lookup;
    http::HttpLimits limits;
    limits.connect = std::chrono::milliseconds(g_connectMs.load());
    limits.total = std::chrono::milliseconds(g_totalMs.load());
    limits.maxBytes = kMaxAnswerBytes + 1;  // one byte over is enough for the parser to refuse
    const auto answer = http::httpGet(*url, limits);
    if (!answer) return lookup;
    const long status = answer->status;
    const std::string& body = answer->body;
    if (status == 404) {
        lookup.outcome = Lookup::Outcome::notFound;
        return lookup;
    }
    if (status != 200) return lookup;
    const auto pressings = parseAnswer(body);
    if (!pressings) return lookup;
    lookup.pressings = pressingsOf(*pressings, ids);
    lookup.outcome = lookup.pressings.empty() ? Lookup::Outcome::notFound : Lookup::Outcome::found;
    return lookup;
}

}  // namespace quillon::accuraterip
