#include "RipEncoders.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "ACS_FLAC.h"
#include "ACS_Opus.h"
#include "ACS_Vorbis.h"
#include "ACS_Wave.h"
#include "Mp3Encode.h"
#include "QuietRemove.h"
#include "SinkDone.h"

namespace {

bool fileExists(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::exists(path, ignored);
}

}  // namespace

void setUpRipSink(TACSOutput& sink, OutputFormat format, const RipSettings& settings,
                  const std::string& output, const TrackTags& tags) {
    switch (format) {
        case OutputFormat::flac: {
            // Verification is always on in the sink: the decoded samples must be the disc's.
            auto& flac = static_cast<TFlacOut&>(sink);
            flac.SetFileName(output);
            flac.SetCompressionLevel(settings.flacLevel);
            flac.SetTags(tags);
            return;
        }
        case OutputFormat::opus: {
            auto& opus = static_cast<TOpusOut&>(sink);
            opus.SetFileName(output);
            opus.SetBitrate(settings.opusBitrate);
            opus.SetTags(tags);
            opus.SetSerial(0);
            return;
        }
        case OutputFormat::wav:
        case OutputFormat::mp3:
        case OutputFormat::ogg:
            break;
    }
    auto& vorbis = static_cast<TVorbisOut&>(sink);
    vorbis.SetDelay(16 - 5 * settings.oggCpu);
    vorbis.SetFileName(output);
    vorbis.SetCompression(static_cast<float>(settings.oggCompression) / 100.0f);
    vorbis.SetTags(tags);
    // A fixed serial number: the same track gives the same file on every rip.
    vorbis.SetSerial(0);
}

std::unique_ptr<TACSOutput> makeRipSink(OutputFormat format, const RipSettings& settings,
                                        const std::string& output, const TrackTags& tags) {
    std::unique_ptr<TACSOutput> sink;
    if (format == OutputFormat::flac)
        sink = std::make_unique<TFlacOut>();
    else if (format == OutputFormat::opus)
        sink = std::make_unique<TOpusOut>();
    else
        sink = std::make_unique<TVorbisOut>();
    setUpRipSink(*sink, format, settings, output, tags);
    return sink;
}

RipEncoders::RipEncoders(OutputFormat format, const RipSettings& settings, int jobs)
    : m_format(format), m_settings(settings) {
    for (int i = 0; i < std::max(jobs, 1); ++i)
        m_workers.emplace_back([this] { work(); });
}

RipEncoders::~RipEncoders() {
    cancel();
    close();
    for (std::thread& worker : m_workers)
        worker.join();
}

std::size_t RipEncoders::add(RipEncodeTask task) {
    std::lock_guard lock(m_lock);
    m_tasks.push_back(std::move(task));
    m_status.emplace_back();
    m_active.push_back(nullptr);
    m_work.notify_one();
    return m_tasks.size() - 1;
}

void RipEncoders::close() {
    std::lock_guard lock(m_lock);
    m_closed = true;
    m_work.notify_all();
}

void RipEncoders::cancel() {
    m_cancel = true;
    std::lock_guard lock(m_lock);
    for (TACSOutput* sink : m_active)
        if (sink) sink->Stop();
    m_work.notify_all();
}

std::vector<RipEncodeStatus> RipEncoders::statuses() const {
    std::lock_guard lock(m_lock);
    return m_status;
}

bool RipEncoders::allEnded() const {
    std::lock_guard lock(m_lock);
    return m_ended == m_status.size();
}

void RipEncoders::waitForChange(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_lock);
    const std::uint64_t seen = m_changes;
    m_changed.wait_for(lock, timeout,
                       [&] { return m_changes != seen || m_ended == m_status.size(); });
}

void RipEncoders::setStatus(std::size_t index, RipEncodeStatus::State state, int percent,
                            const std::string& error) {
    std::lock_guard lock(m_lock);
    RipEncodeStatus& status = m_status[index];
    if (status.state == state && status.percent == percent) return;
    const bool ending = !status.ended() && RipEncodeStatus::isEnd(state);
    status = {state, std::clamp(percent, 0, 100), error};
    if (ending) ++m_ended;
    ++m_changes;
    m_changed.notify_all();
}

void RipEncoders::work() {
    for (;;) {
        std::size_t index = 0;
        RipEncodeTask task;
        {
            std::unique_lock lock(m_lock);
            m_work.wait(lock, [this] { return m_next < m_tasks.size() || m_closed; });
            if (m_next == m_tasks.size()) return;
            index = m_next++;
            task = m_tasks[index];
        }
        encode(index, task);
    }
}

void RipEncoders::encode(std::size_t index, const RipEncodeTask& task) {
    using State = RipEncodeStatus::State;
    if (m_cancel) {
        removeQuietly(task.temp);
        setStatus(index, State::cancelled, 0);
        return;
    }
    setStatus(index, State::encoding, 0);
    std::string error;
    const State state = m_format == OutputFormat::mp3 ? encodeMp3Task(index, task, error)
                                                      : encodeSinkTask(index, task, error);
    removeQuietly(task.temp);
    setStatus(index, state, state == State::done ? 100 : 0, error);
}

RipEncodeStatus::State RipEncoders::encodeMp3Task(std::size_t index, const RipEncodeTask& task,
                                                  std::string& error) {
    using State = RipEncodeStatus::State;
    const Mp3EncodeResult encoded = encodeMp3(
        task.temp, task.output, m_settings, [this] { return m_cancel.load(); },
        [this, index](int gauge) { setStatus(index, State::encoding, (gauge - 40) * 100 / 60); },
        task.tags);
    using Outcome = Mp3EncodeResult::Outcome;
    if (encoded.outcome == Outcome::done) return State::done;
    // An output this encoder made and could not finish is no file to keep.
    if (encoded.outputCreated) removeQuietly(task.output);
    if (encoded.outcome == Outcome::cancelled) return State::cancelled;
    error = encoded.message;
    return State::failed;
}

RipEncodeStatus::State RipEncoders::encodeSinkTask(std::size_t index, const RipEncodeTask& task,
                                                   std::string& error) {
    using State = RipEncodeStatus::State;
    // Declared in this order so that the sink, which reads from the source and signals the
    // done signal from its worker, goes first.
    TWaveIn source;
    source.SetLoop(false);
    source.SetFileName(task.temp);
    SinkDone done;
    std::unique_ptr<TACSOutput> sink = makeRipSink(m_format, m_settings, task.output, task.tags);
    done.attach(*sink);
    sink->OnProgress = [this, index](TACSOutput* sender) {
        setStatus(index, State::encoding, sender->LastProgress());
    };
    sink->SetInput(&source);
    {
        std::lock_guard lock(m_lock);
        m_active[index] = sink.get();
    }
    // A sink that fails to start may have made its file already; an older file of the name
    // that it never reached is not ours to delete.
    const bool existed = fileExists(task.output);
    bool started = true;
    try {
        sink->Run();
        // A stop that came after the sink was listed but before its run began was cleared
        // by the start; repeat it.
        if (m_cancel) sink->Stop();
        done.wait();
        error = sink->lastError();
    } catch (const std::exception& failure) {
        started = false;
        error = failure.what();
    }
    {
        std::lock_guard lock(m_lock);
        m_active[index] = nullptr;
    }
    // The sink's worker ends and its file closes before the file is touched.
    sink.reset();
    if (!started) {
        if (!existed) removeQuietly(task.output);
        return State::failed;
    }
    if (m_cancel || !error.empty()) removeQuietly(task.output);
    if (m_cancel) return State::cancelled;
    return error.empty() ? State::done : State::failed;
}
