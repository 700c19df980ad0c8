// MP3 encoding through the MP3 sink, checked by walking the frames it wrote.
#include <gtest/gtest.h>

#include "ACS_LAME.h"
#include "ACS_Wave.h"
#include "FakeSource.h"
#include "Synth.h"
#include "TestFiles.h"

namespace {

struct Mp3Frames {
    int count = 0;
    std::vector<int> bitRates;  // kbit/s of each frame
    int sampleRate = 0;
    bool endsOnAFrameBoundary = false;
    bool hasTrailerTag = false;
};

// Walks the layer III frames after an optional leading tag, up to a trailing 128-byte tag.
Mp3Frames walkFrames(const std::vector<uint8_t>& bytes) {
    static const int mpeg1Rates[] = {0,   32,  40,  48,  56,  64,  80, 96,
                                     112, 128, 160, 192, 224, 256, 320};
    static const int mpeg2Rates[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    static const int sampleRates[] = {44100, 48000, 32000};
    Mp3Frames result;
    size_t end = bytes.size();
    if (end >= 128 && std::equal(bytes.end() - 128, bytes.end() - 125, "TAG")) {
        result.hasTrailerTag = true;
        end -= 128;
    }
    size_t at = 0;
    if (end >= 10 && std::equal(bytes.begin(), bytes.begin() + 3, "ID3"))
        at = 10 + ((bytes[6] & 0x7F) << 21 | (bytes[7] & 0x7F) << 14 | (bytes[8] & 0x7F) << 7 |
                   (bytes[9] & 0x7F));
    while (at + 4 <= end) {
        if (bytes[at] != 0xFF || (bytes[at + 1] & 0xE0) != 0xE0) return result;
        const int version = (bytes[at + 1] >> 3) & 3;  // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
        const int rateIndex = bytes[at + 2] >> 4;
        const int sampleIndex = (bytes[at + 2] >> 2) & 3;
        const int padding = (bytes[at + 2] >> 1) & 1;
        if (rateIndex == 0 || rateIndex == 15 || sampleIndex == 3 || version == 1) return result;
        const int kbps = version == 3 ? mpeg1Rates[rateIndex] : mpeg2Rates[rateIndex];
        const int rate = sampleRates[sampleIndex] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
        const int length = (version == 3 ? 144 : 72) * kbps * 1000 / rate + padding;
        result.bitRates.push_back(kbps);
        result.sampleRate = rate;
        ++result.count;
        at += static_cast<size_t>(length);
    }
    result.endsOnAFrameBoundary = at == end;
    return result;
}

class Mp3Test : public ::testing::Test {
  protected:
    std::string encode(TACSInput& source, TMP3BitRate rate = br128) {
        sink.SetInput(&source);
        sink.SetFileName(dir.file("out.mp3"));
        sink.SetBitRate(rate);
        sink.Run();
        EXPECT_TRUE(done.wait(++runs, 60));
        return sink.lastError();
    }

    int runs = 0;
    TempDir dir;
    TMP3Out sink;
    DoneWaiter done{sink};
};

TEST_F(Mp3Test, BitRateValuesMapToTheirRates) {
    EXPECT_EQ(mp3BitRateKbps(br8), 8);
    EXPECT_EQ(mp3BitRateKbps(br128), 128);
    EXPECT_EQ(mp3BitRateKbps(br320), 320);
    TMP3BitRate rate = br8;
    EXPECT_TRUE(mp3BitRateFromKbps(144, rate));
    EXPECT_EQ(rate, br144);
    EXPECT_FALSE(mp3BitRateFromKbps(100, rate));
    EXPECT_EQ(TMP3Out().BitRate(), br128);
}

TEST_F(Mp3Test, EncodesStereoAtAConstantRateAndFullLength) {
    writeMusicWav(dir.file("in.wav"), 3.0);
    TWaveIn source;
    source.SetFileName(dir.file("in.wav"));
    ASSERT_EQ(encode(source), "");
    const auto frames = walkFrames(readBytes(dir.file("out.mp3")));
    EXPECT_TRUE(frames.endsOnAFrameBoundary);
    EXPECT_EQ(frames.sampleRate, 44100);
    const int expected = 3 * 44100 / 1152;
    EXPECT_GE(frames.count, expected);
    EXPECT_LE(frames.count, expected + 4);
    for (int kbps : frames.bitRates)
        ASSERT_EQ(kbps, 128);
    EXPECT_FALSE(source.Busy());
}

TEST_F(Mp3Test, OtherRatesAndLayoutsEncode) {
    writeMusicWav(dir.file("in.wav"), 1.0);
    TWaveIn stereo;
    stereo.SetFileName(dir.file("in.wav"));
    ASSERT_EQ(encode(stereo, br320), "");
    for (int kbps : walkFrames(readBytes(dir.file("out.mp3"))).bitRates)
        ASSERT_EQ(kbps, 320);

    // Mono 16-bit at 22050 Hz: two seconds of 576-sample frames.
    FakeSource mono(pcm16Bytes(synthesizeTone(2.0, 22050, 1, 440)), 1, 16, 22050);
    ASSERT_EQ(encode(mono, br64), "");
    auto frames = walkFrames(readBytes(dir.file("out.mp3")));
    EXPECT_EQ(frames.sampleRate, 22050);
    EXPECT_GE(frames.count, 2 * 22050 / 576);
    EXPECT_LE(frames.count, 2 * 22050 / 576 + 4);

    // 8-bit sound is widened rather than read as 16-bit pairs.
    FakeSource eightBit(std::vector<uint8_t>(2 * 22050, 128), 1, 8, 22050);
    ASSERT_EQ(encode(eightBit, br64), "");
    frames = walkFrames(readBytes(dir.file("out.mp3")));
    EXPECT_GE(frames.count, 2 * 22050 / 576);
    EXPECT_LE(frames.count, 2 * 22050 / 576 + 4);
}

TEST_F(Mp3Test, TagTextsEndUpInTheFile) {
    FakeSource source(pcm16Bytes(synthesizeTone(0.5, 44100, 2, 440)));
    sink.SetId3TagTitle("A Title");
    sink.SetId3TagArtist("An Artist");
    sink.SetId3TagYear("1999");
    ASSERT_EQ(encode(source), "");
    const auto bytes = readBytes(dir.file("out.mp3"));
    const auto frames = walkFrames(bytes);
    ASSERT_TRUE(frames.hasTrailerTag);
    const std::string tag(bytes.end() - 128, bytes.end());
    EXPECT_EQ(tag.substr(3, 7), "A Title");
    EXPECT_EQ(tag.substr(33, 9), "An Artist");
    EXPECT_EQ(tag.substr(93, 4), "1999");
}

TEST_F(Mp3Test, AStoppedRunStillEndsWithWholeFrames) {
    FakeSource source(pcm16Bytes(synthesizeTone(30.0, 44100, 2, 440)));
    source.gate = true;
    sink.SetInput(&source);
    sink.SetFileName(dir.file("out.mp3"));
    sink.Run();
    source.allowReads(5);
    sink.Stop();
    source.allowReads(1000);
    ASSERT_TRUE(done.wait());
    EXPECT_EQ(sink.lastError(), "");
    const auto frames = walkFrames(readBytes(dir.file("out.mp3")));
    EXPECT_TRUE(frames.endsOnAFrameBoundary);
    EXPECT_GT(frames.count, 0);
    EXPECT_LT(frames.count, 100);
}

TEST_F(Mp3Test, SoundTheEncoderCannotTakeFailsTheStart) {
    FakeSource surround(std::vector<uint8_t>(6000), 6, 16, 48000);
    sink.SetInput(&surround);
    sink.SetFileName(dir.file("out.mp3"));
    EXPECT_THROW(sink.Run(), EACSException);
    EXPECT_FALSE(sink.Busy());
    EXPECT_FALSE(surround.Busy());
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.mp3")));

    sink.SetFileName("");
    EXPECT_THROW(sink.Run(), EACSException);
}

}  // namespace
