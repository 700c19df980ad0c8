#include "AccurateRipClient.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>

#include "HttpGet.h"

namespace quillon::accuraterip {

namespace {

std::atomic<long> g_connectMs{5000};
std::atomic<long> g_totalMs{10000};

// A name or a bracketed IPv6 address, with an optional ":port" of digits.
bool validHost(const std::string& host) {
    std::size_t end = 0;
    if (!host.empty() && host.front() == '[') {
        end = host.find(']');
        if (end == std::string::npos || end == 1) return false;
        if (!std::all_of(host.begin() + 1, host.begin() + static_cast<long>(end),
                         [](unsigned char c) { return std::isxdigit(c) != 0 || c == ':'; }))
            return false;
        ++end;
    } else {
        end = std::min(host.find(':'), host.size());
        if (end == 0 ||
            !std::all_of(host.begin(), host.begin() + static_cast<long>(end), [](unsigned char c) {
                return std::isalnum(c) != 0 || c == '.' || c == '-' || c == '_';
            }))
            return false;
    }
    if (end == host.size()) return true;
    return host[end] == ':' && end + 1 < host.size() && host.size() - end <= 6 &&
           std::all_of(host.begin() + static_cast<long>(end) + 1, host.end(),
                       [](unsigned char c) { return std::isdigit(c) != 0; });
}

bool validPath(const std::string& path) {
    return std::all_of(path.begin(), path.end(), [](unsigned char c) {
        return c > 0x20 && c < 0x7F && c != '?' && c != '#' && c != '%' && c != '\\';
    });
}

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
    if (!validHost(host) || !validPath(path)) return std::nullopt;
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
