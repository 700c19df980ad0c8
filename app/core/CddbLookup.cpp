#include "CddbLookup.h"

#include <cstring>
#include <vector>

#include "CddbParse.h"
#include "RipUtility.h"
#include "SafeFileName.h"

namespace {

constexpr int kSiteRoom = 8;
constexpr int kEntryTextSize = 32000;

void setCddbOptions(const CddbSettings& settings) {
    CDDBSetOption(kCddbOptionServer, settings.server.c_str(), 0);
    CDDBSetOption(kCddbOptionCgiPath, kCddbCgiPath, 0);
    CDDBSetOption(kCddbOptionEmail, settings.email.c_str(), 0);
    CDDBSetOption(kCddbOptionClientName, kCddbClientName, 0);
}

// A zero-terminated field of a fixed-size record.
template <std::size_t N>
std::string field(const char (&text)[N]) {
    return std::string(text, strnlen(text, N));
}

}  // namespace

CddbLookupResult cddbLookup(DiscSession& disc, TrackList& list, OutputFormat format,
                            const CddbSettings& settings,
                            const std::function<void(const std::string&)>& status) {
    using Outcome = CddbLookupResult::Outcome;
    auto show = [&](const std::string& text) {
        if (status) status(text);
    };
    CddbLookupResult result;

    list.clear();
    switch (disc.open()) {
        case DiscSession::OpenResult::noHandle:
            show("Cann't get CD Information from CDDB!");
            result.outcome = Outcome::noHandle;
            return result;
        case DiscSession::OpenResult::noToc:
            show(kNoTocStatus);
            result.outcome = Outcome::noToc;
            return result;
        case DiscSession::OpenResult::opened:
            break;
    }
    list.buildFromToc(disc.toc(), format);

    show("Connecting with CDDB......");
    setCddbOptions(settings);
    std::vector<CddbSite> sites(kSiteRoom);
    CddbSiteList siteList{kSiteRoom, 0, sites.data()};
    if (CDDBGetServerList(&siteList) != 1) {
        show("Can't got CDDB server list");
        result.outcome = Outcome::noServerList;
        return result;
    }

    show("Successful");
    setCddbOptions(settings);
    CddbMatch match{};
    CddbQuery query{1, 0, &match};
    if (CDDBQuery(disc.handle(), &query) < 1) {
        show("No record in CDDB!");
        result.outcome = Outcome::noMatch;
        result.info =
            CdInfo{localDiscIdText(disc.toc()), "Unknown Artist", "Unknown Title", "Unknown Type"};
        return result;
    }

    std::vector<char> text(kEntryTextSize, '\0');
    if (CDDBGetDiskInfo(&match, text.data(), kEntryTextSize) != 1) {
        result.outcome = Outcome::noEntry;
        result.message = "Error while getting DiskInfo!";
        return result;
    }
    result.outcome = Outcome::named;
    result.info =
        CdInfo{field(match.discId), field(match.artist), field(match.title), field(match.category)};
    const std::string entry(text.data(), strnlen(text.data(), text.size()));
    // The entry's own disc title is whole; the match's fields hold at most 80 characters.
    if (const auto discTitle = quillon::cdrom::entryValue(entry, "DTITLE");
        discTitle && !discTitle->empty())
        quillon::cdrom::splitDiscTitle(*discTitle, result.info->artist, result.info->title);
    const CdToc& toc = disc.toc();
    for (std::size_t position = 0; position < list.size(); ++position) {
        const int track = toc.entries[position].trackNumber;
        const std::string title = trackTitle(entry, track);
        // A track without a title keeps its Track-NN name: an empty name would be a hidden
        // ".mp3", and two of them one file.
        if (trimmedName(title).empty()) continue;
        list.row(position).name = flatRowName(title) + std::string(formatExtension(format));
    }
    return result;
}
