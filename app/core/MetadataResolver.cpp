#include "MetadataResolver.h"

#include <cstring>

#include "CddbParse.h"
#include "DiscId.h"
#include "DiscToc.h"
#include "MusicBrainzClient.h"
#include "OpenDiscs.h"
#include "ServiceUrls.h"

#ifndef QUILLON_VERSION
#define QUILLON_VERSION "0"
#endif

namespace mb = quillon::musicbrainz;
namespace cdrom = quillon::cdrom;
using Source = DiscMetadata::Source;

namespace {

// A server may list many matches; nobody chooses among more, and each costs a request.
constexpr int kMaxCddbMatches = 8;
constexpr int kCddbEntryTextSize = 32000;
constexpr const char* kCddbCgiPath = "/~cddb/cddb.cgi";

// The table positions of the audio tracks: where a release's tracks belong.
std::vector<std::size_t> audioPositions(const cdrom::DiscLayout& layout) {
    std::vector<std::size_t> positions;
    for (std::size_t i = 0; i < layout.starts.size(); ++i)
        if (i >= layout.dataTracks.size() || !layout.dataTracks[i]) positions.push_back(i);
    return positions;
}

// CD-Text: the disc's title and performer, a track's own performer where it differs.
std::optional<DiscMetadata> fromCdText(const MetadataRequest& request) {
    const auto text = cdrom::openDiscText(request.handle);
    if (!text) return std::nullopt;
    DiscMetadata disc;
    disc.source = Source::cdText;
    disc.artist = text->performer;
    disc.album = text->title;
    disc.genre = text->genre;
    for (const auto& track : text->tracks)
        disc.tracks.push_back(
            {track.title, track.performer == text->performer ? "" : track.performer, "", ""});
    return disc;
}

DiscMetadata fromRelease(const mb::Release& release, const cdrom::DiscLayout& layout) {
    DiscMetadata disc;
    disc.source = Source::musicBrainz;
    disc.artist = release.artist;
    disc.album = release.title;
    // "YYYY-MM" is not a date the tags take; its year is.
    disc.year = release.date.size() == 10 ? release.date : release.year();
    disc.discNumber = release.medium.position;
    disc.discTotal = release.medium.mediumCount;
    disc.releaseId = release.id;
    disc.country = release.country;
    disc.label = release.label;
    disc.tracks.resize(layout.starts.size());
    const auto positions = audioPositions(layout);
    for (const mb::Track& track : release.medium.tracks) {
        // The medium's tracks are numbered 1, 2, ... over the audio tracks of the disc.
        if (track.position < 1 || static_cast<std::size_t>(track.position) > positions.size())
            continue;
        DiscMetadata::Track& named = disc.tracks[positions[track.position - 1]];
        named.title = track.title;
        named.artist = track.artist == release.artist ? "" : track.artist;
        named.releaseTrackId = track.trackId;
        named.recordingId = track.recordingId;
    }
    return disc;
}

mb::Service service(const MetadataSettings& settings) {
    return {settings.musicBrainzServer, settings.coverArtServer,
            mb::userAgent(QUILLON_VERSION, settings.contact)};
}

// Several answers, or the one a release id asks for.
struct Answers {
    enum class Kind { none, offline, found } kind = Kind::none;
    std::vector<DiscMetadata> releases;
};

Answers fromMusicBrainz(const cdrom::DiscLayout& layout, const MetadataSettings& settings) {
    Answers answers;
    const auto toc = mb::discToc(layout);
    if (!toc) return answers;
    mb::Lookup lookup = mb::lookupDisc(service(settings), *toc, false);
    if (lookup.outcome == mb::Lookup::Outcome::notFound)
        lookup = mb::lookupDisc(service(settings), *toc, true);
    switch (lookup.outcome) {
        case mb::Lookup::Outcome::offline:
            answers.kind = Answers::Kind::offline;
            return answers;
        case mb::Lookup::Outcome::notFound:
            return answers;
        case mb::Lookup::Outcome::found:
            break;
    }
    answers.kind = Answers::Kind::found;
    for (const mb::Release& release : lookup.releases)
        answers.releases.push_back(fromRelease(release, layout));
    return answers;
}

template <std::size_t N>
std::string field(const char (&text)[N]) {
    return std::string(text, strnlen(text, N));
}

void setCddbOptions(const CddbSettings& settings) {
    CDDBSetOption(kCddbOptionServer, settings.server.c_str(), 0);
    CDDBSetOption(kCddbOptionCgiPath, kCddbCgiPath, 0);
    CDDBSetOption(kCddbOptionEmail, settings.email.c_str(), 0);
    CDDBSetOption(kCddbOptionClientName, "Quillon " QUILLON_VERSION, 0);
}

std::optional<DiscMetadata> cddbEntry(const CddbMatch& match, const cdrom::DiscLayout& layout) {
    std::vector<char> text(kCddbEntryTextSize, '\0');
    if (CDDBGetDiskInfo(&match, text.data(), kCddbEntryTextSize) != 1) return std::nullopt;
    const std::string entry(text.data(), strnlen(text.data(), text.size()));
    DiscMetadata disc;
    disc.source = Source::cddb;
    disc.cddbId = field(match.category) + "/" + field(match.discId);
    disc.artist = field(match.artist);
    disc.album = field(match.title);
    // The entry's own disc title is whole; the match's fields hold at most 80 characters.
    if (const auto title = cdrom::entryValue(entry, "DTITLE"); title && !title->empty())
        cdrom::splitDiscTitle(*title, disc.artist, disc.album);
    const std::string year = cdrom::entryValue(entry, "DYEAR").value_or("");
    if (year.size() == 4 && year.find_first_not_of("0123456789") == std::string::npos)
        disc.year = year;
    disc.genre = cdrom::entryValue(entry, "DGENRE").value_or("");
    if (disc.genre.empty()) disc.genre = field(match.category);
    for (int i = 0; i < layout.trackCount(); ++i)
        disc.tracks.push_back(
            {cdrom::entryValue(entry, "TTITLE" + std::to_string(i)).value_or(""), "", "", ""});
    return disc;
}

Answers fromCddb(const MetadataRequest& request, const cdrom::DiscLayout& layout,
                 const MetadataSettings& settings) {
    Answers answers;
    setCddbOptions(settings.cddb);
    std::vector<CddbMatch> matches(kMaxCddbMatches);
    CddbQuery query{kMaxCddbMatches, 0, matches.data()};
    const int found = CDDBQuery(request.handle, &query);
    if (found < 0) answers.kind = Answers::Kind::offline;
    if (found <= 0) return answers;
    for (int i = 0; i < std::min(found, kMaxCddbMatches); ++i) {
        auto entry = cddbEntry(matches[static_cast<std::size_t>(i)], layout);
        if (entry) answers.releases.push_back(std::move(*entry));
    }
    answers.kind = answers.releases.empty() ? Answers::Kind::offline : Answers::Kind::found;
    return answers;
}

}  // namespace

