#include "AccurateRipClient.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>

namespace quillon::accuraterip {

namespace {

std::atomic<long> g_connectMs{5000};
std::atomic<long> g_totalMs{10000};

struct CurlCloser {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};

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

extern "C" size_t collect(char* data, size_t size, size_t count, void* user) {
    auto* body = static_cast<std::string*>(user);
    const size_t bytes = size * count;
    if (body->size() + bytes > kMaxAnswerBytes) return 0;  // aborts the transfer
    body->append(data, bytes);
    return bytes;
}

void initCurl() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
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
    initCurl();
    std::unique_ptr<CURL, CurlCloser> curl(curl_easy_init());
    if (!curl) return lookup;

    std::string body;
    // A server on this machine is never reached through a proxy.
    std::string noProxy = "localhost,127.0.0.1,::1";
    for (const char* name : {"no_proxy", "NO_PROXY"}) {
        if (const char* value = std::getenv(name); value != nullptr && *value != '\0') {
            noProxy = std::string(value) + ',' + noProxy;
            break;
        }
    }
    CURL* handle = curl.get();
    curl_easy_setopt(handle, CURLOPT_URL, url->c_str());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, g_connectMs.load());
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, g_totalMs.load());
    curl_easy_setopt(handle, CURLOPT_NOPROXY, noProxy.c_str());
    curl_easy_setopt(handle, CURLOPT_USERAGENT, "Quillon");
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &body);
    if (curl_easy_perform(handle) != CURLE_OK) return lookup;
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    if (status == 404) {
        lookup.outcome = Lookup::Outcome::NotFound;
        return lookup;
    }
    if (status != 200) return lookup;
    const auto pressings = parseAnswer(body);
    if (!pressings) return lookup;
    lookup.pressings = pressingsOf(*pressings, ids);
    lookup.outcome = lookup.pressings.empty() ? Lookup::Outcome::NotFound : Lookup::Outcome::Found;
    return lookup;
}

}  // namespace quillon::accuraterip
