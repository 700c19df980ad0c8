// The MP3 encoder interface: CD audio in, well-formed MPEG layer III frames out, in the
// configured format, with the flush, several streams at once and bad calls refused.
#include <gtest/gtest.h>
#include <lame/lame.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <thread>
#include <vector>

#include "Synth.h"
#include "TestFiles.h"
#include "bladedll.h"

namespace {

using Bytes = std::vector<uint8_t>;

BeConfig makeConfig(uint32_t rate, uint16_t kbps, uint8_t mode = beModeStereo) {
    BeConfig config{};
    config.format = beFormatMp3;
    config.sampleRate = rate;
    config.mode = mode;
    config.bitrate = kbps;
    return config;
}

struct Frame {
    int sampleRate;
    int bitrate;
    int mode;
    bool crc, privateBit, copyright, original;
    size_t length;
};

// Reads the layer III frame header at the start of data.
std::optional<Frame> parseFrame(const uint8_t* data, size_t size) {
    static const int kBitrates[2][15] = {
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}};
    static const int kRates[4][3] = {
        {11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};
    if (size < 4 || data[0] != 0xFF || (data[1] & 0xE0) != 0xE0) return std::nullopt;
    const int version = (data[1] >> 3) & 3;
    const int bitrateIndex = data[2] >> 4;
    const int rateIndex = (data[2] >> 2) & 3;
    if (version == 1 || ((data[1] >> 1) & 3) != 1 || bitrateIndex == 0 || bitrateIndex == 15 ||
        rateIndex == 3)
        return std::nullopt;
    Frame frame{};
    frame.bitrate = kBitrates[version == 3 ? 0 : 1][bitrateIndex];
    frame.sampleRate = kRates[version][rateIndex];
    frame.crc = (data[1] & 1) == 0;
    frame.privateBit = data[2] & 1;
    frame.mode = data[3] >> 6;
    frame.copyright = (data[3] >> 3) & 1;
    frame.original = (data[3] >> 2) & 1;
    const int perFrame = version == 3 ? 144000 : 72000;
    frame.length =
        static_cast<size_t>(perFrame * frame.bitrate / frame.sampleRate) + ((data[2] >> 1) & 1);
    return frame;
}

// Every frame of a stream that must consist of whole frames only.
std::vector<Frame> parseFrames(const Bytes& mp3) {
    std::vector<Frame> frames;
    size_t at = 0;
    while (at < mp3.size()) {
        const auto frame = parseFrame(mp3.data() + at, mp3.size() - at);
        if (!frame || at + frame->length > mp3.size()) {
            ADD_FAILURE() << "no whole frame at byte " << at << " of " << mp3.size();
            break;
        }
        frames.push_back(*frame);
        at += frame->length;
    }
    return frames;
}

struct Encoded {
    Bytes chunks;  // what beEncodeChunk gave
    Bytes all;     // with the final bytes of beDeinitStream
};

// Encodes the samples in chunks of chunkValues 16-bit values (the stream's own size when 0).
Encoded encode(const BeConfig& config, const std::vector<int16_t>& samples,
               uint32_t chunkValues = 0) {
    uint32_t perChunk = 0, bufferSize = 0;
    BeStream stream = 0;
    Encoded result;
    EXPECT_EQ(beInitStream(&config, &perChunk, &bufferSize, &stream), beErrSuccessful);
    if (chunkValues == 0) chunkValues = perChunk;
    const Bytes pcm = pcm16Bytes(samples);
    Bytes output(bufferSize);
    for (size_t value = 0; value < samples.size(); value += chunkValues) {
        const auto count =
            static_cast<uint32_t>(std::min<size_t>(chunkValues, samples.size() - value));
        uint32_t written = 0;
        EXPECT_EQ(beEncodeChunk(stream, count, pcm.data() + 2 * value, output.data(), &written),
                  beErrSuccessful);
        EXPECT_LE(written, bufferSize);
        result.chunks.insert(result.chunks.end(), output.begin(), output.begin() + written);
    }
    result.all = result.chunks;
    uint32_t written = 0;
    EXPECT_EQ(beDeinitStream(stream, output.data(), &written), beErrSuccessful);
    result.all.insert(result.all.end(), output.begin(), output.begin() + written);
    EXPECT_EQ(beCloseStream(stream), beErrSuccessful);
    return result;
}

double rms(const std::vector<int16_t>& samples) {
    double sum = 0;
    for (const int16_t s : samples)
        sum += double(s) * s;
    return samples.empty() ? 0 : std::sqrt(sum / samples.size());
}

// Decodes the stream with the library's own decoder and returns the left channel.
std::vector<int16_t> decodeLeft(Bytes mp3, size_t frames) {
    hip_t decoder = hip_decode_init();
    std::vector<int16_t> left(frames * 1152 + 1152), right(left.size());
    size_t count = 0;
    // The decoder takes all the bytes at once and gives out one frame per call.
    size_t length = mp3.size();
    for (size_t call = 0; call < frames + 2 && count + 1152 <= left.size(); ++call) {
        const int n =
            hip_decode1(decoder, mp3.data(), length, left.data() + count, right.data() + count);
        length = 0;
        if (n < 0) break;
        count += static_cast<size_t>(n);
    }
    hip_decode_exit(decoder);
    left.resize(count);
    return left;
}

}  // namespace

