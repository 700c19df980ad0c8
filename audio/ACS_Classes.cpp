#include "ACS_Classes.h"

#include <chrono>
#include <filesystem>

int64_t divideHalfEven(int64_t numerator, int64_t denominator) {
    if (denominator < 0) {
        numerator = -numerator;
        denominator = -denominator;
    }
    int64_t quotient = numerator / denominator;
    int64_t remainder = numerator % denominator;
    if (remainder < 0) {  // floor division, remainder in [0, denominator)
        remainder += denominator;
        --quotient;
    }
    const int64_t twice = 2 * remainder;
    if (twice > denominator || (twice == denominator && (quotient & 1) != 0)) ++quotient;
    return quotient;
}

bool TACSInput::readsFile(const std::string&) const {
    return false;
}

// ---- TACSFileIn ----------------------------------------------------------------------

int TACSFileIn::queryField(const int& field) {
    std::lock_guard lock(m_openLock);
    OpenFile();
    const int value = field;
    CloseFile();
    return value;
}

int TACSFileIn::InBitsPerSample() {
    return queryField(m_bitsPerSample);
}
int TACSFileIn::InChannels() {
    return queryField(m_channels);
}
int TACSFileIn::InSampleRate() {
    return queryField(m_sampleRate);
}

int TACSFileIn::TotalTime() {
    std::lock_guard lock(m_openLock);
    OpenFile();
    int seconds = 0;
    const int64_t bytesPerSecond = int64_t{m_sampleRate} * m_channels * (m_bitsPerSample / 8);
    if (m_sampleRate != 0 && m_channels != 0 && m_bitsPerSample != 0 && bytesPerSecond > 0)
        seconds = static_cast<int>(divideHalfEven(std::max<int64_t>(Size(), 0), bytesPerSecond));
    CloseFile();
    return seconds;
}

void TACSFileIn::Init() {
    if (m_fileName.empty()) throw EACSException("The file name is not assigned");
    if (m_busy) throw EACSException("The component is buisy");
    std::lock_guard lock(m_openLock);
    m_position = 0;
    resetBlockCursor();
    OpenFile();
    if (!m_valid) {
        // Reading a file we cannot decode would only yield noise or nothing; say why.
        throw EACSException(m_rejectReason.empty()
                                ? "The file \"" + m_fileName + "\" cannot be read"
                                : m_rejectReason);
    }
    m_busy = true;
}

void TACSFileIn::Flush() {
    std::lock_guard lock(m_openLock);
    CloseFile();
    m_busy = false;
}

bool TACSFileIn::readsFile(const std::string& path) const {
    if (m_fileName.empty() || path.empty()) return false;
    std::error_code error;
    if (std::filesystem::equivalent(m_fileName, path, error)) return true;
    // Not created yet or not comparable: compare the spelled paths.
    return std::filesystem::weakly_canonical(m_fileName, error) ==
           std::filesystem::weakly_canonical(path, error);
}

// ---- TACSThread ----------------------------------------------------------------------

TACSThread::TACSThread(std::function<bool(bool)> chunkStep, std::function<void()> endRun,
                       std::function<bool()> hasWork)
    : m_chunkStep(std::move(chunkStep)),
      m_endRun(std::move(endRun)),
      m_hasWork(std::move(hasWork)) {
    m_thread = std::thread([this] { body(); });
}

TACSThread::~TACSThread() {
    shutdown();
}

bool TACSThread::suspended() const {
    std::lock_guard lock(m_lock);
    return m_suspended;
}

void TACSThread::suspend() {
    std::lock_guard lock(m_lock);
    m_suspended = true;
}

// The wake-ups below are given while the lock is held: once the worker gets going, a done
// handler may destroy the sink, and this object with it, so nothing here may touch it after
// the lock is let go.

void TACSThread::resume() {
    std::lock_guard lock(m_lock);
    m_suspended = false;
    m_wake.notify_all();
}

void TACSThread::runStarted(const std::function<void()>& start) {
    std::lock_guard lock(m_lock);
    start();
    if (m_suspended) {
        m_suspended = false;
    } else if (!onWorker()) {
        // The worker may be between the end of the last run and suspending itself;
        // it must not sleep through this run.
        m_externalRunPending = true;
    }
    m_wake.notify_all();
}

void TACSThread::shutdown() {
    if (!m_thread.joinable()) return;
    {
        std::lock_guard lock(m_lock);
        m_suspended = false;
        m_exitRequested = true;
    }
    m_wake.notify_all();
    if (onWorker()) {
        // Destroyed from its own done handler: the sink's parts are still there for the
        // last step, but nothing is once the handler returns.
        m_chunkStep(true);
        *m_alive = false;
        m_thread.detach();
    } else {
        m_thread.join();
    }
}

void TACSThread::waitUntilRunnable() {
    std::unique_lock lock(m_lock);
    m_wake.wait(lock, [this] { return m_exitRequested || (!m_suspended && m_hasWork()); });
}

