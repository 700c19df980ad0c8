#include "RipUnit.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>

#include "AccurateRipClient.h"
#include "CdSectorReader.h"
#include "CoverFile.h"
#include "DiscIds.h"
#include "MetadataSettings.h"
#include "Mp3Encode.h"
#include "OpenDiscs.h"
#include "QuietRemove.h"
#include "RipFiles.h"
#include "RipUtility.h"
#include "SafeFileName.h"
#include "TrackRip.h"

namespace {

namespace accuraterip = quillon::accuraterip;
namespace secureread = quillon::secureread;

// The row's name without the extension of its format, in whatever case a format switch left it.
std::string titleOf(const std::string& name, OutputFormat format) {
    const std::string_view extension = formatExtension(format);
    if (name.size() <= extension.size()) return name;
    const std::size_t at = name.size() - extension.size();
    for (std::size_t i = 0; i < extension.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(name[at + i])) != extension[i]) return name;
    return name.substr(0, at);
}

TrackRipReport::Outcome reportOutcome(TrackRipResult::Outcome outcome) {
    switch (outcome) {
        case TrackRipResult::Outcome::done:
            return TrackRipReport::Outcome::done;
        case TrackRipResult::Outcome::cancelled:
            return TrackRipReport::Outcome::cancelled;
        case TrackRipResult::Outcome::createFailed:
        case TrackRipResult::Outcome::writeFailed:
        case TrackRipResult::Outcome::readFailed:
            break;
    }
    return TrackRipReport::Outcome::failed;
}

}  // namespace

std::string processingCaption(const TrackRow& row) {
    return "Processing:" + row.caption + " (" + row.name + ")";
}

RipJob::RipJob(RipObserver& observer, Post post) : m_observer(observer), m_post(std::move(post)) {
    m_waveIn.SetLoop(false);
    // These run on the sink's worker: they only hand the report over.
    const std::weak_ptr<char> alive = m_alive;
    const Post handOver = m_post;
    for (TACSOutput* sink :
         {static_cast<TACSOutput*>(&m_vorbisOut), static_cast<TACSOutput*>(&m_flacOut),
          static_cast<TACSOutput*>(&m_opusOut)}) {
        sink->SetInput(&m_waveIn);
        sink->SetSuspendWhenIdle(false);
        sink->OnProgress = [this, alive, handOver](TACSOutput* sender) {
            const int progress = sender->LastProgress();
            handOver([this, alive, progress] {
                if (alive.lock()) sinkProgress(progress);
            });
        };
        sink->OnDone = [this, alive, handOver](TACSOutput*) {
            handOver([this, alive] {
                if (alive.lock()) sinkDone();
            });
        };
    }
}

RipJob::~RipJob() {
    m_alive.reset();
    if (m_convertingRow && m_sink) m_sink->Stop();
    // The encoders of a rip with several go with the job; whatever is unfinished is dropped.
    m_encoders.reset();
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
    prepareReading();
    if (m_request.format != OutputFormat::wav) {
        if (const int jobs = encoderCount(); jobs > 1) {
            parallelPass(jobs);
            return;
        }
    }
    switch (m_request.format) {
        case OutputFormat::wav:
            wavPass();
            break;
        case OutputFormat::mp3:
            mp3Pass();
            break;
        case OutputFormat::ogg:
        case OutputFormat::flac:
        case OutputFormat::opus:
            sinkPass();
            break;
    }
}

void RipJob::buttonClicked() {
    if (m_button != RipButton::close) {
        m_cancel = m_observer.confirmCancel();
        if (m_cancel && m_convertingRow && m_sink) m_sink->Stop();
        if (m_cancel && m_encoders) m_encoders->cancel();
        return;
    }
    m_observer.closeWindow();
    if (m_settings.openFolder) m_observer.openFolder(m_request.outputFolder);
}

