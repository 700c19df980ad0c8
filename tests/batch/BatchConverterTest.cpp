// Batches converted for real: the same outputs whatever the number of jobs, a stop that
// leaves nothing half written and no thread behind, and a bad file among good ones.
#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "ACS_FLAC.h"
#include "BatchConverter.h"
#include "FakeSource.h"
#include "Synth.h"
#include "TestFiles.h"

namespace fs = std::filesystem;

namespace {

// Runs a batch to its end and keeps what its events told.
class Batch {
  public:
    Batch() {
        converter.OnFileChanged = [this](size_t index) {
            const BatchFileStatus status = converter.fileStatus(index);
            std::lock_guard lock(m_lock);
            if (status.state == BatchState::converting && status.percent > 0) ++m_progressed;
            m_signal.notify_all();
        };
        converter.OnFinished = [this] {
            std::lock_guard lock(m_lock);
            ++m_finished;
            m_signal.notify_all();
        };
    }

    void start(const std::vector<BatchInput>& inputs, const BatchOptions& options) {
        ASSERT_TRUE(converter.Start(inputs, options).empty());
    }
    void waitUntilSomethingProgressed() {
        std::unique_lock lock(m_lock);
        m_signal.wait(lock, [this] { return m_progressed > 0 || m_finished > 0; });
    }
    int finishedCount() {
        std::lock_guard lock(m_lock);
        return m_finished;
    }

    BatchConverter converter;

  private:
    std::mutex m_lock;
    std::condition_variable m_signal;
    int m_progressed = 0;
    int m_finished = 0;
};

class BatchConverterTest : public ::testing::Test {
  protected:
    // A folder "Music" of a few files of every readable format, in sub-folders.
    std::vector<BatchInput> library() {
        const fs::path music = dir.path() / "Music";
        fs::create_directories(music / "Live" / "Encore");
        writeMusicWav((music / "one.wav").string(), 1.5, 44100, 2, 1);
        writeMusicWav((music / "Live" / "two.wav").string(), 2.2, 22050, 1, 2);
        writeMusicWav((music / "Live" / "Encore" / "three.wav").string(), 0.7, 48000, 2, 3);
        fs::copy_file(std::string(QUILLON_AUDIO_DATA) + "/oggenc-stereo.ogg",
                      music / "Live" / "four.ogg");
        fs::copy_file(std::string(QUILLON_MP3_DATA) + "/ffmpeg-stereo-id3.mp3", music / "five.mp3");
        FakeSource pcm(pcm16Bytes(synthesizeMusic(1.0, 44100, 2, 6)), 2, 16, 44100);
        TFlacOut flac;
        DoneWaiter done(flac);
        flac.SetInput(&pcm);
        flac.SetFileName((music / "Live" / "six.flac").string());
        flac.Run();
        EXPECT_TRUE(done.wait());
        std::vector<std::string> problems;
        const std::vector<BatchInput> inputs = collectBatchInputs({music.string()}, problems);
        EXPECT_TRUE(problems.empty());
        EXPECT_EQ(inputs.size(), 6u);
        return inputs;
    }

