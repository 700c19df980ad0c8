// Reading one track's audio as the disc holds it, with the drive's read offset corrected.
//
// A drive's read offset, in samples, is how far its reads are off from the disc's true
// positions, as the drive-offset tables list it: with offset +6, the track's output sample i is
// the disc's sample i + 6 (counted from the track's first sample), so the reads are moved 6
// samples later. Where the moved range leaves the disc, before its first sector or at and past
// the lead-out, the output is silence rather than whatever a drive answers there.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "SecureReader.h"

namespace quillon::secureread {

// A track as the table of contents gives it: its first sector and its length in sectors.
struct TrackSpan {
    std::uint32_t firstSector = 0;
    std::uint32_t sectorCount = 0;
};

// A sector that could not be settled, placed in the disc and in the track.
struct UnsettledPosition {
    std::uint32_t discSector = 0;
    std::uint32_t trackFrame = 0;  // the first of the track's frames it lands in
    std::string position() const;  // trackFrame as mm:ss.ff
};

struct TrackReport {
    RangeReport reading;
    std::vector<UnsettledPosition> unsettled;
    std::uint64_t bytes = 0;  // handed to the sink
    bool cancelled = false;   // the sink asked to stop
    bool verified() const { return !cancelled && reading.verified(); }
};

// mm:ss.ff of a count of frames (75 a second), as a CD's positions are written.
std::string formatFramePosition(std::uint32_t frames);

// Receives the track's audio in order; returning false stops the reading.
using AudioSink = std::function<bool(const std::uint8_t* data, std::size_t bytes)>;
// Told what the reading found so far, after each piece of a few seconds is read and before it
// is handed to the sink, so that a window can show re-reads while a long track is read.
using ReadingProgress = std::function<void(const TrackReport& sofar)>;

// Reads `track` through `reader`, moved by `offsetSamples`, and hands its audio, exactly
// track.sectorCount * kSectorBytes bytes unless cancelled, to `sink`. leadOutSector is the
// first sector past the disc's audio.
TrackReport readTrack(SecureReader& reader, TrackSpan track, std::int32_t offsetSamples,
                      std::uint32_t leadOutSector, const AudioSink& sink,
                      const ReadingProgress& progress = {});

// The same, keeping the audio in memory.
std::vector<std::uint8_t> readTrackToMemory(SecureReader& reader, TrackSpan track,
                                            std::int32_t offsetSamples, std::uint32_t leadOutSector,
                                            TrackReport* report);

}  // namespace quillon::secureread
