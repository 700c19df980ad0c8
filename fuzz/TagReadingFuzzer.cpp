// The tag readers on arbitrary bytes, as a hostile or broken file may hold them: an ID3v2 tag
// body of each version, Vorbis comments (one per line, picture comments included), a picture
// structure and base64. Whatever they read must be clean UTF-8 and within the limits taken.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "CommentReading.h"
#include "ID3Tag.h"
#include "ID3TrackRead.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

void checkTags(const TrackTags& tags) {
    for (const std::string* text :
         {&tags.title, &tags.artist, &tags.album, &tags.albumArtist, &tags.date, &tags.genre,
          &tags.musicBrainzAlbumId, &tags.musicBrainzReleaseTrackId, &tags.musicBrainzRecordingId})
        check(cleanUtf8(*text) == *text);
    check(tags.trackNumber >= 0 && tags.trackTotal >= 0 && tags.discNumber >= 0 &&
          tags.discTotal >= 0);
    if (tags.cover) check(!tags.cover->data.empty() && tags.cover->data.size() <= kMaxCoverBytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (input.empty()) return 0;
    // The first byte picks the version and the tag flags for the ID3 reading.
    const uint8_t version = 2 + static_cast<uint8_t>(data[0] % 3);
    const uint8_t flags = static_cast<uint8_t>(data[0] & 0xF0);
    checkTags(trackTagsFromId3(parseTag(version, flags, input.substr(1))));

    std::vector<std::string_view> entries;
    for (std::size_t start = 0; start <= input.size();) {
        const std::size_t end = std::min(input.find('\n', start), input.size());
        entries.push_back(input.substr(start, end - start));
        start = end + 1;
    }
    checkTags(trackTagsFromComments(entries));

    const ParsedPicture picture = parsePictureStructure(input);
    if (picture.cover) check(picture.cover->data.size() <= kMaxCoverBytes);

    std::vector<std::uint8_t> decoded;
    if (decodeBase64(input, decoded, 1024)) check(decoded.size() <= 1024);
    return 0;
}
