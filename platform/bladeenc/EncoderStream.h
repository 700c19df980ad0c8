// One MP3 encoding stream behind a BeStream handle: the LAME encoder state set up from a
// configuration record, and the chunk and flush calls on it.
#pragma once

#include <lame/lame.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "bladedll.h"

namespace quillon::bladeenc {

class EncoderStream {
  public:
    // CD audio is all the rip job ever feeds.
    static constexpr int kInputRate = 44100;
    static constexpr int kInputChannels = 2;
    // One MPEG layer III frame's worth of stereo input.
    static constexpr std::uint32_t kFramesPerChunk = 1152;

    // Checks the record and sets up the encoder; on failure returns the error code and leaves
    // stream empty.
    static BeErr create(const BeConfig& config, std::unique_ptr<EncoderStream>& stream);

    std::uint32_t samplesPerChunk() const { return kFramesPerChunk * kInputChannels; }
    std::uint32_t outputBufferSize() const;

    BeErr encode(std::uint32_t sampleCount, const std::uint8_t* pcm, std::uint8_t* output,
                 std::uint32_t* outputBytes);
    BeErr finish(std::uint8_t* output, std::uint32_t* outputBytes);
    BeErr infoFrame(std::uint8_t* output, std::uint32_t* outputBytes);

  private:
    struct LameClose {
        void operator()(lame_global_flags* flags) const { lame_close(flags); }
    };

    EncoderStream() = default;

    std::unique_ptr<lame_global_flags, LameClose> m_lame;
    std::vector<short> m_frames;            // interleaved samples handed to the encoder
    std::optional<std::int16_t> m_pending;  // a left-channel value waiting for its partner
    bool m_finished = false;
};

// Whether MPEG defines the bit rate (kbit/s) at the sample rate (Hz); false for a rate MPEG
// does not define.
bool validRateAndBitrate(std::uint32_t sampleRate, std::uint32_t bitrate);

}  // namespace quillon::bladeenc
