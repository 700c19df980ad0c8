// WAV headers, the WAV file source and the WAV file sink.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "ACS_Wave.h"
#include "FakeSource.h"
#include "TestFiles.h"

namespace {

uint32_t field32(const std::vector<uint8_t>& bytes, size_t at) {
    return uint32_t{bytes[at]} | uint32_t{bytes[at + 1]} << 8 | uint32_t{bytes[at + 2]} << 16 |
           uint32_t{bytes[at + 3]} << 24;
}
uint16_t field16(const std::vector<uint8_t>& bytes, size_t at) {
    return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

std::vector<uint8_t> ramp(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(i % 253);
    return bytes;
}

// Everything a source delivers, read the way a sink reads it.
std::vector<uint8_t> drain(TACSInput& source, int request = 32768, int* largest = nullptr) {
    std::vector<uint8_t> out;
    std::vector<uint8_t> chunk(static_cast<size_t>(request));
    while (true) {
        const int n = source.ReadData(chunk.data(), request);
        if (n <= 0) break;
        if (largest) *largest = std::max(*largest, n);
        out.insert(out.end(), chunk.begin(), chunk.begin() + n);
    }
    return out;
}

void appendChunk(std::vector<uint8_t>& file, const char* id, const std::vector<uint8_t>& body) {
    file.insert(file.end(), id, id + 4);
    const auto size = static_cast<uint32_t>(body.size());
    for (int i = 0; i < 4; ++i)
        file.push_back(static_cast<uint8_t>(size >> (8 * i)));
    file.insert(file.end(), body.begin(), body.end());
    if (body.size() % 2) file.push_back(0);
}

// A RIFF/WAVE file from chunks; the RIFF size is filled in.
std::vector<uint8_t> riff(const std::vector<std::pair<const char*, std::vector<uint8_t>>>& chunks) {
    std::vector<uint8_t> file = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    for (const auto& [id, body] : chunks)
        appendChunk(file, id, body);
    const auto size = static_cast<uint32_t>(file.size() - 8);
    for (int i = 0; i < 4; ++i)
        file[4 + static_cast<size_t>(i)] = static_cast<uint8_t>(size >> (8 * i));
    return file;
}

std::vector<uint8_t> pcmFormat(int channels, int bits, int rate, size_t length = 16,
                               uint16_t tag = 1) {
    std::vector<uint8_t> body(length, 0);
    const int align = channels * bits / 8;
    body[0] = static_cast<uint8_t>(tag);
    body[1] = static_cast<uint8_t>(tag >> 8);
    body[2] = static_cast<uint8_t>(channels);
    for (int i = 0; i < 4; ++i)
        body[4 + static_cast<size_t>(i)] = static_cast<uint8_t>(rate >> (8 * i));
    for (int i = 0; i < 4; ++i)
        body[8 + static_cast<size_t>(i)] = static_cast<uint8_t>((rate * align) >> (8 * i));
    body[12] = static_cast<uint8_t>(align);
    body[14] = static_cast<uint8_t>(bits);
    return body;
}

TEST(WaveHeaderTest, FillsTheCanonicalLayout) {
    TWaveHeader header;
    FillWaveHeader(header, 2, 16, 1000, 44100);
    const std::vector<uint8_t> bytes(header.begin(), header.end());
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    EXPECT_EQ(field32(bytes, 4), 1036u);
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(field32(bytes, 16), 16u);
    EXPECT_EQ(field16(bytes, 20), 1);
    EXPECT_EQ(field16(bytes, 22), 2);
    EXPECT_EQ(field32(bytes, 24), 44100u);
    EXPECT_EQ(field32(bytes, 28), 176400u);
    EXPECT_EQ(field16(bytes, 32), 4);
    EXPECT_EQ(field16(bytes, 34), 16);
    EXPECT_EQ(std::string(bytes.begin() + 36, bytes.begin() + 40), "data");
    EXPECT_EQ(field32(bytes, 40), 1000u);

    FillWaveHeader(header, 1, 8, 0, 8000);
    EXPECT_EQ(header[32], 1);
    EXPECT_EQ(field32({header.begin(), header.end()}, 28), 8000u);

    FillWaveHeader(header, 2, 16, -1, 44100);
    EXPECT_EQ(field32({header.begin(), header.end()}, 40), 0xFFFFFFFFu);
    EXPECT_EQ(field32({header.begin(), header.end()}, 4), 35u);
}

TEST(WaveHeaderTest, CdHeaderMatchesTheFilledOneForCdAudio) {
    MemoryStream stream;
    WriteCdWaveHeader(stream, 10 * 2352);
    TWaveHeader expected;
    FillWaveHeader(expected, 2, 16, 10 * 2352, 44100);
    EXPECT_EQ(stream.bytes(), std::vector<uint8_t>(expected.begin(), expected.end()));
}

TEST(WaveHeaderTest, CheckFindsTheFormatTagOrRejects) {
    MemoryStream pcm(canonicalWav(2, 16, 44100, ramp(400)));
    EXPECT_EQ(CheckWaveHeader(pcm), 1u);
    MemoryStream headerOnly(canonicalWav(2, 16, 44100, {}));
    EXPECT_EQ(CheckWaveHeader(headerOnly), 0u) << "44 bytes hold no sound";
    auto notRiff = canonicalWav(2, 16, 44100, ramp(100));
    notRiff[0] = 'X';
    MemoryStream rejected(notRiff);
    EXPECT_EQ(CheckWaveHeader(rejected), 0u);
    MemoryStream floating(riff({{"fmt ", pcmFormat(2, 32, 44100, 16, 3)}, {"data", ramp(64)}}));
    EXPECT_EQ(CheckWaveHeader(floating), 3u);
    MemoryStream garbage(ramp(1000));
    EXPECT_EQ(CheckWaveHeader(garbage), 0u);
}

class WaveInTest : public ::testing::Test {
  protected:
    TempDir dir;
    TWaveIn source;
};

TEST_F(WaveInTest, ReadsACanonicalFileInBlocks) {
    const auto data = ramp(100000);
    writeWav(dir.file("a.wav"), 2, 16, 44100, data);
    source.SetFileName(dir.file("a.wav"));
    EXPECT_EQ(source.InChannels(), 2);
    EXPECT_EQ(source.InBitsPerSample(), 16);
    EXPECT_EQ(source.InSampleRate(), 44100);
    source.Init();
    EXPECT_TRUE(source.Busy());
    EXPECT_EQ(source.Size(), 100000);
    int largest = 0;
    EXPECT_EQ(drain(source, 65536, &largest), data);
    EXPECT_EQ(largest, 32768) << "a call never goes past the current block";
    EXPECT_EQ(source.Position(), 100000);
    source.Flush();
    EXPECT_FALSE(source.Busy());
    uint8_t byte;
    EXPECT_THROW(source.ReadData(&byte, 1), EACSException);
}

TEST_F(WaveInTest, TotalTimeRoundsHalvesToEven) {
    writeWav(dir.file("a.wav"), 1, 8, 1000, ramp(2500));
    source.SetFileName(dir.file("a.wav"));
    EXPECT_EQ(source.TotalTime(), 2);
    writeWav(dir.file("b.wav"), 1, 8, 1000, ramp(3500));
    source.SetFileName(dir.file("b.wav"));
    EXPECT_EQ(source.TotalTime(), 4);
}

TEST_F(WaveInTest, FindsTheSoundBehindOtherChunks) {
    const auto data = ramp(3001);  // odd: the file pads it
    // A longer format chunk, a LIST chunk of odd size before the data and one after it.
    writeBytes(dir.file("a.wav"), riff({{"fmt ", pcmFormat(1, 8, 22050, 18)},
                                        {"LIST", ramp(7)},
                                        {"data", data},
                                        {"LIST", std::vector<uint8_t>(50, 0xEE)}}));
    source.SetFileName(dir.file("a.wav"));
    EXPECT_EQ(source.InSampleRate(), 22050);
    source.Init();
    EXPECT_EQ(source.Size(), 3001);
    EXPECT_EQ(drain(source), data) << "neither header bytes nor the trailing chunk are sound";
    source.Flush();
}

TEST_F(WaveInTest, ReadsExtensiblePcm) {
    std::vector<uint8_t> format = pcmFormat(2, 16, 48000, 40, 0xFFFE);
    const uint8_t pcmGuid[16] = {1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    std::copy(pcmGuid, pcmGuid + 16, format.begin() + 24);
    const auto data = ramp(4000);
    writeBytes(dir.file("a.wav"), riff({{"fmt ", format}, {"data", data}}));
    source.SetFileName(dir.file("a.wav"));
    source.Init();
    EXPECT_EQ(source.InSampleRate(), 48000);
    EXPECT_EQ(drain(source), data);
    source.Flush();
}

TEST_F(WaveInTest, TakesTheBytesPresentWhenTheSizeIsUnsetOrTooLarge) {
    for (uint32_t claimed : {0u, 0xFFFFFFFFu, 999999u}) {
        auto file = canonicalWav(2, 16, 44100, ramp(5000));
        for (int i = 0; i < 4; ++i)
            file[40 + static_cast<size_t>(i)] = static_cast<uint8_t>(claimed >> (8 * i));
        writeBytes(dir.file("a.wav"), file);
        source.SetFileName(dir.file("a.wav"));
        source.Init();
        EXPECT_EQ(source.Size(), 5000) << claimed;
        EXPECT_EQ(drain(source).size(), 5000u) << claimed;
        source.Flush();
    }
}

TEST_F(WaveInTest, RejectsWhatIsNotPcmWavWithAClearError) {
    auto cutHeader = canonicalWav(2, 16, 44100, ramp(100));
    cutHeader.resize(30);
    const std::vector<std::pair<std::string, std::vector<uint8_t>>> bad = {
        {"empty", {}},
        {"header only", canonicalWav(2, 16, 44100, {})},
        {"cut header", cutHeader},
        {"float", riff({{"fmt ", pcmFormat(2, 32, 44100, 16, 3)}, {"data", ramp(64)}})},
        {"no channels", riff({{"fmt ", pcmFormat(0, 16, 44100)}, {"data", ramp(64)}})},
        {"no data chunk", riff({{"fmt ", pcmFormat(2, 16, 44100)}, {"LIST", ramp(64)}})},
        {"data before format", riff({{"data", ramp(64)}, {"fmt ", pcmFormat(2, 16, 44100)}})},
        {"short format", riff({{"fmt ", ramp(8)}, {"data", ramp(64)}})},
        {"garbage", ramp(5000)},
    };
    for (const auto& [name, bytes] : bad) {
        writeBytes(dir.file("bad.wav"), bytes);
        source.SetFileName(dir.file("bad.wav"));
        EXPECT_NO_THROW(source.InChannels()) << name;
        try {
            source.Init();
            ADD_FAILURE() << name << " was accepted";
            source.Flush();
        } catch (const EACSException& error) {
            EXPECT_NE(std::string(error.what()).find("bad.wav"), std::string::npos) << name;
        }
        EXPECT_FALSE(source.Busy()) << name;
    }
}

TEST_F(WaveInTest, MissingFilesAndFoldersRaiseTheOpenError) {
    source.SetFileName(dir.file("missing.wav"));
    EXPECT_THROW(source.InChannels(), EACSException);
    EXPECT_THROW(source.Init(), EACSException);
    source.SetFileName(dir.path().string());
    EXPECT_THROW(source.Init(), EACSException);
    source.SetFileName("");
    try {
        source.Init();
        FAIL();
    } catch (const EACSException& error) {
        EXPECT_STREQ(error.what(), "The file name is not assigned");
    }
}

TEST_F(WaveInTest, AnIdleSourceReopensForEachQuestionAnInitialisedOneDoesNot) {
    writeWav(dir.file("a.wav"), 2, 16, 44100, ramp(400));
    source.SetFileName(dir.file("a.wav"));
    EXPECT_EQ(source.InChannels(), 2);
    writeWav(dir.file("a.wav"), 1, 16, 8000, ramp(400));
    EXPECT_EQ(source.InChannels(), 1) << "the file was closed after the first question";
    source.Init();
    writeWav(dir.file("a.wav"), 2, 8, 22050, ramp(400));
    EXPECT_EQ(source.InSampleRate(), 8000) << "the open file is not read again";
    EXPECT_THROW(source.Init(), EACSException) << "already busy";
    source.Flush();
    EXPECT_EQ(source.InSampleRate(), 22050);
}

TEST_F(WaveInTest, JumpMovesByPercentAndClampsAtTheEnd) {
    const auto data = ramp(100000);
    writeWav(dir.file("a.wav"), 2, 16, 44100, data);
    source.SetFileName(dir.file("a.wav"));
    source.Init();
    std::vector<uint8_t> first(1000);
    ASSERT_EQ(source.ReadData(first.data(), 1000), 1000);
    drain(source);  // use up the block so that the next read refills
    source.Flush();

    source.Init();
    source.Jump(50);
    std::vector<uint8_t> chunk(100);
    ASSERT_EQ(source.ReadData(chunk.data(), 100), 100);
    EXPECT_EQ(source.Position(), 50100);
    EXPECT_TRUE(std::equal(chunk.begin(), chunk.end(), data.begin() + 50000));
    source.Flush();

    source.Init();
    source.Jump(150);
    EXPECT_EQ(source.ReadData(chunk.data(), 100), 0);
    EXPECT_EQ(source.Position(), 100000);
    source.Flush();
}

TEST_F(WaveInTest, LoopStartsAgainAtTheEnd) {
    const auto data = ramp(40000);
    writeWav(dir.file("a.wav"), 2, 16, 44100, data);
    source.SetFileName(dir.file("a.wav"));
    source.SetLoop(true);
    source.Init();
    std::vector<uint8_t> out;
    std::vector<uint8_t> chunk(10000);
    while (out.size() < 100000) {
        const int n = source.ReadData(chunk.data(), 10000);
        ASSERT_GT(n, 0);
        out.insert(out.end(), chunk.begin(), chunk.begin() + n);
        const int64_t pass = static_cast<int64_t>(out.size() % 40000);
        EXPECT_EQ(source.Position(), pass == 0 ? 40000 : pass) << "counts from 0 on every pass";
    }
    for (size_t i = 0; i < 100000; ++i)
        ASSERT_EQ(out[i], data[i % 40000]) << i;
    EXPECT_EQ(source.Position(), 20000);
    source.Flush();
}

class WaveOutTest : public ::testing::Test {
  protected:
    TempDir dir;
    TWaveOut sink;
    DoneWaiter done{sink};
};

TEST_F(WaveOutTest, CopiesAWavFileExactly) {
    const auto original = canonicalWav(2, 16, 44100, ramp(123456));
    writeBytes(dir.file("in.wav"), original);
    TWaveIn source;
    source.SetFileName(dir.file("in.wav"));
    sink.SetInput(&source);
    sink.SetFileName(dir.file("out.wav"));
    sink.Run();
    ASSERT_TRUE(done.wait());
    EXPECT_TRUE(sink.lastError().empty());
    EXPECT_EQ(readBytes(dir.file("out.wav")), original);
    EXPECT_FALSE(source.Busy());
}

TEST_F(WaveOutTest, FixesTheSizesOfASourceOfUnknownLength) {
    FakeSource source(ramp(70000), 1, 8, 8000);
    source.reportedSize = -1;
    sink.SetInput(&source);
    sink.SetFileName(dir.file("out.wav"));
    sink.Run();
    ASSERT_TRUE(done.wait());
    const auto bytes = readBytes(dir.file("out.wav"));
    ASSERT_EQ(bytes.size(), 70044u);
    EXPECT_EQ(field32(bytes, 40), 70000u);
    EXPECT_EQ(field32(bytes, 4), 70036u);
    EXPECT_EQ(field16(bytes, 32), 1);
}

TEST_F(WaveOutTest, AStoppedRunLeavesAValidShorterFile) {
    FakeSource source(ramp(1 << 20));
    source.gate = true;
    sink.SetInput(&source);
    sink.SetFileName(dir.file("out.wav"));
    sink.Run();
    source.allowReads(2);
    sink.Stop();
    source.allowReads(1000);
    ASSERT_TRUE(done.wait());
    const auto bytes = readBytes(dir.file("out.wav"));
    EXPECT_LT(bytes.size(), (size_t{1} << 20) + 44);
    EXPECT_EQ(field32(bytes, 40), bytes.size() - 44);
    EXPECT_EQ(field32(bytes, 4), bytes.size() - 8);
}

TEST_F(WaveOutTest, AFullDiskEndsTheRunWithTheError) {
    // The disk fills up in the middle of the sound: the file may not grow past 100000 bytes.
    FakeSource source(ramp(400000));
    sink.SetInput(&source);
    sink.SetFileName(dir.file("out.wav"));
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = previous;
    limited.rlim_cur = 100000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    sink.Run();
    const bool ended = done.wait();
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
    ASSERT_TRUE(ended);
    EXPECT_FALSE(sink.Busy());
    EXPECT_NE(sink.lastError().find("Stream write error"), std::string::npos) << sink.lastError();
    EXPECT_LE(source.reads, 5) << "the run ended at the first failed write";
    EXPECT_FALSE(source.Busy());
}

TEST_F(WaveOutTest, AFullDiskAtTheStartFailsTheStart) {
    std::filesystem::create_symlink("/dev/full", dir.file("full.wav"));
    FakeSource source(ramp(200000));
    sink.SetInput(&source);
    sink.SetFileName(dir.file("full.wav"));
    try {
        sink.Run();
        FAIL();
    } catch (const EACSException& error) {
        EXPECT_NE(std::string(error.what()).find("Stream write error"), std::string::npos);
    }
    EXPECT_FALSE(sink.Busy());
    EXPECT_FALSE(source.Busy());
}

TEST_F(WaveOutTest, RefusesToWriteOverItsOwnInput) {
    const auto original = canonicalWav(2, 16, 44100, ramp(5000));
    writeBytes(dir.file("in.wav"), original);
    TWaveIn source;
    source.SetFileName(dir.file("in.wav"));
    sink.SetInput(&source);
    for (const std::string& name :
         {dir.file("in.wav"), dir.file("./in.wav"),
          (dir.path() / ".." / dir.path().filename() / "in.wav").string()}) {
        sink.SetFileName(name);
        EXPECT_THROW(sink.Run(), EACSException) << name;
        EXPECT_FALSE(sink.Busy());
        EXPECT_FALSE(source.Busy());
    }
    std::filesystem::create_symlink(dir.file("in.wav"), dir.file("link.wav"));
    sink.SetFileName(dir.file("link.wav"));
    EXPECT_THROW(sink.Run(), EACSException);
    EXPECT_EQ(readBytes(dir.file("in.wav")), original);
}

TEST_F(WaveOutTest, StartErrorsReachTheCallerAndLeaveTheSourceFree) {
    FakeSource source(ramp(100));
    sink.SetInput(&source);
    try {
        sink.Run();
        FAIL();
    } catch (const EACSException& error) {
        EXPECT_STREQ(error.what(), "File name is not assigned.");
    }
    sink.SetFileName(dir.file("no/such/folder/out.wav"));
    EXPECT_THROW(sink.Run(), EACSException);
    EXPECT_FALSE(source.Busy());
    EXPECT_EQ(source.flushes, 1);
    sink.SetFileName(dir.file("out.wav"));
    sink.Run();
    ASSERT_TRUE(done.wait());
    EXPECT_EQ(readBytes(dir.file("out.wav")).size(), 144u);
}

}  // namespace
