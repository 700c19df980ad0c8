// WAV and Ogg Vorbis files written by other programs (tests/data/audio), read through the
// sources: the format they announce, every sample, every channel in its place. A 24-bit
// file also goes through both encoders, block boundaries and all.
#include <gtest/gtest.h>

#include "ACS_LAME.h"
#include "ACS_Vorbis.h"
#include "ACS_Wave.h"
#include "FakeSource.h"
#include "PcmSamples.h"
#include "SoundCheck.h"
#include "SourceReading.h"
#include "TestFiles.h"

namespace {

std::string dataFile(const std::string& name) {
    return std::string(QUILLON_AUDIO_DATA) + "/" + name;
}

std::vector<int16_t> as16Bits(const std::vector<uint8_t>& bytes, int bits) {
    const int width = pcmBytesPerSample(bits);
    std::vector<int16_t> samples;
    for (size_t at = 0; at + static_cast<size_t>(width) <= bytes.size();
         at += static_cast<size_t>(width))
        samples.push_back(pcmSampleTo16(bytes.data() + at, width));
    return samples;
}

void expectTones(const std::vector<int16_t>& samples, int channels, int rate,
                 const std::vector<double>& tones) {
    for (int channel = 0; channel < channels; ++channel)
        EXPECT_NEAR(measuredTone(samples, channels, channel, rate), tones[size_t(channel)], 3.0)
            << "channel " << channel;
}

std::vector<double> tonesInOrder(int channels) {
    std::vector<double> tones;
    for (int channel = 0; channel < channels; ++channel)
        tones.push_back(channelTone(channel));
    return tones;
}

TEST(RealFilesTest, WavFilesWithOtherChunksAndWidths) {
    struct Case {
        const char* name;
        int channels, bits;
        int64_t frames;
    };
    const Case cases[] = {
        {"sox-24bit-stereo.wav", 2, 24, 16000},    {"sox-8bit-mono.wav", 1, 8, 4000},
        {"ffmpeg-24bit-6ch.wav", 6, 24, 4000},     {"ffmpeg-32bit-stereo.wav", 2, 32, 4000},
        {"ffmpeg-8bit-mono-list.wav", 1, 8, 4000}, {"ffmpeg-16bit-bext-junk.wav", 2, 16, 4000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TWaveIn source;
        source.SetFileName(dataFile(c.name));
        ASSERT_EQ(source.InChannels(), c.channels);
        EXPECT_EQ(source.InBitsPerSample(), c.bits);
        EXPECT_EQ(source.InSampleRate(), 8000);
        const auto bytes = readAll(source);
        // The data chunk and nothing else: no header bytes, no chunk that follows.
        EXPECT_EQ(source.Size(), c.frames * c.channels * c.bits / 8);
        EXPECT_EQ(static_cast<int64_t>(bytes.size()), source.Size());
        expectTones(as16Bits(bytes, c.bits), c.channels, 8000, tonesInOrder(c.channels));
    }
}

TEST(RealFilesTest, OggVorbisFilesOfSeveralEncoders) {
    struct Case {
        const char* name;
        int channels;
        int64_t frames;
        std::vector<double> tones;
        std::vector<std::string> comments;
    };
    const Case cases[] = {
        {"oggenc-stereo.ogg", 2, 22050, {330, 550}, {"ARTIST=Tone Maker", "TITLE=Two tones"}},
        {"oggenc-mono.ogg", 1, 22050, {330}, {}},
        {"oggenc-6ch.ogg", 6, 22050, {330, 770, 550, 1210, 1430, 990}, {}},
        {"sox-stereo.ogg", 2, 22050, {330, 550}, {"Comment=Processed by SoX"}},
        {"ffmpeg-libvorbis-mono.ogg", 1, 22050, {330}, {"encoder=Lavc59.37.100 libvorbis"}},
        // This encoder rounds the length up to its block size.
        {"ffmpeg-native-stereo.ogg",
         2,
         22080,
         {330, 550},
         {"encoder=Lavc59.37.100 vorbis", "TITLE=Native"}},
        // Both streams, the first one first (its comments are the file's).
        {"chained-stereo.ogg", 2, 44100, {330, 550}, {"ARTIST=Tone Maker", "TITLE=Two tones"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TVorbisIn source;
        source.SetFileName(dataFile(c.name));
        ASSERT_EQ(source.InChannels(), c.channels);
        EXPECT_EQ(source.InSampleRate(), 22050);
        EXPECT_EQ(source.InBitsPerSample(), 16);
        EXPECT_EQ(source.Comments(), c.comments);
        const auto bytes = readAll(source);
        EXPECT_EQ(source.Size(), c.frames * 2 * c.channels);
        EXPECT_EQ(static_cast<int64_t>(bytes.size()), source.Size());
        EXPECT_EQ(source.TotalTime(), static_cast<int>(c.frames / 22050));
        expectTones(pcm16Samples(bytes), c.channels, 22050, c.tones);
    }
}

TEST(RealFilesTest, A24BitFileEncodesToItsOwnTones) {
    // The file's 32768-byte blocks end within its 6-byte frames.
    TempDir dir;
    for (const std::string out : {"out.ogg", "out.mp3"}) {
        SCOPED_TRACE(out);
        TWaveIn source;
        source.SetFileName(dataFile("sox-24bit-stereo.wav"));
        std::unique_ptr<TACSOutput> sink;
        if (out == "out.ogg") {
            auto vorbis = std::make_unique<TVorbisOut>();
            vorbis->SetFileName(dir.file(out));
            sink = std::move(vorbis);
        } else {
            auto mp3 = std::make_unique<TMP3Out>();
            mp3->SetFileName(dir.file(out));
            sink = std::move(mp3);
        }
        DoneWaiter done(*sink);
        sink->SetInput(&source);
        sink->Run();
        ASSERT_TRUE(done.wait(1, 60));
        ASSERT_EQ(sink->lastError(), "");
        std::vector<int16_t> decoded;
        int rate = 0;
        if (out == "out.ogg") {
            TVorbisIn in;
            in.SetFileName(dir.file(out));
            rate = in.InSampleRate();
            decoded = pcm16Samples(readAll(in));
        } else {
            const DecodedMp3 mp3 = decodeMp3(readBytes(dir.file(out)));
            rate = mp3.rate;
            decoded = mp3.samples;
        }
        ASSERT_EQ(rate, 8000);
        expectTones(decoded, 2, rate, {330, 550});
    }
}

}  // namespace