bool RipJob::ripRow(std::size_t index, const std::string& path, const std::string& output,
                    int gaugeSpan) {
    const TrackRow& row = m_request.tracks->row(index);
    const CdToc& toc = *m_request.toc;
    const bool onDisc = index < static_cast<std::size_t>(tocTrackCount(toc));

    TrackRipReport track;
    track.number = onDisc ? toc.entries[index].trackNumber : static_cast<int>(index) + 1;
    track.title = titleOf(row.name, m_request.format);
    // Relative to the output folder: a name template may put the files in folders of their own.
    track.file = std::filesystem::path(output)
                     .lexically_relative(std::filesystem::path(m_request.outputFolder))
                     .generic_string();
    if (m_request.names && index < m_request.names->tracks.size())
        track.artist = m_request.names->tracks[index].artist;
    track.firstSector = onDisc ? tocAddress(toc, static_cast<int>(index)) : 0;
    track.sectorCount = static_cast<std::uint32_t>(std::max<std::int32_t>(row.frames, 0));
    track.secure = m_reading.mode == RipReadMode::secure;

    TrackRipRequest request;
    request.reader = m_reader;
    request.options.mode = track.secure ? secureread::ReadMode::secure : secureread::ReadMode::fast;
    request.options.retries = m_reading.retries;
    request.offset = m_reading.offset;
    request.leadOutSector = m_leadOut;
    int slot = -1;
    if (m_layout) {
        if (const auto place = accuraterip::trackPlace(*m_layout, track.number))
            request.place = *place;
        if (const auto entry = accuraterip::entrySlot(*m_layout, track.number)) slot = *entry;
    }
    request.startFrame = track.firstSector;
    request.frames = row.frames;
    request.caption = row.caption;

    if (m_shownRereads != 0 || m_shownUnsettled != 0) {
        m_shownRereads = 0;
        m_shownUnsettled = 0;
        m_observer.readingChanged(0, {});
    }
    TrackRipCallbacks callbacks;
    callbacks.cancelled = [this] { return m_cancel; };
    callbacks.afterRead = [this](int gauge) { afterStep(gauge); };
    callbacks.readingChanged = [this](std::uint32_t rereads,
                                      const std::vector<std::string>& unsettled) {
        m_shownRereads = rereads;
        m_shownUnsettled = unsettled.size();
        m_observer.readingChanged(rereads, unsettled);
    };

    TrackRipResult result;
    if (m_report.testPass) {
        // The test pass reads the track as the copy will, writing nothing, so that the two
        // CRCs can be compared.
        request.gaugeTo = gaugeSpan / 2;
        result = ripTrack(request, callbacks);
        if (result.outcome == TrackRipResult::Outcome::done) track.testCrc32 = result.sums.crc32;
        request.gaugeFrom = gaugeSpan / 2;
        if (m_cancel && result.outcome == TrackRipResult::Outcome::done)
            result.outcome = TrackRipResult::Outcome::cancelled;
    }
    m_fileCreated = false;
    if (!m_report.testPass || result.outcome == TrackRipResult::Outcome::done) {
        request.path = path;
        request.gaugeTo = gaugeSpan;
        result = ripTrack(request, callbacks);
        m_fileCreated = result.outcome != TrackRipResult::Outcome::createFailed;
    }

    track.outcome = reportOutcome(result.outcome);
    track.error = result.message;
    track.peak = result.peak;
    track.crc32 = result.sums.crc32;
    track.accurateRipV1 = result.sums.v1;
    track.accurateRipV2 = result.sums.v2;
    track.rereadSectors = result.reading.reading.rereadSectors;
    track.jitteredReads = result.reading.reading.jitteredReads;
    for (const auto& position : result.reading.unsettled)
        track.unsettledPositions.push_back(position.position());
    m_report.tracks.push_back(std::move(track));
    m_slots.push_back(slot);

    switch (result.outcome) {
        case TrackRipResult::Outcome::done:
        case TrackRipResult::Outcome::cancelled:
            return true;
        case TrackRipResult::Outcome::createFailed:
        case TrackRipResult::Outcome::writeFailed:
        case TrackRipResult::Outcome::readFailed:
            break;
    }
    m_readError = result.message;
    return false;
}

void RipJob::markLastTrack(TrackRipReport::Outcome outcome, const std::string& error) {
    if (!m_report.tracks.empty()) markTrack(m_report.tracks.size() - 1, outcome, error);
}

void RipJob::markTrack(std::size_t report, TrackRipReport::Outcome outcome,
                       const std::string& error) {
    if (report >= m_report.tracks.size()) return;
    TrackRipReport& track = m_report.tracks[report];
    if (track.outcome == TrackRipReport::Outcome::failed) return;
    track.outcome = outcome;
    if (!error.empty()) track.error = error;
}

