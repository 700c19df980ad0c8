// Ogg Opus encoding through the sink, checked and decoded by opus-tools.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "ACS_Opus.h"
#include "FakeSource.h"
#include "RunCommand.h"
#include "SoundCheck.h"
#include "Synth.h"
#include "TestFiles.h"

namespace {

class OpusTest : public ::testing::Test {
  protected:
    std::string encode(TACSInput& source, const std::string& name, int kbps = 160) {
        TOpusOut sink;
        DoneWaiter done(sink);
        sink.SetInput(&source);
        sink.SetFileName(dir.file(name));
        sink.SetBitrate(kbps);
        sink.Run();
        EXPECT_TRUE(done.wait(1, 120));
        return sink.lastError();
    }

    // What opusinfo says of dir/name; a failed check fails the test.
    std::string info(const std::string& name) {
        const CommandResult result = runCommand("opusinfo " + shellQuote(dir.file(name)));
        EXPECT_EQ(result.status, 0) << result.output;
        return result.output;
    }

    // The 16-bit samples opusdec decodes from dir/name at rate Hz.
    std::vector<int16_t> decode(const std::string& name, int rate) {
        const std::string raw = dir.file(name + ".raw");
        const CommandResult result =
            runCommand("opusdec --quiet --no-dither --rate " + std::to_string(rate) + " " +
                       shellQuote(dir.file(name)) + " " + shellQuote(raw));
        EXPECT_EQ(result.status, 0) << result.output;
        return result.status == 0 ? pcm16Samples(readBytes(raw)) : std::vector<int16_t>{};
    }

    static double averageKbps(const std::string& report) {
        std::smatch match;
        const std::regex pattern("Average bitrate: ([0-9.]+) kbit/s");
        return std::regex_search(report, match, pattern) ? std::stod(match[1]) : -1.0;
    }

    bool exists(const std::string& name) const { return std::filesystem::exists(dir.file(name)); }

    TempDir dir;
};

TEST_F(OpusTest, CdSoundPassesOpusinfoAndDecodesToItsLengthAndTone) {
    FakeSource source(pcm16Bytes(synthesizeTone(3.0, 44100, 2, 440.0)), 2, 16, 44100);
    source.maxPerRead = 32767;  // deliveries that split frames
    ASSERT_EQ(encode(source, "cd.opus"), "");
    const std::string report = info("cd.opus");
    EXPECT_NE(report.find("Channels: 2"), std::string::npos) << report;
    EXPECT_NE(report.find("Original sample rate: 44100 Hz"), std::string::npos) << report;
    EXPECT_NE(report.find("Playback length: 0m:03.000s"), std::string::npos) << report;
    const std::vector<int16_t> decoded = decode("cd.opus", 44100);
    EXPECT_EQ(decoded.size(), size_t{3 * 44100 * 2});
    EXPECT_NEAR(measuredTone(decoded, 2, 0, 44100), 440.0, 2.0);
    EXPECT_NEAR(measuredTone(decoded, 2, 1, 44100), 440.0, 2.0);
    EXPECT_FALSE(exists("cd.opus.part"));
}

TEST_F(OpusTest, OtherRatesWidthsAndMonoAreResampledToTheirLength) {
    struct Layout {
        int bits, channels, rate;
    };
    for (const Layout layout :
         {Layout{8, 1, 8000}, Layout{24, 2, 96000}, Layout{32, 1, 11025}, Layout{16, 2, 22050}}) {
        SCOPED_TRACE(std::to_string(layout.rate) + " Hz");
        const std::vector<uint8_t> pcm =
            channelTones(2.0, layout.rate, layout.channels, layout.bits);
        FakeSource source(pcm, layout.channels, layout.bits, layout.rate);
        source.maxPerRead = 4099;
        ASSERT_EQ(encode(source, "layout.opus", 96), "");
        const std::string report = info("layout.opus");
        EXPECT_NE(report.find("Channels: " + std::to_string(layout.channels)), std::string::npos);
        EXPECT_NE(report.find("Original sample rate: " + std::to_string(layout.rate) + " Hz"),
                  std::string::npos)
            << report;
        const std::vector<int16_t> decoded = decode("layout.opus", 48000);
        EXPECT_EQ(decoded.size(), size_t{2 * 48000} * static_cast<size_t>(layout.channels));
        for (int channel = 0; channel < layout.channels; ++channel)
            EXPECT_NEAR(measuredTone(decoded, layout.channels, channel, 48000),
                        channelTone(channel), 2.0);
    }
}

TEST_F(OpusTest, TheBitRateSetsTheFileSize) {
    const std::vector<uint8_t> music = pcm16Bytes(synthesizeMusic(4.0, 48000, 2));
    for (const int kbps : {64, 160, 256}) {
        FakeSource source(music, 2, 16, 48000);
        ASSERT_EQ(encode(source, "rate.opus", kbps), "");
        const double average = averageKbps(info("rate.opus"));
        EXPECT_NEAR(average, kbps, kbps * 0.25) << kbps << " kbit/s asked";
    }
}

TEST_F(OpusTest, MoreThanTwoChannelsAndBadBitRatesAreRefused) {
    struct Case {
        int channels, kbps;
        std::string message;
    };
    for (const Case& c :
         {Case{3, 160, "The Opus encoder takes mono or stereo sound, not 3 channels"},
          Case{6, 160, "The Opus encoder takes mono or stereo sound, not 6 channels"},
          Case{2, 5, "The Opus bit rate must be 6 to 510 kbit/s, not 5"},
          Case{2, 511, "The Opus bit rate must be 6 to 510 kbit/s, not 511"}}) {
        FakeSource source(std::vector<uint8_t>(4096), c.channels, 16, 48000);
        TOpusOut sink;
        sink.SetInput(&source);
        sink.SetFileName(dir.file("refused.opus"));
        sink.SetBitrate(c.kbps);
        try {
            sink.Run();
            ADD_FAILURE() << "accepted: " << c.message;
        } catch (const EACSException& error) {
            EXPECT_EQ(std::string(error.what()), c.message);
        }
        EXPECT_FALSE(source.Busy());
    }
    EXPECT_FALSE(exists("refused.opus"));
    EXPECT_FALSE(exists("refused.opus.part"));
}

TEST_F(OpusTest, StoppedOrFailedRunLeavesNoFile) {
    {
        FakeSource source(pcm16Bytes(synthesizeMusic(5.0, 44100, 2)), 2, 16, 44100);
        source.maxPerRead = 8192;
        source.gate = true;
        TOpusOut sink;
        DoneWaiter done(sink);
        sink.SetInput(&source);
        sink.SetFileName(dir.file("stopped.opus"));
        sink.Run();
        source.allowReads(3);
        sink.Stop();
        source.allowReads(1 << 20);
        ASSERT_TRUE(done.wait());
    }
    EXPECT_FALSE(exists("stopped.opus"));
    EXPECT_FALSE(exists("stopped.opus.part"));

    FakeSource failing(pcm16Bytes(synthesizeMusic(2.0, 44100, 2)), 2, 16, 44100);
    failing.maxPerRead = 8192;
    failing.failAfter = 65536;
    EXPECT_EQ(encode(failing, "failed.opus"), "read failed");
    EXPECT_FALSE(exists("failed.opus"));
    EXPECT_FALSE(exists("failed.opus.part"));
}

}  // namespace