void TACSThread::body() {
    const std::shared_ptr<std::atomic<bool>> alive = m_alive;
    while (!m_exitRequested) {
        waitUntilRunnable();
        if (m_exitRequested) break;
        const int delay = Delay;
        if (delay > 5) std::this_thread::sleep_for(std::chrono::milliseconds(delay));
        if (m_chunkStep(StopRequested)) continue;
        {
            std::lock_guard lock(m_lock);
            m_externalRunPending = false;
        }
        StopRequested = false;
        m_endRun();
        if (!*alive) return;  // the done handler destroyed the sink, and this with it
        if (SuspendWhenIdle) {
            std::lock_guard lock(m_lock);
            if (m_externalRunPending)
                m_externalRunPending = false;
            else
                m_suspended = true;
        }
    }
    m_chunkStep(true);
}

// ---- TACSOutput ----------------------------------------------------------------------

TACSOutput::TACSOutput(TComponent* owner)
    : TComponent(owner),
      m_thread([this](bool abort) { return step(abort); }, [this] { EndRun(); },
               [this] { return m_canOutput.load(); }) {}

TACSOutput::~TACSOutput() {
    // A sink whose own destructor did not stop the worker (its constructor threw) has no
    // ProcessChunk left to call.
    m_partsGone = true;
    shutdownWorker();
}

void TACSOutput::SetInput(TACSInput* input) {
    if (m_busy) throw EACSException("Component is buisy");
    m_input = input;
}

void TACSOutput::SetDelay(int milliseconds) {
    if (milliseconds > 100) return;
    m_thread.Delay = milliseconds;
}

void TACSOutput::Pause() {
    if (!m_thread.suspended()) m_thread.suspend();
}

void TACSOutput::Resume() {
    if (m_thread.suspended()) m_thread.resume();
}

int TACSOutput::Progress() const {
    const TACSInput* input = m_input.load();
    if (!input) return 0;
    const int64_t size = input->Size();
    if (size == -1) return -1;
    if (size <= 0) return 0;
    const int64_t position = input->Position();
    // position * 100 cannot overflow for any size a file can have.
    const int64_t percent = divideHalfEven(position * 100, size);
    return static_cast<int>(std::clamp<int64_t>(percent, 0, 100));
}

std::string TACSOutput::lastError() const {
    std::lock_guard lock(m_errorLock);
    return m_lastError;
}

void TACSOutput::keepError(const std::string& text) {
    std::lock_guard lock(m_errorLock);
    if (m_lastError.empty()) m_lastError = text.empty() ? "Unknown error" : text;
}

void TACSOutput::reportProgress() {
    const int progress = Progress();
    if (progress != m_lastProgress) {
        m_lastProgress = progress;
        if (OnProgress) OnProgress(this);
    }
}

void TACSOutput::checkNotOwnInput(const std::string& outputFile) const {
    const TACSInput* input = m_input.load();
    if (input && input->readsFile(outputFile))
        throw EACSException("The output file \"" + outputFile +
                            "\" is also an input file; choose another output file");
}

void TACSOutput::initInput() {
    Input()->Init();
    m_inputInitialised = true;
}

void TACSOutput::Run() {
    if (m_busy) throw EACSException("Component is buisy");
    TACSInput* input = m_input.load();
    if (!input) throw EACSException("Input is not assigned");
    {
        std::lock_guard lock(m_errorLock);
        m_lastError.clear();
    }
    // A stop left from before this run goes; one that another thread asks for while the run
    // is being prepared must stay, or it would be lost.
    m_thread.StopRequested = false;
    m_inputInitialised = false;
    try {
        Prepare();
    } catch (...) {
        // Leave the source as we found it, so the next Run does not meet a busy source.
        if (m_inputInitialised && input->Busy()) {
            try {
                input->Flush();
            } catch (...) {
            }
        }
        m_inputInitialised = false;
        throw;
    }
    m_thread.runStarted([this] {
        m_busy = true;
        m_canOutput = true;
    });
}

bool TACSOutput::step(bool abort) {
    if (m_partsGone) return false;
    try {
        return ProcessChunk(abort);
    } catch (const std::exception& error) {
        keepError(error.what());
    } catch (...) {
        keepError("Unknown error");
    }
    return false;
}

void TACSOutput::EndRun() {
    if (!m_busy) return;
    m_canOutput = false;
    try {
        Finish();
    } catch (const std::exception& error) {
        keepError(error.what());
    } catch (...) {
        keepError("Unknown error");
    }
    m_inputInitialised = false;
    m_busy = false;
    // A copy, as a handler that destroys the sink destroys OnDone with it.
    if (const TOutputDoneEvent done = OnDone) {
        try {
            done(this);
        } catch (const std::exception& error) {
            keepError(error.what());
        }
    }
}
