#include "ID3TrackRead.h"

#include <sys/stat.h>

#include <algorithm>
#include <string_view>

#include "CommentReading.h"
#include "FileReplace.h"
#include "ID3Convert.h"
#include "ID3Frames.h"
#include "ID3Text.h"

namespace {

constexpr std::string_view kMusicBrainzOwner = "http://musicbrainz.org";

// The frame's identifier as version 2.3 and 2.4 name it.
std::string_view longId(std::string_view id) {
    static constexpr std::pair<std::string_view, std::string_view> kShort[] = {
        {"TP2", "TPE2"}, {"TRK", "TRCK"}, {"TPA", "TPOS"}, {"TYE", "TYER"},
        {"TXX", "TXXX"}, {"UFI", "UFID"}, {"PIC", "APIC"}};
    for (const auto& [from, to] : kShort)
        if (id == from) return to;
    return id;
}

// The first value of a text frame, trimmed; version 2.4 separates values with zeros.
std::string firstText(const TID3Frame& frame) {
    if (frame.data.empty()) return {};
    std::string text =
        decodeId3Text(static_cast<uint8_t>(frame.data[0]), std::string_view(frame.data).substr(1));
    text.resize(std::min(text.find('\0'), text.size()));
    return trimText(std::string_view(text).substr(0, kMaxCommentValue));
}

void setPair(const std::string& text, int& number, int& total) {
    if (number != 0) return;
    TrackTags scratch;
    applyComment(scratch, {"TRACKNUMBER", text});
    number = scratch.trackNumber;
    total = scratch.trackTotal;
}

void readUserText(TrackTags& tags, const TID3Frame& frame) {
    const std::string_view data(frame.data);
    if (data.empty()) return;
    const auto encoding = static_cast<uint8_t>(data[0]);
    const std::string_view body = data.substr(1);
    const std::size_t valueAt = afterTerminator(body, encoding);
    if (valueAt == std::string_view::npos) return;
    std::string description = decodeId3Text(encoding, body.substr(0, valueAt));
    description.resize(std::min(description.find('\0'), description.size()));
    TID3Frame value{frame.id, 0, 0, std::string(1, static_cast<char>(encoding)), false, {}};
    value.data += body.substr(valueAt);
    const std::string text = firstText(value);
    if (text.empty()) return;
    std::transform(description.begin(), description.end(), description.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (description == "musicbrainz album id" && tags.musicBrainzAlbumId.empty())
        tags.musicBrainzAlbumId = text;
    else if (description == "musicbrainz release track id" &&
             tags.musicBrainzReleaseTrackId.empty())
        tags.musicBrainzReleaseTrackId = text;
}

void readRecordingId(TrackTags& tags, const TID3Frame& frame) {
    const std::string_view data(frame.data);
    const std::size_t end = data.find('\0');
    if (end == std::string_view::npos || data.substr(0, end) != kMusicBrainzOwner) return;
    const std::string id = trimText(data.substr(end + 1, 64));
    if (tags.musicBrainzRecordingId.empty()) tags.musicBrainzRecordingId = cleanUtf8(id);
}

// APIC: encoding, MIME type, picture type, description, picture; version 2.2's PIC has a
// three-letter image format in place of the MIME type.
ParsedPicture readPicture(const TID3Frame& frame, uint8_t version) {
    std::string_view data(frame.data);
    if (data.size() < 2) return {};
    const auto encoding = static_cast<uint8_t>(data[0]);
    data.remove_prefix(1);
    std::string mime;
    if (version == 2) {
        if (data.size() < 3) return {};
        mime = data.substr(0, 3) == "PNG" ? "image/png" : "image/jpeg";
        data.remove_prefix(3);
    } else {
        const std::size_t end = data.find('\0');
        if (end == std::string_view::npos) return {};
        mime = std::string(data.substr(0, end));
        data.remove_prefix(end + 1);
    }
    if (data.empty()) return {};
    ParsedPicture picture;
    picture.type = static_cast<unsigned char>(data[0]);
    data.remove_prefix(1);
    const std::size_t pictureAt = afterTerminator(data, encoding);
    if (pictureAt == std::string_view::npos) return {};
    data.remove_prefix(pictureAt);
    if (data.empty() || data.size() > kMaxCoverBytes) return {};
    auto cover = std::make_shared<CoverArt>();
    cover->mimeType = cleanUtf8(mime);
    cover->data.assign(data.begin(), data.end());
    picture.cover = std::move(cover);
    return picture;
}

}  // namespace

TrackTags trackTagsFromId3(const TID3Tag& tag) {
    TrackTags tags;
    if (tag.compressed) return tags;
    const TID3Fields fields = readFields(tag).fields;
    tags.title = cleanUtf8(trimText(fields.title));
    tags.artist = cleanUtf8(trimText(fields.artist));
    tags.album = cleanUtf8(trimText(fields.album));
    tags.genre = cleanUtf8(trimText(fields.genre));
    std::string year, recorded;
    bool haveFront = false;
    for (const TID3Frame& frame : tag.frames) {
        if (frame.opaque) continue;
        const std::string_view id = longId(frame.id);
        if (id == "TPE2") {
            if (tags.albumArtist.empty()) tags.albumArtist = firstText(frame);
        } else if (id == "TRCK") {
            setPair(firstText(frame), tags.trackNumber, tags.trackTotal);
        } else if (id == "TPOS") {
            setPair(firstText(frame), tags.discNumber, tags.discTotal);
        } else if (id == "TYER") {
            if (year.empty()) year = firstText(frame);
        } else if (id == "TDRC") {
            if (recorded.empty()) recorded = firstText(frame);
        } else if (id == "TXXX") {
            readUserText(tags, frame);
        } else if (id == "UFID") {
            readRecordingId(tags, frame);
        } else if (id == "APIC" && !haveFront) {
            offerCover(tags, haveFront, readPicture(frame, tag.version));
        }
    }
    // A recording time keeps only its date: "YYYY-MM-DDTHH:MM" becomes "YYYY-MM-DD".
    tags.date =
        recorded.empty() ? year : recorded.substr(0, std::min<std::size_t>(10, recorded.find('T')));
    tags.date = cleanUtf8(tags.date);
    tags.albumArtist = cleanUtf8(tags.albumArtist);
    return tags;
}

TrackTags readId3TrackTags(const std::string& fileName) {
    try {
        struct stat info {};
        UniqueFd fd = openRegularFile(fileName, info);
        TID3Header header{};
        if (!fd || readAt(fd.get(), header.data(), header.size(), 0) != kTagHeaderSize ||
            !startsWithId3(header))
            return {};
        const int32_t size = GetTagSize(header, info.st_size);
        const uint8_t version = header[3];
        const uint8_t flags = header[5];
        const int footer = version == 4 && (flags & kTagFooter) ? kTagHeaderSize : 0;
        if (size <= kTagHeaderSize + footer) return {};
        // Frames past the limit are cut short and so not read.
        std::string body(std::min<std::size_t>(size - kTagHeaderSize - footer, kMaxReadTagBytes),
                         '\0');
        const ssize_t got = readAt(fd.get(), body.data(), body.size(), kTagHeaderSize);
        if (got < 0) return {};
        body.resize(static_cast<std::size_t>(got));
        return trackTagsFromId3(parseTag(version, flags, body));
    } catch (...) {  // out of memory
        return {};
    }
}
