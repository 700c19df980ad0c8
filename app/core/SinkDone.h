// The end of one sink's run, waited for by the thread that started it: batch and rip
// encoders run each sink to its end on a worker of their own.
#pragma once

#include <condition_variable>
#include <mutex>

#include "ACS_Classes.h"

class SinkDone {
  public:
    SinkDone() = default;
    // Holding the lock once more lets a handler that is still on its way out finish first.
    ~SinkDone() { std::lock_guard lock(m_lock); }
    SinkDone(const SinkDone&) = delete;
    SinkDone& operator=(const SinkDone&) = delete;

    // Made before the sink, so that it outlives the sink's worker, which signals it.
    void attach(TACSOutput& sink) {
        sink.OnDone = [this](TACSOutput*) {
            std::lock_guard lock(m_lock);
            m_done = true;
            m_signal.notify_all();
        };
    }
    void wait() {
        std::unique_lock lock(m_lock);
        m_signal.wait(lock, [this] { return m_done; });
    }

  private:
    std::mutex m_lock;
    std::condition_variable m_signal;
    bool m_done = false;
};
