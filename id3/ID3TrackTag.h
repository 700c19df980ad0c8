// A whole ID3v2.3 tag for a new MP3 file, made from its track tags, for the encoders to write
// before the first audio frame: the names, track and disc numbers ("n/N", "d/D"), year and
// genre as text frames, the cover as the front-cover picture, and the MusicBrainz ids the way
// the common taggers store them (TXXX "MusicBrainz Album Id" and "MusicBrainz Release Track
// Id", UFID "http://musicbrainz.org" for the recording). Texts are stored as ISO-8859-1 where
// every character fits, else as UTF-16 with a byte-order mark.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "TrackTags.h"

// Room left after the frames, so that a tag editor can grow the tag without moving the audio.
constexpr std::size_t kTrackTagPadding = 1024;

// The tag, padding included; empty when the tags hold nothing to write. A cover too large for
// a tag is left out.
std::vector<std::uint8_t> BuildTrackTag(const TrackTags& tags,
                                        std::size_t padding = kTrackTagPadding);
