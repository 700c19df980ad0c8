// FLAC encoding through the sink, read back by the reference decoder (`flac -d`), and
// decoding through the source.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <thread>

#include "ACS_FLAC.h"
#include "FakeSource.h"
#include "RunCommand.h"
#include "SoundCheck.h"
#include "SourceReading.h"
#include "Streams.h"
#include "Synth.h"
#include "TestFiles.h"

namespace {

// Writes a FLAC file of a depth our sink does not write (12 or 20 bits) with the library's
// own encoder: mono samples as given.
void writeOddDepthFlac(const std::string& path, int bits, const std::vector<int32_t>& samples) {
    FLAC__StreamEncoder* encoder = FLAC__stream_encoder_new();
    FLAC__stream_encoder_set_channels(encoder, 1);
    FLAC__stream_encoder_set_bits_per_sample(encoder, static_cast<uint32_t>(bits));
    FLAC__stream_encoder_set_sample_rate(encoder, 44100);
    ASSERT_EQ(FLAC__stream_encoder_init_file(encoder, path.c_str(), nullptr, nullptr),
              FLAC__STREAM_ENCODER_INIT_STATUS_OK);
    EXPECT_TRUE(FLAC__stream_encoder_process_interleaved(encoder, samples.data(),
                                                         static_cast<uint32_t>(samples.size())));
    EXPECT_TRUE(FLAC__stream_encoder_finish(encoder));
    FLAC__stream_encoder_delete(encoder);
}

class FlacTest : public ::testing::Test {
  protected:
    // Encodes the source into dir/name; returns the sink's error.
    std::string encode(TACSInput& source, const std::string& name, int level = 5) {
        TFlacOut sink;
        DoneWaiter done(sink);
        sink.SetInput(&source);
        sink.SetFileName(dir.file(name));
        sink.SetCompressionLevel(level);
        sink.Run();
        EXPECT_TRUE(done.wait(1, 120));
        return sink.lastError();
    }

    // The raw little-endian samples `flac -d` decodes from dir/name; empty on failure.
    std::vector<uint8_t> decode(const std::string& name, int bits) {
        const std::string raw = dir.file(name + ".raw");
        const CommandResult result =
            runCommand("flac -d -s -f --force-raw-format --endian=little --sign=" +
                       std::string(bits == 8 ? "unsigned" : "signed") + " -o " + shellQuote(raw) +
                       " " + shellQuote(dir.file(name)));
        EXPECT_EQ(result.status, 0) << result.output;
        return result.status == 0 ? readBytes(raw) : std::vector<uint8_t>{};
    }

    bool exists(const std::string& name) const { return std::filesystem::exists(dir.file(name)); }

