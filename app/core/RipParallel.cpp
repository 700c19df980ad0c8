// The rip with several encoders: the drive reads the checked tracks in order, on the job's
// thread as always, and hands each finished track to the encoders. The job follows them after
// every read and, once the disc is read, until the last encoding ends.
#include <algorithm>
#include <filesystem>

#include "JobSettings.h"
#include "QuietRemove.h"
#include "RipUnit.h"
#include "SafeFileName.h"

namespace {

bool sameTrack(const RipProgress::Track& a, const RipProgress::Track& b) {
    return a.row == b.row && a.percent == b.percent;
}

bool sameProgress(const RipProgress& a, const RipProgress& b) {
    if (a.discPercent != b.discPercent || a.reading.has_value() != b.reading.has_value() ||
        a.encoding.size() != b.encoding.size() || a.finished.size() != b.finished.size())
        return false;
    if (a.reading && !sameTrack(*a.reading, *b.reading)) return false;
    return std::equal(a.encoding.begin(), a.encoding.end(), b.encoding.begin(), sameTrack);
}

}  // namespace

int RipJob::encoderCount() const {
    const int setting = m_request.jobs ? *m_request.jobs : readJobsSetting(*m_request.settings);
    std::size_t checked = 0;
    for (const TrackRow& row : m_request.tracks->rows())
        checked += row.checked ? 1 : 0;
    return static_cast<int>(
        std::min<std::size_t>(static_cast<std::size_t>(resolveJobs(setting)), checked));
}

void RipJob::parallelPass(int jobs) {
    m_encoders = std::make_unique<RipEncoders>(m_request.format, m_settings, jobs);
    m_handed.clear();
    m_finishedRows.clear();
    m_encodeError.clear();
    m_shownProgress.reset();
    m_discFrames = 0;
    m_framesRead = 0;
    const std::size_t rows = m_request.tracks->size();
    for (std::size_t index = nextChecked(0); index < rows; index = nextChecked(index + 1))
        m_discFrames += static_cast<std::uint64_t>(
            std::max<std::int32_t>(m_request.tracks->row(index).frames, 0));

    std::string readError;
    for (std::size_t index = nextChecked(0); index < rows; index = nextChecked(index + 1)) {
        // An encoding that failed ends the rip as a failed reading would: the tracks read so
        // far are finished, no more are read.
        if (!m_encodeError.empty()) break;
        const TrackRow& row = startRow(index);
        const std::string output = outputPath(m_request.outputFolder, row.name);
        const std::string temp = output + kRipTemporarySuffix;
        m_readingRow = index;
        setGauge(0);
        publishProgress();
        const bool read = ripRow(index, temp, output, 100);
        m_readingRow.reset();
        if (!read) {
            readError = m_readError;
            break;
        }
        if (m_cancel) {
            markLastTrack(TrackRipReport::Outcome::cancelled);
            if (m_fileCreated) removeQuietly(temp);
            break;
        }
        const std::uint32_t frames = m_report.tracks.back().sectorCount;
        m_framesRead += frames;
        m_handed.push_back({index, m_report.tracks.size() - 1, frames, false});
        m_encoders->add({temp, output, trackTags(index)});
        followEncoders();
    }
    m_encoders->close();
    // The window stays live, and Cancel works, while the last tracks are encoded.
    while (!m_encoders->allEnded()) {
        m_encoders->waitForChange(std::chrono::milliseconds(50));
        m_observer.processEvents();
        followEncoders();
    }
    followEncoders();
    m_encoders.reset();

    if (!readError.empty() || !m_encodeError.empty())
        return fail(readError.empty() ? m_encodeError : readError);
    if (m_cancel && m_request.format == OutputFormat::mp3) m_observer.closeWindow();
    endPass();
}

void RipJob::followEncoders() {
    collectEncoders();
    publishProgress();
}

void RipJob::collectEncoders() {
    if (!m_encoders) return;
    using State = RipEncodeStatus::State;
    const std::vector<RipEncodeStatus> statuses = m_encoders->statuses();
    for (std::size_t i = 0; i < m_handed.size() && i < statuses.size(); ++i) {
        Handed& handed = m_handed[i];
        const RipEncodeStatus& status = statuses[i];
        if (handed.ended || !status.ended()) continue;
        handed.ended = true;
        switch (status.state) {
            case State::done:
                m_finishedRows.push_back(handed.row);
                // As in the one-at-a-time rip, a finished Ogg, FLAC or Opus file clears its row;
                // an MP3 rip leaves the rows as they were.
                if (m_request.format != OutputFormat::mp3) {
                    m_request.tracks->row(handed.row).checked = false;
                    m_observer.rowUnchecked(handed.row);
                }
                break;
            case State::failed:
                markTrack(handed.report, TrackRipReport::Outcome::failed, status.error);
                if (m_encodeError.empty()) m_encodeError = status.error;
                break;
            case State::cancelled:
                markTrack(handed.report, TrackRipReport::Outcome::cancelled);
                break;
            case State::waiting:
            case State::encoding:
                break;
        }
    }
}

void RipJob::publishProgress() {
    if (!m_encoders) return;
    using State = RipEncodeStatus::State;
    const auto track = [this](std::size_t row, int percent) {
        const TrackRow& shown = m_request.tracks->row(row);
        return RipProgress::Track{row, shown.caption, shown.name, std::clamp(percent, 0, 100)};
    };
    RipProgress progress;
    // Each track's reading counts for 40 parts in 100 and its encoding for 60, as on the gauge
    // of the one-at-a-time rip.
    std::uint64_t work = m_framesRead * 40;
    if (m_readingRow) {
        progress.reading = track(*m_readingRow, gauge());
        work += static_cast<std::uint64_t>(
                    std::max<std::int32_t>(m_request.tracks->row(*m_readingRow).frames, 0)) *
                static_cast<std::uint64_t>(std::clamp(gauge(), 0, 100)) * 40 / 100;
    }
    const std::vector<RipEncodeStatus> statuses = m_encoders->statuses();
    for (std::size_t i = 0; i < m_handed.size() && i < statuses.size(); ++i) {
        const RipEncodeStatus& status = statuses[i];
        const int percent = status.ended() ? 100 : status.percent;
        work += static_cast<std::uint64_t>(m_handed[i].frames) *
                static_cast<std::uint64_t>(percent) * 60 / 100;
        if (status.state == State::encoding)
            progress.encoding.push_back(track(m_handed[i].row, status.percent));
    }
    for (const std::size_t row : m_finishedRows)
        progress.finished.push_back(track(row, 100));
    progress.discPercent =
        m_discFrames == 0 ? 0 : static_cast<int>(std::min<std::uint64_t>(work / m_discFrames, 100));
    if (m_shownProgress && sameProgress(*m_shownProgress, progress)) return;
    m_shownProgress = progress;
    m_observer.progressChanged(progress);
}
