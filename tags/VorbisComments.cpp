#include "VorbisComments.h"

#include "CoverImage.h"
#include "Utf8Sequence.h"

namespace {

constexpr std::uint32_t kFrontCover = 3;

void add(std::vector<VorbisComment>& comments, const char* name, const std::string& value) {
    std::string clean = cleanUtf8(value);
    if (!clean.empty()) comments.push_back({name, std::move(clean)});
}

void addNumber(std::vector<VorbisComment>& comments, const char* name, int value) {
    if (value > 0) comments.push_back({name, std::to_string(value)});
}

void putBigEndian32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

}  // namespace

std::string cleanUtf8(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (const std::size_t length = utf8SequenceLength(text, i); length > 0) {
            out.append(text.substr(i, length));
            i += length;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return out;
}

std::vector<VorbisComment> vorbisComments(const TrackTags& tags) {
    std::vector<VorbisComment> comments;
    add(comments, "TITLE", tags.title);
    add(comments, "ARTIST", tags.artist);
    add(comments, "ALBUM", tags.album);
    add(comments, "ALBUMARTIST", tags.albumArtist);
    addNumber(comments, "TRACKNUMBER", tags.trackNumber);
    if (tags.trackNumber > 0) addNumber(comments, "TRACKTOTAL", tags.trackTotal);
    addNumber(comments, "DISCNUMBER", tags.discNumber);
    if (tags.discNumber > 0) addNumber(comments, "DISCTOTAL", tags.discTotal);
    add(comments, "DATE", tags.date);
    add(comments, "GENRE", tags.genre);
    add(comments, "MUSICBRAINZ_ALBUMID", tags.musicBrainzAlbumId);
    add(comments, "MUSICBRAINZ_RELEASETRACKID", tags.musicBrainzReleaseTrackId);
    add(comments, "MUSICBRAINZ_TRACKID", tags.musicBrainzRecordingId);
    return comments;
}

std::vector<std::uint8_t> pictureStructure(const TrackTags& tags) {
    const CoverArt* cover = usableCover(tags);
    // The structure states the picture's length in 32 bits.
    if (!cover || cover->data.size() > 0xFFFFFFFFu - 64) return {};
    const std::string mime = coverMimeType(coverKind(*cover));
    std::vector<std::uint8_t> out;
    out.reserve(32 + mime.size() + cover->data.size());
    putBigEndian32(out, kFrontCover);
    putBigEndian32(out, static_cast<std::uint32_t>(mime.size()));
    out.insert(out.end(), mime.begin(), mime.end());
    putBigEndian32(out, 0);  // description
    putBigEndian32(out, 0);  // width, height, colour depth, palette size: not stated
    putBigEndian32(out, 0);
    putBigEndian32(out, 0);
    putBigEndian32(out, 0);
    putBigEndian32(out, static_cast<std::uint32_t>(cover->data.size()));
    out.insert(out.end(), cover->data.begin(), cover->data.end());
    return out;
}

std::string pictureCommentValue(const TrackTags& tags) {
    return base64(pictureStructure(tags));
}

std::string base64(const std::vector<std::uint8_t>& bytes) {
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const std::uint32_t group = bytes[i] << 16 | bytes[i + 1] << 8 | bytes[i + 2];
        for (int shift = 18; shift >= 0; shift -= 6)
            out += kDigits[group >> shift & 0x3F];
    }
    if (const std::size_t rest = bytes.size() - i; rest > 0) {
        const std::uint32_t group = bytes[i] << 16 | (rest == 2 ? bytes[i + 1] << 8 : 0);
        out += kDigits[group >> 18 & 0x3F];
        out += kDigits[group >> 12 & 0x3F];
        out += rest == 2 ? kDigits[group >> 6 & 0x3F] : '=';
        out += '=';
    }
    return out;
}
