// Places on an audio disc: absolute frames counted from 0 (the first frame after the two-second
// lead-in) and the track/minute/second/frame form a player shows.
#pragma once

#include <cstdint>
#include <optional>

#include "Disc.h"

namespace quillon::cdplayer {

using quillon::cdrom::DiscLayout;

inline constexpr std::int32_t kFramesPerSecond = 75;
inline constexpr std::int32_t kFramesPerMinute = 60 * kFramesPerSecond;
// Absolute minute/second/frame addresses count the lead-in; frame addresses do not.
inline constexpr std::int32_t kLeadInFrames = 2 * kFramesPerSecond;

// A time within a track.
struct TrackPosition {
    int track = 0;
    int minute = 0;
    int second = 0;
    int frame = 0;
    friend bool operator==(const TrackPosition&, const TrackPosition&) = default;
};

// One byte each, the track lowest: a value with only the track byte set is the track's start.
constexpr std::uint32_t packTmsf(const TrackPosition& p) {
    return (static_cast<std::uint32_t>(p.track) & 0xFF) |
           ((static_cast<std::uint32_t>(p.minute) & 0xFF) << 8) |
           ((static_cast<std::uint32_t>(p.second) & 0xFF) << 16) |
           ((static_cast<std::uint32_t>(p.frame) & 0xFF) << 24);
}
constexpr TrackPosition unpackTmsf(std::uint32_t value) {
    return {static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
            static_cast<int>((value >> 16) & 0xFF), static_cast<int>(value >> 24)};
}

// Minute lowest, then second, then frame.
constexpr std::uint32_t packMsf(std::int32_t frames) {
    const auto f = static_cast<std::uint32_t>(frames < 0 ? 0 : frames);
    return ((f / kFramesPerMinute) & 0xFF) | (((f / kFramesPerSecond) % 60) << 8) |
           ((f % kFramesPerSecond) << 16);
}
constexpr std::int32_t unpackMsf(std::uint32_t value) {
    return static_cast<std::int32_t>(value & 0xFF) * kFramesPerMinute +
           static_cast<std::int32_t>((value >> 8) & 0xFF) * kFramesPerSecond +
           static_cast<std::int32_t>((value >> 16) & 0xFF);
}

// The start of a track, or nothing when the disc has no such track.
std::optional<std::int32_t> trackStart(const DiscLayout& layout, int track);
// Frames from the track's start to the next track's (or the lead-out); 0 for no such track.
std::int32_t trackLength(const DiscLayout& layout, int track);
// The track that holds the frame and the time from its start; the lead-out and anything past
// it belong to the last track.
TrackPosition trackPosition(const DiscLayout& layout, std::int32_t frame);
// The frame of a time within a track, or nothing when the track does not exist or the time
// lies past the lead-out.
std::optional<std::int32_t> frameOf(const DiscLayout& layout, const TrackPosition& position);
// Whether the frame lies in an audio track.
bool isAudio(const DiscLayout& layout, std::int32_t frame);
// Where playing from the frame has to end: the start of the next data track, or the lead-out.
std::int32_t audioEnd(const DiscLayout& layout, std::int32_t from);

}  // namespace quillon::cdplayer
