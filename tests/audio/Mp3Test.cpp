// MP3 encoding through the MP3 sink, checked by walking the frames it wrote.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <thread>

#include "ACS_LAME.h"
#include "ACS_Wave.h"
#include "FakeSource.h"
#include "SoundCheck.h"
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

TEST_F(Mp3Test, DecodesToExactlyTheSamplesThatWentIn) {
    // The first frame is the info frame with the encoder's delay and padding, so that a
    // decoder gives back the input's length rather than an extra frame and more.
    writeWav(dir.file("in.wav"), 2, 16, 44100, pcm16Bytes(synthesizeTone(3.3, 44100, 2, 440)));
    TWaveIn source;
    source.SetFileName(dir.file("in.wav"));
    ASSERT_EQ(encode(source), "");
    const auto bytes = readBytes(dir.file("out.mp3"));
    // MPEG-1 stereo: 4 header bytes and 32 of side information before the tag.
    ASSERT_GT(bytes.size(), 40u);
    EXPECT_EQ(std::string(bytes.begin() + 36, bytes.begin() + 40), "Info");
    EXPECT_EQ(lameDecodedFrames(dir.file("out.mp3")), 145530) << "(-1: lame is missing)";
}

TEST_F(Mp3Test, LowAndHighSampleRatesEncodeToTheirFullLength) {
    // The encoder codes 1000 Hz at 8000 Hz and 96000 Hz at 48000 Hz: the output of one
    // call can be far more than the input's size suggests.
    for (const int rate : {1000, 8000, 22050, 96000}) {
        for (const TMP3BitRate bitRate : {br32, br160, br320}) {
            SCOPED_TRACE(testing::Message() << rate << " Hz, " << mp3BitRateKbps(bitRate));
            writeWav(dir.file("in.wav"), 1, 16, rate,
                     pcm16Bytes(synthesizeTone(1.5, rate, 1, 300)));
            TWaveIn source;
            source.SetFileName(dir.file("in.wav"));
            ASSERT_EQ(encode(source, bitRate), "");
            const DecodedMp3 decoded = decodeMp3(readBytes(dir.file("out.mp3")));
            ASSERT_GT(decoded.rate, 0);
            EXPECT_NEAR(measuredTone(decoded.samples, 1, 0, decoded.rate), 300, 3);
            // Where the encoder codes at 32 kbit/s and 22050 Hz, a frame (104 bytes) has no
            // room for the info frame, in lame's own files neither.
            const auto bytes = readBytes(dir.file("out.mp3"));
            const auto head = std::string(bytes.begin(), bytes.begin() + 64);
            if (bitRate != br32) {
                EXPECT_NE(head.find("Info"), std::string::npos);
            }
            if (head.find("Info") != std::string::npos) {
                EXPECT_EQ(lameDecodedFrames(dir.file("out.mp3")), 3 * decoded.rate / 2);
            }
        }
    }
}

TEST_F(Mp3Test, APipeGetsNoReservedFrame) {
    // Nothing can be written back into a pipe: the stream starts with sound.
    const std::string pipe = dir.file("pipe.mp3");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::vector<uint8_t> received;
    std::thread reader([&] { received = readBytes(pipe); });
    FakeSource source(pcm16Bytes(synthesizeTone(1.0, 44100, 2, 440)));
    sink.SetInput(&source);
    sink.SetFileName(pipe);
    sink.Run();
    EXPECT_TRUE(done.wait(++runs, 60));
    reader.join();
    EXPECT_EQ(sink.lastError(), "");
    ASSERT_GT(received.size(), 40u);
    EXPECT_NE(std::string(received.begin() + 36, received.begin() + 40), "Info");
    const DecodedMp3 decoded = decodeMp3(received);
    EXPECT_NEAR(measuredTone(decoded.samples, 2, 0, 44100), 440, 3);

    // A file of the same sound has one frame more: the info frame.
    FakeSource again(pcm16Bytes(synthesizeTone(1.0, 44100, 2, 440)));
    ASSERT_EQ(encode(again), "");
    EXPECT_EQ(walkFrames(readBytes(dir.file("out.mp3"))).count, walkFrames(received).count + 1);
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
