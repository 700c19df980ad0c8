// Every sample width and channel count through the sinks that read samples, from a source
// whose deliveries split frames (as a WAV file's 32768-byte blocks split 6-byte frames),
// checked by decoding the result and finding each channel's own tone again.
#include <gtest/gtest.h>

#include <memory>

#include "ACS_LAME.h"
#include "ACS_Vorbis.h"
#include "FakeSource.h"
#include "SoundCheck.h"
#include "TestFiles.h"

namespace {

constexpr int kWidths[] = {8, 16, 24, 32};
constexpr int kRate = 22050;
constexpr double kSeconds = 1.0;
// Divides no frame of more than one byte: nearly every delivery ends within a frame.
constexpr size_t kSplittingDelivery = 4097;

std::unique_ptr<FakeSource> splittingSource(int bits, int channels) {
    auto source = std::make_unique<FakeSource>(channelTones(kSeconds, kRate, channels, bits),
                                               channels, bits, kRate);
    source->maxPerRead = kSplittingDelivery;
    return source;
}

// Runs the sink to its end; returns its error.
std::string runToEnd(TACSOutput& sink, TACSInput& source) {
    DoneWaiter done(sink);
    sink.SetInput(&source);
    sink.Run();
    EXPECT_TRUE(done.wait(1, 60));
    return sink.lastError();
}

void expectChannelTones(const std::vector<int16_t>& decoded, int channels, int rate) {
    for (int channel = 0; channel < channels; ++channel)
        EXPECT_NEAR(measuredTone(decoded, channels, channel, rate), channelTone(channel), 3.0)
            << "channel " << channel;
}

TEST(SampleLayoutTest, OggVorbisKeepsEverySampleInPlace) {
    TempDir dir;
    for (const int bits : kWidths) {
        for (int channels = 1; channels <= 6; ++channels) {
            SCOPED_TRACE(testing::Message() << bits << " bits, " << channels << " channels");
            const auto source = splittingSource(bits, channels);
            TVorbisOut sink;
            sink.SetFileName(dir.file("out.ogg"));
            ASSERT_EQ(runToEnd(sink, *source), "");

            TVorbisIn decoder;
            decoder.SetFileName(dir.file("out.ogg"));
            ASSERT_EQ(decoder.InChannels(), channels);
            std::vector<uint8_t> bytes, chunk(8192);
            decoder.Init();
            while (const int n = decoder.ReadData(chunk.data(), 8192))
                bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + n);
            decoder.Flush();
            // Not one frame was lost at a delivery's end.
            EXPECT_EQ(bytes.size(), size_t(kSeconds * kRate) * 2 * size_t(channels));
            expectChannelTones(pcm16Samples(bytes), channels, kRate);
        }
    }
}

TEST(SampleLayoutTest, Mp3KeepsEverySampleInPlace) {
    // An MP3 file holds one or two channels; more are refused at the start (Mp3Test).
    TempDir dir;
    for (const int bits : kWidths) {
        for (int channels = 1; channels <= 2; ++channels) {
            SCOPED_TRACE(testing::Message() << bits << " bits, " << channels << " channels");
            const auto source = splittingSource(bits, channels);
            TMP3Out sink;
            sink.SetFileName(dir.file("out.mp3"));
            ASSERT_EQ(runToEnd(sink, *source), "");
            const DecodedMp3 decoded = decodeMp3(readBytes(dir.file("out.mp3")));
            ASSERT_EQ(decoded.channels, channels);
            ASSERT_EQ(decoded.rate, kRate);
            expectChannelTones(decoded.samples, channels, kRate);
        }
    }
}

}  // namespace
