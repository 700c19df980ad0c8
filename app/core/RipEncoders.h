// The encoders of a rip that reads and encodes at once: the drive reads one track after
// another into temporary WAV files, and a pool of worker threads encodes them into MP3, Ogg
// Vorbis, FLAC or Opus files, each as the one-at-a-time rip would, so the files are the same
// whatever the number of workers.
//
// A ripped track waits for its encoder on disk, in the temporary file the reading made beside
// its output, not in memory: the reading of a CD is usually faster than encoding, and a
// 74-minute disc's worth of waiting audio (780 MB) belongs on the disk that is about to hold
// the files anyway. In memory are only each encoder's own buffers.
//
// Threads: the owner (the rip job) calls every member. The workers only encode, keep each
// task's state under a lock, and wake the owner's waitForChange().
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "RipSettings.h"
#include "TrackList.h"
#include "TrackTags.h"

class TACSOutput;

// A ripped track to encode.
struct RipEncodeTask {
    std::string temp;    // the track as read, a CD-audio WAV file; removed once encoded
    std::string output;  // the file to make
    TrackTags tags;
};

struct RipEncodeStatus {
    enum class State { waiting, encoding, done, failed, cancelled };
    State state = State::waiting;
    int percent = 0;  // of the encoding, 0 to 100
    std::string error;

    static bool isEnd(State state) { return state != State::waiting && state != State::encoding; }
    bool ended() const { return isEnd(state); }
};

// The sink of an Ogg Vorbis, FLAC or Opus rip, set up for one track; every rip encodes a track
// this way.
std::unique_ptr<TACSOutput> makeRipSink(OutputFormat format, const RipSettings& settings,
                                        const std::string& output, const TrackTags& tags);
// Sets up an existing sink of the format's type the same way.
void setUpRipSink(TACSOutput& sink, OutputFormat format, const RipSettings& settings,
                  const std::string& output, const TrackTags& tags);

class RipEncoders {
  public:
    // `jobs` workers (at least one) for files of `format` (not WAV).
    RipEncoders(OutputFormat format, const RipSettings& settings, int jobs);
    // Cancels what is left and waits for the workers.
    ~RipEncoders();
    RipEncoders(const RipEncoders&) = delete;
    RipEncoders& operator=(const RipEncoders&) = delete;

    // Queues a track; its index in statuses().
    std::size_t add(RipEncodeTask task);
    // No more tracks come; the workers end once the queue is empty.
    void close();
    // Stops the encodings under way and drops the waiting tracks: their temporary files and
    // unfinished outputs go, finished outputs stay.
    void cancel();

    std::vector<RipEncodeStatus> statuses() const;
    // Every queued track has ended (done, failed or cancelled).
    bool allEnded() const;
    // Waits until a task moved on, at most `timeout`.
    void waitForChange(std::chrono::milliseconds timeout);

  private:
    void work();
    void encode(std::size_t index, const RipEncodeTask& task);
    RipEncodeStatus::State encodeMp3Task(std::size_t index, const RipEncodeTask& task,
                                         std::string& error);
    RipEncodeStatus::State encodeSinkTask(std::size_t index, const RipEncodeTask& task,
                                          std::string& error);
    void setStatus(std::size_t index, RipEncodeStatus::State state, int percent,
                   const std::string& error = {});

    const OutputFormat m_format;
    const RipSettings m_settings;

    mutable std::mutex m_lock;          // guards everything below but the atomics
    std::condition_variable m_work;     // a task was queued, or the queue closed
    std::condition_variable m_changed;  // a task moved on
    std::vector<RipEncodeTask> m_tasks;
    std::vector<RipEncodeStatus> m_status;
    std::vector<TACSOutput*> m_active;  // each task's sink while it encodes
    std::size_t m_next = 0;
    std::size_t m_ended = 0;
    std::uint64_t m_changes = 0;
    bool m_closed = false;
    std::atomic<bool> m_cancel{false};
    std::vector<std::thread> m_workers;
};
