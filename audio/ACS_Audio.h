// The sound card: a sink that plays its source and a source that records for a set time.
#pragma once

#include <array>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>

#include "ACS_Classes.h"
#include "FrameCarry.h"
#include "WaveAudio.h"

struct TDeviceInfo {
    std::string DeviceName;
    uint32_t DriverVersion = 0;
    // Bit i stands for element i of the standard formats: 11025, 22050 and 44100 Hz, each
    // as mono 8-bit, mono 16-bit, stereo 8-bit and stereo 16-bit.
    uint16_t Formats = 0;
    bool Stereo = false;
};

// The number of wave output devices.
int DeviceCount();
// Describes an output or an input device; raises "Device N is not available." for a number
// past the devices there are.
void GetDeviceInfo(int device, bool output, TDeviceInfo& info);

// Buffers travelling to a device and back, counted, and the list of those returned. The
// device's callback thread appends; the component's worker takes them off.
class DeviceBufferQueue {
  public:
    ~DeviceBufferQueue() { releaseReturned(); }
    // Allocates a buffer of the given size; its header points back at it.
    static WAVEHDR* allocate(uint32_t size);
    static void release(WAVEHDR* header);
    void sent() {
        std::lock_guard lock(m_lock);
        ++m_queued;
    }
    // The callback side: a buffer came back.
    void returned(WAVEHDR* header);
    int queued() const {
        std::lock_guard lock(m_lock);
        return m_queued;
    }
    // The oldest returned buffer, waiting for one until ready() is false; nullptr then.
    WAVEHDR* takeReturned(const std::function<bool()>& keepWaiting);
    // Waits until no buffer is out at the device.
    void waitAllReturned();
    void releaseReturned();
    void clear() {
        std::lock_guard lock(m_lock);
        m_queued = 0;
    }

  private:
    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    int m_queued = 0;
    std::deque<WAVEHDR*> m_done;
};

class TAudioOut : public TACSOutput {
  public:
    explicit TAudioOut(TComponent* owner = nullptr);
    ~TAudioOut() override;

    int BaseChannel() const { return m_baseChannel; }
    void SetBaseChannel(int channel);
    uint8_t Volume() const { return m_volume; }
    void SetVolume(uint8_t volume) { m_volume = volume; }

  protected:
    bool ProcessChunk(bool abort) override;
    void Finish() override;
    void Prepare() override;

  private:
    static void callback(HWAVE device, unsigned message, uintptr_t instance, WAVEHDR* header);
    void closeDevice();

    int m_baseChannel = 0;
    std::atomic<uint8_t> m_volume{255};
    HWAVE m_device = 0;
    bool m_deviceOpen = false;
    int m_buffersAhead = 8;
    int m_bits = 16;
    // The device plays whole frames only; a frame split between two deliveries of the
    // source waits here for its second part.
    FrameCarry m_carry;
    DeviceBufferQueue m_buffers;
};

class TAudioIn : public TACSInput {
  public:
    explicit TAudioIn(TComponent* owner = nullptr);
    ~TAudioIn() override;

    int BaseChannel() const { return m_baseChannel; }
    void SetBaseChannel(int channel);
    int InBitsPerSample() override { return m_bitsPerSample; }
    void SetInBitsPerSample(int bits) { m_bitsPerSample = bits; }
    int InChannels() override { return m_channels; }
    void SetInChannels(int channels) { m_channels = channels; }
    int InSampleRate() override { return m_sampleRate; }
    void SetInSampleRate(int rate) { m_sampleRate = rate; }
    int RecTime() const { return m_recTime; }
    void SetRecTime(int seconds) { m_recTime = seconds; }
    int TotalTime() override { return m_recTime; }
    int64_t RecBytes() const { return m_recBytes; }

    int ReadData(void* buffer, int count) override;
    void Init() override;
    void Flush() override;

  private:
    static void callback(HWAVE device, unsigned message, uintptr_t instance, WAVEHDR* header);
    int refill();
    void addBuffer();

    int m_baseChannel = 0;
    int m_bitsPerSample = 8;
    int m_channels = 1;
    int m_sampleRate = 8000;
    int m_recTime = 600;
    HWAVE m_device = 0;
    std::array<uint8_t, 16384> m_block{};
    int m_deviceOpenCount = 0;
    int64_t m_recBytes = 0;
    DeviceBufferQueue m_buffers;
};
