// Playing to and recording from the sound card, on in-memory devices.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "ACS_Audio.h"
#include "ACS_Wave.h"
#include "Eventually.h"
#include "FakeSource.h"
#include "MemoryWaveDevices.h"
#include "SoundCheck.h"
#include "TestFiles.h"

namespace {

using namespace std::chrono_literals;

std::vector<uint8_t> pattern(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(i * 13 + i / 509);
    return bytes;
}

class AudioDeviceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        install({{"Speakers"}}, {{"Microphone", WAVE_FORMAT_1M08 | WAVE_FORMAT_4S16, 1}});
    }
    void TearDown() override {
        installWaveService(std::make_unique<MemoryWaveService>(
            std::vector<MemoryWaveService::Device>{}, std::vector<MemoryWaveService::Device>{}));
    }
    void install(std::vector<MemoryWaveService::Device> outputs,
                 std::vector<MemoryWaveService::Device> inputs) {
        auto service = std::make_unique<MemoryWaveService>(std::move(outputs), std::move(inputs));
        devices = service.get();
        installWaveService(std::move(service));
    }

    MemoryWaveService* devices = nullptr;
};

TEST_F(AudioDeviceTest, DescribesDevices) {
    install({{"Speakers", WAVE_FORMAT_1M08 | WAVE_FORMAT_4S16, 2}},
            {{"Microphone", WAVE_FORMAT_2M16, 1}});
    EXPECT_EQ(DeviceCount(), 1);
    TDeviceInfo info;
    GetDeviceInfo(0, true, info);
    EXPECT_EQ(info.DeviceName, "Speakers");
    EXPECT_EQ(info.Formats, (1u << 0) | (1u << 11));
    EXPECT_TRUE(info.Stereo);
    EXPECT_EQ(info.DriverVersion, 0x0102u);
    GetDeviceInfo(0, false, info);
    EXPECT_EQ(info.DeviceName, "Microphone");
    EXPECT_EQ(info.Formats, 1u << 5);
    EXPECT_FALSE(info.Stereo);
    try {
        GetDeviceInfo(1, true, info);
        FAIL();
    } catch (const EACSException& error) {
        EXPECT_STREQ(error.what(), "Device 1 is not available.");
    }
}

TEST_F(AudioDeviceTest, ChecksTheDeviceNumber) {
    TAudioOut out;
    try {
        out.SetBaseChannel(1);
        FAIL();
    } catch (const EACSException& error) {
        EXPECT_STREQ(error.what(), "Channel 1 is not available");
    }
    TAudioIn in;
    EXPECT_THROW(in.SetBaseChannel(1), EACSException);
    install({}, {{"Line in"}, {"Microphone"}});
    in.SetBaseChannel(1);
    EXPECT_EQ(in.BaseChannel(), 1) << "input devices are counted apart from outputs";
    out.SetBaseChannel(7);
    EXPECT_EQ(out.BaseChannel(), 0) << "with no output device any number becomes 0";
}

TEST_F(AudioDeviceTest, PlaysEveryByteOfTheSourceInOrder) {
    const auto data = pattern(100000);
    FakeSource source(data, 2, 16, 44100);
    TAudioOut out;
    EXPECT_EQ(out.Delay(), 6);
    DoneWaiter done(out);
    out.SetInput(&source);
    out.Run();
    ASSERT_TRUE(done.wait());
    EXPECT_EQ(devices->played(), data);
    EXPECT_EQ(devices->lastFormat().nSamplesPerSec, 44100u);
    EXPECT_EQ(devices->lastFormat().nBlockAlign, 4);
    EXPECT_TRUE(out.lastError().empty());
    EXPECT_FALSE(source.Busy());
}