TEST(BladeEnc, CdAudioBecomesFramesOfTheConfiguredFormat) {
    const double seconds = 3;
    const std::vector<int16_t> music = synthesizeMusic(seconds, 44100, 2);
    struct Case {
        BeConfig config;
        int frameMode;
    };
    BeConfig flagged = makeConfig(48000, 320, beModeJointStereo);
    flagged.crc = flagged.privateBit = flagged.copyright = flagged.original = 1;
    const Case cases[] = {
        {makeConfig(44100, 128), 0},
        {flagged, 1},  // resampled up
        {makeConfig(32000, 32, beModeMono), 3},
        {makeConfig(22050, 64, beModeDualChannel), 2},
    };
    for (const Case& c : cases) {
        const BeConfig& config = c.config;
        // Copies, as the packed record's fields cannot be bound to references.
        const int rate = static_cast<int>(config.sampleRate);
        const int kbps = config.bitrate;
        SCOPED_TRACE(testing::Message() << rate << " Hz, " << kbps);
        const Encoded encoded = encode(config, music);
        const std::vector<Frame> frames = parseFrames(encoded.all);
        ASSERT_FALSE(frames.empty());
        for (const Frame& frame : frames) {
            ASSERT_EQ(frame.sampleRate, rate);
            ASSERT_EQ(frame.bitrate, kbps);
            ASSERT_EQ(frame.mode, c.frameMode);
            ASSERT_EQ(frame.crc, config.crc != 0);
            ASSERT_EQ(frame.privateBit, config.privateBit != 0);
            ASSERT_EQ(frame.copyright, config.copyright != 0);
            ASSERT_EQ(frame.original, config.original != 0);
        }
        // The frames hold the whole input at the new rate, plus the coder's delay.
        const int perFrame = rate >= 32000 ? 1152 : 576;
        const double covered = double(frames.size()) * perFrame / rate;
        EXPECT_GE(covered, seconds);
        EXPECT_LE(covered, seconds + 0.15);
        // Without the flush the end of the sound is missing.
        ASSERT_LT(encoded.chunks.size(), encoded.all.size());
        EXPECT_LT(double(encoded.chunks.size()) / encoded.all.size() * covered, seconds);
    }

    // What the frames hold is the music.
    const Encoded plain = encode(makeConfig(44100, 192), music);
    const std::vector<int16_t> decoded = decodeLeft(plain.all, parseFrames(plain.all).size());
    std::vector<int16_t> left;
    for (size_t i = 0; i < music.size(); i += 2)
        left.push_back(music[i]);
    ASSERT_GE(decoded.size(), left.size());
    EXPECT_NEAR(rms(decoded), rms(left), rms(left) * 0.1);
}

