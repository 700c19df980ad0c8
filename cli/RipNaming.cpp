#include "RipNaming.h"

#include <iostream>
#include <stdexcept>

#include "IniFile.h"
#include "MetadataResolver.h"
#include "MetadataSettings.h"
#include "NamingTemplate.h"
#include "Playlist.h"

namespace {

// Names from a disc or a server are printed as they are, except for control characters.
std::string printable(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return text;
}

}  // namespace

bool ripNamesFromSources(const Arguments& arguments, const TIniFile& settings) {
    for (const std::string& option : kRipNamingOptions)
        if (arguments.value(option)) return true;
    // --cddb alone names files as it always did, unless the settings ask for another template.
    return arguments.has("--cddb") && readNamingTemplate(settings) != kDefaultNamingTemplate;
}

DiscMetadata nameRipTracks(const Arguments& arguments, DiscSession& disc, TrackList& list,
                           OutputFormat format, const TIniFile& settings) {
    MetadataSettings sources = readMetadataSettings(settings);
    if (const auto text = arguments.value("--metadata")) {
        const auto parsed = parseMetadataSources(*text);
        if (!parsed)
            throw UsageError("--metadata takes a list of cdtext, musicbrainz and cddb, or none");
        sources.sources = *parsed;
    } else if (arguments.has("--cddb")) {
        sources.sources = {DiscMetadata::Source::cddb};
    }
    const std::string pattern =
        arguments.value("--template").value_or(readNamingTemplate(settings));
    if (const auto error = namingTemplateError(pattern)) throw UsageError("--template: " + *error);
    const std::string release = arguments.value("--release").value_or("");

    const MetadataResult result = resolveMetadata({disc.handle(), &disc.toc(), release}, sources);
    for (const std::string& note : result.notes)
        std::cerr << printable(note) << "\n";
    switch (result.outcome) {
        case MetadataResult::Outcome::choose: {
            std::cerr << "quillon-cli: several releases hold the disc; --release ID picks one:\n";
            for (const DiscMetadata& choice : result.choices)
                std::cerr << "  " << printable(choiceId(choice)) << "  "
                          << printable(choiceText(choice)) << "\n";
            throw std::runtime_error("no release chosen");
        }
        case MetadataResult::Outcome::notFound:
            if (!release.empty())
                throw std::runtime_error("no source knows the release " + printable(release) +
                                         " for this disc");
            std::cerr << "quillon-cli: no names found for the disc\n";
            break;
        case MetadataResult::Outcome::named:
            std::cerr << "Source    " << sourceName(result.metadata.source) << "\n"
                      << "Artist    " << printable(result.metadata.artist) << "\n"
                      << "Title     " << printable(result.metadata.album) << "\n";
            break;
    }
    applyNamingTemplate(list, result.metadata, disc.toc().firstTrack, pattern, format);
    return result.metadata;
}

void writeRipPlaylist(const std::string& folder, const TrackList& list, const DiscMetadata& names,
                      const DiscSession& disc) {
    if (!writeAlbumPlaylist(folder, list, names, disc.toc().firstTrack))
        std::cerr << "quillon-cli: could not write the playlist\n";
}