TEST_F(AudioDeviceTest, PlaysEveryLayoutInWholeFrames) {
    // The device takes whole frames only, and the source's deliveries split them.
    auto play = [&](const std::vector<uint8_t>& data, int channels, int bits, uint8_t volume) {
        install({{"Speakers"}}, {});
        FakeSource source(data, channels, bits, 8000);
        source.maxPerRead = 4097;
        TAudioOut out;
        DoneWaiter done(out);
        out.SetVolume(volume);
        out.SetInput(&source);
        out.Run();
        EXPECT_TRUE(done.wait());
        EXPECT_EQ(out.lastError(), "");
        return devices->played();
    };
    for (const int bits : {8, 16, 24, 32}) {
        for (int channels = 1; channels <= 6; ++channels) {
            SCOPED_TRACE(testing::Message() << bits << " bits, " << channels << " channels");
            const auto data = channelTones(1.0, 8000, channels, bits);
            EXPECT_TRUE(play(data, channels, bits, 255) == data);
        }
    }
    // Volume scaling meets every 16-bit sample at its own place.
    const auto data = channelTones(1.0, 8000, 3, 16);
    std::vector<int16_t> scaled = pcm16Samples(data);
    for (int16_t& sample : scaled)
        sample = static_cast<int16_t>(roundHalfEven(sample * (128 / 255.0)));
    EXPECT_TRUE(pcm16Samples(play(data, 3, 16, 128)) == scaled);
}

TEST_F(AudioDeviceTest, KeepsNineBuffersAheadOfTheDevice) {
    devices->holdOutput(true);
    FakeSource source(pattern(40 * 8192));
    TAudioOut out;
    DoneWaiter done(out);
    out.SetInput(&source);
    out.Run();
    ASSERT_TRUE(eventually([&] { return source.reads >= 9; }));
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(source.reads, 9) << "no more while the device holds on to them";
    devices->holdOutput(false);
    ASSERT_TRUE(done.wait());
    EXPECT_EQ(devices->played().size(), 40u * 8192);
}

TEST_F(AudioDeviceTest, VolumeScalesSixteenBitSamples) {
    const std::vector<int16_t> samples = {0, 1, -1, 255, 1000, -1000, 32767, -32768};
    auto play = [&](uint8_t volume, int bits) {
        install({{"Speakers"}}, {});
        FakeSource source(pcm16Bytes(samples), 2, bits, 8000);
        TAudioOut out;
        DoneWaiter done(out);
        out.SetVolume(volume);
        out.SetInput(&source);
        out.Run();
        EXPECT_TRUE(done.wait());
        return devices->played();
    };
    EXPECT_EQ(play(255, 16), pcm16Bytes(samples));
    EXPECT_EQ(pcm16Samples(play(0, 16)), std::vector<int16_t>(samples.size(), 0));
    EXPECT_EQ(pcm16Samples(play(128, 16)),
              (std::vector<int16_t>{0, 1, -1, 128, 502, -502, 16448, -16448}));
    EXPECT_EQ(play(128, 8), pcm16Bytes(samples)) << "8-bit sound passes unchanged";
}

TEST_F(AudioDeviceTest, StopLetsTheQueuedBuffersPlayOut) {
    devices->holdOutput(true);
    FakeSource source(pattern(100 * 8192));
    TAudioOut out;
    DoneWaiter done(out);
    out.SetInput(&source);
    out.Run();
    ASSERT_TRUE(eventually([&] { return source.reads >= 9; }));
    out.Stop();
    devices->holdOutput(false);
    ASSERT_TRUE(done.wait());
    const auto played = devices->played();
    EXPECT_EQ(played.size() % 8192, 0u);
    EXPECT_GE(played.size(), 9u * 8192);
    EXPECT_LT(played.size(), 100u * 8192);
    EXPECT_TRUE(std::equal(played.begin(), played.end(), pattern(100 * 8192).begin()));
}

TEST_F(AudioDeviceTest, PauseStopsTheFeedingUntilResumed) {
    FakeSource source(pattern(60 * 8192));
    TAudioOut out;
    DoneWaiter done(out);
    out.SetInput(&source);
    devices->holdOutput(true);
    out.Run();
    ASSERT_TRUE(eventually([&] { return source.reads >= 9; }));
    out.Pause();
    devices->holdOutput(false);
    ASSERT_TRUE(eventually([&] { return devices->played().size() >= 9u * 8192; }));
    std::this_thread::sleep_for(50ms);
    EXPECT_LE(source.reads, 18) << "at most one step after the pause";
    out.Resume();
    ASSERT_TRUE(done.wait());
    EXPECT_EQ(devices->played().size(), 60u * 8192);
}

TEST_F(AudioDeviceTest, ADeviceThatRefusesTheFormatFailsTheStart) {
    devices->refuseFormats([](const WAVEFORMATEX& format) { return format.nChannels > 2; });
    FakeSource source(pattern(8192), 6, 16, 48000);
    TAudioOut out;
    out.SetInput(&source);
    try {
        out.Run();
        FAIL();
    } catch (const EACSException& error) {
        EXPECT_NE(std::string(error.what()).find("48000 Hz, 16 bits, 6 channels"),
                  std::string::npos);
    }
    EXPECT_FALSE(out.Busy());
    EXPECT_FALSE(source.Busy());
}

