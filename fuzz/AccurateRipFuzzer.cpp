// Feeds arbitrary database answers to the AccurateRip answer reader and the verdicts, and
// checks that an accepted answer is exactly a run of whole pressings.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "AccurateRipParse.h"

using namespace quillon::accuraterip;

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view answer(reinterpret_cast<const char*>(data), size);
    const auto pressings = parseAnswer(answer);
    if (!pressings) return 0;

    std::size_t bytes = 0;
    for (const auto& pressing : *pressings) {
        check(pressing.ids.audioTracks >= 1 && pressing.ids.audioTracks <= 99);
        check(pressing.tracks.size() == static_cast<std::size_t>(pressing.ids.audioTracks));
        bytes += 13 + 9 * pressing.tracks.size();
    }
    check(!pressings->empty() && bytes == size);

    const DiscIds& ids = pressings->front().ids;
    const Lookup lookup{Lookup::Outcome::Found, pressingsOf(*pressings, ids)};
    check(!lookup.pressings.empty());
    TrackChecksums sums;
    sums.v1 = pressings->back().tracks.front().checksum;
    sums.v2 = pressings->front().tracks.back().checksum;
    for (int slot = -1; slot <= ids.audioTracks; ++slot) {
        const TrackVerdict verdict = judgeTrack(lookup, slot, sums);
        if (verdict.status == TrackVerdict::Status::Accurate)
            check(verdict.confidence >= 1 && verdict.confidence <= 255 &&
                  (verdict.version == 1 || verdict.version == 2));
        else
            check(verdict.status != TrackVerdict::Status::Offline);
    }
    return 0;
}