MetadataResult resolveMetadata(const MetadataRequest& request, const MetadataSettings& settings) {
    MetadataResult result;
    if (request.toc == nullptr) return result;
    const cdrom::DiscLayout layout = cdrom::layoutFromToc(*request.toc);
    for (const Source source : settings.sources) {
        const std::string name = sourceName(source);
        if (source == Source::cdText) {
            // A release asked for by its id is one of MusicBrainz or CDDB, never the disc's own.
            if (!request.releaseId.empty()) continue;
            if (auto disc = fromCdText(request)) {
                result.notes.push_back(name + ": found");
                result.outcome = MetadataResult::Outcome::named;
                result.metadata = std::move(*disc);
                return result;
            }
            result.notes.push_back(name + ": none on the disc");
            continue;
        }
        Answers answers = source == Source::musicBrainz ? fromMusicBrainz(layout, settings)
                                                        : fromCddb(request, layout, settings);
        if (answers.kind != Answers::Kind::found) {
            result.notes.push_back(name + (answers.kind == Answers::Kind::offline
                                               ? ": no answer"
                                               : ": the disc is not known"));
            continue;
        }
        result.notes.push_back(name + ": " + std::to_string(answers.releases.size()) +
                               (answers.releases.size() == 1 ? " release" : " releases"));
        if (!request.releaseId.empty()) {
            // The release asked for, or nothing: another release's names would be wrong.
            for (DiscMetadata& release : answers.releases) {
                if (choiceId(release) != request.releaseId) continue;
                result.outcome = MetadataResult::Outcome::named;
                result.metadata = std::move(release);
                fetchCover(result.metadata, settings);
                return result;
            }
            result.notes.push_back(name + ": none is " + request.releaseId);
            return result;
        }
        if (answers.releases.size() == 1) {
            result.outcome = MetadataResult::Outcome::named;
            result.metadata = std::move(answers.releases.front());
            fetchCover(result.metadata, settings);
            return result;
        }
        result.outcome = MetadataResult::Outcome::choose;
        result.choices = std::move(answers.releases);
        return result;
    }
    return result;
}

void fetchCover(DiscMetadata& metadata, const MetadataSettings& settings) {
    if (metadata.source != Source::musicBrainz || metadata.releaseId.empty()) return;
    const auto cover =
        mb::fetchFrontCover(service(settings), metadata.releaseId, settings.maxCoverBytes);
    if (!cover) return;
    auto art = std::make_shared<CoverArt>();
    art->mimeType = cover->kind == mb::CoverArt::Kind::png ? "image/png" : "image/jpeg";
    art->data.assign(cover->bytes.begin(), cover->bytes.end());
    metadata.cover = std::move(art);
}

std::string choiceText(const DiscMetadata& choice) {
    std::string text = choice.artist + " - " + choice.album;
    std::string details;
    for (const std::string* part : {&choice.year, &choice.country, &choice.label}) {
        if (part->empty()) continue;
        if (!details.empty()) details += ", ";
        details += part == &choice.year ? part->substr(0, 4) : *part;
    }
    if (!details.empty()) details += ", ";
    std::size_t tracks = 0;
    for (const auto& track : choice.tracks)
        tracks += track.title.empty() ? 0 : 1;
    details += std::to_string(tracks) + (tracks == 1 ? " track" : " tracks");
    return text + " (" + details + ")";
}

const std::string& choiceId(const DiscMetadata& choice) {
    return choice.source == Source::cddb ? choice.cddbId : choice.releaseId;
}
