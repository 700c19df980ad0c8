#include "HttpGet.h"

#include <curl/curl.h>

#include <cstdlib>
#include <memory>
#include <mutex>

namespace quillon::http {

namespace {

struct CurlCloser {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};

struct Collected {
    std::string body;
    std::size_t maxBytes = 0;
};

extern "C" size_t collect(char* data, size_t size, size_t count, void* user) {
    auto* collected = static_cast<Collected*>(user);
    const size_t bytes = size * count;
    if (collected->body.size() + bytes > collected->maxBytes) return 0;  // aborts the transfer
    collected->body.append(data, bytes);
    return bytes;
}

void initCurl() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// A server on this machine is never reached through a proxy, whatever the user's own
// exceptions say.
std::string noProxyList() {
    std::string list = "localhost,127.0.0.1,::1";
    for (const char* name : {"no_proxy", "NO_PROXY"}) {
        if (const char* value = std::getenv(name); value != nullptr && *value != '\0')
            return std::string(value) + ',' + list;
    }
    return list;
}

}  // namespace

std::optional<HttpAnswer> httpGet(const std::string& url, const HttpLimits& limits,
                                  const HttpOptions& options) {
    initCurl();
    std::unique_ptr<CURL, CurlCloser> curl(curl_easy_init());
    if (!curl) return std::nullopt;
    Collected collected;
    collected.maxBytes = limits.maxBytes;
    const std::string noProxy = noProxyList();
    CURL* handle = curl.get();
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    const char* const schemes = options.allowHttps ? "http,https" : "http";
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, schemes);
    if (options.maxRedirects > 0) {
        curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(handle, CURLOPT_MAXREDIRS, options.maxRedirects);
        curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, schemes);
    }
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.connect.count()));
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(limits.total.count()));
    curl_easy_setopt(handle, CURLOPT_NOPROXY, noProxy.c_str());
    curl_easy_setopt(handle, CURLOPT_USERAGENT, options.userAgent.c_str());
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &collected);
    if (curl_easy_perform(handle) != CURLE_OK) return std::nullopt;
    HttpAnswer answer;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &answer.status);
    answer.body = std::move(collected.body);
    return answer;
}

}  // namespace quillon::http
