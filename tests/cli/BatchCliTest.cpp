// quillon-cli convert IN... --to FORMAT --out DIR: batches from the command line.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "RunCommand.h"
#include "Synth.h"
#include "TestFiles.h"

namespace fs = std::filesystem;

namespace {

class BatchCliTest : public ::testing::Test {
  protected:
    CommandResult cli(const std::string& arguments) {
        return runCommand(shellQuote(QUILLON_CLI) + " convert " + arguments);
    }
    std::string file(const std::string& name) const { return shellQuote(dir.file(name)); }

    TempDir dir;
};

TEST_F(BatchCliTest, FoldersAndFilesConvertWithALinePerFileAndAFailureDoesNotStopTheRest) {
    fs::create_directories(dir.file("Album/Disc 2"));
    writeMusicWav(dir.file("Album/a.wav"), 0.5);
    writeMusicWav(dir.file("Album/Disc 2/b.wav"), 0.5, 22050, 1, 2);
    writeBytes(dir.file("Album/Disc 2/broken.flac"), std::vector<uint8_t>(500, 7));
    writeMusicWav(dir.file("single.wav"), 0.3, 44100, 2, 3);

    const CommandResult result =
        cli(file("Album") + " " + file("single.wav") + " --to flac --out " + file("out") +
            " --keep-structure --jobs 2 --level 8");
    EXPECT_EQ(result.status, 1) << result.output;
    EXPECT_TRUE(fs::exists(dir.file("out/Album/a.flac")));
    EXPECT_TRUE(fs::exists(dir.file("out/Album/Disc 2/b.flac")));
    EXPECT_TRUE(fs::exists(dir.file("out/single.flac")));
    EXPECT_FALSE(fs::exists(dir.file("out/Album/Disc 2/broken.flac")));
    // stderr is a pipe here: no bar, one line for each file as it ends.
    EXPECT_EQ(result.output.find('\r'), std::string::npos);
    const std::regex line(R"(\[[1-4]/4\] (done|failed): [^\n]*\n)");
    EXPECT_EQ(std::distance(std::sregex_iterator(result.output.begin(), result.output.end(), line),
                            std::sregex_iterator()),
              4)
        << result.output;
    EXPECT_NE(
        result.output.find("failed: " + dir.file("Album/Disc 2/broken.flac") + ": The file \""),
        std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find("done: " + dir.file("single.wav") + " -> " +
                                 dir.file("out/single.flac")),
              std::string::npos)
        << result.output;

    // Without the structure every file lands in the folder itself; all good, status 0.
    fs::remove(dir.file("Album/Disc 2/broken.flac"));
    const CommandResult flat = cli(file("Album") + " --to mp3 --bitrate 64 --out " + file("flat"));
    EXPECT_EQ(flat.status, 0) << flat.output;
    EXPECT_TRUE(fs::exists(dir.file("flat/a.mp3")));
    EXPECT_TRUE(fs::exists(dir.file("flat/b.mp3")));
}

TEST_F(BatchCliTest, RefusedBatchesAndMistakesStartNothing) {
    fs::create_directories(dir.file("x"));
    fs::create_directories(dir.file("y"));
    writeMusicWav(dir.file("x/song.wav"), 0.2);
    writeMusicWav(dir.file("y/song.wav"), 0.2);
    CommandResult result =
        cli(file("x/song.wav") + " " + file("y/song.wav") + " --to ogg --out " + file("out"));
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.output.find("would both be converted to"), std::string::npos) << result.output;
    EXPECT_FALSE(fs::exists(dir.file("out")));

    result = cli(file("x/song.wav") + " --to wav --out " + file("x"));
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.output.find("would be written over by its own conversion"), std::string::npos)
        << result.output;

    result = cli(file("x/song.wav") + " " + file("missing.wav") + " --to ogg --out " + file("o"));
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.output.find(dir.file("missing.wav") + "\" does not exist"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir.file("o")));

    for (const std::string& wrong :
         {file("x/song.wav") + " --to aiff --out " + file("o"), file("x/song.wav") + " --to ogg",
          "--to ogg --out " + file("o"), file("x/song.wav") + " --to ogg --out o --jobs 65",
          file("x/song.wav") + " --to mp3 --out o --bitrate 100",
          file("x/song.wav") + " --to flac --out o --level 9"}) {
        result = cli(wrong);
        EXPECT_EQ(result.status, 2) << wrong << "\n" << result.output;
    }
    EXPECT_FALSE(fs::exists(dir.file("o")));
}

}  // namespace
