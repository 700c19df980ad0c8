#include "ACS_Audio.h"

#include <cstring>

#include "VolumeScale.h"

namespace {

constexpr uint32_t kOutputBufferSize = 8192;
constexpr uint32_t kInputBufferSize = 16384;
constexpr int kInputBuffers = 4;

// The platform flag behind each element of TDeviceInfo::Formats, in element order.
constexpr uint32_t kFormatFlags[12] = {WAVE_FORMAT_1M08, WAVE_FORMAT_1M16, WAVE_FORMAT_1S08,
                                       WAVE_FORMAT_1S16, WAVE_FORMAT_2M08, WAVE_FORMAT_2M16,
                                       WAVE_FORMAT_2S08, WAVE_FORMAT_2S16, WAVE_FORMAT_4M08,
                                       WAVE_FORMAT_4M16, WAVE_FORMAT_4S08, WAVE_FORMAT_4S16};

struct DeviceBuffer {
    WAVEHDR header;
    std::vector<uint8_t> data;
};

WAVEFORMATEX pcmFormat(int channels, int bits, int rate) {
    WAVEFORMATEX format;
    format.nChannels = static_cast<uint16_t>(channels);
    format.nSamplesPerSec = static_cast<uint32_t>(rate);
    format.wBitsPerSample = static_cast<uint16_t>(bits);
    format.nBlockAlign = static_cast<uint16_t>(channels * bits / 8);
    format.nAvgBytesPerSec = format.nBlockAlign * format.nSamplesPerSec;
    return format;
}

std::string describe(const WAVEFORMATEX& format) {
    return std::to_string(format.nSamplesPerSec) + " Hz, " + std::to_string(format.wBitsPerSample) +
           " bits, " + std::to_string(format.nChannels) +
           (format.nChannels == 1 ? " channel" : " channels");
}

void checkChannel(int channel, int count) {
    if (channel < 0 || channel >= count)
        throw EACSException("Channel " + std::to_string(channel) + " is not available");
}

}  // namespace

int DeviceCount() {
    return static_cast<int>(waveOutGetNumDevs());
}

void GetDeviceInfo(int device, bool output, TDeviceInfo& info) {
    const int count = static_cast<int>(output ? waveOutGetNumDevs() : waveInGetNumDevs());
    if (device < 0 || device >= count)
        throw EACSException("Device " + std::to_string(device) + " is not available.");
    WAVECAPS caps;
    const unsigned number = static_cast<unsigned>(device);
    if ((output ? waveOutGetDevCapsA(number, &caps, 48) : waveInGetDevCapsA(number, &caps, 48)) !=
        MMSYSERR_NOERROR)
        throw EACSException("Device " + std::to_string(device) + " is not available.");
    info.DeviceName = caps.szPname.substr(0, caps.szPname.find('\0'));
    info.DriverVersion = caps.vDriverVersion;
    info.Formats = 0;
    for (int element = 0; element < 12; ++element)
        if (caps.dwFormats & kFormatFlags[element])
            info.Formats |= static_cast<uint16_t>(1u << element);
    info.Stereo = caps.wChannels != 1;
}

// ---- DeviceBufferQueue ------------------------------------------------------------------

WAVEHDR* DeviceBufferQueue::allocate(uint32_t size) {
    auto* buffer = new DeviceBuffer{};
    buffer->data.resize(size);
    buffer->header.lpData = buffer->data.data();
    buffer->header.dwBufferLength = size;
    buffer->header.dwUser = reinterpret_cast<uintptr_t>(buffer);
    return &buffer->header;
}

void DeviceBufferQueue::release(WAVEHDR* header) {
    if (header) delete reinterpret_cast<DeviceBuffer*>(header->dwUser);
}

void DeviceBufferQueue::returned(WAVEHDR* header) {
    {
        std::lock_guard lock(m_lock);
        header->lpNext = nullptr;
        m_done.push_back(header);
        --m_queued;
    }
    m_changed.notify_all();
}

