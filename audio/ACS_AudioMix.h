// A source that mixes two sources sample by sample or plays the second after the first.
#pragma once

#include <array>
#include <vector>

#include "ACS_Classes.h"

enum TAudioMixerMode { amMix, amConcatenate };

class TAudioMixer : public TACSInput {
  public:
    using TACSInput::TACSInput;

    TACSInput* Input1() const { return m_input1; }
    void SetInput1(TACSInput* input) { m_input1 = input; }
    TACSInput* Input2() const { return m_input2; }
    void SetInput2(TACSInput* input) { m_input2 = input; }
    TAudioMixerMode Mode() const { return m_mode.load(); }
    void SetMode(TAudioMixerMode mode) { m_mode = mode; }
    uint8_t Volume1() const { return m_volume1; }
    void SetVolume1(uint8_t volume) { m_volume1 = volume; }
    uint8_t Volume2() const { return m_volume2; }
    void SetVolume2(uint8_t volume) { m_volume2 = volume; }

    int InBitsPerSample() override;
    int InChannels() override;
    int InSampleRate() override;
    int ReadData(void* buffer, int count) override;
    void Init() override;
    void Flush() override;
    bool readsFile(const std::string& path) const override;

    // b[i] = (round(a[i] * volume1 / 255) + round(b[i] * volume2 / 255)) / 2 over the
    // n div 2 16-bit samples, rounding halves to even and dividing toward zero.
    static void MixBuffers(const uint8_t* a, uint8_t* b, int n, uint8_t volume1, uint8_t volume2);

  private:
    TACSInput& firstInput() const;
    void checkFormats();
    int refill();
    int fillFrom(TACSInput* input, uint8_t* block, bool& ended);

    TACSInput* m_input1 = nullptr;
    TACSInput* m_input2 = nullptr;
    uint8_t m_volume1 = 255;
    uint8_t m_volume2 = 255;
    bool m_ended1 = false;
    bool m_ended2 = false;
    // Joining: the first input's bytes so far, so that a last frame it left incomplete (a
    // cut file) is completed with silence rather than shifting every frame of the second.
    int64_t m_bytes1 = 0;
    int m_frameBytes = 1;
    std::array<uint8_t, 16384> m_blockA{};
    std::array<uint8_t, 16384> m_blockB{};
    // A window may switch the mode while the sink's worker reads blocks.
    std::atomic<TAudioMixerMode> m_mode{amMix};
};
