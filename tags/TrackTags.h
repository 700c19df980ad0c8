// The names and numbers a ripped or converted file carries inside it, whatever its format: the
// MP3 writer turns them into ID3v2 frames, the Ogg Vorbis, Opus and FLAC writers into Vorbis
// comments. Empty texts and zero numbers are left out of the file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct CoverArt {
    std::string mimeType;  // "image/jpeg" or "image/png"
    std::vector<std::uint8_t> data;
};

struct TrackTags {
    std::string title;
    std::string artist;
    std::string album;
    std::string albumArtist;
    std::string date;  // "YYYY" or "YYYY-MM-DD"
    std::string genre;
    int trackNumber = 0;
    int trackTotal = 0;
    int discNumber = 0;
    int discTotal = 0;
    std::string musicBrainzAlbumId;         // the release
    std::string musicBrainzReleaseTrackId;  // the track on the release
    std::string musicBrainzRecordingId;     // the recording, shared by every release of it
    // Shared: every track of a disc carries the same picture.
    std::shared_ptr<const CoverArt> cover;

    bool empty() const {
        return title.empty() && artist.empty() && album.empty() && albumArtist.empty() &&
               date.empty() && genre.empty() && trackNumber == 0 && discNumber == 0 &&
               musicBrainzAlbumId.empty() && musicBrainzReleaseTrackId.empty() &&
               musicBrainzRecordingId.empty() && !cover;
    }
};
