#include "TrackRip.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>

#include "ACS_Wave.h"
#include "AKRip32.h"
#include "QuietRemove.h"
#include "Streams.h"

namespace {

using quillon::secureread::kSamplesPerSector;
using quillon::secureread::kSectorBytes;
using quillon::secureread::ReadMode;
using quillon::secureread::SectorReader;

// The disc as the careful reading sees it during one track: every read keeps the window live
// and moves the gauge, a cancel turns the remaining reads into quick failures so the reading
// unwinds at once, and in fast mode a range is asked for several times before it counts as
// failed, since a drive may fail a read now and deliver it the next time.
class LiveReader : public SectorReader {
  public:
    LiveReader(const TrackRipRequest& request, const TrackRipCallbacks& callbacks)
        : m_request(request),
          m_callbacks(callbacks),
          m_fast(request.options.mode == ReadMode::fast) {}

    bool read(std::uint32_t firstSector, std::uint32_t count, std::uint8_t* buffer) override {
        if (m_stopped) return false;
        if (m_callbacks.cancelled && m_callbacks.cancelled()) {
            m_stopped = true;
            return false;
        }
        bool delivered = false;
        const int attempts = m_fast ? kCdReadAttempts : 1;
        for (int attempt = 0; attempt < attempts && !delivered; ++attempt)
            delivered = m_request.reader->read(firstSector, count, buffer);
        if (!delivered && m_fast) {
            // A frame that never comes would leave a hole in the file, so the track stops.
            m_failedAt = firstSector;
            m_stopped = true;
            return false;
        }
        moveGauge(firstSector + count);
        return delivered;
    }

    void defeatCache(std::uint32_t sector) override { m_request.reader->defeatCache(sector); }
    std::uint32_t maxSectorsPerRead() const override {
        return m_request.reader->maxSectorsPerRead();
    }

    bool stopped() const { return m_stopped; }
    const std::optional<std::uint32_t>& failedAt() const { return m_failedAt; }

  private:
    void moveGauge(std::uint32_t readEnd) {
        const std::int64_t total = std::max<std::int32_t>(m_request.frames, 1);
        const std::int64_t done =
            std::clamp<std::int64_t>(std::int64_t{readEnd} - m_request.startFrame, 0, total);
        m_done = std::max(m_done, done);
        const int span = m_request.gaugeTo - m_request.gaugeFrom;
        if (m_callbacks.afterRead)
            m_callbacks.afterRead(m_request.gaugeFrom + static_cast<int>(m_done * span / total));
    }

    const TrackRipRequest& m_request;
    const TrackRipCallbacks& m_callbacks;
    bool m_fast;
    bool m_stopped = false;
    std::optional<std::uint32_t> m_failedAt;
    std::int64_t m_done = 0;
};

// The largest magnitude among 16-bit little-endian samples.
int peakOf(const std::uint8_t* data, std::size_t bytes) {
    int peak = 0;
    for (std::size_t i = 0; i + 1 < bytes; i += 2) {
        const auto sample = static_cast<std::int16_t>(data[i] | (data[i + 1] << 8));
        peak = std::max(peak, sample < 0 ? -int{sample} : int{sample});
    }
    return peak;
}

}  // namespace

TrackRipResult ripTrack(const TrackRipRequest& request, const TrackRipCallbacks& callbacks) {
    using Outcome = TrackRipResult::Outcome;
    TrackRipResult result;
    std::unique_ptr<FileStream> file;
    if (!request.path.empty()) {
        try {
            file = std::make_unique<FileStream>(request.path, FileStream::Mode::create);
        } catch (const std::exception& error) {
            result.outcome = Outcome::createFailed;
            result.message = error.what();
            return result;
        }
    }
    const auto dropFile = [&] {
        if (!file) return;
        file.reset();
        removeQuietly(request.path);
    };

    const std::int64_t total = std::max<std::int32_t>(request.frames, 0);
    LiveReader live(request, callbacks);
    quillon::secureread::SecureReader reader(live, request.options);
    quillon::accuraterip::TrackChecksum checksum(request.place);
    int peak = 0;
    std::uint32_t shownRereads = 0;
    std::size_t shownUnsettled = 0;
    try {
        if (file) WriteCdWaveHeader(*file, total * kCdFrameBytes);
        const auto sink = [&](const std::uint8_t* data, std::size_t bytes) {
            if (live.stopped()) return false;
            if (file) file->write(data, bytes);
            checksum.add(data, bytes);
            peak = std::max(peak, peakOf(data, bytes));
            return true;
        };
        const auto progress = [&](const quillon::secureread::TrackReport& sofar) {
            if (sofar.reading.rereadSectors == shownRereads &&
                sofar.unsettled.size() == shownUnsettled)
                return;
            shownRereads = sofar.reading.rereadSectors;
            shownUnsettled = sofar.unsettled.size();
            if (!callbacks.readingChanged) return;
            std::vector<std::string> positions;
            for (const auto& position : sofar.unsettled)
                positions.push_back(position.position());
            callbacks.readingChanged(shownRereads, positions);
        };
        result.reading = quillon::secureread::readTrack(
            reader, {request.startFrame, static_cast<std::uint32_t>(total)}, request.offset,
            request.leadOutSector, sink, progress);
        if (file && !result.reading.cancelled) file->close();
    } catch (const std::exception& error) {
        dropFile();
        result.outcome = Outcome::writeFailed;
        result.message = error.what();
        return result;
    }
    result.sums = checksum.result();
    result.peak = peak / 32768.0;
    if (live.failedAt()) {
        dropFile();
        result.outcome = Outcome::readFailed;
        result.message = "Cannot read track " + request.caption + " from the CD at frame " +
                         std::to_string(*live.failedAt());
        return result;
    }
    if (result.reading.cancelled) {
        file.reset();
        result.outcome = Outcome::cancelled;
    }
    return result;
}
