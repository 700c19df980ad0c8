// Copies one track from the disc into a CD-audio WAV file (the 44-byte header, then the
// track's audio), read through the careful reading with the drive's offset corrected, and
// checksums what it writes. The same reading without a file is the test pass.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "SecureReader.h"
#include "TrackChecksum.h"
#include "TrackReader.h"

struct TrackRipRequest {
    quillon::secureread::SectorReader* reader = nullptr;  // the disc
    quillon::secureread::ReadOptions options;             // fast or secure, and the retries
    std::int32_t offset = 0;                              // the drive's read offset in samples
    std::uint32_t leadOutSector = 0;                      // the first sector past the audio
    quillon::accuraterip::TrackPlace place;               // for the AccurateRip checksums
    std::uint32_t startFrame = 0;
    std::int32_t frames = 0;  // T, the row's frame count
    std::string path;         // created, or replaced; empty for a test pass, which writes nothing
    std::string caption;      // the row's track number, for messages
    int gaugeFrom = 0;        // the gauge runs from this to gaugeTo while reading
    int gaugeTo = 100;
};

struct TrackRipResult {
    enum class Outcome {
        done,
        cancelled,     // the file holds what was read before the cancel
        createFailed,  // nothing was written
        writeFailed,   // the partial file was deleted
        readFailed,    // the partial file was deleted
    };
    Outcome outcome = Outcome::done;
    std::string message;  // for the failures

    // Of the audio read (and written), whatever the outcome.
    quillon::accuraterip::TrackChecksums sums;
    double peak = 0.0;  // the largest sample magnitude, 0 to 1
    quillon::secureread::TrackReport reading;
};

// How often a fast read is asked for before it counts as failed.
inline constexpr int kCdReadAttempts = 4;

struct TrackRipCallbacks {
    // Asked before each read of the disc.
    std::function<bool()> cancelled;
    // After each read: lets the window process its events (where the user may cancel) and
    // move the gauge.
    std::function<void(int gauge)> afterRead;
    // The careful reading's re-reads and unsettled positions (mm:ss.ff in the track) so far,
    // whenever they change.
    std::function<void(std::uint32_t rereads, const std::vector<std::string>& unsettled)>
        readingChanged;
};

// Fast mode keeps the old behaviour: a range the drive never delivers after kCdReadAttempts
// tries ends the track as readFailed, since the file would have a hole. Secure mode reports
// such sectors as unsettled instead and goes on.
TrackRipResult ripTrack(const TrackRipRequest& request, const TrackRipCallbacks& callbacks);
