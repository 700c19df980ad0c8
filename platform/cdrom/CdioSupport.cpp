#include "CdioSupport.h"

#include <cdio/logging.h>

#include <mutex>
#include <utility>

namespace quillon::cdrom {

namespace {

cdio_log_handler_t g_defaultHandler = nullptr;

// libcdio's own handler ends the process on an error message, which it also sends for an
// image that merely fails to open. Only a failed internal assertion goes on to it.
extern "C" void filterLog(cdio_log_level_t level, const char* message) {
    if (level >= CDIO_LOG_ASSERT && g_defaultHandler != nullptr) g_defaultHandler(level, message);
}

}  // namespace

bool DiscLayout::valid() const {
    if (starts.empty() || starts.size() != dataTracks.size()) return false;
    if (firstTrack < 1 || lastTrack() > 99) return false;
    // Every track holds at least one frame: two tracks starting at the same frame (libcdio
    // reads some mixed-mode sheets so) would list one of no length at all.
    if (starts.front() < 0) return false;
    for (std::size_t i = 1; i < starts.size(); ++i)
        if (starts[i] <= starts[i - 1]) return false;
    return leadOut > starts.back();
}

void quietCdioLogging() {
    static std::once_flag once;
    std::call_once(once, [] { g_defaultHandler = cdio_log_set_handler(filterLog); });
}

std::optional<DiscLayout> readLayout(CdIo_t* cdio) {
    const track_t first = cdio_get_first_track_num(cdio);
    const track_t last = cdio_get_last_track_num(cdio);
    if (first == CDIO_INVALID_TRACK || last == CDIO_INVALID_TRACK || first < 1 || last < first ||
        last > 99)
        return std::nullopt;
    DiscLayout layout;
    layout.firstTrack = first;
    for (int track = first; track <= last; ++track) {
        const lsn_t start = cdio_get_track_lsn(cdio, static_cast<track_t>(track));
        if (start == CDIO_INVALID_LSN) return std::nullopt;
        layout.starts.push_back(start);
        layout.dataTracks.push_back(cdio_get_track_format(cdio, static_cast<track_t>(track)) !=
                                    TRACK_FORMAT_AUDIO);
    }
    const lsn_t leadOut = cdio_get_track_lsn(cdio, CDIO_CDROM_LEADOUT_TRACK);
    if (leadOut == CDIO_INVALID_LSN) return std::nullopt;
    layout.leadOut = leadOut;
    if (!layout.valid()) return std::nullopt;
    return layout;
}

void swapSampleBytes(std::uint8_t* data, std::size_t bytes) {
    for (std::size_t i = 0; i + 1 < bytes; i += 2)
        std::swap(data[i], data[i + 1]);
}

}  // namespace quillon::cdrom
