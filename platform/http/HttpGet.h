// One bounded HTTP GET, shared by the online lookups (CDDB, AccurateRip, MusicBrainz): plain
// HTTP unless the caller allows HTTPS, a time limit for connecting and one for the whole
// request, a cap on the answer's size, and never a proxy for a server on this machine. Each
// lookup keeps its own URL rules and answer parsing.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

namespace quillon::http {

struct HttpLimits {
    std::chrono::milliseconds connect{5000};
    std::chrono::milliseconds total{10000};
    std::size_t maxBytes = std::size_t{4} << 20;
};

// What a lookup may ask beyond the defaults: services that only answer over HTTPS, that want
// a User-Agent naming the program and a contact, or that answer with a redirect.
struct HttpOptions {
    bool allowHttps = false;
    std::string userAgent = "Quillon";
    long maxRedirects = 0;  // redirects stay within the allowed schemes
};

struct HttpAnswer {
    long status = 0;  // the HTTP status code
    std::string body;
};

// The answer to a GET of url, whatever its status; nothing when no answer came (no
// connection, a time limit passed, a body larger than limits.maxBytes).
std::optional<HttpAnswer> httpGet(const std::string& url, const HttpLimits& limits,
                                  const HttpOptions& options = {});

}  // namespace quillon::http
