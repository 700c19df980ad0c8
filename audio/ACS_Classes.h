// The stream component framework: sources deliver PCM bytes on request, sinks pull from
// one source on a worker thread of their own and write what they get.
//
// Threads. Three kinds of thread meet here; every call below belongs to one of them.
//  - The owner's thread (a window's UI thread, quillon-cli's main thread, a test) builds the
//    pipeline: it sets the properties of sources and sinks, links them (SetInput), asks a
//    source for its format, and calls Run, Stop, Pause, Resume, Busy, Progress and lastError
//    of a sink. It leaves a running pipeline's sources alone: while a sink is Busy its
//    worker owns the sources it pulls from (Jump and SetLoop excepted; they only leave a
//    request that the worker takes up at its next block).
//  - The sink's worker, one per sink for the sink's whole life, does the run: Init,
//    ReadData and Flush of the sources, Prepare's counterpart Finish, and the writing. It
//    raises OnProgress and OnDone. Those handlers therefore run on the worker: a window
//    hands its window work over to its own thread (app/windowthread), and a handler may
//    destroy the sink that raised it (the worker then ends without touching it again).
//  - The sound card's completion callback runs on a thread of the wave-audio service; it
//    only hands returned buffers to the worker of the sound-card sink or source through a
//    guarded queue (ACS_Audio.h).
// Flags read by one side and written by the other are std::atomic; the worker's suspension
// and wake-up go through one mutex and condition variable (TACSThread). An error on the
// worker ends the run: the sink is no longer Busy, OnDone is raised, lastError tells why.
#pragma once

#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

// The one error type of the audio components.
class EACSException : public std::runtime_error {
  public:
    explicit EACSException(const std::string& message) : std::runtime_error(message) {}
};

// Rounds to the nearest integer, halves to the even neighbour.
inline int64_t roundHalfEven(double value) {
    return static_cast<int64_t>(std::nearbyint(value));
}

// numerator / denominator rounded to the nearest integer, halves to even, exactly.
int64_t divideHalfEven(int64_t numerator, int64_t denominator);

// What every component has: an owner (not owned) and a name.
class TComponent {
  public:
    explicit TComponent(TComponent* owner = nullptr) : m_owner(owner) {}
    virtual ~TComponent() = default;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return m_owner; }
    const std::string& Name() const { return m_name; }
    void SetName(const std::string& name) { m_name = name; }

  private:
    TComponent* m_owner;
    std::string m_name;
};

// Abstract source. Positions and sizes are 64-bit so that long files (over 2 GiB of PCM)
// report correct sizes and progress; -1 still means "unknown".
class TACSInput : public TComponent {
  public:
    using TComponent::TComponent;

    virtual int InBitsPerSample() = 0;
    virtual int InChannels() = 0;
    virtual int InSampleRate() = 0;
    virtual int TotalTime() { return 0; }
    // Copies at most count bytes into buffer and returns how many; 0 means end of data.
    virtual int ReadData(void* buffer, int count) = 0;
    virtual void Init() = 0;
    virtual void Flush() = 0;

    // True when this source (or one it pulls from) reads the file at path, so that a sink
    // can refuse to overwrite its own input.
    virtual bool readsFile(const std::string& path) const;

    int64_t Position() const { return m_position.load(); }
    int64_t Size() const { return m_size.load(); }
    bool Busy() const { return m_busy.load(); }

  protected:
    // Copies from the source's internal block, refilling it through refill() when used up.
    // refill() returns the number of bytes it put into block (0 = end of data).
    template <typename Refill>
    int deliverFromBlock(const uint8_t* block, void* buffer, int count, Refill&& refill);
    void resetBlockCursor() {
        m_blockNext = 0;
        m_blockValid = 0;
    }

    std::atomic<int64_t> m_position{0};
    std::atomic<int64_t> m_size{0};
    std::atomic<bool> m_busy{false};
    int m_blockNext = 0;   // 0-based index of the next undelivered byte of the block
    int m_blockValid = 0;  // valid bytes in the block; used up when next >= valid
};

// Abstract source that reads a named file. Opening is reference-counted so that format
// queries during a run do not reopen the file.
class TACSFileIn : public TACSInput {
  public:
    using TACSInput::TACSInput;

    const std::string& FileName() const { return m_fileName; }
    void SetFileName(const std::string& name) { m_fileName = name; }
    bool Loop() const { return m_loop.load(); }
    void SetLoop(bool loop) { m_loop = loop; }
    // Records a jump by percent of the size; it takes effect at the next block refill.
    void Jump(int percent) { m_jumpRequest = percent; }
    // Whether the last real open found a file this source can decode.
    bool Valid() const { return m_valid; }

    int InBitsPerSample() override;
    int InChannels() override;
    int InSampleRate() override;
    int TotalTime() override;
    void Init() override;
    void Flush() override;
    bool readsFile(const std::string& path) const override;

    virtual void OpenFile() = 0;
    virtual void CloseFile() = 0;

  protected:
    // Answers one format field, opening the file for the question when it is not open.
    int queryField(const int& field);
    // Why the last real open rejected the file; raised by Init.
    void reject(const std::string& reason) {
        m_valid = false;
        m_rejectReason = reason;
    }

