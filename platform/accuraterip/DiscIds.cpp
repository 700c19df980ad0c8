#include "DiscIds.h"

#include <cstdio>

#include "DiscId.h"

namespace quillon::accuraterip {

namespace {

bool isAudio(const cdrom::DiscLayout& layout, std::size_t index) {
    return index >= layout.dataTracks.size() || !layout.dataTracks[index];
}

}  // namespace

std::optional<DiscIds> discIds(const cdrom::DiscLayout& layout) {
    if (!layout.valid()) return std::nullopt;
    DiscIds ids;
    for (std::size_t i = 0; i < layout.starts.size(); ++i) {
        if (!isAudio(layout, i)) continue;
        ++ids.audioTracks;
        const auto start = static_cast<std::uint32_t>(layout.starts[i]);
        ids.id1 += start;
        ids.id2 += (start == 0 ? 1u : start) * static_cast<std::uint32_t>(ids.audioTracks);
    }
    if (ids.audioTracks == 0) return std::nullopt;
    const auto leadOut = static_cast<std::uint32_t>(layout.leadOut);
    ids.id1 += leadOut;
    ids.id2 += leadOut * static_cast<std::uint32_t>(ids.audioTracks + 1);
    ids.cddbId = cdrom::cddbDiscId(layout);
    return ids;
}

std::string discIdsText(const DiscIds& ids) {
    char text[40];
    std::snprintf(text, sizeof text, "%03d-%08x-%08x-%08x", ids.audioTracks, ids.id1, ids.id2,
                  ids.cddbId);
    return text;
}

std::optional<TrackPlace> trackPlace(const cdrom::DiscLayout& layout, int trackNumber) {
    const auto slot = entrySlot(layout, trackNumber);
    if (!slot || !isAudio(layout, static_cast<std::size_t>(*slot))) return std::nullopt;
    TrackPlace place{true, true};
    for (int i = 0; i < layout.trackCount(); ++i) {
        if (!isAudio(layout, static_cast<std::size_t>(i))) continue;
        if (i < *slot) place.firstAudioTrack = false;
        if (i > *slot) place.lastAudioTrack = false;
    }
    return place;
}

std::optional<int> entrySlot(const cdrom::DiscLayout& layout, int trackNumber) {
    const int slot = trackNumber - layout.firstTrack;
    if (slot < 0 || slot >= layout.trackCount()) return std::nullopt;
    return slot;
}

}  // namespace quillon::accuraterip
