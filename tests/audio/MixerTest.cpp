// The two-input mixer: its arithmetic, its two modes and its errors.
#include <gtest/gtest.h>

#include "ACS_AudioMix.h"
#include "ACS_Wave.h"
#include "FakeSource.h"
#include "TestFiles.h"

namespace {

int16_t mixOne(int16_t a, int16_t b, uint8_t volume1 = 255, uint8_t volume2 = 255) {
    auto first = pcm16Bytes({a});
    auto second = pcm16Bytes({b});
    TAudioMixer::MixBuffers(first.data(), second.data(), 2, volume1, volume2);
    return pcm16Samples(second)[0];
}

std::vector<uint8_t> readAll(TACSInput& source, int request = 65536, int* largest = nullptr) {
    std::vector<uint8_t> out(static_cast<size_t>(request));
    std::vector<uint8_t> all;
    while (int n = source.ReadData(out.data(), request)) {
        if (largest) *largest = std::max(*largest, n);
        all.insert(all.end(), out.begin(), out.begin() + n);
    }
    return all;
}

TEST(MixBuffersTest, AveragesTheScaledSamplesTowardZero) {
    EXPECT_EQ(mixOne(1, 0), 0);
    EXPECT_EQ(mixOne(-1, 0), 0);
    EXPECT_EQ(mixOne(3, 0), 1);
    EXPECT_EQ(mixOne(-3, 0), -1);
    EXPECT_EQ(mixOne(32767, 32767), 32767);
    EXPECT_EQ(mixOne(-32768, -32768), -32768);
    EXPECT_EQ(mixOne(32767, -32768), 0);
    EXPECT_EQ(mixOne(1000, 3000), 2000);
}

TEST(MixBuffersTest, ScalesEachSourceByItsVolumeWithHalvesToEven) {
    EXPECT_EQ(mixOne(1, 1, 128, 255), 1);           // 1 x 128/255 = 0.502 -> 1
    EXPECT_EQ(mixOne(1000, 0, 0, 255), 0);          // the first source silent
    EXPECT_EQ(mixOne(0, 1000, 0, 255), 500);        // the second at half level
    EXPECT_EQ(mixOne(255, 0, 1, 255), 0);           // 255 x 1/255 = 1 -> (1 + 0) / 2
    EXPECT_EQ(mixOne(510, 510, 1, 1), 2);           // 2 + 2
    EXPECT_EQ(mixOne(-32768, 0, 128, 255), -8224);  // -16448.25 -> -16448, halved
    EXPECT_EQ(mixOne(1275, 1275, 51, 51), 255);     // exact fifths stay exact
}

class MixerTest : public ::testing::Test {
  protected:
    TempDir dir;
    TAudioMixer mixer;
};

TEST_F(MixerTest, MixesToTheLengthOfTheLongerSource) {
    std::vector<int16_t> one(44100 * 2, 1000), three(44100 * 2 * 3, -600);
    FakeSource shortSource(pcm16Bytes(one)), longSource(pcm16Bytes(three));
    mixer.SetInput1(&shortSource);
    mixer.SetInput2(&longSource);
    mixer.Init();
    EXPECT_EQ(mixer.Size(), static_cast<int64_t>(three.size() * 2));
    int largest = 0;
    const auto mixed = pcm16Samples(readAll(mixer, 65536, &largest));
    mixer.Flush();
    EXPECT_LE(largest, 16384);
    ASSERT_EQ(mixed.size(), three.size());
    EXPECT_EQ(mixed.front(), 200);
    EXPECT_EQ(mixed[one.size() - 1], 200);
    EXPECT_EQ(mixed[one.size()], -300) << "the second source alone, at half level";
    EXPECT_EQ(mixed.back(), -300);
    EXPECT_FALSE(shortSource.Busy());
    EXPECT_FALSE(longSource.Busy());
}

TEST_F(MixerTest, ConcatenatesUnchangedFirstSourceFirst) {
    std::vector<uint8_t> first(40001), second(30000);
    for (size_t i = 0; i < first.size(); ++i)
        first[i] = static_cast<uint8_t>(i);
    for (size_t i = 0; i < second.size(); ++i)
        second[i] = static_cast<uint8_t>(255 - i % 256);
    FakeSource a(first), b(second);
    mixer.SetInput1(&a);
    mixer.SetInput2(&b);
    mixer.SetMode(amConcatenate);
    mixer.SetVolume1(0);  // volumes play no part in joining
    mixer.Init();
    EXPECT_EQ(mixer.Size(), 70001);
    // The first ends within a 4-byte frame; silence completes it, so that the second
    // starts on a frame of its own rather than with its channels swapped.
    std::vector<uint8_t> expected = first;
    expected.insert(expected.end(), 3, 0);
    expected.insert(expected.end(), second.begin(), second.end());
    // Each read comes from one source only: the first ends in a short block of its own.
    std::vector<int> reads;
    std::vector<uint8_t> all, chunk(65536);
    while (int n = mixer.ReadData(chunk.data(), 65536)) {
        reads.push_back(n);
        all.insert(all.end(), chunk.begin(), chunk.begin() + n);
    }
    mixer.Flush();
    EXPECT_EQ(all, expected);
    EXPECT_EQ(reads[2], 40001 - 2 * 16384);
    EXPECT_EQ(reads[3], 3);
}

TEST_F(MixerTest, AnswersTheFirstSourcesFormat) {
    FakeSource a({}, 1, 16, 22050), b({}, 1, 16, 22050);
    try {
        mixer.InChannels();
        FAIL();
    } catch (const EACSException& error) {
        EXPECT_STREQ(error.what(), "Input not assigned");
    }
    mixer.SetInput1(&a);
    mixer.SetInput2(&b);
    EXPECT_EQ(mixer.InChannels(), 1);
    EXPECT_EQ(mixer.InSampleRate(), 22050);
    EXPECT_EQ(mixer.InBitsPerSample(), 16);
    EXPECT_EQ(mixer.TotalTime(), 0);
}

TEST_F(MixerTest, RefusesMissingInputsAndReadsBeforeInit) {
    FakeSource a, b;
    uint8_t byte;
    try {
        mixer.ReadData(&byte, 1);
        FAIL();
    } catch (const EACSException& error) {
        EXPECT_STREQ(error.what(), "The Stream is not opened");
    }
    try {
        mixer.Init();
        FAIL();
    } catch (const EACSException& error) {
        EXPECT_STREQ(error.what(), "Input1 not assigned");
    }
    mixer.SetInput1(&a);
    try {
        mixer.Init();
        FAIL();
    } catch (const EACSException& error) {
        EXPECT_STREQ(error.what(), "Input2 not assigned");
    }
}

TEST_F(MixerTest, RefusesSourcesOfDifferentFormatsAndLeavesThemFree) {
    FakeSource stereo({}, 2, 16, 44100), mono({}, 1, 16, 44100), slow({}, 2, 16, 22050),
        eightBit({}, 2, 8, 44100), eightBitToo({}, 2, 8, 44100);
    for (FakeSource* other : {&mono, &slow, &eightBit}) {
        mixer.SetInput1(&stereo);
        mixer.SetInput2(other);
        EXPECT_THROW(mixer.Init(), EACSException);
        EXPECT_FALSE(stereo.Busy());
        EXPECT_FALSE(other->Busy());
        EXPECT_FALSE(mixer.Busy());
    }
    mixer.SetInput1(&eightBit);
    mixer.SetInput2(&eightBitToo);
    EXPECT_THROW(mixer.Init(), EACSException) << "8-bit sound cannot be averaged as 16-bit";
    mixer.SetMode(amConcatenate);
    EXPECT_NO_THROW(mixer.Init()) << "but it can be joined";
    mixer.Flush();
}

TEST_F(MixerTest, ASourceErrorPassesThrough) {
    FakeSource a(std::vector<uint8_t>(100000)), b(std::vector<uint8_t>(100000));
    b.failAfter = 16384;
    mixer.SetInput1(&a);
    mixer.SetInput2(&b);
    mixer.Init();
    std::vector<uint8_t> chunk(16384);
    EXPECT_EQ(mixer.ReadData(chunk.data(), 16384), 16384);
    try {
        mixer.ReadData(chunk.data(), 16384);
        FAIL();
    } catch (const EACSException& error) {
        EXPECT_STREQ(error.what(), "read failed");
    }
    mixer.Flush();
}

TEST_F(MixerTest, MixesTwoWavFilesIntoAWavFile) {
    writeWav(dir.file("a.wav"), 2, 16, 44100, pcm16Bytes(std::vector<int16_t>(10000, 100)));
    writeWav(dir.file("b.wav"), 2, 16, 44100, pcm16Bytes(std::vector<int16_t>(20000, 300)));
    TWaveIn a, b;
    a.SetFileName(dir.file("a.wav"));
    b.SetFileName(dir.file("b.wav"));
    mixer.SetInput1(&a);
    mixer.SetInput2(&b);
    TWaveOut sink;
    DoneWaiter done(sink);
    sink.SetInput(&mixer);
    sink.SetFileName(dir.file("out.wav"));
    sink.Run();
    ASSERT_TRUE(done.wait());
    ASSERT_EQ(sink.lastError(), "");
    const auto samples = pcm16Samples(readBytes(dir.file("out.wav")), 44);
    ASSERT_EQ(samples.size(), 20000u);
    EXPECT_EQ(samples[9999], 200);
    EXPECT_EQ(samples[10000], 150);

    sink.SetFileName(dir.file("a.wav"));
    EXPECT_THROW(sink.Run(), EACSException) << "either input counts as the sink's own input";
    EXPECT_FALSE(a.Busy());
    EXPECT_FALSE(b.Busy());
}

}  // namespace
