#include "ReleaseAnswer.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdint>

#include "ServiceUrls.h"

namespace quillon::musicbrainz {

namespace {

using nlohmann::json;

// The real answers nest six deep; anything far deeper is not an answer.
constexpr int kMaxDepth = 24;
constexpr std::size_t kMaxText = 2048;
constexpr std::size_t kMaxReleases = 250;
constexpr std::size_t kMaxMedia = 250;
constexpr std::size_t kMaxTracks = 999;
constexpr std::size_t kMaxCredits = 100;
constexpr std::size_t kMaxDiscs = 1000;

struct Refused {};

void require(bool condition) {
    if (!condition) throw Refused{};
}

bool validUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 1;
        std::uint32_t code = lead;
        if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07;
        } else if (lead >= 0xE0) {
            length = lead <= 0xEF ? 3 : 0;
            code = lead & 0x0F;
        } else if (lead >= 0xC2) {
            length = 2;
            code = lead & 0x1F;
        } else if (lead >= 0x80) {
            return false;
        }
        if (length == 0 || i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        if ((length == 3 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) ||
            (length == 4 && (code < 0x10000 || code > 0x10FFFF)))
            return false;
        i += length;
    }
    return true;
}

const json* member(const json& object, const char* key) {
    require(object.is_object());
    const auto found = object.find(key);
    if (found == object.end() || found->is_null()) return nullptr;
    return &*found;
}

// A string member, "" when absent or null; a text with control characters or broken UTF-8 is
// refused, as nothing in a title or a name has them.
std::string text(const json& object, const char* key) {
    const json* value = member(object, key);
    if (value == nullptr) return {};
    require(value->is_string());
    const auto& string = value->get_ref<const std::string&>();
    require(string.size() <= kMaxText && validUtf8(string));
    require(std::none_of(string.begin(), string.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    }));
    return string;
}

int number(const json& object, const char* key) {
    const json* value = member(object, key);
    if (value == nullptr) return 0;
    require(value->is_number_integer());
    const auto n = value->get<std::int64_t>();
    require(n >= 0 && n <= 1000000);
    return static_cast<int>(n);
}

const json& array(const json& object, const char* key, std::size_t maxSize) {
    static const json empty = json::array();
    const json* value = member(object, key);
    if (value == nullptr) return empty;
    require(value->is_array() && value->size() <= maxSize);
    return *value;
}

std::string artistCredit(const json& object) {
    std::string credit;
    for (const json& part : array(object, "artist-credit", kMaxCredits))
        credit += text(part, "name") + text(part, "joinphrase");
    require(credit.size() <= kMaxText);
    return credit;
}

std::string labelOf(const json& release) {
    for (const json& info : array(release, "label-info", kMaxCredits)) {
        if (const json* label = member(info, "label")) {
            std::string name = text(*label, "name");
            if (!name.empty()) return name;
        }
    }
    return {};
}

// A medium as read, with whether its tracks are 1, 2, ... in order: only such a medium can be
// laid over the disc's tracks.
struct ReadMedium {
    Medium medium;
    bool listsDisc = false;
    bool ordered = true;
};

ReadMedium mediumOf(const json& medium, int mediumCount, const std::string& discId) {
    ReadMedium read;
    read.medium.position = number(medium, "position");
    read.medium.mediumCount = mediumCount;
    read.medium.format = text(medium, "format");
    for (const json& disc : array(medium, "discs", kMaxDiscs))
        read.listsDisc = text(disc, "id") == discId || read.listsDisc;
    for (const json& track : array(medium, "tracks", kMaxTracks)) {
        Track t;
        t.position = number(track, "position");
        t.number = text(track, "number");
        t.title = text(track, "title");
        t.artist = artistCredit(track);
        t.trackId = text(track, "id");
        if (const json* recording = member(track, "recording")) {
            t.recordingId = text(*recording, "id");
            const std::string title = text(*recording, "title");
            const std::string artist = artistCredit(*recording);
            if (t.title.empty()) t.title = title;
            if (t.artist.empty()) t.artist = artist;
        }
        read.ordered =
            read.ordered && t.position == static_cast<int>(read.medium.tracks.size()) + 1;
        read.medium.tracks.push_back(std::move(t));
    }
    return read;
}

// Every field is read before the release is matched against the disc, so that hostile data
// anywhere in the answer refuses it, not only in the releases that hold the disc.
std::optional<Release> releaseOf(const json& release, const std::string& discId, int trackCount) {
    Release read;
    read.id = text(release, "id");
    read.title = text(release, "title");
    read.artist = artistCredit(release);
    read.date = text(release, "date");
    read.country = text(release, "country");
    read.label = labelOf(release);
    const json& media = array(release, "media", kMaxMedia);
    std::vector<ReadMedium> all;
    for (const json& medium : media)
        all.push_back(mediumOf(medium, static_cast<int>(media.size()), discId));

    const auto fits = [trackCount](const ReadMedium& medium) {
        return medium.ordered &&
               medium.medium.tracks.size() == static_cast<std::size_t>(trackCount);
    };
    auto chosen =
        std::find_if(all.begin(), all.end(), [](const ReadMedium& m) { return m.listsDisc; });
    // An answer to a fuzzy lookup names other discs only: the medium of the disc's length.
    if (chosen == all.end()) chosen = std::find_if(all.begin(), all.end(), fits);
    // The id goes into cover art URLs and tags.
    if (chosen == all.end() || !fits(*chosen) || !validMbid(read.id)) return std::nullopt;
    read.medium = std::move(chosen->medium);
    return read;
}

}  // namespace

std::optional<std::vector<Release>> parseReleases(std::string_view answer,
                                                  const std::string& discId, int trackCount) {
    if (answer.size() > kMaxAnswerBytes || trackCount < 1) return std::nullopt;
    bool tooDeep = false;
    const json::parser_callback_t depthCheck = [&tooDeep](int depth, json::parse_event_t, json&) {
        if (depth > kMaxDepth) tooDeep = true;
        return !tooDeep;
    };
    const json root = json::parse(answer.begin(), answer.end(), depthCheck, false);
    if (tooDeep || root.is_discarded() || !root.is_object()) return std::nullopt;
    try {
        std::vector<Release> releases;
        for (const json& release : array(root, "releases", kMaxReleases)) {
            if (auto read = releaseOf(release, discId, trackCount))
                releases.push_back(std::move(*read));
        }
        return releases;
    } catch (const Refused&) {
        return std::nullopt;
    } catch (const json::exception&) {
        return std::nullopt;
    }
}

}  // namespace quillon::musicbrainz
