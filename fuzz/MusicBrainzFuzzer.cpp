// Feeds arbitrary web service answers to the MusicBrainz answer reader and checks that what it
// accepts can be laid over the disc: valid release ids, the disc's number of tracks in order,
// and texts free of control characters.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "ReleaseAnswer.h"
#include "ServiceUrls.h"

using namespace quillon::musicbrainz;

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

void checkText(const std::string& text) {
    for (const char c : text)
        check(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
}

void read(std::string_view answer, int trackCount) {
    const auto releases = parseReleases(answer, "I5l9cCSFccLKFEKS.7wqSZAorPU-", trackCount);
    if (!releases) return;
    for (const Release& release : *releases) {
        check(validMbid(release.id));
        for (const std::string* text : {&release.title, &release.artist, &release.date,
                                        &release.country, &release.label, &release.medium.format})
            checkText(*text);
        check(release.medium.tracks.size() == static_cast<std::size_t>(trackCount));
        for (std::size_t i = 0; i < release.medium.tracks.size(); ++i) {
            const Track& track = release.medium.tracks[i];
            check(track.position == static_cast<int>(i) + 1);
            for (const std::string* text :
                 {&track.number, &track.title, &track.artist, &track.recordingId, &track.trackId})
                checkText(*text);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view answer(reinterpret_cast<const char*>(data), size);
    read(answer, 12);
    read(answer, 2);
    return 0;
}
