#include "AccurateRipParse.h"

namespace quillon::accuraterip {

namespace {

constexpr std::size_t kHeaderBytes = 13;
constexpr std::size_t kTrackBytes = 9;
constexpr int kMaxTracks = 99;

std::uint32_t word(std::string_view bytes, std::size_t at) {
    const auto byte = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i]));
    };
    return byte(0) | (byte(1) << 8) | (byte(2) << 16) | (byte(3) << 24);
}

}  // namespace

std::optional<std::vector<Pressing>> parseAnswer(std::string_view answer) {
    if (answer.empty() || answer.size() > kMaxAnswerBytes) return std::nullopt;
    std::vector<Pressing> pressings;
    std::size_t at = 0;
    while (at < answer.size()) {
        if (answer.size() - at < kHeaderBytes) return std::nullopt;
        const int tracks = static_cast<unsigned char>(answer[at]);
        if (tracks == 0 || tracks > kMaxTracks) return std::nullopt;
        if (answer.size() - at - kHeaderBytes < std::size_t(tracks) * kTrackBytes)
            return std::nullopt;
        Pressing pressing;
        pressing.ids = {tracks, word(answer, at + 1), word(answer, at + 5), word(answer, at + 9)};
        at += kHeaderBytes;
        for (int i = 0; i < tracks; ++i, at += kTrackBytes) {
            pressing.tracks.push_back({static_cast<unsigned char>(answer[at]), word(answer, at + 1),
                                       word(answer, at + 5)});
        }
        pressings.push_back(std::move(pressing));
    }
    return pressings;
}

std::vector<Pressing> pressingsOf(const std::vector<Pressing>& pressings, const DiscIds& ids) {
    std::vector<Pressing> ours;
    for (const auto& pressing : pressings)
        if (pressing.ids == ids) ours.push_back(pressing);
    return ours;
}

TrackVerdict judgeTrack(const Lookup& lookup, int slot, const TrackChecksums& sums) {
    using Status = TrackVerdict::Status;
    if (lookup.outcome == Lookup::Outcome::Offline) return {Status::Offline, 0, 0};
    if (lookup.outcome == Lookup::Outcome::NotFound) return {Status::NotFound, 0, 0};

    TrackVerdict best{Status::NotFound, 0, 0};
    for (const auto& pressing : lookup.pressings) {
        if (slot < 0 || static_cast<std::size_t>(slot) >= pressing.tracks.size()) continue;
        const PressingTrack& entry = pressing.tracks[static_cast<std::size_t>(slot)];
        if (entry.confidence == 0) continue;
        if (best.status == Status::NotFound) best.status = Status::Mismatch;
        int version = 0;
        if (entry.checksum == sums.v2)
            version = 2;
        else if (entry.checksum == sums.v1)
            version = 1;
        if (version == 0) continue;
        const bool better = best.status != Status::Accurate || version > best.version ||
                            (version == best.version && entry.confidence > best.confidence);
        if (better) best = {Status::Accurate, entry.confidence, version};
    }
    return best;
}

const char* statusText(TrackVerdict::Status status) {
    switch (status) {
        case TrackVerdict::Status::Accurate:
            return "accurate";
        case TrackVerdict::Status::Mismatch:
            return "mismatch";
        case TrackVerdict::Status::NotFound:
            return "not-found";
        case TrackVerdict::Status::Offline:
            return "offline";
    }
    return "offline";
}

}  // namespace quillon::accuraterip
