// Looking a disc up in the MusicBrainz web service and fetching a release's front cover from
// the cover art archive, over HTTP or HTTPS, with the time limits, size caps and request
// spacing the services and outside data call for.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "DiscToc.h"
#include "ReleaseAnswer.h"

namespace quillon::musicbrainz {

constexpr std::size_t kDefaultMaxCoverBytes = std::size_t{2} << 20;

struct Service {
    std::string server;     // [MusicBrainz] server; empty means kDefaultServer
    std::string coverArt;   // [MusicBrainz] coverart; empty means kDefaultCoverArt
    std::string userAgent;  // from userAgent(version, contact)
};

struct Lookup {
    enum class Outcome {
        found,     // at least one release holds the disc
        notFound,  // the service does not know the disc (404, or no release matches it)
        offline,   // no usable answer: no connection, a time limit, an error, a refused answer
    };
    Outcome outcome = Outcome::offline;
    std::vector<Release> releases;
};

// How long a request may take to connect and in all; a dead server must cost seconds only.
void setMusicBrainzTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds total);

// The least time between two requests to the web service, one second unless a test says
// otherwise. Cover art requests are not counted: the archive has no such rule.
void setMusicBrainzRequestInterval(std::chrono::milliseconds interval);

// Asks the web service for the releases holding the disc; with fuzzy, the toc goes along so
// that releases filed under a nearby disc ID are answered too. Waits first, if need be, so
// that requests from this program are at least the request interval apart.
Lookup lookupDisc(const Service& service, const DiscToc& toc, bool fuzzy);

struct CoverArt {
    enum class Kind { jpeg, png };
    Kind kind = Kind::jpeg;
    std::string bytes;

    const char* extension() const { return kind == Kind::png ? "png" : "jpg"; }
};

// The release's front cover, following the archive's redirects; nothing when there is none,
// it is larger than maxBytes, it is neither JPEG nor PNG, or the archive does not answer. A
// missing cover is never an error for the caller.
std::optional<CoverArt> fetchFrontCover(const Service& service, const std::string& releaseId,
                                        std::size_t maxBytes = kDefaultMaxCoverBytes);

}  // namespace quillon::musicbrainz
