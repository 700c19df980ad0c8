// The table of contents as MusicBrainz sees a disc, and the disc ID and "toc" argument made
// from it.
//
// The service counts audio tracks only. A data track after the audio (an enhanced CD's second
// session) is left out and the audio ends 11400 frames before it, where the first session's
// lead-out was; a data track before the audio is left out and the first track number is the
// first audio track's. Addresses include the 150-frame lead-in.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Disc.h"

namespace quillon::musicbrainz {

struct DiscToc {
    int firstTrack = 1;
    int lastTrack = 0;
    std::int32_t leadOut = 0;           // lead-in included
    std::vector<std::int32_t> offsets;  // firstTrack to lastTrack, lead-in included

    bool operator==(const DiscToc&) const = default;
};

// The audio part of a valid layout; nothing when the layout is not valid or holds no audio
// track, or its audio tracks are not one run.
std::optional<DiscToc> discToc(const cdrom::DiscLayout& layout);

// The 28-character disc ID: SHA-1 of the upper-case hexadecimal table, in base64 with '.',
// '_' and '-' for '+', '/' and '='.
std::string discId(const DiscToc& toc);

// "first+last+leadout+offset...", the lookup's toc argument for discs the service only knows
// under another ID.
std::string tocText(const DiscToc& toc);

// True for 28 characters of the disc ID's alphabet, the only IDs put into a URL.
bool validDiscId(const std::string& id);

}  // namespace quillon::musicbrainz
