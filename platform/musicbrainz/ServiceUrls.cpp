#include "ServiceUrls.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "UrlParts.h"

namespace quillon::musicbrainz {

namespace {

bool startsWithNoCase(const std::string& text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return a == std::tolower(static_cast<unsigned char>(b));
           });
}

}  // namespace

std::optional<std::string> serviceBase(const std::string& setting, const std::string& fallback) {
    std::string rest = setting.empty() ? fallback : setting;
    std::string scheme = "https://";
    if (startsWithNoCase(rest, "https://")) {
        rest.erase(0, 8);
    } else if (startsWithNoCase(rest, "http://")) {
        scheme = "http://";
        rest.erase(0, 7);
    } else if (rest.find("://") != std::string::npos) {
        return std::nullopt;
    }
    const std::size_t slash = rest.find('/');
    const std::string host = rest.substr(0, slash);
    std::string path = slash == std::string::npos ? std::string() : rest.substr(slash);
    while (!path.empty() && path.back() == '/')
        path.pop_back();
    if (!http::validHost(host) || !http::validPath(path)) return std::nullopt;
    return scheme + host + path;
}

std::optional<std::string> discIdLookupUrl(const std::string& server, const DiscToc& toc,
                                           bool fuzzy) {
    const auto base = serviceBase(server, kDefaultServer);
    const std::string id = discId(toc);
    if (!base || !validDiscId(id)) return std::nullopt;
    std::string url = *base + "/ws/2/discid/" + id + "?inc=artist-credits+recordings&fmt=json";
    if (fuzzy) url += "&toc=" + tocText(toc);
    return url;
}

bool validMbid(const std::string& mbid) {
    if (mbid.size() != 36) return false;
    for (std::size_t i = 0; i < mbid.size(); ++i) {
        const char c = mbid[i];
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? c != '-' : !((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

std::optional<std::string> frontCoverUrl(const std::string& coverArt, const std::string& mbid) {
    const auto base = serviceBase(coverArt, kDefaultCoverArt);
    if (!base || !validMbid(mbid)) return std::nullopt;
    return *base + "/release/" + mbid + "/front";
}

std::string userAgent(const std::string& version, const std::string& contact) {
    std::string agent = "Quillon/" + version + " ( " + contact + " )";
    for (char& c : agent) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) c = ' ';
    }
    return agent;
}

}  // namespace quillon::musicbrainz
