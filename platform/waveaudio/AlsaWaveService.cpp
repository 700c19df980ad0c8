// The wave service on ALSA. Device 0 is the system's default device (on desktops it reaches
// PipeWire or PulseAudio); then one device per sound card, with format conversion.
#include <alsa/asoundlib.h>

#include <string>
#include <vector>

#include "StreamDevice.h"

namespace {

// ALSA reports its troubles on stderr by default; ours go through the callers instead.
void quietErrors(const char*, int, const char*, int, const char*, ...) {}

struct AlsaDeviceName {
    std::string pcm;      // the name ALSA opens
    std::string product;  // the name shown to the user
};

snd_pcm_format_t alsaFormat(unsigned bits) {
    switch (bits) {
        case 8:
            return SND_PCM_FORMAT_U8;
        case 16:
            return SND_PCM_FORMAT_S16_LE;
        case 24:
            return SND_PCM_FORMAT_S24_3LE;
        case 32:
            return SND_PCM_FORMAT_S32_LE;
        default:
            return SND_PCM_FORMAT_UNKNOWN;
    }
}

bool canOpen(const std::string& name, snd_pcm_stream_t stream) {
    snd_pcm_t* pcm = nullptr;
    if (snd_pcm_open(&pcm, name.c_str(), stream, SND_PCM_NONBLOCK) < 0) return false;
    snd_pcm_close(pcm);
    return true;
}

std::vector<AlsaDeviceName> listDevices(snd_pcm_stream_t stream) {
    std::vector<AlsaDeviceName> cards;
    int card = -1;
    while (snd_card_next(&card) == 0 && card >= 0) {
        char* name = nullptr;
        std::string product = "Sound card " + std::to_string(card);
        if (snd_card_get_name(card, &name) == 0 && name) {
            product = name;
            free(name);
        }
        const std::string pcm = "plughw:" + std::to_string(card);
        if (canOpen(pcm, stream)) cards.push_back({pcm, product});
    }
    std::vector<AlsaDeviceName> devices;
    if (!cards.empty() || canOpen("default", stream))
        devices.push_back({"default", "Default sound device"});
    devices.insert(devices.end(), cards.begin(), cards.end());
    return devices;
}

class AlsaDevice : public StreamDevice {
  public:
    AlsaDevice(bool output, snd_pcm_t* pcm, unsigned frameBytes, WaveCallback callback,
               uintptr_t instance)
        : StreamDevice(output, callback, instance), m_pcm(pcm), m_frameBytes(frameBytes) {}
    ~AlsaDevice() override {
        shutdown();
        snd_pcm_close(m_pcm);
    }

  protected:
    bool play(const uint8_t* data, size_t count) override {
        snd_pcm_uframes_t left = count / m_frameBytes;
        while (left > 0) {
            const snd_pcm_sframes_t put = snd_pcm_writei(m_pcm, data, left);
            if (put < 0) {
                if (snd_pcm_recover(m_pcm, static_cast<int>(put), 1) < 0) return false;
                continue;  // an underrun: carry on where we were
            }
            left -= static_cast<snd_pcm_uframes_t>(put);
            data += static_cast<size_t>(put) * m_frameBytes;
        }
        return true;
    }

    long record(uint8_t* data, size_t count) override {
        const snd_pcm_uframes_t wanted = count / m_frameBytes;
        snd_pcm_uframes_t done = 0;
        // A period at a time, so that a reset is noticed soon.
        const snd_pcm_uframes_t step = 1024;
        while (done < wanted && !interrupted()) {
            const snd_pcm_sframes_t got =
                snd_pcm_readi(m_pcm, data + done * m_frameBytes, std::min(step, wanted - done));
            if (got < 0) {
                if (got == -EBADFD && interrupted()) break;
                if (snd_pcm_recover(m_pcm, static_cast<int>(got), 1) < 0) return -1;
                continue;
            }
            done += static_cast<snd_pcm_uframes_t>(got);
        }
        return static_cast<long>(done * m_frameBytes);
    }

    void drain() override { snd_pcm_drain(m_pcm); }
    void stopRecording() override { snd_pcm_drop(m_pcm); }

  private:
    snd_pcm_t* m_pcm;
    unsigned m_frameBytes;
};

class AlsaWaveService : public StreamWaveService {
  public:
    AlsaWaveService() {
        snd_lib_error_set_handler(quietErrors);
        m_outputs = listDevices(SND_PCM_STREAM_PLAYBACK);
        m_inputs = listDevices(SND_PCM_STREAM_CAPTURE);
    }

    unsigned outputCount() override { return static_cast<unsigned>(m_outputs.size()); }
    unsigned inputCount() override { return static_cast<unsigned>(m_inputs.size()); }

    MMRESULT caps(bool output, unsigned device, WAVECAPS& caps) override {
        const auto& list = output ? m_outputs : m_inputs;
        if (device >= list.size()) return MMSYSERR_BADDEVICEID;
        caps.szPname = list[device].product;
        caps.vDriverVersion = SND_LIB_VERSION >> 8;
        // ALSA's plug layer converts, so every standard format is offered.
        caps.dwFormats = 0x0FFF;
        caps.wChannels = 2;
        return MMSYSERR_NOERROR;
    }

  protected:
    std::unique_ptr<StreamDevice> makeDevice(bool output, unsigned device,
                                             const WAVEFORMATEX& format, WaveCallback callback,
                                             uintptr_t instance, MMRESULT& error) override {
        const auto& list = output ? m_outputs : m_inputs;
        const snd_pcm_format_t sampleFormat = alsaFormat(format.wBitsPerSample);
        if (sampleFormat == SND_PCM_FORMAT_UNKNOWN) {
            error = WAVERR_BADFORMAT;
            return nullptr;
        }
        snd_pcm_t* pcm = nullptr;
        if (snd_pcm_open(&pcm, list[device].pcm.c_str(),
                         output ? SND_PCM_STREAM_PLAYBACK : SND_PCM_STREAM_CAPTURE, 0) < 0) {
            error = MMSYSERR_ERROR;
            return nullptr;
        }
        if (snd_pcm_set_params(pcm, sampleFormat, SND_PCM_ACCESS_RW_INTERLEAVED, format.nChannels,
                               format.nSamplesPerSec, 1, 200000) < 0) {
            snd_pcm_close(pcm);
            error = WAVERR_BADFORMAT;
            return nullptr;
        }
        const unsigned frameBytes = format.nChannels * ((format.wBitsPerSample + 7u) / 8u);
        return std::make_unique<AlsaDevice>(output, pcm, frameBytes, callback, instance);
    }

  private:
    std::vector<AlsaDeviceName> m_outputs;
    std::vector<AlsaDeviceName> m_inputs;
};

}  // namespace

std::unique_ptr<WaveService> makeAlsaWaveService() {
    return std::make_unique<AlsaWaveService>();
}
