#include "StreamDevice.h"

StreamDevice::StreamDevice(bool output, WaveCallback callback, uintptr_t instance)
    : m_output(output), m_callback(callback), m_instance(instance) {}

StreamDevice::~StreamDevice() {
    shutdown();
}

void StreamDevice::launch(HWAVE handle) {
    m_handle = handle;
    m_thread = std::thread([this] { run(); });
}

void StreamDevice::queue(WAVEHDR* header) {
    {
        std::lock_guard lock(m_lock);
        header->dwFlags = (header->dwFlags | WHDR_INQUEUE) & ~WHDR_DONE;
        m_queue.push_back(header);
    }
    m_wake.notify_all();
}

void StreamDevice::start() {
    {
        std::lock_guard lock(m_lock);
        m_started = true;
        m_resetting = false;
    }
    m_wake.notify_all();
}

void StreamDevice::reset() {
    if (m_output) return;
    std::unique_lock lock(m_lock);
    m_resetting = true;
    m_started = false;
    stopRecording();
    m_wake.notify_all();
    // Back once the thread has handed every buffer back.
    m_wake.wait(lock, [this] { return m_queue.empty() || !m_thread.joinable(); });
}

void StreamDevice::shutdown() {
    if (!m_thread.joinable()) return;
    if (!m_output) reset();
    {
        std::lock_guard lock(m_lock);
        m_closing = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void StreamDevice::giveBack(WAVEHDR* header) {
    header->dwFlags = (header->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
    if (m_callback) m_callback(m_handle, m_output ? WOM_DONE : WIM_DATA, m_instance, header);
}

void StreamDevice::run() {
    while (true) {
        WAVEHDR* header = nullptr;
        {
            std::unique_lock lock(m_lock);
            m_wake.wait(lock, [this] {
                if (m_output) return !m_queue.empty() || m_closing.load();
                return m_closing.load() || (!m_queue.empty() && (m_started || m_resetting));
            });
            if (m_queue.empty()) break;  // closing with nothing left
            header = m_queue.front();
        }
        if (m_output) {
            if (!m_failed && !play(header->lpData, header->dwBufferLength)) m_failed = true;
        } else if (m_resetting || m_failed) {
            header->dwBytesRecorded = 0;
        } else {
            const long got = record(header->lpData, header->dwBufferLength);
            if (got < 0) m_failed = true;
            header->dwBytesRecorded = got < 0 ? 0 : static_cast<uint32_t>(got);
        }
        // Handed back before it leaves the queue, so that reset() returns only once every
        // buffer has reached its owner.
        giveBack(header);
        {
            std::lock_guard lock(m_lock);
            m_queue.pop_front();
        }
        m_wake.notify_all();
    }
    if (m_output && !m_failed) drain();
}

// ---- StreamWaveService ----------------------------------------------------------------

MMRESULT StreamWaveService::open(bool output, unsigned device, const WAVEFORMATEX& format,
                                 WaveCallback callback, uintptr_t instance, HWAVE& handle) {
    if (device >= (output ? outputCount() : inputCount())) return MMSYSERR_BADDEVICEID;
    MMRESULT error = MMSYSERR_ERROR;
    std::unique_ptr<StreamDevice> opened =
        makeDevice(output, device, format, callback, instance, error);
    if (!opened) return error;
    std::lock_guard lock(m_lock);
    handle = m_nextHandle++;
    opened->launch(handle);
    m_devices.emplace_back(handle, std::move(opened));
    return MMSYSERR_NOERROR;
}

StreamDevice* StreamWaveService::find(HWAVE handle) {
    std::lock_guard lock(m_lock);
    for (auto& [key, device] : m_devices)
        if (key == handle) return device.get();
    return nullptr;
}

MMRESULT StreamWaveService::queue(HWAVE handle, WAVEHDR* header) {
    StreamDevice* device = find(handle);
    if (!device) return MMSYSERR_INVALHANDLE;
    device->queue(header);
    return MMSYSERR_NOERROR;
}

MMRESULT StreamWaveService::start(HWAVE handle) {
    StreamDevice* device = find(handle);
    if (!device || device->output()) return MMSYSERR_INVALHANDLE;
    device->start();
    return MMSYSERR_NOERROR;
}

MMRESULT StreamWaveService::reset(HWAVE handle) {
    StreamDevice* device = find(handle);
    if (!device) return MMSYSERR_INVALHANDLE;
    device->reset();
    return MMSYSERR_NOERROR;
}

MMRESULT StreamWaveService::close(HWAVE handle) {
    std::unique_ptr<StreamDevice> closing;
    {
        std::lock_guard lock(m_lock);
        for (auto it = m_devices.begin(); it != m_devices.end(); ++it) {
            if (it->first == handle) {
                closing = std::move(it->second);
                m_devices.erase(it);
                break;
            }
        }
    }
    if (!closing) return MMSYSERR_INVALHANDLE;
    closing->shutdown();
    return MMSYSERR_NOERROR;
}

bool StreamWaveService::failed(HWAVE handle) {
    StreamDevice* device = find(handle);
    return !device || device->failed();
}