WAVEHDR* DeviceBufferQueue::takeReturned(const std::function<bool()>& keepWaiting) {
    std::unique_lock lock(m_lock);
    while (m_done.empty()) {
        if (!keepWaiting()) return nullptr;
        m_changed.wait_for(lock, std::chrono::milliseconds(10));
    }
    WAVEHDR* header = m_done.front();
    m_done.pop_front();
    return header;
}

void DeviceBufferQueue::waitAllReturned() {
    std::unique_lock lock(m_lock);
    m_changed.wait(lock, [this] { return m_queued <= 0; });
}

void DeviceBufferQueue::releaseReturned() {
    std::lock_guard lock(m_lock);
    for (WAVEHDR* header : m_done)
        release(header);
    m_done.clear();
}

// ---- TAudioOut ----------------------------------------------------------------------------

TAudioOut::TAudioOut(TComponent* owner) : TACSOutput(owner) {
    SetDelay(6);
}

TAudioOut::~TAudioOut() {
    shutdownWorker();
    closeDevice();
}

void TAudioOut::SetBaseChannel(int channel) {
    if (Busy()) throw EACSException("Component is buisy");
    const int count = DeviceCount();
    if (count == 0) {
        m_baseChannel = 0;
        return;
    }
    checkChannel(channel, count);
    m_baseChannel = channel;
}

void TAudioOut::callback(HWAVE, unsigned message, uintptr_t instance, WAVEHDR* header) {
    if (message == WOM_DONE) reinterpret_cast<TAudioOut*>(instance)->m_buffers.returned(header);
}

void TAudioOut::Prepare() {
    initInput();
    TACSInput* input = Input();
    const WAVEFORMATEX format =
        pcmFormat(input->InChannels(), input->InBitsPerSample(), input->InSampleRate());
    m_bits = format.wBitsPerSample;
    m_carry.reset(std::max<int>(1, format.nBlockAlign));
    m_buffers.releaseReturned();
    m_buffers.clear();
    if (DeviceCount() == 0) throw EACSException("There is no sound output device");
    // A device that cannot be opened would never return a buffer: fail here instead.
    if (waveOutOpen(&m_device, static_cast<unsigned>(m_baseChannel), &format, callback,
                    reinterpret_cast<uintptr_t>(this),
                    CALLBACK_FUNCTION | WAVE_MAPPED) != MMSYSERR_NOERROR)
        throw EACSException("The sound device cannot play " + describe(format));
    m_deviceOpen = true;
}

bool TAudioOut::ProcessChunk(bool abort) {
    if (!Busy()) return true;
    if (abort || !isRunning()) return false;
    if (waveDeviceFailed(m_device)) throw EACSException("The sound device stopped working");
    m_buffers.releaseReturned();
    TACSInput* input = Input();
    for (int i = m_buffers.queued(); i <= m_buffersAhead; ++i) {
        WAVEHDR* header = DeviceBufferQueue::allocate(kOutputBufferSize);
        const int n = m_carry.read(*input, header->lpData, static_cast<int>(kOutputBufferSize));
        if (n <= 0) {
            DeviceBufferQueue::release(header);
            return false;
        }
        const uint8_t volume = m_volume;
        if (volume < 255 && m_bits == 16) {
            const int16_t* scale = volumeScaleTable(volume);
            for (int at = 0; at + 1 < n; at += 2) {
                const auto sample =
                    static_cast<int16_t>(header->lpData[at] | header->lpData[at + 1] << 8);
                const auto scaled = static_cast<uint16_t>(scale[sample]);
                header->lpData[at] = static_cast<uint8_t>(scaled);
                header->lpData[at + 1] = static_cast<uint8_t>(scaled >> 8);
            }
        }
        header->dwBufferLength = static_cast<uint32_t>(n);
        header->dwFlags = 0;
        header->dwLoops = 0;
        m_buffers.sent();
        waveOutPrepareHeader(m_device, header, 32);
        if (waveOutWrite(m_device, header, 32) != MMSYSERR_NOERROR) {
            m_buffers.returned(header);
            throw EACSException("The sound device stopped working");
        }
    }
    if (OnProgress && input->Size() > 0) reportProgress();
    return true;
}

