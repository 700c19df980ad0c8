#include "CdTime.h"

#include <cstddef>

namespace quillon::cdplayer {

namespace {

// Index into the layout's tables, or -1.
int trackIndex(const DiscLayout& layout, int track) {
    const int index = track - layout.firstTrack;
    return index >= 0 && index < layout.trackCount() ? index : -1;
}

std::int32_t startAt(const DiscLayout& layout, int index) {
    return layout.starts[static_cast<std::size_t>(index)];
}

std::int32_t endAt(const DiscLayout& layout, int index) {
    return index + 1 < layout.trackCount() ? startAt(layout, index + 1) : layout.leadOut;
}

// The index of the track holding the frame; frames before the first track count to it.
int indexOf(const DiscLayout& layout, std::int32_t frame) {
    int index = 0;
    while (index + 1 < layout.trackCount() && startAt(layout, index + 1) <= frame)
        ++index;
    return index;
}

}  // namespace

std::optional<std::int32_t> trackStart(const DiscLayout& layout, int track) {
    const int index = trackIndex(layout, track);
    if (index < 0) return std::nullopt;
    return startAt(layout, index);
}

std::int32_t trackLength(const DiscLayout& layout, int track) {
    const int index = trackIndex(layout, track);
    return index < 0 ? 0 : endAt(layout, index) - startAt(layout, index);
}

TrackPosition trackPosition(const DiscLayout& layout, std::int32_t frame) {
    if (layout.trackCount() == 0) return {};
    const int index = indexOf(layout, frame);
    const std::int32_t offset = frame < startAt(layout, index) ? 0 : frame - startAt(layout, index);
    return {layout.firstTrack + index, static_cast<int>(offset / kFramesPerMinute),
            static_cast<int>(offset / kFramesPerSecond % 60),
            static_cast<int>(offset % kFramesPerSecond)};
}

std::optional<std::int32_t> frameOf(const DiscLayout& layout, const TrackPosition& position) {
    const auto start = trackStart(layout, position.track);
    if (!start || position.minute < 0 || position.second < 0 || position.second > 59 ||
        position.frame < 0 || position.frame >= kFramesPerSecond)
        return std::nullopt;
    const std::int32_t frame = *start + position.minute * kFramesPerMinute +
                               position.second * kFramesPerSecond + position.frame;
    if (frame > layout.leadOut) return std::nullopt;
    return frame;
}

bool isAudio(const DiscLayout& layout, std::int32_t frame) {
    if (layout.trackCount() == 0 || frame < 0 || frame >= layout.leadOut) return false;
    return !layout.dataTracks[static_cast<std::size_t>(indexOf(layout, frame))];
}

std::int32_t audioEnd(const DiscLayout& layout, std::int32_t from) {
    if (layout.trackCount() == 0) return 0;
    for (int index = indexOf(layout, from) + 1; index < layout.trackCount(); ++index) {
        if (layout.dataTracks[static_cast<std::size_t>(index)]) return startAt(layout, index);
    }
    return layout.leadOut;
}

}  // namespace quillon::cdplayer
