#include "WaveAudio.h"

#include <mutex>

namespace {

std::mutex g_serviceLock;
std::unique_ptr<WaveService> g_service;

MMRESULT checkHeader(const WAVEHDR* header, unsigned size) {
    if (!header || !header->lpData || size < 32) return MMSYSERR_INVALPARAM;
    return MMSYSERR_NOERROR;
}

MMRESULT openDevice(bool output, HWAVE* handle, unsigned device, const WAVEFORMATEX* format,
                    WaveCallback callback, uintptr_t instance) {
    if (!handle || !format) return MMSYSERR_INVALPARAM;
    if (format->wFormatTag != WAVE_FORMAT_PCM || format->nChannels == 0 ||
        format->nSamplesPerSec == 0 || format->wBitsPerSample == 0)
        return WAVERR_BADFORMAT;
    return waveService().open(output, device, *format, callback, instance, *handle);
}

}  // namespace

void installWaveService(std::unique_ptr<WaveService> service) {
    std::lock_guard lock(g_serviceLock);
    g_service = std::move(service);
}

WaveService& waveService() {
    std::lock_guard lock(g_serviceLock);
    if (!g_service) g_service = makeAlsaWaveService();
    return *g_service;
}

unsigned waveOutGetNumDevs() {
    return waveService().outputCount();
}
unsigned waveInGetNumDevs() {
    return waveService().inputCount();
}

MMRESULT waveOutGetDevCapsA(unsigned device, WAVECAPS* caps, unsigned) {
    return caps ? waveService().caps(true, device, *caps) : MMSYSERR_INVALPARAM;
}
MMRESULT waveInGetDevCapsA(unsigned device, WAVECAPS* caps, unsigned) {
    return caps ? waveService().caps(false, device, *caps) : MMSYSERR_INVALPARAM;
}

MMRESULT waveOutOpen(HWAVE* handle, unsigned device, const WAVEFORMATEX* format,
                     WaveCallback callback, uintptr_t instance, uint32_t) {
    return openDevice(true, handle, device, format, callback, instance);
}
MMRESULT waveInOpen(HWAVE* handle, unsigned device, const WAVEFORMATEX* format,
                    WaveCallback callback, uintptr_t instance, uint32_t) {
    return openDevice(false, handle, device, format, callback, instance);
}

MMRESULT waveOutPrepareHeader(HWAVE, WAVEHDR* header, unsigned size) {
    if (const MMRESULT bad = checkHeader(header, size)) return bad;
    header->dwFlags |= WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}
MMRESULT waveOutUnprepareHeader(HWAVE, WAVEHDR* header, unsigned size) {
    if (const MMRESULT bad = checkHeader(header, size)) return bad;
    header->dwFlags &= ~WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}
MMRESULT waveOutWrite(HWAVE handle, WAVEHDR* header, unsigned size) {
    if (const MMRESULT bad = checkHeader(header, size)) return bad;
    return waveService().queue(handle, header);
}
MMRESULT waveOutClose(HWAVE handle) {
    return waveService().close(handle);
}

MMRESULT waveInPrepareHeader(HWAVE handle, WAVEHDR* header, unsigned size) {
    return waveOutPrepareHeader(handle, header, size);
}
MMRESULT waveInUnprepareHeader(HWAVE handle, WAVEHDR* header, unsigned size) {
    return waveOutUnprepareHeader(handle, header, size);
}
MMRESULT waveInAddBuffer(HWAVE handle, WAVEHDR* header, unsigned size) {
    return waveOutWrite(handle, header, size);
}
MMRESULT waveInStart(HWAVE handle) {
    return waveService().start(handle);
}
MMRESULT waveInReset(HWAVE handle) {
    return waveService().reset(handle);
}
MMRESULT waveInClose(HWAVE handle) {
    return waveService().close(handle);
}
bool waveDeviceFailed(HWAVE handle) {
    return waveService().failed(handle);
}
