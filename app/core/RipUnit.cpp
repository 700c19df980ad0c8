#include "RipUnit.h"

#include <filesystem>

#include "Mp3Encode.h"
#include "RipUtility.h"
#include "SafeFileName.h"
#include "TrackRip.h"

namespace {

constexpr const char* kTemporarySuffix = ".convert";

void removeQuietly(const std::string& path) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

}  // namespace

std::string processingCaption(const TrackRow& row) {
    return "Processing:" + row.caption + " (" + row.name + ")";
}

RipJob::RipJob(RipObserver& observer, Post post) : m_observer(observer), m_post(std::move(post)) {
    m_waveIn.SetLoop(false);
    m_vorbisOut.SetInput(&m_waveIn);
    m_vorbisOut.SetSerial(0);
    m_vorbisOut.SetSuspendWhenIdle(false);
    // These run on the sink's worker: they only hand the report over.
    const std::weak_ptr<char> alive = m_alive;
    const Post handOver = m_post;
    m_vorbisOut.OnProgress = [this, alive, handOver](TACSOutput* sender) {
        const int progress = sender->LastProgress();
        handOver([this, alive, progress] {
            if (alive.lock()) vorbisProgress(progress);
        });
    };
    m_vorbisOut.OnDone = [this, alive, handOver](TACSOutput*) {
        handOver([this, alive] {
            if (alive.lock()) vorbisDone();
        });
    };
}

RipJob::~RipJob() {
    m_alive.reset();
    if (m_convertingRow) m_vorbisOut.Stop();
}

void RipJob::start(const RipRequest& request) {
    if (m_working) return;
    m_request = request;
    m_cancel = false;
    const auto settings = readRipSettings(*m_request.settings);
    if (!settings) {
        m_outcome = RipOutcome::settingsFailed;
        m_observer.settingsFailed();
        return;
    }
    m_settings = *settings;
    m_working = true;
    m_outcome = RipOutcome::none;
    setCaption(kRipIdleCaption);
    switch (m_request.format) {
        case OutputFormat::wav:
            wavPass();
            break;
        case OutputFormat::mp3:
            mp3Pass();
            break;
        case OutputFormat::ogg:
            oggPass();
            break;
    }
}

void RipJob::buttonClicked() {
    if (m_button != RipButton::close) {
        m_cancel = m_observer.confirmCancel();
        if (m_cancel && m_request.format == OutputFormat::ogg) m_vorbisOut.Stop();
        return;
    }
    m_observer.closeWindow();
    if (m_settings.openFolder) m_observer.openFolder(m_request.outputFolder);
}

bool RipJob::ripRow(std::size_t index, const std::string& path, int gaugeSpan) {
    const TrackRow& row = m_request.tracks->row(index);
    TrackRipRequest request;
    request.handle = m_request.handle;
    request.startFrame = index < static_cast<std::size_t>(tocTrackCount(*m_request.toc))
                             ? tocAddress(*m_request.toc, static_cast<int>(index))
                             : 0;
    request.frames = row.frames;
    request.path = path;
    request.caption = row.caption;
    request.gaugeSpan = gaugeSpan;
    const TrackRipResult result = ripTrack(
        request, [this] { return m_cancel; }, [this](int gauge) { afterStep(gauge); });
    switch (result.outcome) {
        case TrackRipResult::Outcome::done:
        case TrackRipResult::Outcome::cancelled:
            return true;
        case TrackRipResult::Outcome::createFailed:
        case TrackRipResult::Outcome::writeFailed:
        case TrackRipResult::Outcome::readFailed:
            break;
    }
    fail(result.message);
    return false;
}

std::size_t RipJob::nextChecked(std::size_t from) const {
    const std::size_t rows = m_request.tracks->size();
    while (from < rows && !m_request.tracks->row(from).checked)
        ++from;
    return from;
}

const TrackRow& RipJob::startRow(std::size_t index) {
    const TrackRow& row = m_request.tracks->row(index);
    setButton(RipButton::cancel);
    setCaption(processingCaption(row));
    return row;
}

void RipJob::endPass() {
    const bool cancelled = m_cancel;
    m_cancel = false;
    finish();
    end(cancelled ? RipOutcome::cancelled : RipOutcome::finished);
}

void RipJob::wavPass() {
    std::string lastOutput;
    const std::size_t rows = m_request.tracks->size();
    for (std::size_t index = nextChecked(0); index < rows; index = nextChecked(index + 1)) {
        const TrackRow& row = startRow(index);
        lastOutput = outputPath(m_request.outputFolder, row.name);
        if (!ripRow(index, lastOutput, 100)) return;
        if (m_cancel) break;
    }
    if (m_cancel) removeQuietly(lastOutput);  // the partial file of the current track
    endPass();
}