TEST(BladeEnc, ChunksOfAnySizeAndParallelStreamsGiveTheSameBytes) {
    const std::vector<int16_t> music = synthesizeMusic(1.5, 44100, 2, 7);
    const BeConfig config = makeConfig(44100, 128);
    const Bytes reference = encode(config, music).all;
    // Odd chunks split stereo pairs; the stream carries the odd value over.
    EXPECT_EQ(encode(config, music, 1001).all, reference);
    EXPECT_EQ(encode(config, music, 2).all, reference);

    Bytes a, b;
    std::thread first([&] { a = encode(config, music).all; });
    std::thread second([&] { b = encode(makeConfig(48000, 256), music).all; });
    first.join();
    second.join();
    EXPECT_EQ(a, reference);
    for (const Frame& frame : parseFrames(b))
        ASSERT_EQ(frame.sampleRate, 48000);
}

TEST(BladeEnc, BadConfigurationsAreRefused) {
    uint32_t perChunk = 0, bufferSize = 0;
    BeStream stream = 0;
    BeConfig config = makeConfig(44100, 128);
    config.format = 1;
    EXPECT_EQ(beInitStream(&config, &perChunk, &bufferSize, &stream), beErrInvalidFormat);
    const BeConfig bad[] = {makeConfig(44000, 128), makeConfig(0, 128),
                            makeConfig(44100, 100), makeConfig(44100, 0),
                            makeConfig(22050, 320), makeConfig(44100, 128, 4)};
    for (const BeConfig& c : bad)
        EXPECT_EQ(beInitStream(&c, &perChunk, &bufferSize, &stream), beErrInvalidFormatParameters);
    config = makeConfig(44100, 128);
    EXPECT_EQ(beInitStream(nullptr, &perChunk, &bufferSize, &stream), beErrInvalidArgument);
    EXPECT_EQ(beInitStream(&config, nullptr, &bufferSize, &stream), beErrInvalidArgument);
    EXPECT_EQ(beInitStream(&config, &perChunk, nullptr, &stream), beErrInvalidArgument);
    EXPECT_EQ(beInitStream(&config, &perChunk, &bufferSize, nullptr), beErrInvalidArgument);
    EXPECT_EQ(stream, 0u);

    std::vector<BeStream> open;
    for (;;) {
        BeStream handle = 0;
        const BeErr error = beInitStream(&config, &perChunk, &bufferSize, &handle);
        if (error != beErrSuccessful) {
            EXPECT_EQ(error, beErrNoMoreHandles);
            break;
        }
        open.push_back(handle);
        ASSERT_LT(open.size(), 10000u);
    }
    for (const BeStream handle : open)
        EXPECT_EQ(beCloseStream(handle), beErrSuccessful);
}

TEST(BladeEnc, BadCallsOnAStreamAreRefused) {
    uint32_t perChunk = 0, bufferSize = 0, written = 7;
    BeStream stream = 0;
    const BeConfig config = makeConfig(44100, 128);
    ASSERT_EQ(beInitStream(&config, &perChunk, &bufferSize, &stream), beErrSuccessful);
    EXPECT_EQ(perChunk, 2304u);
    EXPECT_GE(bufferSize, 7200u);
    Bytes pcm(2 * perChunk + 2), output(bufferSize);

    EXPECT_EQ(beEncodeChunk(0, perChunk, pcm.data(), output.data(), &written), beErrInvalidHandle);
    EXPECT_EQ(beEncodeChunk(stream + 1000, 2, pcm.data(), output.data(), &written),
              beErrInvalidHandle);
    EXPECT_EQ(beEncodeChunk(stream, 2, nullptr, output.data(), &written), beErrInvalidArgument);
    EXPECT_EQ(beEncodeChunk(stream, 2, pcm.data(), nullptr, &written), beErrInvalidArgument);
    EXPECT_EQ(beEncodeChunk(stream, 2, pcm.data(), output.data(), nullptr), beErrInvalidArgument);
    EXPECT_EQ(beEncodeChunk(stream, perChunk + 1, pcm.data(), output.data(), &written),
              beErrInvalidArgument);
    EXPECT_EQ(beEncodeChunk(stream, 0, nullptr, output.data(), &written), beErrSuccessful);
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(beDeinitStream(stream, nullptr, &written), beErrInvalidArgument);
    EXPECT_EQ(beDeinitStream(stream, output.data(), nullptr), beErrInvalidArgument);

    EXPECT_EQ(beDeinitStream(stream, output.data(), &written), beErrSuccessful);
    EXPECT_EQ(beEncodeChunk(stream, 2, pcm.data(), output.data(), &written), beErrStreamFinished);
    EXPECT_EQ(beDeinitStream(stream, output.data(), &written), beErrStreamFinished);
    EXPECT_EQ(beCloseStream(stream), beErrSuccessful);
    EXPECT_EQ(beCloseStream(stream), beErrInvalidHandle);
    EXPECT_EQ(beDeinitStream(stream, output.data(), &written), beErrInvalidHandle);
}

