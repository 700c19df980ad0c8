#include "ID3TrackTag.h"

#include <string>
#include <string_view>

#include "CoverImage.h"
#include "ID3Frames.h"
#include "ID3Text.h"

namespace {

constexpr char kFrontCover = 3;
constexpr std::string_view kMusicBrainzOwner = "http://musicbrainz.org";
// The most bytes a UFID frame's identifier may have.
constexpr std::size_t kMaxUfidBytes = 64;

void addText(std::vector<std::string>& frames, std::string_view id, std::string_view text) {
    const std::string content = encodeTextFrame(trimText(text));
    if (!content.empty()) frames.push_back(frame23(id, content));
}

// "n" or "n/N"; nothing without a number.
std::string numberOfTotal(int number, int total) {
    if (number <= 0) return {};
    return total > 0 ? std::to_string(number) + "/" + std::to_string(total)
                     : std::to_string(number);
}

// The year of a "YYYY" or "YYYY-MM-DD" date, else empty.
std::string yearOf(std::string_view date) {
    if (date.size() < 4) return {};
    for (std::size_t i = 0; i < 4; ++i)
        if (date[i] < '0' || date[i] > '9') return {};
    if (date.size() > 4 && date[4] != '-') return {};
    return std::string(date.substr(0, 4));
}

// A genre that starts with "(" would be read as a reference to a numbered genre; doubling the
// parenthesis is how the format escapes it.
std::string genreText(std::string_view genre) {
    std::string text = trimText(genre);
    if (!text.empty() && text.front() == '(') text.insert(text.begin(), '(');
    return text;
}

// A TXXX frame's content: description and value share one encoding.
std::string userText(std::string_view description, std::string_view value) {
    const EncodedText head = encodeId3Text(description);
    const EncodedText text = encodeId3Text(value);
    if (head.encoding == encLatin1 && text.encoding == encLatin1)
        return std::string(1, '\0') + head.bytes + '\0' + text.bytes;
    return std::string(1, encUtf16) + encodeUtf16(description) + std::string(2, '\0') +
           encodeUtf16(value);
}

void addUserText(std::vector<std::string>& frames, std::string_view description,
                 std::string_view value) {
    const std::string text = trimText(value);
    if (!text.empty()) frames.push_back(frame23("TXXX", userText(description, text)));
}

void addRecordingId(std::vector<std::string>& frames, std::string_view id) {
    const std::string text = trimText(id);
    if (text.empty() || text.size() > kMaxUfidBytes) return;
    std::string content(kMusicBrainzOwner);
    content += '\0';
    content += text;
    frames.push_back(frame23("UFID", content));
}

std::string pictureFrame(const CoverArt& cover) {
    std::string content(1, encLatin1);
    content += coverMimeType(coverKind(cover));
    content += '\0';
    content += kFrontCover;
    content += '\0';  // no description
    content.append(cover.data.begin(), cover.data.end());
    return frame23("APIC", content);
}

}  // namespace

std::vector<std::uint8_t> BuildTrackTag(const TrackTags& tags, std::size_t padding) {
    std::vector<std::string> frames;
    addText(frames, "TIT2", tags.title);
    addText(frames, "TPE1", tags.artist);
    addText(frames, "TALB", tags.album);
    addText(frames, "TPE2", tags.albumArtist);
    addText(frames, "TRCK", numberOfTotal(tags.trackNumber, tags.trackTotal));
    addText(frames, "TPOS", numberOfTotal(tags.discNumber, tags.discTotal));
    addText(frames, "TYER", yearOf(trimText(tags.date)));
    addText(frames, "TCON", genreText(tags.genre));
    addUserText(frames, "MusicBrainz Album Id", tags.musicBrainzAlbumId);
    addUserText(frames, "MusicBrainz Release Track Id", tags.musicBrainzReleaseTrackId);
    addRecordingId(frames, tags.musicBrainzRecordingId);
    const std::size_t withoutCover = frames.size();
    if (const CoverArt* cover = usableCover(tags)) frames.push_back(pictureFrame(*cover));
    if (frames.empty()) return {};

    if (auto tag = BuildTag(frames, padding)) return std::move(*tag);
    frames.resize(withoutCover);
    if (frames.empty()) return {};
    auto tag = BuildTag(frames, padding);
    return tag ? std::move(*tag) : std::vector<std::uint8_t>{};
}
