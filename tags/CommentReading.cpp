#include "CommentReading.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace {

constexpr std::uint32_t kFrontCover = 3;
// A MIME type or description longer than this is no picture structure that a tagger writes.
constexpr std::size_t kMaxPictureText = 64u << 10;

std::string upper(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return out;
}

std::string trimmed(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ')
        text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
        text.remove_suffix(1);
    return std::string(text);
}

// The leading decimal number of text, 0 when there is none or it is out of range.
int leadingNumber(std::string_view text) {
    int value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || value < 0) return 0;
    return value;
}

// "n" or "n/N" into number and, where the value states one, total.
void setNumberPair(std::string_view text, int& number, int& total) {
    if (number != 0) return;
    number = leadingNumber(text);
    if (const std::size_t slash = text.find('/'); slash != std::string_view::npos && total == 0)
        total = leadingNumber(trimmed(text.substr(slash + 1)));
}

void setText(std::string& field, const std::string& value) {
    if (field.empty()) field = value;
}

bool readBig32(std::string_view& bytes, std::uint32_t& value) {
    if (bytes.size() < 4) return false;
    value = 0;
    for (int i = 0; i < 4; ++i)
        value = value << 8 | static_cast<unsigned char>(bytes[i]);
    bytes.remove_prefix(4);
    return true;
}

bool skipText(std::string_view& bytes, std::string* text = nullptr) {
    std::uint32_t length = 0;
    if (!readBig32(bytes, length) || length > kMaxPictureText || length > bytes.size())
        return false;
    if (text) *text = std::string(bytes.substr(0, length));
    bytes.remove_prefix(length);
    return true;
}

int digitValue(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

}  // namespace

bool splitComment(std::string_view entry, VorbisComment& comment) {
    const std::size_t equals = entry.find('=');
    if (equals == 0 || equals == std::string_view::npos) return false;
    comment.name = upper(entry.substr(0, equals));
    comment.value = std::string(entry.substr(equals + 1));
    return true;
}

void applyComment(TrackTags& tags, const VorbisComment& comment) {
    const std::string& name = comment.name;
    std::string_view text(comment.value);
    if (text.size() > kMaxCommentValue) {
        // Cut on a character's start, so that no half character becomes a replacement one.
        std::size_t cut = kMaxCommentValue;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
            --cut;
        text = text.substr(0, cut);
    }
    const std::string value = trimmed(cleanUtf8(text));
    if (value.empty()) return;
    if (name == "TITLE")
        setText(tags.title, value);
    else if (name == "ARTIST")
        setText(tags.artist, value);
    else if (name == "ALBUM")
        setText(tags.album, value);
    else if (name == "ALBUMARTIST" || name == "ALBUM ARTIST")
        setText(tags.albumArtist, value);
    else if (name == "DATE" || name == "YEAR")
        setText(tags.date, value);
    else if (name == "GENRE")
        setText(tags.genre, value);
    else if (name == "TRACKNUMBER")
        setNumberPair(value, tags.trackNumber, tags.trackTotal);
    else if (name == "TRACKTOTAL" || name == "TOTALTRACKS") {
        if (tags.trackTotal == 0) tags.trackTotal = leadingNumber(value);
    } else if (name == "DISCNUMBER")
        setNumberPair(value, tags.discNumber, tags.discTotal);
    else if (name == "DISCTOTAL" || name == "TOTALDISCS") {
        if (tags.discTotal == 0) tags.discTotal = leadingNumber(value);
    } else if (name == "MUSICBRAINZ_ALBUMID")
        setText(tags.musicBrainzAlbumId, value);
    else if (name == "MUSICBRAINZ_RELEASETRACKID")
        setText(tags.musicBrainzReleaseTrackId, value);
    else if (name == "MUSICBRAINZ_TRACKID")
        setText(tags.musicBrainzRecordingId, value);
}

ParsedPicture parsePictureStructure(std::string_view bytes) {
    ParsedPicture picture;
    std::string mime;
    std::uint32_t skipped = 0, length = 0;
    if (!readBig32(bytes, picture.type) || !skipText(bytes, &mime) || !skipText(bytes))
        return picture;
    for (int i = 0; i < 4; ++i)  // width, height, colour depth, palette size
        if (!readBig32(bytes, skipped)) return picture;
    if (!readBig32(bytes, length) || length == 0 || length > bytes.size() ||
        length > kMaxCoverBytes)
        return picture;
    auto cover = std::make_shared<CoverArt>();
    cover->mimeType = cleanUtf8(mime);
    cover->data.assign(bytes.begin(), bytes.begin() + length);
    picture.cover = std::move(cover);
    return picture;
}

bool decodeBase64(std::string_view text, std::vector<std::uint8_t>& out, std::size_t limit) {
    out.clear();
    while (!text.empty() && text.back() == '=')
        text.remove_suffix(1);
    if (text.size() % 4 == 1 || text.size() / 4 * 3 + 2 > limit + 2) return false;
    out.reserve(text.size() / 4 * 3 + 2);
    std::uint32_t group = 0;
    int bits = 0;
    for (const char c : text) {
        const int digit = digitValue(c);
        if (digit < 0) return false;
        group = (group << 6 | static_cast<std::uint32_t>(digit)) & 0xFFFFFF;
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<std::uint8_t>(group >> bits));
        }
    }
    return out.size() <= limit;
}

void offerCover(TrackTags& tags, bool& haveFront, const ParsedPicture& picture) {
    if (!picture.cover || haveFront) return;
    if (picture.type == kFrontCover) {
        tags.cover = picture.cover;
        haveFront = true;
    } else if (!tags.cover) {
        tags.cover = picture.cover;
    }
}

TrackTags trackTagsFromComments(const std::vector<std::string_view>& entries) {
    TrackTags tags;
    bool haveFront = false;
    std::size_t count = 0;
    for (const std::string_view entry : entries) {
        if (++count > kMaxCommentCount) break;
        VorbisComment comment;
        if (!splitComment(entry, comment)) continue;
        if (comment.name == kPictureCommentName) {
            if (haveFront) continue;
            std::vector<std::uint8_t> bytes;
            // The structure adds its texts to the picture; allow some room for them.
            if (!decodeBase64(comment.value, bytes, kMaxCoverBytes + 4096)) continue;
            offerCover(tags, haveFront,
                       parsePictureStructure(std::string_view(
                           reinterpret_cast<const char*>(bytes.data()), bytes.size())));
        } else {
            applyComment(tags, comment);
        }
    }
    return tags;
}