    std::string m_fileName;
    std::atomic<int> m_jumpRequest{0};
    int m_openCount = 0;
    bool m_valid = false;
    std::string m_rejectReason;
    int m_bitsPerSample = 0;
    int m_sampleRate = 0;
    int m_channels = 0;
    int m_totalSeconds = 0;
    std::atomic<bool> m_loop{false};
    // Guards the open count between the worker and a window asking for the format.
    std::recursive_mutex m_openLock;
};

class TACSOutput;
using TOutputDoneEvent = std::function<void(TACSOutput* sender)>;
using TOutputProgressEvent = std::function<void(TACSOutput* sender)>;

// The worker of one sink. It runs the sink's steps while a run is on and waits, without
// spinning, while the sink is idle or suspended.
class TACSThread {
  public:
    // chunkStep(abort) runs one step; endRun ends a run; hasWork tells whether a run is on
    // (the worker waits while it is not).
    TACSThread(std::function<bool(bool)> chunkStep, std::function<void()> endRun,
               std::function<bool()> hasWork);
    ~TACSThread();  // ends the loop (a run under way is abandoned) and joins

    std::atomic<bool> SuspendWhenIdle{true};
    std::atomic<bool> StopRequested{false};
    std::atomic<int> Delay{0};

    bool suspended() const;
    void suspend();
    void resume();
    // Starts a run: `start` marks the sink running, and the idle worker is told; see
    // TACSOutput::Run.
    void runStarted(const std::function<void()>& start);
    bool onWorker() const { return std::this_thread::get_id() == m_thread.get_id(); }
    // Ends the loop and waits for it; idempotent. Called on the worker itself (a sink
    // destroyed by its own done handler), it makes the loop's last step at once and leaves
    // the worker to end on its own without touching this object again.
    void shutdown();

  private:
    void body();
    void waitUntilRunnable();

    std::function<bool(bool)> m_chunkStep;
    std::function<void()> m_endRun;
    std::function<bool()> m_hasWork;
    mutable std::mutex m_lock;
    std::condition_variable m_wake;
    bool m_suspended = true;  // created suspended
    bool m_externalRunPending = false;
    std::atomic<bool> m_exitRequested{false};
    // Shared with the worker, which may outlive this object: false once it is destroyed.
    std::shared_ptr<std::atomic<bool>> m_alive = std::make_shared<std::atomic<bool>>(true);
    std::thread m_thread;
};

// Abstract sink. Concrete sinks must call shutdownWorker() first thing in their destructor,
// while their own parts still exist for the worker's last step.
class TACSOutput : public TComponent {
  public:
    explicit TACSOutput(TComponent* owner = nullptr);
    ~TACSOutput() override;

    TACSInput* Input() const { return m_input.load(); }
    void SetInput(TACSInput* input);
    bool SuspendWhenIdle() const { return m_thread.SuspendWhenIdle.load(); }
    void SetSuspendWhenIdle(bool value) { m_thread.SuspendWhenIdle = value; }
    void SetDelay(int milliseconds);
    int Delay() const { return m_thread.Delay.load(); }
    bool Busy() const { return m_busy.load(); }
    int LastProgress() const { return m_lastProgress.load(); }

    // Raised on the worker at the end of each run. The handler may destroy the sink.
    TOutputDoneEvent OnDone;
    TOutputProgressEvent OnProgress;

    void Run();
    void Stop() { m_thread.StopRequested = true; }
    void Pause();
    void Resume();
    // Whether the worker is suspended (by Pause, or by itself when idle).
    bool workerSuspended() const { return m_thread.suspended(); }
    int Progress() const;

    // The text of the error that ended the last run on the worker, empty when it ended
    // normally. Cleared by Run.
    std::string lastError() const;

  protected:
    virtual bool ProcessChunk(bool abort) = 0;
    virtual void Finish() = 0;
    virtual void Prepare() = 0;

    // Step 1 and 2 of every file sink's ProcessChunk: false when idle.
    bool isRunning() const { return m_canOutput.load(); }
    // Raises OnProgress when the percentage moved.
    void reportProgress();
    // Keeps an error of the worker for the caller; the first one of a run wins.
    void keepError(const std::string& text);
    // Refuses an output file that the input chain is reading.
    void checkNotOwnInput(const std::string& outputFile) const;
    // Initialises the source for Prepare; flushed again by Run if Prepare fails later.
    void initInput();
    void shutdownWorker() { m_thread.shutdown(); }

  private:
    void EndRun();
    bool step(bool abort);

    std::atomic<bool> m_canOutput{false};
    std::atomic<int> m_lastProgress{0};
    std::atomic<TACSInput*> m_input{nullptr};
    std::atomic<bool> m_busy{false};
    bool m_inputInitialised = false;
    std::atomic<bool> m_partsGone{false};  // set by the destructor: no more steps
    mutable std::mutex m_errorLock;
    std::string m_lastError;
    TACSThread m_thread;
};

template <typename Refill>
int TACSInput::deliverFromBlock(const uint8_t* block, void* buffer, int count, Refill&& refill) {
    if (!m_busy) throw EACSException("The Stream is not opened");
    if (m_blockNext >= m_blockValid) {
        const int filled = refill();
        m_blockNext = 0;
        m_blockValid = filled;
        if (filled <= 0) return 0;
    }
    const int n = std::min(count, m_blockValid - m_blockNext);
    if (n <= 0) return 0;
    std::copy(block + m_blockNext, block + m_blockNext + n, static_cast<uint8_t*>(buffer));
    m_blockNext += n;
    m_position += n;
    return n;
}
