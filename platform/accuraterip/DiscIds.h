// The ids the AccurateRip database files a disc under, made from its table of contents, and
// where each track stands among the disc's audio tracks.
//
// The database counts audio tracks only: the two AccurateRip ids sum the audio tracks' start
// frames (the second weighted by their place among the audio tracks) and the disc's lead-out,
// which on an enhanced CD is the lead-out after the data session, not the end of the audio.
// The CDDB id in the file name is the ordinary one of the whole disc, data tracks included.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "Disc.h"
#include "TrackChecksum.h"

namespace quillon::accuraterip {

struct DiscIds {
    int audioTracks = 0;
    std::uint32_t id1 = 0;
    std::uint32_t id2 = 0;
    std::uint32_t cddbId = 0;

    bool operator==(const DiscIds&) const = default;
};

// The ids of a disc whose layout is valid and has at least one audio track; nothing otherwise.
std::optional<DiscIds> discIds(const cdrom::DiscLayout& layout);

// "NNN-xxxxxxxx-xxxxxxxx-xxxxxxxx", the name the database and other rippers' logs show.
std::string discIdsText(const DiscIds& ids);

// The track's place among the audio tracks; nothing for a data track or a number not on the disc.
std::optional<TrackPlace> trackPlace(const cdrom::DiscLayout& layout, int trackNumber);

// The slot of a track in the database's entries: its position on the disc, data tracks
// counted. On a disc that starts with a data track, that track holds the first slot and the
// last audio track has none. Nothing for a number not on the disc.
std::optional<int> entrySlot(const cdrom::DiscLayout& layout, int trackNumber);

}  // namespace quillon::accuraterip
