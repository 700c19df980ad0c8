#include "EncoderStream.h"

#include <algorithm>
#include <array>
#include <mutex>

namespace quillon::bladeenc {

namespace {

constexpr std::array<std::uint32_t, 3> kFullRates = {32000, 44100, 48000};
constexpr std::array<std::uint32_t, 6> kLowRates = {8000, 11025, 12000, 16000, 22050, 24000};
constexpr std::array<std::uint32_t, 14> kFullBitrates = {32,  40,  48,  56,  64,  80,  96,
                                                         112, 128, 160, 192, 224, 256, 320};
constexpr std::array<std::uint32_t, 14> kLowBitrates = {8,  16, 24, 32,  40,  48,  56,
                                                        64, 80, 96, 112, 128, 144, 160};

template <std::size_t N>
bool contains(const std::array<std::uint32_t, N>& values, std::uint32_t value) {
    return std::find(values.begin(), values.end(), value) != values.end();
}

std::optional<MPEG_mode> lameMode(std::uint8_t mode) {
    switch (mode) {
        case beModeStereo:
            return STEREO;
        case beModeJointStereo:
            return JOINT_STEREO;
        case beModeDualChannel:
            return DUAL_CHANNEL;
        case beModeMono:
            return MONO;
        default:
            return std::nullopt;
    }
}

}  // namespace

bool validRateAndBitrate(std::uint32_t sampleRate, std::uint32_t bitrate) {
    if (contains(kFullRates, sampleRate)) return contains(kFullBitrates, bitrate);
    if (contains(kLowRates, sampleRate)) return contains(kLowBitrates, bitrate);
    return false;
}

BeErr EncoderStream::create(const BeConfig& config, std::unique_ptr<EncoderStream>& stream) {
    stream.reset();
    // Copies, as the record's fields may sit unaligned.
    const std::uint32_t format = config.format;
    const std::uint32_t sampleRate = config.sampleRate;
    const std::uint16_t bitrate = config.bitrate;
    if (format != beFormatMp3) return beErrInvalidFormat;
    const auto mode = lameMode(config.mode);
    if (!mode || !validRateAndBitrate(sampleRate, bitrate)) return beErrInvalidFormatParameters;

    // The library fills shared tables the first time an encoder is set up, without a lock
    // of its own.
    static std::mutex setupMutex;
    std::lock_guard lock(setupMutex);
    std::unique_ptr<EncoderStream> made(new EncoderStream());
    made->m_lame.reset(lame_init());
    lame_global_flags* lame = made->m_lame.get();
    if (lame == nullptr) return beErrEncoderFailed;
    // Any rate other than the input's is reached by the encoder's resampler.
    const bool set = lame_set_in_samplerate(lame, kInputRate) == 0 &&
                     lame_set_num_channels(lame, kInputChannels) == 0 &&
                     lame_set_out_samplerate(lame, static_cast<int>(sampleRate)) == 0 &&
                     lame_set_brate(lame, bitrate) == 0 && lame_set_VBR(lame, vbr_off) == 0 &&
                     lame_set_mode(lame, *mode) == 0 &&
                     lame_set_extension(lame, config.privateBit != 0) == 0 &&
                     lame_set_error_protection(lame, config.crc != 0) == 0 &&
                     lame_set_copyright(lame, config.copyright != 0) == 0 &&
                     lame_set_original(lame, config.original != 0) == 0 &&
                     // The first frame is kept for the info frame the caller writes at the end.
                     lame_set_bWriteVbrTag(lame, 1) == 0;
    // Nor does the caller ask for tags.
    lame_set_write_id3tag_automatic(lame, 0);
    if (!set || lame_init_params(lame) < 0) return beErrEncoderFailed;
    made->m_frames.reserve(made->samplesPerChunk() + kInputChannels);
    stream = std::move(made);
    return beErrSuccessful;
}

std::uint32_t EncoderStream::outputBufferSize() const {
    // The encoder's own worst case: 1.25 bytes per coded sample (a 320 kbit/s frame at
    // 32 kHz) plus what it may hold back, which also bounds the flush. It counts samples at
    // the output rate, which may be up to 48000 Hz for 44100 Hz input; one extra frame covers
    // the value a chunk may carry over. (The lower rates take at most 2.5 bytes per sample,
    // but of far fewer samples.)
    const std::uint32_t coded = ((kFramesPerChunk + 1) * 48000 + kInputRate - 1) / kInputRate + 1;
    return coded * 5 / 4 + 1 + 7200;
}

BeErr EncoderStream::encode(std::uint32_t sampleCount, const std::uint8_t* pcm,
                            std::uint8_t* output, std::uint32_t* outputBytes) {
    if (outputBytes == nullptr || output == nullptr || (pcm == nullptr && sampleCount > 0) ||
        sampleCount > samplesPerChunk())
        return beErrInvalidArgument;
    *outputBytes = 0;
    if (m_finished) return beErrStreamFinished;

    m_frames.clear();
    if (m_pending) m_frames.push_back(*m_pending);
    m_pending.reset();
    for (std::uint32_t i = 0; i < sampleCount; ++i) {
        const auto value = static_cast<std::uint16_t>(pcm[2 * i] | (pcm[2 * i + 1] << 8));
        m_frames.push_back(static_cast<std::int16_t>(value));
    }
    if (m_frames.size() % 2 != 0) {
        m_pending = m_frames.back();
        m_frames.pop_back();
    }
    if (m_frames.empty()) return beErrSuccessful;

    const int written = lame_encode_buffer_interleaved(
        m_lame.get(), m_frames.data(), static_cast<int>(m_frames.size() / 2), output,
        static_cast<int>(outputBufferSize()));
    if (written < 0) return beErrEncoderFailed;
    *outputBytes = static_cast<std::uint32_t>(written);
    return beErrSuccessful;
}

BeErr EncoderStream::finish(std::uint8_t* output, std::uint32_t* outputBytes) {
    if (output == nullptr || outputBytes == nullptr) return beErrInvalidArgument;
    *outputBytes = 0;
    if (m_finished) return beErrStreamFinished;
    // A lone left-channel value has no partner to make a frame; it is dropped.
    m_pending.reset();
    const int written =
        lame_encode_flush(m_lame.get(), output, static_cast<int>(outputBufferSize()));
    if (written < 0) return beErrEncoderFailed;
    m_finished = true;
    *outputBytes = static_cast<std::uint32_t>(written);
    return beErrSuccessful;
}

BeErr EncoderStream::infoFrame(std::uint8_t* output, std::uint32_t* outputBytes) {
    if (output == nullptr || outputBytes == nullptr) return beErrInvalidArgument;
    *outputBytes = 0;
    if (!m_finished) return beErrStreamNotFinished;
    // 0 when the frames are too small to hold one; then none was reserved either.
    const std::size_t size = lame_get_lametag_frame(m_lame.get(), output, outputBufferSize());
    if (size > outputBufferSize()) return beErrEncoderFailed;
    *outputBytes = static_cast<std::uint32_t>(size);
    return beErrSuccessful;
}

}  // namespace quillon::bladeenc
