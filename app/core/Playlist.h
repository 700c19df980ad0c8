// The playlist of a ripped album: an extended M3U file in UTF-8 (.m3u8) beside the files,
// listing them in disc order with their lengths and names, so that players show the album as
// it was ripped.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "DiscMetadata.h"
#include "TrackList.h"

struct PlaylistEntry {
    std::string path;  // relative to the playlist's folder, '/' between folders
    int seconds = 0;
    std::string artist;
    std::string title;
};

// "#EXTM3U", then "#EXTINF:<seconds>,<artist> - <title>" and the path for each entry, lines
// ended by "\n". Line breaks in names become blanks; an entry whose path holds one is left out,
// as it cannot be written as one line.
std::string playlistText(const std::vector<PlaylistEntry>& entries);

// Writes the playlist of the checked rows into the folder that holds all of their files (the
// output folder, or the album folder the name template made), as "<album>.m3u8", or
// "playlist.m3u8" without an album name; an existing playlist of that name is replaced whole.
// Returns the playlist's path, or nothing when no row is checked or it cannot be written.
std::optional<std::string> writeAlbumPlaylist(const std::string& outputFolder,
                                              const TrackList& list, const DiscMetadata& disc,
                                              int firstTrack);
