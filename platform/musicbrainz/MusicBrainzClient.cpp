#include "MusicBrainzClient.h"

#include <atomic>
#include <thread>

#include "HttpGet.h"
#include "RequestPacer.h"
#include "ServiceUrls.h"

namespace quillon::musicbrainz {

namespace {

std::atomic<long> g_connectMs{5000};
std::atomic<long> g_totalMs{15000};

RequestPacer& servicePacer() {
    static RequestPacer pacer(std::chrono::seconds(1));
    return pacer;
}

http::HttpLimits limits(std::size_t maxBytes) {
    http::HttpLimits limits;
    limits.connect = std::chrono::milliseconds(g_connectMs.load());
    limits.total = std::chrono::milliseconds(g_totalMs.load());
    limits.maxBytes = maxBytes;
    return limits;
}

http::HttpOptions options(const Service& service, long maxRedirects) {
    http::HttpOptions options;
    options.allowHttps = true;
    if (!service.userAgent.empty()) options.userAgent = service.userAgent;
    options.maxRedirects = maxRedirects;
    return options;
}

std::optional<CoverArt::Kind> imageKind(const std::string& bytes) {
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xFF\xD8\xFF") == 0) return CoverArt::Kind::jpeg;
    if (bytes.size() >= 8 && bytes.compare(0, 8, "\x89PNG\r\n\x1A\n") == 0)
        return CoverArt::Kind::png;
    return std::nullopt;
}

}  // namespace

void setMusicBrainzTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds total) {
    g_connectMs = static_cast<long>(connect.count());
    g_totalMs = static_cast<long>(total.count());
}

void setMusicBrainzRequestInterval(std::chrono::milliseconds interval) {
    servicePacer().setInterval(interval);
}

Lookup lookupDisc(const Service& service, const DiscToc& toc, bool fuzzy) {
    Lookup lookup;
    const auto url = discIdLookupUrl(service.server, toc, fuzzy);
    if (!url) return lookup;
    std::this_thread::sleep_until(servicePacer().claim(RequestPacer::Clock::now()));
    // One byte over the cap is enough for the reader to refuse the answer.
    const auto answer = http::httpGet(*url, limits(kMaxAnswerBytes + 1), options(service, 0));
    if (!answer) return lookup;
    if (answer->status == 404) {
        lookup.outcome = Lookup::Outcome::notFound;
        return lookup;
    }
    if (answer->status != 200) return lookup;
    auto releases = parseReleases(answer->body, discId(toc), static_cast<int>(toc.offsets.size()));
    if (!releases) return lookup;
    lookup.releases = std::move(*releases);
    lookup.outcome = lookup.releases.empty() ? Lookup::Outcome::notFound : Lookup::Outcome::found;
    return lookup;
}

std::optional<CoverArt> fetchFrontCover(const Service& service, const std::string& releaseId,
                                        std::size_t maxBytes) {
    const auto url = frontCoverUrl(service.coverArt, releaseId);
    if (!url || maxBytes == 0) return std::nullopt;
    // The archive answers with a redirect to where the image is stored.
    const auto answer = http::httpGet(*url, limits(maxBytes), options(service, 5));
    if (!answer || answer->status != 200) return std::nullopt;
    const auto kind = imageKind(answer->body);
    if (!kind) return std::nullopt;
    return CoverArt{*kind, answer->body};
}

}  // namespace quillon::musicbrainz
