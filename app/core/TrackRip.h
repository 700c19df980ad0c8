// Copies one track from the CD into a CD-audio WAV file: the 44-byte header, then the raw
// frames, 25 at a time.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "AKRip32.h"

struct TrackRipRequest {
    CdHandle handle = 0;
    std::uint32_t startFrame = 0;
    std::int32_t frames = 0;  // T, the row's frame count
    std::string path;         // created, or replaced
    std::string caption;      // the row's track number, for messages
    int gaugeSpan = 100;      // the gauge runs from 0 to this while reading
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
};

// How often a frame range is asked for before the read counts as failed.
inline constexpr int kCdReadAttempts = 4;

// `cancelled` is asked before each read. After each read, `afterRead(gauge)` lets the window
// process its events (where the user may cancel) and move the gauge.
TrackRipResult ripTrack(const TrackRipRequest& request, const std::function<bool()>& cancelled,
                        const std::function<void(int gauge)>& afterRead);
