// Tags as Vorbis comments, the NAME=value pairs that Ogg Vorbis, Opus and FLAC files carry,
// named as the common taggers and players read them; and the cover as the picture structure
// that FLAC stores in a PICTURE block and Ogg files, base64-coded, in a comment.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "TrackTags.h"

struct VorbisComment {
    std::string name;
    std::string value;
};

// The comments for the tags, the cover left out, in a fixed order: TITLE, ARTIST, ALBUM,
// ALBUMARTIST, TRACKNUMBER, TRACKTOTAL, DISCNUMBER, DISCTOTAL, DATE, GENRE, then the
// MusicBrainz ids (MUSICBRAINZ_ALBUMID for the release, MUSICBRAINZ_RELEASETRACKID for the
// track on it, MUSICBRAINZ_TRACKID for the recording). Empty texts and zero numbers give no
// comment; a total without its number is left out too. Values are valid UTF-8 without zero
// bytes, as the libraries that take them expect.
std::vector<VorbisComment> vorbisComments(const TrackTags& tags);

// The picture structure for the cover as front cover, with its MIME type told from its
// bytes, no description and unknown dimensions; empty when the tags have no usable cover.
std::vector<std::uint8_t> pictureStructure(const TrackTags& tags);
// The comment that holds the picture structure in Ogg files; empty value when there is none.
constexpr const char* kPictureCommentName = "METADATA_BLOCK_PICTURE";
std::string pictureCommentValue(const TrackTags& tags);

std::string base64(const std::vector<std::uint8_t>& bytes);
// Text as well-formed UTF-8 up to its first zero byte; bytes that start no well-formed
// sequence become U+FFFD.
std::string cleanUtf8(std::string_view text);