    TempDir dir;
};

TEST_F(FlacTest, CdSoundDecodesToExactlyTheInputSamples) {
    const std::vector<uint8_t> cd = pcm16Bytes(synthesizeTone(3.0, 44100, 2, 997.0, 0.9));
    FakeSource source(cd, 2, 16, 44100);
    // Deliveries that split frames, as a source of another block size does.
    source.maxPerRead = 32767;
    ASSERT_EQ(encode(source, "cd.flac"), "");
    EXPECT_EQ(decode("cd.flac", 16), cd);
    EXPECT_FALSE(exists("cd.flac.part"));
    EXPECT_GE(source.flushes.load(), 1);
}

TEST_F(FlacTest, EveryWidthAndChannelCountFlacHoldsRoundTrips) {
    struct Layout {
        int bits, channels, rate;
    };
    for (const Layout layout : {Layout{8, 1, 8000}, Layout{8, 2, 22050}, Layout{16, 1, 48000},
                                Layout{24, 2, 96000}, Layout{24, 6, 48000}, Layout{16, 8, 44100}}) {
        SCOPED_TRACE(std::to_string(layout.bits) + " bits, " + std::to_string(layout.channels) +
                     " channels");
        const std::vector<uint8_t> pcm =
            channelTones(0.5, layout.rate, layout.channels, layout.bits);
        FakeSource source(pcm, layout.channels, layout.bits, layout.rate);
        source.maxPerRead = 4099;
        const std::string name = "layout" + std::to_string(layout.bits) + "_" +
                                 std::to_string(layout.channels) + ".flac";
        ASSERT_EQ(encode(source, name, layout.channels == 1 ? 0 : 8), "");
        EXPECT_EQ(decode(name, layout.bits), pcm);
        const CommandResult info =
            runCommand("metaflac --show-sample-rate --show-channels " + shellQuote(dir.file(name)));
        EXPECT_EQ(info.output,
                  std::to_string(layout.rate) + "\n" + std::to_string(layout.channels) + "\n");
    }
}

TEST_F(FlacTest, SourceWithoutKnownSizeAndEmptySourceGiveValidFiles) {
    const std::vector<uint8_t> pcm = pcm16Bytes(synthesizeMusic(1.0, 44100, 2));
    FakeSource unknown(pcm, 2, 16, 44100);
    unknown.reportedSize = -1;
    ASSERT_EQ(encode(unknown, "unknown.flac"), "");
    EXPECT_EQ(decode("unknown.flac", 16), pcm);

    FakeSource empty({}, 2, 16, 44100);
    ASSERT_EQ(encode(empty, "empty.flac"), "");
    EXPECT_TRUE(decode("empty.flac", 16).empty());
}

TEST_F(FlacTest, StoppedOrFailedRunLeavesNoFileAndKeepsAnOlderOne) {
    writeBytes(dir.file("old.flac"), {'o', 'l', 'd'});
    {
        FakeSource source(pcm16Bytes(synthesizeMusic(5.0, 44100, 2)), 2, 16, 44100);
        source.maxPerRead = 8192;
        source.gate = true;
        TFlacOut sink;
        DoneWaiter done(sink);
        sink.SetInput(&source);
        sink.SetFileName(dir.file("old.flac"));
        sink.Run();
        source.allowReads(3);
        EXPECT_TRUE(exists("old.flac.part")) << "the run writes beside the file";
        sink.Stop();
        source.allowReads(1 << 20);
        ASSERT_TRUE(done.wait());
        EXPECT_EQ(sink.lastError(), "");
    }
    EXPECT_EQ(readBytes(dir.file("old.flac")), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_FALSE(exists("old.flac.part"));

    FakeSource failing(pcm16Bytes(synthesizeMusic(2.0, 44100, 2)), 2, 16, 44100);
    failing.maxPerRead = 8192;
    failing.failAfter = 65536;
    EXPECT_EQ(encode(failing, "failed.flac"), "read failed");
    EXPECT_FALSE(exists("failed.flac"));
    EXPECT_FALSE(exists("failed.flac.part"));
}

TEST_F(FlacTest, ANewFileTakesOverThePermissionsOfTheOneItReplaces) {
    const std::vector<uint8_t> pcm = pcm16Bytes(synthesizeTone(0.5, 44100, 2, 440.0));
    namespace fs = std::filesystem;
    writeBytes(dir.file("private.flac"), {'o', 'l', 'd'});
    fs::permissions(dir.file("private.flac"), fs::perms::owner_read | fs::perms::owner_write);
    writeBytes(dir.file("shared.flac"), {'o', 'l', 'd'});
    fs::permissions(dir.file("shared.flac"), fs::perms::owner_read | fs::perms::owner_write |
                                                 fs::perms::group_read | fs::perms::group_write |
                                                 fs::perms::others_read);
    for (const char* name : {"private.flac", "shared.flac"}) {
        const fs::perms before = fs::status(dir.file(name)).permissions();
        FakeSource source(pcm, 2, 16, 44100);
        ASSERT_EQ(encode(source, name), "");
        EXPECT_EQ(decode(name, 16), pcm);
        EXPECT_EQ(fs::status(dir.file(name)).permissions(), before) << name;
    }
}

TEST_F(FlacTest, ALinkKeepsPointingAtTheNewFileAndAPipeIsWrittenStraight) {
    const std::vector<uint8_t> pcm = pcm16Bytes(synthesizeTone(1.0, 44100, 2, 440.0));
    writeBytes(dir.file("real.flac"), {'o', 'l', 'd'});
    std::filesystem::create_symlink(dir.file("real.flac"), dir.file("link.flac"));
    FakeSource linked(pcm, 2, 16, 44100);
    ASSERT_EQ(encode(linked, "link.flac"), "");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.flac")));
    EXPECT_EQ(decode("real.flac", 16), pcm);
    EXPECT_FALSE(exists("real.flac.part"));

    // A pipe cannot be renamed over nor rewound: the stream goes in as it comes.
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
    std::vector<uint8_t> piped;
    std::thread reader([&] {
        FileStream in(dir.file("pipe"), FileStream::Mode::read);
        std::vector<uint8_t> chunk(65536);
        while (const int64_t n = in.read(chunk.data(), 65536))
            piped.insert(piped.end(), chunk.begin(), chunk.begin() + n);
    });
    FakeSource source(pcm, 2, 16, 44100);
    const std::string error = encode(source, "pipe");
    reader.join();
    ASSERT_EQ(error, "");
    writeBytes(dir.file("piped.flac"), piped);
    EXPECT_EQ(decode("piped.flac", 16), pcm);
}

TEST_F(FlacTest, FormatsAndSettingsFlacCannotHoldAreRefusedBeforeAnyFile) {
    struct Case {
        int bits, channels, rate, level;
        std::string message;
    };
    const std::vector<Case> cases = {
        {32, 2, 44100, 5, "FLAC files take 8, 16 or 24 bits per sample, not 32"},
        {16, 9, 44100, 5, "FLAC files take 1 to 8 channels, not 9"},
        {16, 0, 44100, 5, "FLAC files take 1 to 8 channels, not 0"},
        {16, 2, 0, 5, "FLAC files cannot hold a sample rate of 0 Hz"},
        {16, 2, 44100, 9, "The FLAC compression level must be 0 to 8, not 9"},
        {16, 2, 44100, -1, "The FLAC compression level must be 0 to 8, not -1"},
    };
    for (const Case& c : cases) {
        FakeSource source(std::vector<uint8_t>(4096), c.channels, c.bits, c.rate);
        TFlacOut sink;
        sink.SetInput(&source);
        sink.SetFileName(dir.file("refused.flac"));
        sink.SetCompressionLevel(c.level);
        try {
            sink.Run();
            ADD_FAILURE() << "accepted: " << c.message;
        } catch (const EACSException& error) {
            EXPECT_EQ(std::string(error.what()), c.message);
        }
        EXPECT_FALSE(source.Busy()) << "the source is left as it was found";
        EXPECT_FALSE(sink.Busy());
    }
    EXPECT_FALSE(exists("refused.flac"));
    EXPECT_FALSE(exists("refused.flac.part"));

    FakeSource source(std::vector<uint8_t>(4096));
    TFlacOut sink;
    sink.SetInput(&source);
    sink.SetFileName(dir.file("no/such/folder/x.flac"));
    EXPECT_THROW(sink.Run(), EACSException);
    EXPECT_FALSE(source.Busy());
}

TEST_F(FlacTest, SourceDecodesWhatTheSinkWroteAndWhatFlacWrote) {
    for (const int bits : {8, 24}) {
        const int channels = bits == 8 ? 1 : 6;
        const std::vector<uint8_t> pcm = channelTones(0.7, 48000, channels, bits);
        FakeSource source(pcm, channels, bits, 48000);
        ASSERT_EQ(encode(source, "ours.flac"), "");
        TFlacIn flac;
        flac.SetFileName(dir.file("ours.flac"));
        EXPECT_EQ(flac.InBitsPerSample(), bits);
        EXPECT_EQ(flac.InChannels(), channels);
        EXPECT_EQ(flac.InSampleRate(), 48000);
        EXPECT_EQ(flac.TotalTime(), 1);
        EXPECT_TRUE(readAll(flac) == pcm) << bits << " bits";
        EXPECT_EQ(flac.Size(), static_cast<int64_t>(pcm.size()));
    }

    const std::vector<uint8_t> music = pcm16Bytes(synthesizeMusic(2.0, 44100, 2));
    writeWav(dir.file("theirs.wav"), 2, 16, 44100, music);
    const CommandResult made = runCommand("flac -s -8 -o " + shellQuote(dir.file("theirs.flac")) +
                                          " " + shellQuote(dir.file("theirs.wav")));
    ASSERT_EQ(made.status, 0) << made.output;
    TFlacIn flac;
    flac.SetFileName(dir.file("theirs.flac"));
    EXPECT_TRUE(readAll(flac) == music);
}

TEST_F(FlacTest, SourceWidensOddDepthsSoThatFullScaleStaysFullScale) {
    for (const int bits : {12, 20}) {
        const int32_t top = (1 << (bits - 1)) - 1;
        const std::vector<int32_t> samples = {0, 1, -1, top, -top - 1, top / 3, -5};
        writeOddDepthFlac(dir.file("odd.flac"), bits, samples);
        TFlacIn flac;
        flac.SetFileName(dir.file("odd.flac"));
        const int width = bits == 12 ? 16 : 24;
        EXPECT_EQ(flac.InBitsPerSample(), width);
        const std::vector<uint8_t> got = readAll(flac);
        ASSERT_EQ(got.size(), samples.size() * static_cast<size_t>(width / 8));
        for (size_t i = 0; i < samples.size(); ++i) {
            const uint8_t* p = got.data() + i * static_cast<size_t>(width / 8);
            const int32_t value =
                width == 16 ? int32_t{static_cast<int16_t>(p[0] | p[1] << 8)}
                            : static_cast<int32_t>(uint32_t{p[0]} << 8 | uint32_t{p[1]} << 16 |
                                                   uint32_t{p[2]} << 24) >>
                                  8;
            EXPECT_EQ(value, samples[i] * (1 << (width - bits))) << bits << " bits, sample " << i;
        }
    }
}

TEST_F(FlacTest, SourceJumpsAndLoopsOnFrameBoundaries) {
    const std::vector<uint8_t> music = pcm16Bytes(synthesizeMusic(2.0, 44100, 2));
    FakeSource source(music, 2, 16, 44100);
    ASSERT_EQ(encode(source, "music.flac"), "");
    TFlacIn flac;
    flac.SetFileName(dir.file("music.flac"));
    std::vector<uint8_t> block(65536);
    flac.Init();
    // A jump takes effect when the block under way is used up.
    const int first = flac.ReadData(block.data(), 65536);
    ASSERT_GT(first, 0);
    flac.Jump(50);
    std::vector<uint8_t> after(4096);
    const int got = flac.ReadData(after.data(), 4096);
    ASSERT_GT(got, 0);
    const int64_t landed = flac.Position() - got;
    // Alignment to whole frames may move it by less than a frame.
    EXPECT_NEAR(static_cast<double>(landed), first + music.size() / 2.0, 4.0);
    EXPECT_EQ(landed % 4, 0);
    EXPECT_TRUE(std::equal(after.begin(), after.begin() + got, music.begin() + landed));
    flac.Flush();

    flac.SetLoop(true);
    const std::vector<uint8_t> twice = readAll(flac, music.size() + 8192);
    ASSERT_GE(twice.size(), music.size() + 8192);
    EXPECT_TRUE(std::equal(music.begin(), music.end(), twice.begin()));
    EXPECT_TRUE(std::equal(twice.begin() + static_cast<ptrdiff_t>(music.size()), twice.end(),
                           music.begin()))
        << "the second round starts from the beginning again";
}

TEST_F(FlacTest, SourceRejectsOtherFilesAndEndsDamagedOnesEarly) {
    writeWav(dir.file("sound.wav"), 2, 16, 44100, std::vector<uint8_t>(4000));
    for (const std::string name : {"sound.wav", "missing.flac"}) {
        TFlacIn flac;
        flac.SetFileName(dir.file(name));
        EXPECT_THROW(flac.Init(), EACSException) << name;
        EXPECT_FALSE(flac.Valid());
        EXPECT_FALSE(flac.Busy());
    }
    TFlacIn wave;
    wave.SetFileName(dir.file("sound.wav"));
    try {
        wave.Init();
    } catch (const EACSException& error) {
        EXPECT_EQ(std::string(error.what()),
                  "The file \"" + dir.file("sound.wav") + "\" is not a FLAC file");
    }

    const std::vector<uint8_t> music = pcm16Bytes(synthesizeMusic(2.0, 44100, 2));
    FakeSource source(music, 2, 16, 44100);
    ASSERT_EQ(encode(source, "whole.flac"), "");
    std::vector<uint8_t> bytes = readBytes(dir.file("whole.flac"));
    for (size_t at = bytes.size() / 3; at < bytes.size() / 3 + 200; ++at)
        bytes[at] ^= 0x5A;               // a damaged stretch in the middle
    bytes.resize(bytes.size() * 2 / 3);  // and a cut end
    writeBytes(dir.file("damaged.flac"), bytes);
    TFlacIn flac;
    flac.SetFileName(dir.file("damaged.flac"));
    const std::vector<uint8_t> got = readAll(flac);
    EXPECT_LT(got.size(), music.size());
    EXPECT_GT(got.size(), music.size() / 4);
    EXPECT_EQ(got.size() % 4, 0u);
    EXPECT_TRUE(std::equal(got.begin(), got.begin() + static_cast<ptrdiff_t>(music.size() / 4),
                           music.begin()))
        << "what came before the damage is exact";
}

}  // namespace
