// MP3 decoding through the MP3 source: files written by lame and FFmpeg, and what our own
// MP3 sink writes.
#include <gtest/gtest.h>

#include <filesystem>

#include "ACS_LAME.h"
#include "ACS_Mpg123.h"
#include "FakeSource.h"
#include "SoundCheck.h"
#include "SourceReading.h"
#include "Synth.h"
#include "TestFiles.h"

namespace {

const std::string kData = QUILLON_MP3_DATA;

TEST(Mp3SourceTest, FilesOfOtherEncodersGiveTheirExactLengthAndTones) {
    struct Case {
        const char* name;
        int rate;
        int channels;
        int64_t frames;  // -1: no info frame, so the encoder's delay stays in
    };
    const Case cases[] = {
        {"lame-cbr-stereo.mp3", 24000, 2, 24000},
        {"lame-vbr-mono.mp3", 22050, 1, 11025},
        {"ffmpeg-stereo-id3.mp3", 44100, 2, 44100},
        {"lame-noinfo-mono.mp3", 22050, 1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TMP3In source;
        source.SetFileName(kData + "/" + c.name);
        EXPECT_EQ(source.InSampleRate(), c.rate);
        EXPECT_EQ(source.InChannels(), c.channels);
        EXPECT_EQ(source.InBitsPerSample(), 16);
        const std::vector<uint8_t> pcm = readAll(source);
        const int64_t frames = static_cast<int64_t>(pcm.size()) / (2 * c.channels);
        // The size announced before decoding is what comes, so progress ends at 100.
        EXPECT_EQ(source.Size(), static_cast<int64_t>(pcm.size()));
        if (c.frames >= 0) {
            EXPECT_EQ(frames, c.frames);
        } else {
            // Whole MP3 frames of 576 samples at this rate, the delay included.
            EXPECT_EQ(frames % 576, 0);
            EXPECT_GT(frames, 11025);
        }
        const std::vector<int16_t> samples = pcm16Samples(pcm);
        for (int channel = 0; channel < c.channels; ++channel)
            EXPECT_NEAR(measuredTone(samples, c.channels, channel, c.rate), channelTone(channel),
                        3.0)
                << "channel " << channel;
    }
}

TEST(Mp3SourceTest, WhatOurSinkWritesComesBackWithEverySampleFrame) {
    TempDir dir;
    // A length that is no multiple of any frame size, mono and stereo.
    for (const int channels : {1, 2}) {
        const std::vector<uint8_t> pcm = pcm16Bytes(synthesizeMusic(1.2345, 44100, channels));
        FakeSource input(pcm, channels, 16, 44100);
        TMP3Out sink;
        DoneWaiter done(sink);
        sink.SetInput(&input);
        sink.SetFileName(dir.file("ours.mp3"));
        sink.Run();
        ASSERT_TRUE(done.wait(1, 60));
        ASSERT_EQ(sink.lastError(), "");
        TMP3In source;
        source.SetFileName(dir.file("ours.mp3"));
        EXPECT_EQ(source.TotalTime(), 1);
        EXPECT_EQ(readAll(source).size(), pcm.size()) << channels << " channels";
    }
}

TEST(Mp3SourceTest, JumpsAndLoops) {
    TMP3In source;
    source.SetFileName(kData + "/ffmpeg-stereo-id3.mp3");
    const std::vector<uint8_t> whole = readAll(source);
    ASSERT_EQ(whole.size(), 44100u * 4);

    // A jump takes effect when the decoded block under way is used up.
    std::vector<uint8_t> block(16384);
    source.Init();
    ASSERT_EQ(source.ReadData(block.data(), 16384), 16384);
    source.Jump(50);
    const int got = source.ReadData(block.data(), 4096);
    ASSERT_GT(got, 0);
    const int64_t landed = source.Position() - got;
    EXPECT_EQ(landed % 4, 0);
    EXPECT_EQ(landed, 16384 + static_cast<int64_t>(whole.size()) / 2);
    EXPECT_TRUE(std::equal(block.begin(), block.begin() + got, whole.begin() + landed))
        << "the decoder lands on the very sample frame asked for";
    source.Flush();

    source.SetLoop(true);
    const std::vector<uint8_t> twice = readAll(source, whole.size() + 8192);
    ASSERT_GE(twice.size(), whole.size() + 8192);
    EXPECT_TRUE(std::equal(whole.begin(), whole.end(), twice.begin()));
    EXPECT_TRUE(std::equal(twice.begin() + static_cast<ptrdiff_t>(whole.size()), twice.end(),
                           whole.begin()));
}

TEST(Mp3SourceTest, RejectsOtherFilesAndEndsACutOneEarly) {
    TempDir dir;
    writeWav(dir.file("silence.wav"), 2, 16, 44100, std::vector<uint8_t>(40000));
    writeBytes(dir.file("empty.mp3"), {});
    writeBytes(dir.file("text.mp3"), std::vector<uint8_t>(5000, 'x'));
    for (const std::string name : {"silence.wav", "empty.mp3", "text.mp3", "missing.mp3"}) {
        TMP3In source;
        source.SetFileName(dir.file(name));
        EXPECT_THROW(source.Init(), EACSException) << name;
        EXPECT_FALSE(source.Valid()) << name;
        EXPECT_FALSE(source.Busy()) << name;
    }
    TMP3In text;
    text.SetFileName(dir.file("text.mp3"));
    try {
        text.Init();
    } catch (const EACSException& error) {
        EXPECT_EQ(std::string(error.what()),
                  "The file \"" + dir.file("text.mp3") + "\" is not an MP3 file");
    }

    std::vector<uint8_t> bytes = readBytes(kData + "/lame-cbr-stereo.mp3");
    for (size_t at = bytes.size() / 3; at < bytes.size() / 3 + 100; ++at)
        bytes[at] ^= 0x5A;
    bytes.resize(bytes.size() / 2);
    writeBytes(dir.file("cut.mp3"), bytes);
    TMP3In cut;
    cut.SetFileName(dir.file("cut.mp3"));
    const std::vector<uint8_t> got = readAll(cut);
    EXPECT_GT(got.size(), 24000u);
    EXPECT_LT(got.size(), 24000u * 4);
}

}  // namespace