void RipJob::prepareReading() {
    const std::string& drive = m_request.drive;
    m_reading = readReadingSettings(*m_request.settings, drive);
    if (m_request.mode) m_reading.mode = *m_request.mode;
    if (m_request.offset) m_reading.offset = *m_request.offset;
    if (m_request.test) m_reading.test = *m_request.test;

    m_report = {};
    m_slots.clear();
    m_report.programVersion = QUILLON_VERSION;
    m_report.drive = drive;
    m_report.mode = m_reading.mode;
    m_report.offset = m_reading.offset;
    m_report.testPass = m_reading.mode == RipReadMode::secure && m_reading.test;
    if (m_request.names) {
        m_report.artist = m_request.names->artist;
        m_report.album = m_request.names->album;
    }

    const int tracks = tocTrackCount(*m_request.toc);
    m_leadOut = tracks > 0 ? tocAddress(*m_request.toc, tracks) : 0;
    m_driveReader.reset();
    m_reader = m_request.reader;
    if (!m_reader) {
        m_driveReader = std::make_unique<secureread::CdSectorReader>(m_request.handle, m_leadOut);
        m_reader = m_driveReader.get();
    }
    m_layout = quillon::cdrom::openDiscLayout(m_request.handle);
    if (m_layout && !m_layout->valid()) m_layout.reset();
    m_lookup = {};
    if (const auto ids = m_layout ? accuraterip::discIds(*m_layout) : std::nullopt) {
        m_report.discIds = accuraterip::discIdsText(*ids);
        // The answer takes a moment or, offline, a timeout; the tracks are read meanwhile.
        m_lookup = std::async(std::launch::async, accuraterip::fetchAccurateRip,
                              m_reading.accurateRipServer, *ids);
    }
}

void RipJob::reportRip() {
    accuraterip::Lookup lookup;
    if (m_lookup.valid()) {
        // The window stays live while a slow server is waited for; the lookup's own timeouts
        // bound the wait.
        while (m_lookup.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready)
            m_observer.processEvents();
        lookup = m_lookup.get();
    }
    m_report.lookup = lookup.outcome;
    for (std::size_t i = 0; i < m_report.tracks.size(); ++i) {
        TrackRipReport& track = m_report.tracks[i];
        accuraterip::TrackChecksums sums;
        sums.crc32 = track.crc32;
        sums.v1 = track.accurateRipV1;
        sums.v2 = track.accurateRipV2;
        track.verdict = accuraterip::judgeTrack(lookup, m_slots[i], sums);
    }
    writeBesideFiles();
    m_observer.ripReported(m_report);
}

void RipJob::writeBesideFiles() {
    const bool anyFile = std::any_of(
        m_report.tracks.begin(), m_report.tracks.end(),
        [](const TrackRipReport& track) { return track.outcome == TrackRipReport::Outcome::done; });
    if (!anyFile) return;
    // The log and the cue sheet go beside the files: into the album's folder when the name
    // template put every file in the same one, with the cue sheet's file names relative to it.
    std::filesystem::path common;
    bool first = true;
    for (const TrackRipReport& track : m_report.tracks) {
        if (track.outcome != TrackRipReport::Outcome::done) continue;
        const std::filesystem::path parent = std::filesystem::path(track.file).parent_path();
        if (first)
            common = parent;
        else if (parent != common)
            common.clear();
        first = false;
    }
    RipReport beside = m_report;
    if (!common.empty())
        for (TrackRipReport& track : beside.tracks)
            track.file =
                std::filesystem::path(track.file).lexically_relative(common).generic_string();
    const std::string error =
        writeRipFiles((std::filesystem::path(m_request.outputFolder) / common).string(), beside);
    // The audio files are what counts; a log that cannot be written is only said.
    if (!error.empty()) m_observer.showError(error);
    // A cover that cannot be saved is no reason to trouble the user: the files carry it.
    if (m_request.names && m_request.names->cover)
        saveCover(m_request.names->cover.get(),
                  (std::filesystem::path(m_request.outputFolder) / common).string(),
                  readMaxCoverBytes(*m_request.settings));
}

