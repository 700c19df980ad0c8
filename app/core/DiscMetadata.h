// The names of a disc and its tracks, from wherever they came: the disc's own CD-Text, a
// MusicBrainz release or a CDDB entry. The track list's file names, the tags inside the ripped
// files, the playlist and the cue sheet are all made from it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "TrackTags.h"

struct DiscMetadata {
    enum class Source { none, cdText, musicBrainz, cddb };
    Source source = Source::none;

    std::string artist;
    std::string album;
    std::string year;  // "YYYY" or "YYYY-MM-DD", or empty
    std::string genre;
    int discNumber = 0;  // of a set of several discs; 0 when not known
    int discTotal = 0;
    // MusicBrainz: the release, and what the chooser shows of it.
    std::string releaseId;
    std::string country;
    std::string label;
    // CDDB: "category/discid" of the entry, which tells several matches apart.
    std::string cddbId;

    struct Track {
        std::string title;
        std::string artist;  // empty: the disc's artist
        std::string releaseTrackId;
        std::string recordingId;
    };
    std::vector<Track> tracks;  // by the track's position in the table of contents

    std::shared_ptr<const CoverArt> cover;
};

// "CD-Text", "MusicBrainz", "CDDB", or "" for none.
inline const char* sourceName(DiscMetadata::Source source) {
    switch (source) {
        case DiscMetadata::Source::cdText:
            return "CD-Text";
        case DiscMetadata::Source::musicBrainz:
            return "MusicBrainz";
        case DiscMetadata::Source::cddb:
            return "CDDB";
        case DiscMetadata::Source::none:
            break;
    }
    return "";
}

// The tags of the track at table position `position` (numbered `trackNumber` on the disc, of
// `trackTotal`): the track's own title and artist, the disc's names and ids around them.
inline TrackTags tagsForTrack(const DiscMetadata& disc, std::size_t position, int trackNumber,
                              int trackTotal) {
    TrackTags tags;
    if (position < disc.tracks.size()) {
        const DiscMetadata::Track& track = disc.tracks[position];
        tags.title = track.title;
        tags.artist = track.artist;
        tags.musicBrainzReleaseTrackId = track.releaseTrackId;
        tags.musicBrainzRecordingId = track.recordingId;
    }
    if (tags.artist.empty()) tags.artist = disc.artist;
    tags.album = disc.album;
    tags.albumArtist = disc.artist;
    tags.date = disc.year;
    tags.genre = disc.genre;
    tags.trackNumber = trackNumber;
    tags.trackTotal = trackTotal;
    tags.discNumber = disc.discNumber;
    tags.discTotal = disc.discTotal;
    tags.musicBrainzAlbumId = disc.releaseId;
    tags.cover = disc.cover;
    return tags;
}
