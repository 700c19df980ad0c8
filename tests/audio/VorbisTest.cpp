// Ogg Vorbis encoding and decoding through the source and the sink.
#include <gtest/gtest.h>

#include <cmath>

#include "ACS_Vorbis.h"
#include "ACS_Wave.h"
#include "FakeSource.h"
#include "Synth.h"
#include "TestFiles.h"

namespace {

// The pages of an Ogg file: header type flags and serial numbers.
struct OggPage {
    uint8_t flags;
    uint32_t serial;
};

std::vector<OggPage> oggPages(const std::vector<uint8_t>& bytes) {
    std::vector<OggPage> pages;
    size_t at = 0;
    while (at + 27 <= bytes.size() &&
           std::equal(bytes.begin() + static_cast<ptrdiff_t>(at),
                      bytes.begin() + static_cast<ptrdiff_t>(at) + 4, "OggS")) {
        const uint8_t segments = bytes[at + 26];
        size_t body = 0;
        for (size_t i = 0; i < segments; ++i)
            body += bytes[at + 27 + i];
        uint32_t serial = 0;
        for (int i = 0; i < 4; ++i)
            serial |= uint32_t{bytes[at + 14 + static_cast<size_t>(i)]} << (8 * i);
        pages.push_back({bytes[at + 5], serial});
        at += 27 + segments + body;
    }
    return pages;
}

class VorbisTest : public ::testing::Test {
  protected:
    // Encodes a source into dir/name with the sink's settings; returns the sink's error.
    std::string encode(TACSInput& source, const std::string& name, float quality = 0.2f,
                       const std::vector<std::string>& comments = {}) {
        TVorbisOut sink;
        DoneWaiter done(sink);
        sink.SetInput(&source);
        sink.SetFileName(dir.file(name));
        sink.SetCompression(quality);
        sink.SetComments(comments);
        sink.SetSerial(4242);
        sink.Run();
        EXPECT_TRUE(done.wait(1, 60));
        EXPECT_TRUE(sink.Comments().empty()) << "a run uses its comments up";
        return sink.lastError();
    }

    std::string encodeWav(const std::vector<int16_t>& samples, int channels, int rate,
                          const std::string& name, const std::vector<std::string>& comments = {}) {
        writeWav(dir.file(name + ".wav"), channels, 16, rate, pcm16Bytes(samples));
        TWaveIn wave;
        wave.SetFileName(dir.file(name + ".wav"));
        return encode(wave, name + ".ogg", 0.2f, comments);
    }

    static std::vector<uint8_t> decodeAll(TVorbisIn& source) {
        std::vector<uint8_t> out;
        std::vector<uint8_t> chunk(65536);
        source.Init();
        while (true) {
            const int n = source.ReadData(chunk.data(), 65536);
            if (n <= 0) break;
            EXPECT_LE(n, 8192) << "a call never goes past the current block";
            out.insert(out.end(), chunk.begin(), chunk.begin() + n);
        }
        source.Flush();
        return out;
    }

