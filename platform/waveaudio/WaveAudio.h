// The wave-audio service: output and input devices, PCM buffers queued to a device and
// returned through a completion callback that runs on a thread of the service.
//
// The calls keep the shape the audio components were designed against; behind them sits a
// WaveService, ALSA by default, or an in-memory device set that tests install.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

using HWAVE = uintptr_t;
using MMRESULT = unsigned;

constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_ERROR = 1;
constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT WAVERR_BADFORMAT = 32;

constexpr unsigned WOM_DONE = 0x3BD;
constexpr unsigned WIM_DATA = 0x3C0;
constexpr uint32_t WAVE_FORMAT_PCM = 1;
constexpr uint32_t CALLBACK_FUNCTION = 0x30000;
constexpr uint32_t WAVE_MAPPED = 0x4;

// Header flags.
constexpr uint32_t WHDR_DONE = 0x1;
constexpr uint32_t WHDR_PREPARED = 0x2;
constexpr uint32_t WHDR_INQUEUE = 0x10;

struct WAVEFORMATEX {
    uint16_t wFormatTag = WAVE_FORMAT_PCM;
    uint16_t nChannels = 0;
    uint32_t nSamplesPerSec = 0;
    uint32_t nAvgBytesPerSec = 0;
    uint16_t nBlockAlign = 0;
    uint16_t wBitsPerSample = 0;
};

struct WAVEHDR {
    uint8_t* lpData = nullptr;
    uint32_t dwBufferLength = 0;
    uint32_t dwBytesRecorded = 0;
    uintptr_t dwUser = 0;
    uint32_t dwFlags = 0;
    uint32_t dwLoops = 0;
    WAVEHDR* lpNext = nullptr;
    uintptr_t reserved = 0;
};

// The standard format flags a device reports.
constexpr uint32_t WAVE_FORMAT_1M08 = 0x0001, WAVE_FORMAT_1S08 = 0x0002, WAVE_FORMAT_1M16 = 0x0004,
                   WAVE_FORMAT_1S16 = 0x0008, WAVE_FORMAT_2M08 = 0x0010, WAVE_FORMAT_2S08 = 0x0020,
                   WAVE_FORMAT_2M16 = 0x0040, WAVE_FORMAT_2S16 = 0x0080, WAVE_FORMAT_4M08 = 0x0100,
                   WAVE_FORMAT_4S08 = 0x0200, WAVE_FORMAT_4M16 = 0x0400, WAVE_FORMAT_4S16 = 0x0800;

struct WAVECAPS {
    std::string szPname;  // product name
    uint32_t vDriverVersion = 0;
    uint32_t dwFormats = 0;
    uint16_t wChannels = 0;
};

// Called with the device, the message (WOM_DONE or WIM_DATA), the value given at open and
// the returned header.
using WaveCallback = void (*)(HWAVE device, unsigned message, uintptr_t instance, WAVEHDR* header);

// What a backend provides. Every buffer queued to a device comes back through the callback
// exactly once, also when the device fails or is reset, so that nobody waits for ever.
class WaveService {
  public:
    virtual ~WaveService() = default;
    virtual unsigned outputCount() = 0;
    virtual unsigned inputCount() = 0;
    virtual MMRESULT caps(bool output, unsigned device, WAVECAPS& caps) = 0;
    virtual MMRESULT open(bool output, unsigned device, const WAVEFORMATEX& format,
                          WaveCallback callback, uintptr_t instance, HWAVE& handle) = 0;
    // Output: play the buffer. Input: fill the buffer once recording runs.
    virtual MMRESULT queue(HWAVE handle, WAVEHDR* header) = 0;
    virtual MMRESULT start(HWAVE handle) = 0;  // input only
    // Input: stop recording and return every buffer still held.
    virtual MMRESULT reset(HWAVE handle) = 0;
    // Output: plays what is queued, then releases the device.
    virtual MMRESULT close(HWAVE handle) = 0;
    // Whether the device has failed since it was opened (unplugged, stopped by the system).
    virtual bool failed(HWAVE handle) = 0;
};

// The ALSA service.
std::unique_ptr<WaveService> makeAlsaWaveService();
// Puts a service in place of the current one (tests install their in-memory devices);
// nullptr goes back to ALSA. Only while no device is open.
void installWaveService(std::unique_ptr<WaveService> service);
WaveService& waveService();

unsigned waveOutGetNumDevs();
unsigned waveInGetNumDevs();
MMRESULT waveOutGetDevCapsA(unsigned device, WAVECAPS* caps, unsigned size);
MMRESULT waveInGetDevCapsA(unsigned device, WAVECAPS* caps, unsigned size);
MMRESULT waveOutOpen(HWAVE* handle, unsigned device, const WAVEFORMATEX* format,
                     WaveCallback callback, uintptr_t instance, uint32_t flags);
MMRESULT waveInOpen(HWAVE* handle, unsigned device, const WAVEFORMATEX* format,
                    WaveCallback callback, uintptr_t instance, uint32_t flags);
MMRESULT waveOutPrepareHeader(HWAVE handle, WAVEHDR* header, unsigned size);
MMRESULT waveOutUnprepareHeader(HWAVE handle, WAVEHDR* header, unsigned size);
MMRESULT waveOutWrite(HWAVE handle, WAVEHDR* header, unsigned size);
MMRESULT waveOutClose(HWAVE handle);
MMRESULT waveInPrepareHeader(HWAVE handle, WAVEHDR* header, unsigned size);
MMRESULT waveInUnprepareHeader(HWAVE handle, WAVEHDR* header, unsigned size);
MMRESULT waveInAddBuffer(HWAVE handle, WAVEHDR* header, unsigned size);
MMRESULT waveInStart(HWAVE handle);
MMRESULT waveInReset(HWAVE handle);
MMRESULT waveInClose(HWAVE handle);
bool waveDeviceFailed(HWAVE handle);
