#include "TrackReader.h"

#include <algorithm>
#include <cstdio>

namespace quillon::secureread {

namespace {

// Sectors read and handed on together: a few seconds, so a track is never held whole.
constexpr std::uint32_t kPieceSectors = 300;

bool emitSilence(std::uint64_t samples, const AudioSink& sink, TrackReport& report) {
    static const std::vector<std::uint8_t> zeros(std::size_t{kPieceSectors} * kSectorBytes, 0);
    std::uint64_t bytes = samples * kBytesPerSample;
    while (bytes > 0) {
        const auto length = static_cast<std::size_t>(std::min<std::uint64_t>(bytes, zeros.size()));
        if (!sink(zeros.data(), length)) return false;
        report.bytes += length;
        bytes -= length;
    }
    return true;
}

}  // namespace

std::string UnsettledPosition::position() const {
    return formatFramePosition(trackFrame);
}

std::string formatFramePosition(std::uint32_t frames) {
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u.%02u", frames / (60 * kSectorsPerSecond),
                  frames / kSectorsPerSecond % 60, frames % kSectorsPerSecond);
    return text;
}

TrackReport readTrack(SecureReader& reader, TrackSpan track, std::int32_t offsetSamples,
                      std::uint32_t leadOutSector, const AudioSink& sink,
                      const ReadingProgress& progress) {
    TrackReport report;
    report.reading.secure = reader.options().mode == ReadMode::secure;
    const std::int64_t total = std::int64_t{track.sectorCount} * kSamplesPerSector;
    const std::int64_t start = std::int64_t{track.firstSector} * kSamplesPerSector + offsetSamples;
    const std::int64_t end = start + total;
    const std::int64_t discEnd = std::int64_t{leadOutSector} * kSamplesPerSector;
    const std::int64_t readStart = std::clamp<std::int64_t>(start, 0, discEnd);
    const std::int64_t readEnd = std::clamp<std::int64_t>(end, readStart, discEnd);
    const std::int64_t before = std::clamp<std::int64_t>(-start, 0, total);

    if (!emitSilence(static_cast<std::uint64_t>(before), sink, report)) {
        report.cancelled = true;
        return report;
    }

    std::vector<std::uint8_t> buffer;
    const auto firstSector = static_cast<std::uint32_t>(readStart / kSamplesPerSector);
    const auto endSector =
        static_cast<std::uint32_t>((readEnd + kSamplesPerSector - 1) / kSamplesPerSector);
    for (std::uint32_t sector = firstSector; sector < endSector && readStart < readEnd;) {
        const std::uint32_t count = std::min(kPieceSectors, endSector - sector);
        buffer.resize(std::size_t{count} * kSectorBytes);
        const std::size_t knownUnsettled = report.reading.unsettled.size();
        reader.readSectors(sector, count, buffer.data(), report.reading);
        for (std::size_t i = knownUnsettled; i < report.reading.unsettled.size(); ++i) {
            const std::uint32_t bad = report.reading.unsettled[i];
            const std::int64_t inTrack =
                std::max<std::int64_t>(0, std::int64_t{bad} * kSamplesPerSector - start);
            report.unsettled.push_back(
                {bad, static_cast<std::uint32_t>(inTrack / kSamplesPerSector)});
        }
        if (progress) progress(report);
        const std::int64_t pieceStart =
            std::max<std::int64_t>(readStart, std::int64_t{sector} * kSamplesPerSector);
        const std::int64_t pieceEnd =
            std::min<std::int64_t>(readEnd, std::int64_t{sector + count} * kSamplesPerSector);
        const std::int64_t skip = pieceStart - std::int64_t{sector} * kSamplesPerSector;
        const auto length = static_cast<std::size_t>((pieceEnd - pieceStart) * kBytesPerSample);
        if (!sink(buffer.data() + skip * kBytesPerSample, length)) {
            report.cancelled = true;
            return report;
        }
        report.bytes += length;
        sector += count;
    }

    const std::int64_t after = total - before - (readEnd - readStart);
    if (!emitSilence(static_cast<std::uint64_t>(after), sink, report)) report.cancelled = true;
    return report;
}

std::vector<std::uint8_t> readTrackToMemory(SecureReader& reader, TrackSpan track,
                                            std::int32_t offsetSamples, std::uint32_t leadOutSector,
                                            TrackReport* report) {
    std::vector<std::uint8_t> audio;
    audio.reserve(std::size_t{track.sectorCount} * kSectorBytes);
    TrackReport result = readTrack(reader, track, offsetSamples, leadOutSector,
                                   [&audio](const std::uint8_t* data, std::size_t bytes) {
                                       audio.insert(audio.end(), data, data + bytes);
                                       return true;
                                   });
    if (report) *report = std::move(result);
    return audio;
}

}  // namespace quillon::secureread
