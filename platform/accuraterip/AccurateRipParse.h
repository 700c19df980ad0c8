// Reading the AccurateRip database's answer for a disc and judging a rip's tracks by it. Pure
// functions over bytes, so that hostile answers can be tested and fuzzed without a network.
//
// The answer is a run of pressings, each little-endian: a byte with its track count, the two
// AccurateRip ids and the CDDB id (4 bytes each), then per track a byte of confidence (how
// many rips agreed), the track's checksum and the checksum of its frame 450 (4 bytes each).
// The database does not say whether a pressing's checksums are v1 or v2 ones.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "DiscIds.h"
#include "TrackChecksum.h"

namespace quillon::accuraterip {

struct PressingTrack {
    int confidence = 0;
    std::uint32_t checksum = 0;
    std::uint32_t frame450Checksum = 0;
};

struct Pressing {
    DiscIds ids;  // audioTracks is the pressing's track count
    std::vector<PressingTrack> tracks;
};

// Far more pressings than any disc has; a larger answer is not one.
constexpr std::size_t kMaxAnswerBytes = 1 << 20;

// Every pressing of the answer in its order, or nothing when the answer is empty, larger than
// kMaxAnswerBytes, cut off inside a pressing, or holds a pressing of no or more than 99 tracks.
std::optional<std::vector<Pressing>> parseAnswer(std::string_view answer);

// The pressings filed under the disc's ids with its number of audio tracks; the rest are
// another disc's and are left out.
std::vector<Pressing> pressingsOf(const std::vector<Pressing>& pressings, const DiscIds& ids);

// What became of the disc's lookup.
struct Lookup {
    enum class Outcome {
        Found,     // the disc's pressings are in `pressings`
        NotFound,  // the database has no entry for the disc
        Offline,   // no usable answer: no connection, a server error or a refused answer
    };
    Outcome outcome = Outcome::Offline;
    std::vector<Pressing> pressings;
};

struct TrackVerdict {
    enum class Status { Accurate, Mismatch, NotFound, Offline };
    Status status = Status::Offline;
    int confidence = 0;  // Accurate: the matching pressing's confidence
    int version = 0;     // Accurate: 2 when the v2 checksum matched, else 1
};

// The verdict on one track, given its slot in the database's entries (see entrySlot) and its
// checksums. A v2 match is preferred to a v1 match, and of several pressings that match, the
// one with the highest confidence counts. Entries of confidence 0 hold no rip and match nothing.
TrackVerdict judgeTrack(const Lookup& lookup, int slot, const TrackChecksums& sums);

// "accurate", "mismatch", "not-found" or "offline".
const char* statusText(TrackVerdict::Status status);

}  // namespace quillon::accuraterip
