#include "NamingTemplate.h"

#include <array>
#include <cstdio>
#include <set>

#include "SafeFileName.h"

namespace {

constexpr std::array<std::string_view, 7> kFields = {"artist", "albumartist", "album", "year",
                                                     "disc",   "track",       "title"};

const std::string* fieldValue(std::string_view name, const NamingFields& fields) {
    if (name == "artist") return &fields.artist;
    if (name == "albumartist") return &fields.albumArtist;
    if (name == "album") return &fields.album;
    if (name == "year") return &fields.year;
    if (name == "disc") return &fields.disc;
    if (name == "track") return &fields.track;
    if (name == "title") return &fields.title;
    return nullptr;
}

// A field's text as part of one path component: what would end, split or hide a component
// goes. '/' and NUL become '_' as in every file name of the program; other control
// characters become blanks.
std::string fieldText(std::string_view value) {
    std::string text(value);
    for (char& c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '/' || c == '\0')
            c = '_';
        else if (byte < 0x20 || byte == 0x7F)
            c = ' ';
    }
    return text;
}

// Cut to at most `bytes` without splitting a UTF-8 sequence.
std::string capped(std::string text, std::size_t bytes) {
    if (text.size() <= bytes) return text;
    std::size_t length = bytes;
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
        --length;
    text.resize(length);
    return text;
}

// One component made safe: trimmed, capped, no leading dot; empty when nothing is left.
std::string cleanComponent(std::string_view component) {
    std::string text = trimmedName(component);
    text = trimmedName(capped(std::move(text), kMaxNameComponentBytes));
    // A leading dot hides the file, and "." and ".." name other folders.
    for (char& c : text) {
        if (c != '.') break;
        c = '_';
    }
    return text;
}

std::string trackNumberText(int number) {
    char text[16];
    std::snprintf(text, sizeof text, "%.2d", number);
    return text;
}

}  // namespace

NamingFields namingFields(const DiscMetadata& disc, std::size_t position, int trackNumber) {
    NamingFields fields;
    const TrackTags tags = tagsForTrack(disc, position, trackNumber, 0);
    fields.track = trackNumberText(trackNumber);
    fields.title = trimmedName(tags.title).empty() ? "Track-" + fields.track : tags.title;
    fields.albumArtist = trimmedName(disc.artist).empty() ? "Unknown Artist" : disc.artist;
    fields.artist = trimmedName(tags.artist).empty() ? fields.albumArtist : tags.artist;
    fields.album = trimmedName(disc.album).empty() ? "Unknown Album" : disc.album;
    fields.year = disc.year.substr(0, 4);
    if (disc.discNumber > 0) fields.disc = std::to_string(disc.discNumber);
    return fields;
}

std::optional<std::string> namingTemplateError(std::string_view pattern) {
    for (std::size_t at = pattern.find('{'); at != std::string_view::npos;
         at = pattern.find('{', at + 1)) {
        const std::size_t end = pattern.find('}', at);
        if (end == std::string_view::npos)
            return "the field at \"" + std::string(pattern.substr(at)) + "\" is not closed";
        const std::string_view name = pattern.substr(at + 1, end - at - 1);
        bool known = false;
        for (const std::string_view field : kFields)
            known = known || field == name;
        if (!known)
            return "unknown field {" + std::string(name) +
                   "}; the fields are {artist} {albumartist} {album} {year} {disc} {track} "
                   "{title}";
    }
    return std::nullopt;
}

std::string namedPath(std::string_view pattern, const NamingFields& fields) {
    // Fields are cleaned before they join the template's own text, so that only the template
    // can make folders.
    std::string expanded;
    for (std::size_t at = 0; at < pattern.size();) {
        if (pattern[at] == '{') {
            const std::size_t end = pattern.find('}', at);
            if (end != std::string_view::npos) {
                if (const std::string* value =
                        fieldValue(pattern.substr(at + 1, end - at - 1), fields)) {
                    expanded += fieldText(*value);
                    at = end + 1;
                    continue;
                }
            }
        }
        expanded += pattern[at++];
    }
    std::string path;
    std::size_t at = 0;
    while (at <= expanded.size()) {
        const std::size_t slash = std::min(expanded.find('/', at), expanded.size());
        const std::string component = cleanComponent(fieldText(expanded.substr(at, slash - at)));
        if (!component.empty()) {
            if (!path.empty()) path += '/';
            path += component;
        }
        at = slash + 1;
    }
    if (path.empty()) return "Track-" + fields.track;
    return path;
}

void applyNamingTemplate(TrackList& list, const DiscMetadata& disc, int firstTrack,
                         std::string_view pattern, OutputFormat format) {
    // Two tracks of one name would leave one file where two were ripped.
    std::set<std::string> taken;
    for (std::size_t position = 0; position < list.size(); ++position) {
        const NamingFields fields =
            namingFields(disc, position, firstTrack + static_cast<int>(position));
        const std::string path = namedPath(pattern, fields);
        std::string name = path;
        for (int copy = 2; !taken.insert(name).second; ++copy)
            name = path + " (" + std::to_string(copy) + ")";
        list.row(position).name = name + std::string(formatExtension(format));
    }
}
