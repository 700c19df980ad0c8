// The URLs of the MusicBrainz web service and the cover art archive, made from the settings as
// the user wrote them, and the User-Agent the service asks every program to send.
#pragma once

#include <optional>
#include <string>

#include "DiscToc.h"

namespace quillon::musicbrainz {

constexpr const char* kDefaultServer = "https://musicbrainz.org";
constexpr const char* kDefaultCoverArt = "https://coverartarchive.org";

// "scheme://host[:port][/path]" without a trailing slash. setting is a host, "host:port", or a
// full "http://" or "https://" base; a bare host means HTTPS; empty means fallback. Nothing
// for another scheme, or a host or path a URL cannot safely be made of.
std::optional<std::string> serviceBase(const std::string& setting, const std::string& fallback);

// "<server>/ws/2/discid/<id>?inc=artist-credits+recordings&fmt=json", with "&toc=..." when
// toc is given (the service then also answers releases whose discs are only near this one).
// Nothing for a server serviceBase refuses.
std::optional<std::string> discIdLookupUrl(const std::string& server, const DiscToc& toc,
                                           bool fuzzy);

// "<coverart>/release/<mbid>/front"; nothing for a refused base or an mbid that is not a
// lower-case UUID.
std::optional<std::string> frontCoverUrl(const std::string& coverArt, const std::string& mbid);

// True for "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx" in lower-case hexadecimal.
bool validMbid(const std::string& mbid);

// "Quillon/<version> ( <contact> )"; characters a header cannot carry become spaces.
std::string userAgent(const std::string& version, const std::string& contact);

}  // namespace quillon::musicbrainz
