#include "MemoryWaveDevices.h"

#include <chrono>
#include <thread>

class MemoryDevice : public StreamDevice {
  public:
    MemoryDevice(MemoryWaveService& service, bool output, size_t frameBytes, WaveCallback callback,
                 uintptr_t instance)
        : StreamDevice(output, callback, instance), m_service(service), m_frameBytes(frameBytes) {}
    ~MemoryDevice() override { shutdown(); }

  protected:
    bool play(const uint8_t* data, size_t count) override {
        uint64_t ignored = 0;
        // Like a real device, it plays whole frames only.
        return m_service.transfer(true, const_cast<uint8_t*>(data), count - count % m_frameBytes,
                                  ignored, [] { return false; });
    }
    long record(uint8_t* data, size_t count) override {
        uint64_t recorded = m_recorded;
        const bool ok =
            m_service.transfer(false, data, count, recorded, [this] { return interrupted(); });
        const long got = static_cast<long>(recorded - m_recorded);
        m_recorded = recorded;
        return ok ? got : -1;
    }

  private:
    MemoryWaveService& m_service;
    size_t m_frameBytes;
    uint64_t m_recorded = 0;
};

MemoryWaveService::MemoryWaveService(std::vector<Device> outputs, std::vector<Device> inputs)
    : m_outputs(std::move(outputs)),
      m_inputs(std::move(inputs)),
      m_signal([](uint64_t n) { return static_cast<uint8_t>(n % 251); }) {}

MMRESULT MemoryWaveService::caps(bool output, unsigned device, WAVECAPS& caps) {
    const auto& list = output ? m_outputs : m_inputs;
    if (device >= list.size()) return MMSYSERR_BADDEVICEID;
    caps.szPname = list[device].name;
    caps.vDriverVersion = 0x0102;
    caps.dwFormats = list[device].formats;
    caps.wChannels = list[device].channels;
    return MMSYSERR_NOERROR;
}

void MemoryWaveService::holdOutput(bool hold) {
    {
        std::lock_guard lock(m_lock);
        m_hold = hold;
    }
    m_released.notify_all();
}

void MemoryWaveService::refuseFormats(std::function<bool(const WAVEFORMATEX&)> refuse) {
    std::lock_guard lock(m_lock);
    m_refuse = std::move(refuse);
}

void MemoryWaveService::setSignal(std::function<uint8_t(uint64_t)> signal) {
    std::lock_guard lock(m_lock);
    m_signal = std::move(signal);
}

std::vector<uint8_t> MemoryWaveService::played() {
    std::lock_guard lock(m_lock);
    return m_played;
}

WAVEFORMATEX MemoryWaveService::lastFormat() {
    std::lock_guard lock(m_lock);
    return m_lastFormat;
}

int MemoryWaveService::opens() {
    std::lock_guard lock(m_lock);
    return m_opens;
}

std::unique_ptr<StreamDevice> MemoryWaveService::makeDevice(bool output, unsigned,
                                                            const WAVEFORMATEX& format,
                                                            WaveCallback callback,
                                                            uintptr_t instance, MMRESULT& error) {
    std::lock_guard lock(m_lock);
    if (m_refuse && m_refuse(format)) {
        error = WAVERR_BADFORMAT;
        return nullptr;
    }
    m_lastFormat = format;
    ++m_opens;
    return std::make_unique<MemoryDevice>(*this, output, std::max<size_t>(format.nBlockAlign, 1),
                                          callback, instance);
}

bool MemoryWaveService::transfer(bool output, uint8_t* data, size_t count, uint64_t& recorded,
                                 const std::function<bool()>& interrupted) {
    // Moves the bytes in slices so that pace and interruptions apply within a buffer.
    constexpr size_t slice = 1024;
    for (size_t done = 0; done < count;) {
        if (!output && interrupted()) return true;
        const size_t n = std::min(slice, count - done);
        if (const uint32_t pace = m_pace; pace > 0)
            std::this_thread::sleep_for(std::chrono::microseconds(n * 1000000 / pace));
        std::unique_lock lock(m_lock);
        if (output) m_released.wait(lock, [this] { return !m_hold; });
        const int64_t limit = m_failAfter;
        if (limit >= 0 && m_moved + static_cast<int64_t>(n) > limit) return false;
        m_moved += static_cast<int64_t>(n);
        if (output) {
            m_played.insert(m_played.end(), data + done, data + done + n);
        } else {
            for (size_t i = 0; i < n; ++i)
                data[done + i] = m_signal(recorded + i);
            recorded += n;
        }
        done += n;
    }
    return true;
}
