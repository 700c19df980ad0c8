// Reading the MusicBrainz web service's answer to a disc ID lookup (JSON): the releases that
// hold the disc, with the medium that matches it and its tracks.
//
// The answer is outside data: its size is capped, nesting is bounded, every string must be
// UTF-8 without control characters and of bounded length, and anything that does not have the
// expected shape makes the whole answer refused rather than half read.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::musicbrainz {

constexpr std::size_t kMaxAnswerBytes = std::size_t{4} << 20;

struct Track {
    int position = 0;    // 1, 2, ... on the medium
    std::string number;  // as printed on the release: "1", "A1", ...
    std::string title;
    std::string artist;  // the artist credit as one text, join phrases included
    std::string recordingId;
    std::string trackId;
};

struct Medium {
    int position = 0;  // the disc's number in the release, from 1
    int mediumCount = 0;
    std::string format;
    std::vector<Track> tracks;
};

struct Release {
    std::string id;
    std::string title;
    std::string artist;
    std::string date;  // "YYYY", "YYYY-MM" or "YYYY-MM-DD"; empty when unknown
    std::string country;
    std::string label;  // empty when the answer names none
    Medium medium;      // the medium that is this disc

    std::string year() const { return date.substr(0, 4); }
};

// The releases of an answer for the disc discId with trackCount audio tracks. A release's
// medium is the one listing discId among its discs, or, in an answer to a fuzzy (toc) lookup
// where none does, the first with trackCount tracks; releases without such a medium are left
// out. An empty list when the answer holds no release. Nothing for a refused answer.
std::optional<std::vector<Release>> parseReleases(std::string_view answer,
                                                  const std::string& discId, int trackCount);

}  // namespace quillon::musicbrainz
