#include "MetadataSettings.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>

#include "IniFile.h"

#ifndef QUILLON_HOMEPAGE
#define QUILLON_HOMEPAGE "https://quillon.example.org"
#endif

namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

// The factor of a unit, 0 for one not known.
std::size_t unitFactor(std::string_view unit) {
    std::string upper;
    for (const char c : unit)
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upper.empty() || upper == "B") return 1;
    if (upper == "K" || upper == "KB") return 1024;
    if (upper == "M" || upper == "MB") return 1024 * 1024;
    return 0;
}

std::string lowerTrimmed(std::string_view word) {
    std::string out;
    for (const char c : word)
        if (!std::isspace(static_cast<unsigned char>(c)))
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

std::optional<std::vector<DiscMetadata::Source>> parseMetadataSources(std::string_view list) {
    using Source = DiscMetadata::Source;
    std::vector<Source> sources;
    if (lowerTrimmed(list).empty() || lowerTrimmed(list) == "none") return sources;
    std::size_t at = 0;
    while (at <= list.size()) {
        const std::size_t comma = std::min(list.find(',', at), list.size());
        const std::string word = lowerTrimmed(list.substr(at, comma - at));
        Source source;
        if (word == "cdtext")
            source = Source::cdText;
        else if (word == "musicbrainz")
            source = Source::musicBrainz;
        else if (word == "cddb")
            source = Source::cddb;
        else
            return std::nullopt;
        if (std::find(sources.begin(), sources.end(), source) != sources.end()) return std::nullopt;
        sources.push_back(source);
        at = comma + 1;
    }
    return sources;
}

MetadataSettings readMetadataSettings(const TIniFile& settings) {
    MetadataSettings result;
    const auto sources =
        parseMetadataSources(settings.ReadString("Metadata", "sources", kDefaultMetadataSources));
    result.sources = sources ? *sources : *parseMetadataSources(kDefaultMetadataSources);
    result.maxCoverBytes = readMaxCoverBytes(settings);
    result.musicBrainzServer = settings.ReadString("MusicBrainz", "server", "");
    result.coverArtServer = settings.ReadString("MusicBrainz", "coverart", "");
    result.cddb = readCddbSettings(settings);
    // The service asks for a way to reach whoever runs the program: the user's own address
    // when the CDDB settings give one, the project's page otherwise.
    result.contact = result.cddb.email.empty() ? QUILLON_HOMEPAGE : result.cddb.email;
    return result;
}

std::size_t readMaxCoverBytes(const TIniFile& settings) {
    const std::string stored = settings.ReadString("Metadata", "maxcover", "");
    const std::string_view text = trimmed(stored);
    std::size_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end == text.data()) return kDefaultMaxCoverBytes;
    const std::size_t factor = unitFactor(trimmed(std::string_view(end, text.end() - end)));
    if (factor == 0 || value > std::numeric_limits<std::size_t>::max() / factor)
        return kDefaultMaxCoverBytes;
    return value * factor;
}

std::string readNamingTemplate(const TIniFile& settings) {
    std::string text = settings.ReadString("Naming", "template", kDefaultNamingTemplate);
    if (std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isspace(c) != 0; }))
        return kDefaultNamingTemplate;
    return text;
}