    TempDir dir;
};

TEST_F(BatchConverterTest, OneJobAndThreeJobsWriteTheSameFiles) {
    const std::vector<BatchInput> inputs = library();
    for (const BatchFormat format : {BatchFormat::vorbis, BatchFormat::mp3, BatchFormat::flac}) {
        std::map<std::string, std::vector<uint8_t>> written[2];
        for (const int jobs : {1, 3}) {
            SCOPED_TRACE(std::string(batchExtension(format)) + ", jobs " + std::to_string(jobs));
            BatchOptions options;
            options.format = format;
            options.jobs = jobs;
            options.keepStructure = true;
            options.outputFolder = dir.file("out" + std::to_string(jobs));
            Batch batch;
            batch.start(inputs, options);
            batch.converter.Wait();
            EXPECT_EQ(batch.converter.jobs(), jobs);
            EXPECT_EQ(batch.finishedCount(), 1);
            EXPECT_FALSE(batch.converter.Running());
            for (size_t i = 0; i < inputs.size(); ++i) {
                const BatchFileStatus status = batch.converter.fileStatus(i);
                EXPECT_EQ(status.state, BatchState::done) << inputs[i].path << status.message;
                EXPECT_EQ(status.percent, 100);
            }
            written[jobs == 1 ? 0 : 1] = filesUnder(options.outputFolder);
        }
        const std::string ext = batchExtension(format);
        std::vector<std::string> names;
        for (const auto& [name, bytes] : written[1])
            names.push_back(name);
        // Every output in its place, no part file left, and not one byte different.
        EXPECT_EQ(names, (std::vector<std::string>{"Music/Live/Encore/three." + ext,
                                                   "Music/Live/four." + ext,
                                                   "Music/Live/six." + ext, "Music/Live/two." + ext,
                                                   "Music/five." + ext, "Music/one." + ext}));
        EXPECT_TRUE(written[0] == written[1]);
        fs::remove_all(dir.file("out1"));
        fs::remove_all(dir.file("out3"));
    }
}

TEST_F(BatchConverterTest, StopEndsEveryConversionLeavingNoPartialFileAndNoThread) {
    std::vector<BatchInput> inputs;
    for (unsigned i = 0; i < 6; ++i) {
        const std::string name = dir.file("long" + std::to_string(i) + ".wav");
        writeMusicWav(name, 8.0, 44100, 2, i);
        inputs.push_back({name, ""});
    }
    // ThreadSanitizer starts a thread of its own with the process's second one; have it
    // running before counting.
    std::thread([] {}).join();
    const size_t threadsBefore = threadCount();
    BatchOptions options;
    options.format = BatchFormat::mp3;
    options.jobs = 2;
    options.outputFolder = dir.file("out");
    Batch batch;
    batch.start(inputs, options);
    batch.waitUntilSomethingProgressed();
    batch.converter.Stop();
    batch.converter.Wait();
    EXPECT_FALSE(batch.converter.Running());
    EXPECT_EQ(batch.finishedCount(), 1);
    EXPECT_EQ(threadCount(), threadsBefore);

    int stopped = 0;
    std::set<std::string> expected;
    for (size_t i = 0; i < inputs.size(); ++i) {
        const BatchFileStatus status = batch.converter.fileStatus(i);
        ASSERT_TRUE(status.state == BatchState::stopped || status.state == BatchState::done)
            << static_cast<int>(status.state) << " " << status.message;
        if (status.state == BatchState::stopped) ++stopped;
        if (status.state == BatchState::done)
            expected.insert(fs::path(batch.converter.outputPath(i)).filename().string());
    }
    // Two were under way at most, so the waiting ones at least were stopped.
    EXPECT_GE(stopped, 4);
    std::set<std::string> present;
    for (const auto& [name, bytes] : filesUnder(options.outputFolder))
        present.insert(name);
    EXPECT_EQ(present, expected);

    // The converter takes a new batch after a stopped one.
    batch.converter.OnFinished = nullptr;
    ASSERT_TRUE(batch.converter.Start({inputs[0]}, options).empty());
    batch.converter.Wait();
    EXPECT_EQ(batch.converter.fileStatus(0).state, BatchState::done);
}

TEST_F(BatchConverterTest, BadFilesFailOnTheirOwnAndTheOthersAreConverted) {
    writeMusicWav(dir.file("good1.wav"), 1.0, 44100, 2, 1);
    writeBytes(dir.file("noise.flac"), std::vector<uint8_t>(3000, 0x55));
    writeMusicWav(dir.file("good2.wav"), 1.0, 44100, 1, 2);
    writeBytes(dir.file("text.mp3"), std::vector<uint8_t>(3000, 'x'));
    writeMusicWav(dir.file("good3.wav"), 1.0, 22050, 2, 3);
    std::vector<uint8_t> cut = readBytes(dir.file("good3.wav"));
    cut.resize(30);  // a header cut short
    writeBytes(dir.file("cut.wav"), cut);
    const std::vector<BatchInput> inputs = {
        {dir.file("good1.wav"), ""}, {dir.file("noise.flac"), ""}, {dir.file("good2.wav"), ""},
        {dir.file("text.mp3"), ""},  {dir.file("good3.wav"), ""},  {dir.file("cut.wav"), ""}};
    BatchOptions options;
    options.format = BatchFormat::vorbis;
    options.jobs = 2;
    options.outputFolder = dir.file("out");
    Batch batch;
    batch.start(inputs, options);
    batch.converter.Wait();
    const std::vector<BatchState> states = {BatchState::done, BatchState::failed,
                                            BatchState::done, BatchState::failed,
                                            BatchState::done, BatchState::failed};
    for (size_t i = 0; i < inputs.size(); ++i) {
        const BatchFileStatus status = batch.converter.fileStatus(i);
        EXPECT_EQ(status.state, states[i]) << inputs[i].path;
        EXPECT_EQ(status.message.empty(), states[i] == BatchState::done) << status.message;
    }
    EXPECT_EQ(batch.converter.fileStatus(3).message,
              "The file \"" + dir.file("text.mp3") + "\" is not an MP3 file");
    std::set<std::string> present;
    for (const auto& [name, bytes] : filesUnder(options.outputFolder))
        present.insert(name);
    EXPECT_EQ(present, (std::set<std::string>{"good1.ogg", "good2.ogg", "good3.ogg"}));
}

TEST_F(BatchConverterTest, AnOutputThatCannotBeWrittenFailsThatFileOnly) {
    writeMusicWav(dir.file("a.wav"), 0.5);
    writeMusicWav(dir.file("b.wav"), 0.5, 44100, 2, 2);
    // Where the output wants a folder, a file stands.
    fs::create_directories(dir.file("out"));
    writeBytes(dir.file("out/sub"), {1});
    fs::create_directories(dir.file("in/sub"));
    fs::rename(dir.file("b.wav"), dir.file("in/sub/b.wav"));
    BatchOptions options;
    options.format = BatchFormat::wav;
    options.keepStructure = true;
    options.outputFolder = dir.file("out");
    Batch batch;
    batch.start({{dir.file("a.wav"), ""}, {dir.file("in/sub/b.wav"), dir.file("in")}}, options);
    batch.converter.Wait();
    EXPECT_EQ(batch.converter.fileStatus(0).state, BatchState::done);
    EXPECT_EQ(batch.converter.fileStatus(1).state, BatchState::failed);
    EXPECT_NE(batch.converter.fileStatus(1).message.find(dir.file("out/sub")), std::string::npos)
        << batch.converter.fileStatus(1).message;
    EXPECT_TRUE(readBytes(dir.file("out/a.wav")) == readBytes(dir.file("a.wav")));
}

TEST_F(BatchConverterTest, AReplacedOutputKeepsItsPermissions) {
    writeMusicWav(dir.file("a.wav"), 0.5);
    fs::create_directories(dir.file("out"));
    writeBytes(dir.file("out/a.wav"), {1});
    fs::permissions(dir.file("out/a.wav"), fs::perms::owner_read | fs::perms::owner_write);
    BatchOptions options;
    options.format = BatchFormat::wav;
    options.outputFolder = dir.file("out");
    Batch batch;
    batch.start({{dir.file("a.wav"), ""}}, options);
    batch.converter.Wait();
    ASSERT_EQ(batch.converter.fileStatus(0).state, BatchState::done);
    EXPECT_TRUE(readBytes(dir.file("out/a.wav")) == readBytes(dir.file("a.wav")));
    EXPECT_EQ(fs::status(dir.file("out/a.wav")).permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
}

}  // namespace