void RipJob::mp3Pass() {
    // The files of the track the user cancelled; an output file is only ours to delete when
    // this job created it.
    std::string partialTemp, partialOutput;
    const std::size_t rows = m_request.tracks->size();
    for (std::size_t index = nextChecked(0); index < rows; index = nextChecked(index + 1)) {
        const TrackRow& row = startRow(index);
        const std::string output = outputPath(m_request.outputFolder, row.name);
        const std::string temp = output + kTemporarySuffix;
        if (!ripRow(index, temp, 40)) return;
        if (m_cancel) {
            partialTemp = temp;
            break;
        }
        const Mp3EncodeResult encoded = encodeMp3(
            temp, output, m_settings, [this] { return m_cancel; },
            [this](int gauge) { afterStep(gauge); });
        switch (encoded.outcome) {
            case Mp3EncodeResult::Outcome::initFailed:
                m_observer.showError(encoded.message);
                setButton(RipButton::close);
                m_observer.closeWindow();
                end(RipOutcome::failed);
                return;
            case Mp3EncodeResult::Outcome::openFailed:
            case Mp3EncodeResult::Outcome::failed:
                fail(encoded.message);
                return;
            case Mp3EncodeResult::Outcome::done:
            case Mp3EncodeResult::Outcome::cancelled:
                break;
        }
        if (m_cancel) {
            partialTemp = temp;
            partialOutput = output;
            break;
        }
        removeQuietly(temp);
    }
    if (m_cancel) {
        removeQuietly(partialTemp);
        if (!partialOutput.empty()) removeQuietly(partialOutput);
        m_observer.closeWindow();
    }
    endPass();
}

void RipJob::oggPass() {
    const std::size_t index = nextChecked(0);
    if (index == m_request.tracks->size()) {
        end(m_outcome == RipOutcome::none ? RipOutcome::finished : m_outcome);
        return;
    }
    const TrackRow& row = startRow(index);
    const std::string output = outputPath(m_request.outputFolder, row.name);
    const std::string temp = output + kTemporarySuffix;
    if (!ripRow(index, temp, 40)) return;
    if (m_cancel) {
        removeQuietly(temp);
        finish();
        end(RipOutcome::cancelled);
        return;
    }
    m_vorbisOut.SetDelay(16 - 5 * m_settings.oggCpu);
    m_waveIn.SetFileName(temp);
    m_vorbisOut.SetFileName(output);
    m_vorbisOut.SetCompression(static_cast<float>(m_settings.oggCompression) / 100.0f);
    try {
        m_vorbisOut.Run();
    } catch (const std::exception& error) {
        removeQuietly(temp);
        fail(error.what());
        return;
    }
    m_convertingRow = index;
    m_convertingTemp = temp;
    m_convertingOutput = output;
}

void RipJob::vorbisProgress(int progress) {
    if (m_convertingRow) setGauge(40 + progress * 60 / 100);
}

void RipJob::vorbisDone() {
    if (!m_convertingRow) return;
    const std::size_t index = *m_convertingRow;
    m_convertingRow.reset();
    removeQuietly(m_convertingTemp);
    const std::string error = m_vorbisOut.lastError();
    if (m_cancel || !error.empty()) {
        removeQuietly(m_convertingOutput);
        if (!m_cancel) {
            fail(error);
            return;
        }
        finish();
        end(RipOutcome::cancelled);
        return;
    }
    // Only a finished file clears the row, so a cancelled or failed track stays to be done.
    m_request.tracks->row(index).checked = false;
    m_observer.rowUnchecked(index);
    finish();
    oggPass();
}

void RipJob::fail(const std::string& message) {
    m_observer.showError(message);
    setButton(RipButton::close);
    end(RipOutcome::failed);
}

void RipJob::finish() {
    setCaption(kRipFinishedCaption);
    setButton(RipButton::close);
}

void RipJob::end(RipOutcome outcome) {
    m_outcome = outcome;
    m_working = false;
}

void RipJob::setCaption(const std::string& caption) {
    m_caption = caption;
    m_observer.captionChanged(caption);
}

void RipJob::setGauge(int value) {
    m_gauge = value;
    m_observer.gaugeChanged(value);
}

void RipJob::setButton(RipButton button) {
    m_button = button;
    m_observer.buttonChanged(button);
}

void RipJob::afterStep(int gauge) {
    m_observer.processEvents();
    setGauge(gauge);
}
