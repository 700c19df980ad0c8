#include "MetadataSettings.h"

#include <algorithm>
#include <cctype>

#include "IniFile.h"

#ifndef QUILLON_HOMEPAGE
#define QUILLON_HOMEPAGE "https://quillon.example.org"
#endif

namespace {

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
    const int maxCover =
        settings.ReadInteger("Metadata", "maxcover", static_cast<int>(kDefaultMaxCoverBytes));
    if (maxCover > 0) result.maxCoverBytes = static_cast<std::size_t>(maxCover);
    result.musicBrainzServer = settings.ReadString("MusicBrainz", "server", "");
    result.coverArtServer = settings.ReadString("MusicBrainz", "coverart", "");
    result.cddb = readCddbSettings(settings);
    // The service asks for a way to reach whoever runs the program: the user's own address
    // when the CDDB settings give one, the project's page otherwise.
    result.contact = result.cddb.email.empty() ? QUILLON_HOMEPAGE : result.cddb.email;
    return result;
}

std::string readNamingTemplate(const TIniFile& settings) {
    std::string text = settings.ReadString("Naming", "template", kDefaultNamingTemplate);
    if (std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isspace(c) != 0; }))
        return kDefaultNamingTemplate;
    return text;
}
