// Finding the names of the disc in the open drive: each source of the settings in turn (the
// disc's CD-Text, the MusicBrainz web service, a CDDB server) until one knows the disc. A
// source that knows several releases of it hands them over as choices, for the user or a
// release id to pick one.
#pragma once

#include <string>
#include <vector>

#include "AKRip32.h"
#include "DiscMetadata.h"
#include "MetadataSettings.h"

struct MetadataRequest {
    CdHandle handle = 0;  // the open disc: its CD-Text and its CDDB query
    const CdToc* toc = nullptr;
    // A MusicBrainz release id (or a CDDB "category/discid") that picks one of several
    // releases; empty to let the caller choose.
    std::string releaseId;
};

struct MetadataResult {
    enum class Outcome {
        named,     // metadata holds the names
        choose,    // the first source that answered knows several releases: see choices
        notFound,  // no source knew the disc, or none holds the release asked for
    };
    Outcome outcome = Outcome::notFound;
    DiscMetadata metadata;
    std::vector<DiscMetadata> choices;
    // One line per source asked, such as "MusicBrainz: no answer", for a status line or log.
    std::vector<std::string> notes;
};

// Asks the sources of settings in order; the first that knows the disc wins (CD-Text is
// passed by when a release id is asked for). MusicBrainz is
// asked by disc ID first and then, when it does not know that ID, with the table of contents
// for releases of nearby discs. A release picked (alone, or by request.releaseId) gets its
// front cover, when the archive has one.
MetadataResult resolveMetadata(const MetadataRequest& request, const MetadataSettings& settings);

// The release's front cover into metadata.cover, within the settings' size cap; a release
// without a cover, or a source other than MusicBrainz, is left as it is.
void fetchCover(DiscMetadata& metadata, const MetadataSettings& settings);

// What a chooser lists for a release: artist, title, year, country, label, track count.
std::string choiceText(const DiscMetadata& choice);
// The id that picks the choice: the MusicBrainz release id or "category/discid" for CDDB.
const std::string& choiceId(const DiscMetadata& choice);