TEST(BladeEnc, TheInfoFrameIsForTheReservedFirstFrame) {
    uint32_t perChunk = 0, bufferSize = 0, written = 0;
    BeStream stream = 0;
    const BeConfig config = makeConfig(44100, 128);
    ASSERT_EQ(beInitStream(&config, &perChunk, &bufferSize, &stream), beErrSuccessful);
    const Bytes pcm = pcm16Bytes(synthesizeMusic(1.0, 44100, 2));
    Bytes output(bufferSize), all;
    for (size_t at = 0; at < pcm.size(); at += 2 * perChunk) {
        const auto values =
            static_cast<uint32_t>(std::min<size_t>(perChunk, (pcm.size() - at) / 2));
        ASSERT_EQ(beEncodeChunk(stream, values, pcm.data() + at, output.data(), &written),
                  beErrSuccessful);
        all.insert(all.end(), output.begin(), output.begin() + written);
    }
    EXPECT_EQ(beInfoFrame(stream, output.data(), &written), beErrStreamNotFinished);
    ASSERT_EQ(beDeinitStream(stream, output.data(), &written), beErrSuccessful);
    all.insert(all.end(), output.begin(), output.begin() + written);
    EXPECT_EQ(beInfoFrame(stream, nullptr, &written), beErrInvalidArgument);
    EXPECT_EQ(beInfoFrame(stream, output.data(), nullptr), beErrInvalidArgument);

    ASSERT_EQ(beInfoFrame(stream, output.data(), &written), beErrSuccessful);
    const std::vector<Frame> frames = parseFrames(all);
    ASSERT_FALSE(frames.empty());
    ASSERT_EQ(written, frames[0].length);
    // MPEG-1 stereo: the tag follows 4 header and 32 side-information bytes.
    EXPECT_EQ(std::string(output.begin() + 36, output.begin() + 40), "Info");
    const auto info = parseFrame(output.data(), written);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->sampleRate, 44100);
    EXPECT_EQ(info->bitrate, 128);
    // Until written over, the reserved frame holds silence, not the tag.
    EXPECT_NE(std::string(all.begin() + 36, all.begin() + 40), "Info");
    EXPECT_EQ(beCloseStream(stream), beErrSuccessful);
    EXPECT_EQ(beInfoFrame(stream, output.data(), &written), beErrInvalidHandle);

    // An 8 kbit/s frame at 8000 Hz (72 bytes) cannot hold it: nothing reserved, nothing given.
    const BeConfig small = makeConfig(8000, 8);
    ASSERT_EQ(beInitStream(&small, &perChunk, &bufferSize, &stream), beErrSuccessful);
    ASSERT_EQ(beDeinitStream(stream, output.data(), &written), beErrSuccessful);
    EXPECT_EQ(beInfoFrame(stream, output.data(), &written), beErrSuccessful);
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(beCloseStream(stream), beErrSuccessful);
}