    TempDir dir;
};

TEST_F(VorbisTest, RoundTripKeepsFormatAndLengthWithinOneBlock) {
    const auto music = synthesizeMusic(3.0, 44100, 2);
    ASSERT_EQ(encodeWav(music, 2, 44100, "music"), "");
    TVorbisIn source;
    source.SetFileName(dir.file("music.ogg"));
    EXPECT_EQ(source.InChannels(), 2);
    EXPECT_EQ(source.InSampleRate(), 44100);
    EXPECT_EQ(source.InBitsPerSample(), 16);
    EXPECT_EQ(source.TotalTime(), 3);
    const auto decoded = decodeAll(source);
    const auto frames = static_cast<long>(decoded.size() / 4);
    EXPECT_LE(std::labs(frames - static_cast<long>(music.size() / 2)), 2048);
    EXPECT_EQ(source.Size(), static_cast<int64_t>(decoded.size()));

    // The sound itself survives: compare the energy of the two.
    double original = 0, roundTrip = 0;
    const auto samples = pcm16Samples(decoded);
    for (size_t i = 0; i < std::min(samples.size(), music.size()); ++i) {
        original += double(music[i]) * music[i];
        roundTrip += double(samples[i]) * samples[i];
    }
    EXPECT_NEAR(roundTrip / original, 1.0, 0.1);
}

TEST_F(VorbisTest, MonoAndOtherLayoutsEncodeAtTheirFullLength) {
    ASSERT_EQ(encodeWav(synthesizeTone(2.0, 22050, 1, 440), 1, 22050, "mono"), "");
    ASSERT_EQ(encodeWav(synthesizeTone(2.0, 48000, 3, 440), 3, 48000, "three"), "");
    FakeSource eightBit(std::vector<uint8_t>(16000, 128), 1, 8, 8000);
    ASSERT_EQ(encode(eightBit, "eight.ogg"), "");
    for (const auto& [name, seconds] :
         {std::pair{"mono.ogg", 2}, {"three.ogg", 2}, {"eight.ogg", 2}}) {
        TVorbisIn source;
        source.SetFileName(dir.file(name));
        EXPECT_EQ(source.TotalTime(), seconds) << name;
    }
}

TEST_F(VorbisTest, CommentsFollowTheFirstValueOfEachTag) {
    ASSERT_EQ(encodeWav(synthesizeTone(0.5, 44100, 2, 440), 2, 44100, "tags",
                        {"ARTIST=A", "TITLE=Song", "ARTIST=B", "loose"}),
              "");
    TVorbisIn source;
    source.SetFileName(dir.file("tags.ogg"));
    source.InChannels();  // a real open refills the comment list
    EXPECT_EQ(source.Comments(),
              (std::vector<std::string>{"ARTIST=A", "TITLE=Song", "ARTIST=A", "="}));
}

TEST_F(VorbisTest, PagesCarryTheSerialAndTheLastClosesTheStream) {
    ASSERT_EQ(encodeWav(synthesizeTone(1.0, 44100, 2, 440), 2, 44100, "serial"), "");
    const auto pages = oggPages(readBytes(dir.file("serial.ogg")));
    ASSERT_GE(pages.size(), 3u);
    for (const auto& page : pages)
        EXPECT_EQ(page.serial, 4242u);
    EXPECT_TRUE(pages.back().flags & 0x04);
}

TEST_F(VorbisTest, AStoppedRunLeavesTheStreamOpen) {
    FakeSource source(pcm16Bytes(synthesizeTone(30.0, 44100, 2, 440)));
    source.gate = true;
    TVorbisOut sink;
    DoneWaiter done(sink);
    sink.SetInput(&source);
    sink.SetFileName(dir.file("stopped.ogg"));
    sink.Run();
    source.allowReads(3);
    sink.Stop();
    source.allowReads(1000);
    ASSERT_TRUE(done.wait());
    const auto pages = oggPages(readBytes(dir.file("stopped.ogg")));
    ASSERT_FALSE(pages.empty());
    EXPECT_FALSE(pages.back().flags & 0x04);
}

TEST_F(VorbisTest, AQualityTheEncoderRefusesFailsTheStart) {
    FakeSource source(std::vector<uint8_t>(4000));
    TVorbisOut sink;
    sink.SetInput(&source);
    sink.SetFileName(dir.file("bad.ogg"));
    sink.SetCompression(-1.0f);
    EXPECT_THROW(sink.Run(), EACSException);
    EXPECT_FALSE(sink.Busy());
    EXPECT_FALSE(source.Busy());
    EXPECT_FALSE(std::filesystem::exists(dir.file("bad.ogg")));
}

TEST_F(VorbisTest, JumpSeeksTheDecoderAndLoopStartsAgain) {
    ASSERT_EQ(encodeWav(synthesizeTone(10.0, 8000, 1, 300), 1, 8000, "ten"), "");
    TVorbisIn source;
    source.SetFileName(dir.file("ten.ogg"));
    source.Init();
    const int64_t size = source.Size();
    source.Jump(60);
    std::vector<uint8_t> chunk(1000);
    ASSERT_GT(source.ReadData(chunk.data(), 1000), 0);
    EXPECT_NEAR(static_cast<double>(source.Position()) / size, 0.6, 0.01);
    // What is left after the jump is about 40 % of the file.
    int64_t rest = 0;
    std::vector<uint8_t> block(8192);
    while (int n = source.ReadData(block.data(), 8192))
        rest += n;
    EXPECT_NEAR(static_cast<double>(rest) / size, 0.4, 0.02);
    source.Flush();

    source.Init();
    source.Jump(150);  // past the end: nothing is left
    EXPECT_EQ(source.ReadData(block.data(), 8192), 0);
    EXPECT_EQ(source.Position(), size);
    source.Flush();

    source.SetLoop(true);
    source.Init();
    int64_t delivered = 0;
    while (delivered < 3 * size) {
        const int n = source.ReadData(block.data(), 8192);
        ASSERT_GT(n, 0);
        delivered += n;
        ASSERT_LE(source.Position(), size);
    }
    source.Flush();
}

TEST_F(VorbisTest, DamagedFilesRaiseAClearErrorOrEndEarly) {
    ASSERT_EQ(encodeWav(synthesizeMusic(10.0, 44100, 2), 2, 44100, "good"), "");
    const auto good = readBytes(dir.file("good.ogg"));

    writeBytes(dir.file("empty.ogg"), {});
    writeBytes(dir.file("text.ogg"), std::vector<uint8_t>(5000, 'x'));
    std::vector<uint8_t> headersOnly(good.begin(), good.begin() + 200);
    writeBytes(dir.file("cut-headers.ogg"), headersOnly);
    for (const std::string name : {"empty.ogg", "text.ogg", "cut-headers.ogg", "missing.ogg"}) {
        TVorbisIn source;
        source.SetFileName(dir.file(name));
        EXPECT_NO_THROW(source.InChannels()) << name;
        EXPECT_THROW(source.Init(), EACSException) << name;
        EXPECT_FALSE(source.Busy()) << name;
    }

    // Cut in the middle, or with bytes overwritten: what can be decoded comes out.
    std::vector<uint8_t> half(good.begin(), good.begin() + static_cast<ptrdiff_t>(good.size() / 2));
    writeBytes(dir.file("half.ogg"), half);
    std::vector<uint8_t> scribbled = good;
    for (size_t i = good.size() / 3; i < good.size() / 3 + 500; ++i)
        scribbled[i] ^= 0x5A;
    writeBytes(dir.file("scribbled.ogg"), scribbled);
    for (const std::string name : {"half.ogg", "scribbled.ogg"}) {
        TVorbisIn source;
        source.SetFileName(dir.file(name));
        std::vector<uint8_t> decoded;
        ASSERT_NO_THROW(decoded = decodeAll(source)) << name;
        EXPECT_GT(decoded.size(), 3u * 44100 * 4) << name;
        EXPECT_LE(decoded.size(), 10u * 44100 * 4 + 8192) << name;
    }
}

}  // namespace
