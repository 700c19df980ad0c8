// Track tags read back from Vorbis comments, the reverse of the writer beside this file: the
// names the common taggers use (TRACKNUMBER as "n" or "n/N", DATE or YEAR, the MusicBrainz
// ids) and the cover from a picture structure, whether a FLAC PICTURE block holds it or an Ogg
// comment base64-coded. Everything read from a file is bounded, so that a hostile file cannot
// make the reader hold more than a few pictures' worth of memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "TrackTags.h"
#include "VorbisComments.h"

// Limits on what is taken from a file. Larger pictures are passed over; comments past the
// count are not read and longer values are cut.
constexpr std::size_t kMaxCoverBytes = 16u << 20;
constexpr std::size_t kMaxCommentCount = 1024;
constexpr std::size_t kMaxCommentValue = 4096;

// One "NAME=value" entry as the file stores it, split at its first '='; false when it has
// none or an empty name.
bool splitComment(std::string_view entry, VorbisComment& comment);

// Adds one comment to tags: names in any case, values cleaned to UTF-8 and cut to
// kMaxCommentValue. The first value of a name wins; unknown names are ignored.
void applyComment(TrackTags& tags, const VorbisComment& comment);

// A picture read from a structure, with the type the structure gives it (3: front cover).
struct ParsedPicture {
    std::uint32_t type = 0;
    std::shared_ptr<const CoverArt> cover;
};
// The picture in a picture structure; no cover when the structure is malformed, its picture
// empty or larger than kMaxCoverBytes.
ParsedPicture parsePictureStructure(std::string_view bytes);

// Base64 as the comments use it (padding optional, no other characters); false when it is
// malformed or would decode to more than limit bytes.
bool decodeBase64(std::string_view text, std::vector<std::uint8_t>& out, std::size_t limit);

// Keeps the better of two covers: the first front cover, else the first picture at all.
void offerCover(TrackTags& tags, bool& haveFront, const ParsedPicture& picture);

// Turns entries "NAME=value" into tags, pictures in METADATA_BLOCK_PICTURE comments included.
TrackTags trackTagsFromComments(const std::vector<std::string_view>& entries);