void TAudioOut::closeDevice() {
    if (!m_deviceOpen) return;
    m_buffers.waitAllReturned();  // every queued buffer has played
    waveOutClose(m_device);
    m_buffers.releaseReturned();
    m_deviceOpen = false;
    m_device = 0;
}

void TAudioOut::Finish() {
    closeDevice();
    Input()->Flush();
}

// ---- TAudioIn -----------------------------------------------------------------------------

TAudioIn::TAudioIn(TComponent* owner) : TACSInput(owner) {
    m_size = -1;
}

TAudioIn::~TAudioIn() {
    if (m_deviceOpenCount > 0) {
        waveInReset(m_device);
        waveInClose(m_device);
    }
}

void TAudioIn::SetBaseChannel(int channel) {
    if (Busy()) throw EACSException("Component is buisy");
    // Recording devices are counted apart from playback ones.
    checkChannel(channel, static_cast<int>(waveInGetNumDevs()));
    m_baseChannel = channel;
}

void TAudioIn::callback(HWAVE, unsigned message, uintptr_t instance, WAVEHDR* header) {
    if (message == WIM_DATA) reinterpret_cast<TAudioIn*>(instance)->m_buffers.returned(header);
}

void TAudioIn::Init() {
    if (Busy()) throw EACSException("The component is buisy");
    resetBlockCursor();
    m_position = 0;
    m_recBytes = int64_t{m_bitsPerSample / 8} * m_recTime * m_channels * m_sampleRate;
    if (m_deviceOpenCount == 0) {
        if (waveInGetNumDevs() == 0) throw EACSException("There is no recording device");
        const WAVEFORMATEX format = pcmFormat(m_channels, m_bitsPerSample, m_sampleRate);
        if (waveInOpen(&m_device, static_cast<unsigned>(m_baseChannel), &format, callback,
                       reinterpret_cast<uintptr_t>(this),
                       CALLBACK_FUNCTION | WAVE_MAPPED) != MMSYSERR_NOERROR)
            throw EACSException("The recording device cannot record " + describe(format));
    }
    ++m_deviceOpenCount;
    m_busy = true;
    waveInStart(m_device);
    m_buffers.releaseReturned();
    m_buffers.clear();
    m_size = m_recBytes;
}

void TAudioIn::addBuffer() {
    WAVEHDR* header = DeviceBufferQueue::allocate(kInputBufferSize);
    waveInPrepareHeader(m_device, header, 32);
    m_buffers.sent();
    if (waveInAddBuffer(m_device, header, 32) != MMSYSERR_NOERROR) {
        m_buffers.returned(header);
        throw EACSException("The recording device stopped working");
    }
}

int TAudioIn::refill() {
    WAVEHDR* header = m_buffers.takeReturned([this] { return !waveDeviceFailed(m_device); });
    if (!header) throw EACSException("The recording device stopped working");
    const int got = static_cast<int>(std::min<uint32_t>(header->dwBytesRecorded, kInputBufferSize));
    if (got == 0 && waveDeviceFailed(m_device)) {
        DeviceBufferQueue::release(header);
        throw EACSException("The recording device stopped working");
    }
    std::memcpy(m_block.data(), header->lpData, static_cast<size_t>(got));
    waveInUnprepareHeader(m_device, header, 32);
    DeviceBufferQueue::release(header);
    return got;
}

int TAudioIn::ReadData(void* buffer, int count) {
    if (!Busy()) throw EACSException("The Stream is not opened");
    if (Position() >= m_recBytes) return 0;
    while (m_buffers.queued() < kInputBuffers)
        addBuffer();
    // Never past the length asked for, so that the file written says what it holds.
    const int64_t left = m_recBytes - Position();
    return deliverFromBlock(m_block.data(), buffer,
                            static_cast<int>(std::min<int64_t>(count, left)),
                            [this] { return refill(); });
}

void TAudioIn::Flush() {
    // What is still at the device would be thrown away: stop at once rather than wait for
    // the buffers to fill.
    waveInReset(m_device);
    m_buffers.waitAllReturned();
    m_buffers.releaseReturned();
    if (m_deviceOpenCount == 1) waveInClose(m_device);
    if (m_deviceOpenCount > 0) --m_deviceOpenCount;
    m_busy = false;
}
