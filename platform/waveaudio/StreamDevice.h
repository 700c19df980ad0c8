// One open wave device with a thread of its own that plays or fills the queued buffers in
// order and hands each back through the completion callback. Backends supply the blocking
// transfer of bytes; the queueing, the callback and reset and close are shared here.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "WaveAudio.h"

class StreamDevice {
  public:
    StreamDevice(bool output, WaveCallback callback, uintptr_t instance);
    virtual ~StreamDevice();
    StreamDevice(const StreamDevice&) = delete;
    StreamDevice& operator=(const StreamDevice&) = delete;

    // Starts the device's thread; call once the backend part is ready.
    void launch(HWAVE handle);
    void queue(WAVEHDR* header);
    void start();
    // Input: stops recording; the buffers still held come back (the one being filled with
    // what it holds).
    void reset();
    // Output: lets the queued buffers play, then stops the thread. Input: resets first.
    void shutdown();
    bool failed() const { return m_failed.load(); }
    bool output() const { return m_output; }

  protected:
    // Plays count bytes, blocking until the device has taken them; false on failure.
    virtual bool play(const uint8_t* data, size_t count) = 0;
    // Records up to count bytes, blocking; stops early when interrupted() turns true.
    // Returns the bytes recorded, or -1 on failure.
    virtual long record(uint8_t* data, size_t count) = 0;
    // Output: waits until everything handed to play() has sounded.
    virtual void drain() {}
    // Input: stops the recording under way.
    virtual void stopRecording() {}
    bool interrupted() const { return m_resetting.load() || m_closing.load(); }

  private:
    void run();
    void giveBack(WAVEHDR* header);

    const bool m_output;
    const WaveCallback m_callback;
    const uintptr_t m_instance;
    HWAVE m_handle = 0;
    std::mutex m_lock;
    std::condition_variable m_wake;
    std::deque<WAVEHDR*> m_queue;
    bool m_started = false;
    std::atomic<bool> m_resetting{false};
    std::atomic<bool> m_closing{false};
    std::atomic<bool> m_failed{false};
    std::thread m_thread;
};

// A service whose devices are StreamDevices: the handle bookkeeping every backend shares.
class StreamWaveService : public WaveService {
  public:
    MMRESULT open(bool output, unsigned device, const WAVEFORMATEX& format, WaveCallback callback,
                  uintptr_t instance, HWAVE& handle) override;
    MMRESULT queue(HWAVE handle, WAVEHDR* header) override;
    MMRESULT start(HWAVE handle) override;
    MMRESULT reset(HWAVE handle) override;
    MMRESULT close(HWAVE handle) override;
    bool failed(HWAVE handle) override;

  protected:
    // Opens the backend's device; on failure returns nullptr and sets error.
    virtual std::unique_ptr<StreamDevice> makeDevice(bool output, unsigned device,
                                                     const WAVEFORMATEX& format,
                                                     WaveCallback callback, uintptr_t instance,
                                                     MMRESULT& error) = 0;

  private:
    StreamDevice* find(HWAVE handle);

    std::mutex m_lock;
    std::vector<std::pair<HWAVE, std::unique_ptr<StreamDevice>>> m_devices;
    HWAVE m_nextHandle = 1;
};
