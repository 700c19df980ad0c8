// A source of made-up bytes for testing sinks, with its faults chosen by the test.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "ACS_Classes.h"

class FakeSource : public TACSInput {
  public:
    explicit FakeSource(std::vector<uint8_t> data = {}, int channels = 2, int bits = 16,
                        int rate = 44100)
        : m_data(std::move(data)), m_channels(channels), m_bits(bits), m_rate(rate) {
        reportedSize = static_cast<int64_t>(m_data.size());
    }

    int InBitsPerSample() override { return m_bits; }
    int InChannels() override { return m_channels; }
    int InSampleRate() override { return m_rate; }

    void Init() override {
        if (m_busy) throw EACSException("The component is buisy");
        if (failInit) throw EACSException("init failed");
        m_position = 0;
        m_offset = 0;
        m_size = reportedSize;
        m_busy = true;
        ++inits;
    }
    void Flush() override {
        m_busy = false;
        ++flushes;
    }
    int ReadData(void* buffer, int count) override {
        if (!m_busy) throw EACSException("The Stream is not opened");
        if (gate) {
            std::unique_lock lock(m_gateLock);
            m_gateOpen.wait(lock, [this] { return m_gateCredits > 0; });
            --m_gateCredits;
        }
        ++reads;
        if (failAfter >= 0 && static_cast<int64_t>(m_offset) >= failAfter)
            throw EACSException("read failed");
        const size_t left = m_data.size() - m_offset;
        const size_t n = std::min({left, static_cast<size_t>(count), maxPerRead});
        std::copy_n(m_data.begin() + static_cast<ptrdiff_t>(m_offset), n,
                    static_cast<uint8_t*>(buffer));
        m_offset += n;
        m_position += static_cast<int64_t>(n);
        return static_cast<int>(n);
    }

    // Lets `count` more reads through when the gate is on.
    void allowReads(int count) {
        {
            std::lock_guard lock(m_gateLock);
            m_gateCredits += count;
        }
        m_gateOpen.notify_all();
    }
    void setPosition(int64_t position) { m_position = position; }
    void setSize(int64_t size) { m_size = size; }

    int64_t reportedSize;         // Size after Init
    int64_t failAfter = -1;       // reads raise once this many bytes were delivered
    size_t maxPerRead = 1 << 30;  // most bytes one read delivers
    bool failInit = false;
    bool gate = false;  // each read waits for a credit from allowReads
    std::atomic<int> inits{0}, flushes{0}, reads{0};

  private:
    std::vector<uint8_t> m_data;
    size_t m_offset = 0;
    int m_channels, m_bits, m_rate;
    std::mutex m_gateLock;
    std::condition_variable m_gateOpen;
    int m_gateCredits = 0;
};

// Counts the done reports of a sink and waits for them.
class DoneWaiter {
  public:
    explicit DoneWaiter(TACSOutput& sink) {
        // Counting and signalling under the lock lets the destructor wait for a handler
        // that is still on its way out.
        sink.OnDone = [this](TACSOutput*) {
            std::lock_guard lock(m_lock);
            ++m_count;
            m_signal.notify_all();
        };
    }
    ~DoneWaiter() { std::lock_guard lock(m_lock); }
    DoneWaiter(const DoneWaiter&) = delete;
    DoneWaiter& operator=(const DoneWaiter&) = delete;
    // Waits until `count` done reports have come; false after the timeout.
    bool wait(int count = 1, int seconds = 20) {
        std::unique_lock lock(m_lock);
        return m_signal.wait_for(lock, std::chrono::seconds(seconds),
                                 [&] { return m_count >= count; });
    }
    int count() {
        std::lock_guard lock(m_lock);
        return m_count;
    }

  private:
    std::mutex m_lock;
    std::condition_variable m_signal;
    int m_count = 0;
};