TrackTags RipJob::trackTags(std::size_t index) const {
    // Without names from a source the files stay untagged, as they always were: a tag saying
    // only "Track-01" would tell a player nothing.
    if (!m_request.names || m_request.names->source == DiscMetadata::Source::none) return {};
    const CdToc& toc = *m_request.toc;
    const int tracks = tocTrackCount(toc);
    const int number = index < static_cast<std::size_t>(tracks) ? toc.entries[index].trackNumber
                                                                : static_cast<int>(index) + 1;
    return tagsForTrack(*m_request.names, index, number, tracks);
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
        if (!ripRow(index, lastOutput, lastOutput, 100)) return fail(m_readError);
        if (m_cancel) break;
    }
    if (m_cancel) {
        markLastTrack(TrackRipReport::Outcome::cancelled);
        // The partial file of the current track, unless the cancel came before it was begun.
        if (m_fileCreated) removeQuietly(lastOutput);
    }
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
        const std::string temp = output + kRipTemporarySuffix;
        if (!ripRow(index, temp, output, 40)) return fail(m_readError);
        if (m_cancel) {
            markLastTrack(TrackRipReport::Outcome::cancelled);
            if (m_fileCreated) partialTemp = temp;
            break;
        }
        const Mp3EncodeResult encoded = encodeMp3(
            temp, output, m_settings, [this] { return m_cancel; },
            [this](int gauge) { afterStep(gauge); }, trackTags(index));
        switch (encoded.outcome) {
            case Mp3EncodeResult::Outcome::initFailed:
                markLastTrack(TrackRipReport::Outcome::failed, encoded.message);
                m_observer.showError(encoded.message);
                setButton(RipButton::close);
                m_observer.closeWindow();
                end(RipOutcome::failed);
                return;
            case Mp3EncodeResult::Outcome::openFailed:
            case Mp3EncodeResult::Outcome::failed:
                markLastTrack(TrackRipReport::Outcome::failed, encoded.message);
                fail(encoded.message);
                return;
            case Mp3EncodeResult::Outcome::done:
            case Mp3EncodeResult::Outcome::cancelled:
                break;
        }
        if (m_cancel) {
            markLastTrack(TrackRipReport::Outcome::cancelled);
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

TACSOutput& RipJob::prepareSink(const std::string& output, std::size_t index) {
    TACSOutput& sink = m_request.format == OutputFormat::flac ? static_cast<TACSOutput&>(m_flacOut)
                       : m_request.format == OutputFormat::opus
                           ? static_cast<TACSOutput&>(m_opusOut)
                           : static_cast<TACSOutput&>(m_vorbisOut);
    setUpRipSink(sink, m_request.format, m_settings, output, trackTags(index));
    return sink;
}

void RipJob::sinkPass() {
    const std::size_t index = nextChecked(0);
    if (index == m_request.tracks->size()) {
        end(m_outcome == RipOutcome::none ? RipOutcome::finished : m_outcome);
        return;
    }
    const TrackRow& row = startRow(index);
    const std::string output = outputPath(m_request.outputFolder, row.name);
    const std::string temp = output + kRipTemporarySuffix;
    if (!ripRow(index, temp, output, 40)) return fail(m_readError);
    if (m_cancel) {
        markLastTrack(TrackRipReport::Outcome::cancelled);
        if (m_fileCreated) removeQuietly(temp);
        finish();
        end(RipOutcome::cancelled);
        return;
    }
    m_waveIn.SetFileName(temp);
    TACSOutput& sink = prepareSink(output, index);
    // A sink that fails to start may have made its file already; an older file of the name
    // that it never reached is not ours to delete.
    std::error_code ignored;
    const bool existed = std::filesystem::exists(output, ignored);
    try {
        sink.Run();
    } catch (const std::exception& error) {
        removeQuietly(temp);
        if (!existed) removeQuietly(output);
        markLastTrack(TrackRipReport::Outcome::failed, error.what());
        fail(error.what());
        return;
    }
    m_sink = &sink;
    m_convertingRow = index;
    m_convertingTemp = temp;
    m_convertingOutput = output;
}

void RipJob::sinkProgress(int progress) {
    if (m_convertingRow) setGauge(40 + progress * 60 / 100);
}

void RipJob::sinkDone() {
    if (!m_convertingRow) return;
    const std::size_t index = *m_convertingRow;
    m_convertingRow.reset();
    removeQuietly(m_convertingTemp);
    const std::string error = m_sink ? m_sink->lastError() : std::string();
    if (m_cancel || !error.empty()) {
        removeQuietly(m_convertingOutput);
        if (!m_cancel) {
            markLastTrack(TrackRipReport::Outcome::failed, error);
            fail(error);
            return;
        }
        markLastTrack(TrackRipReport::Outcome::cancelled);
        finish();
        end(RipOutcome::cancelled);
        return;
    }
    // Only a finished file clears the row, so a cancelled or failed track stays to be done.
    m_request.tracks->row(index).checked = false;
    m_observer.rowUnchecked(index);
    finish();
    sinkPass();
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
    reportRip();
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
    if (m_encoders) followEncoders();
}
