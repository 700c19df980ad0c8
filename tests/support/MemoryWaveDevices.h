// In-memory wave devices for tests: outputs that keep every byte played, inputs that deliver
// a known signal, both at a pace the test sets, with failures on request.
#pragma once

#include <functional>
#include <mutex>
#include <vector>

#include "StreamDevice.h"

class MemoryWaveService : public StreamWaveService {
  public:
    struct Device {
        std::string name;
        uint32_t formats = 0x0FFF;
        uint16_t channels = 2;
    };

    MemoryWaveService(std::vector<Device> outputs, std::vector<Device> inputs);

    unsigned outputCount() override { return static_cast<unsigned>(m_outputs.size()); }
    unsigned inputCount() override { return static_cast<unsigned>(m_inputs.size()); }
    MMRESULT caps(bool output, unsigned device, WAVECAPS& caps) override;

    // Bytes per second the devices move; 0 (the start) moves them at once.
    void setPace(uint32_t bytesPerSecond) { m_pace = bytesPerSecond; }
    // While held, playing blocks (the buffers stay queued) until released.
    void holdOutput(bool hold);
    // Opening fails for formats the predicate refuses.
    void refuseFormats(std::function<bool(const WAVEFORMATEX&)> refuse);
    // The device fails once this many bytes have been played or recorded (-1: never).
    void failAfter(int64_t bytes) { m_failAfter = bytes; }
    // Byte n of every recording (the default is n mod 251).
    void setSignal(std::function<uint8_t(uint64_t)> signal);

    std::vector<uint8_t> played();  // every byte played since the service was made
    WAVEFORMATEX lastFormat();      // the format of the last device opened
    int opens();

  protected:
    std::unique_ptr<StreamDevice> makeDevice(bool output, unsigned device,
                                             const WAVEFORMATEX& format, WaveCallback callback,
                                             uintptr_t instance, MMRESULT& error) override;

  private:
    friend class MemoryDevice;
    bool transfer(bool output, uint8_t* data, size_t count, uint64_t& recorded,
                  const std::function<bool()>& interrupted);

    std::vector<Device> m_outputs, m_inputs;
    std::mutex m_lock;
    std::condition_variable m_released;
    bool m_hold = false;
    std::atomic<uint32_t> m_pace{0};
    std::atomic<int64_t> m_failAfter{-1};
    int64_t m_moved = 0;
    std::vector<uint8_t> m_played;
    std::function<bool(const WAVEFORMATEX&)> m_refuse;
    std::function<uint8_t(uint64_t)> m_signal;
    WAVEFORMATEX m_lastFormat{};
    int m_opens = 0;
};