TEST_F(AudioDeviceTest, ADeviceThatFailsEndsTheRunWithAnError) {
    devices->failAfter(20000);
    FakeSource source(pattern(100 * 8192));
    TAudioOut out;
    DoneWaiter done(out);
    out.SetInput(&source);
    out.Run();
    ASSERT_TRUE(done.wait());
    EXPECT_EQ(out.lastError(), "The sound device stopped working");
    EXPECT_FALSE(out.Busy());
}

TEST_F(AudioDeviceTest, RecordsExactlyTheTimeAskedFor) {
    TAudioIn in;
    EXPECT_EQ(in.Size(), -1);
    in.SetRecTime(180);
    in.SetInSampleRate(44100);
    in.SetInBitsPerSample(16);
    in.SetInChannels(2);
    EXPECT_EQ(in.TotalTime(), 180);
    in.Init();
    EXPECT_EQ(in.RecBytes(), 31752000);
    EXPECT_EQ(in.Size(), 31752000);
    in.Flush();

    TempDir dir;
    in.SetRecTime(3);
    in.SetInSampleRate(11025);
    in.SetInBitsPerSample(8);
    in.SetInChannels(1);
    TWaveOut out;
    DoneWaiter done(out);
    out.SetInput(&in);
    out.SetFileName(dir.file("rec.wav"));
    out.Run();
    ASSERT_TRUE(done.wait());
    ASSERT_EQ(out.lastError(), "");
    const auto bytes = readBytes(dir.file("rec.wav"));
    ASSERT_EQ(bytes.size(), 44u + 3 * 11025);
    for (size_t i = 0; i < 3 * 11025; ++i)
        ASSERT_EQ(bytes[44 + i], i % 251) << i;
    EXPECT_EQ(devices->lastFormat().nSamplesPerSec, 11025u);
}

TEST_F(AudioDeviceTest, AStoppedRecordingEndsAtOnceWithAValidFile) {
    devices->setPace(64000);  // four times real time for 8000 Hz 16-bit mono
    TempDir dir;
    TAudioIn in;
    in.SetInBitsPerSample(16);
    in.SetRecTime(60);
    TWaveOut out;
    DoneWaiter done(out);
    out.SetInput(&in);
    out.SetFileName(dir.file("rec.wav"));
    out.Run();
    ASSERT_TRUE(eventually([&] { return in.Position() > 0; }));
    out.Stop();
    ASSERT_TRUE(done.wait(1, 5)) << "no waiting for the buffers still at the device";
    const auto bytes = readBytes(dir.file("rec.wav"));
    TWaveIn check;
    check.SetFileName(dir.file("rec.wav"));
    check.Init();
    EXPECT_EQ(check.Size(), static_cast<int64_t>(bytes.size() - 44));
    EXPECT_LT(check.Size(), 60 * 16000);
    check.Flush();
}

TEST_F(AudioDeviceTest, ARecordingDeviceThatRefusesFailsClearly) {
    devices->refuseFormats(
        [](const WAVEFORMATEX& format) { return format.nSamplesPerSec > 48000; });
    TAudioIn in;
    in.SetInSampleRate(96000);
    try {
        in.Init();
        FAIL();
    } catch (const EACSException& error) {
        EXPECT_NE(std::string(error.what()).find("96000 Hz"), std::string::npos);
    }
    EXPECT_FALSE(in.Busy());
    uint8_t byte;
    EXPECT_THROW(in.ReadData(&byte, 1), EACSException);
}

TEST_F(AudioDeviceTest, ARecordingDeviceThatFailsEndsTheRun) {
    devices->failAfter(30000);
    TempDir dir;
    TAudioIn in;
    in.SetRecTime(60);
    TWaveOut out;
    DoneWaiter done(out);
    out.SetInput(&in);
    out.SetFileName(dir.file("rec.wav"));
    out.Run();
    ASSERT_TRUE(done.wait());
    EXPECT_EQ(out.lastError(), "The recording device stopped working");
    EXPECT_FALSE(in.Busy());
}

}  // namespace
