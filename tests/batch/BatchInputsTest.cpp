// What a batch takes in and where its outputs go: folders walked, names mapped, and the
// batches refused before anything starts.
#include <gtest/gtest.h>

#include <filesystem>

#include "BatchConverter.h"
#include "IniFile.h"
#include "JobSettings.h"
#include "TestFiles.h"

namespace fs = std::filesystem;

namespace {

void touch(const fs::path& path) {
    fs::create_directories(path.parent_path());
    writeBytes(path.string(), {1, 2, 3});
}

std::vector<std::string> outputsOf(const std::vector<BatchInput>& inputs,
                                   const BatchOptions& options) {
    std::vector<std::string> outputs;
    for (const BatchInput& input : inputs)
        outputs.push_back(batchOutputPath(input, options));
    return outputs;
}

TEST(BatchInputsTest, FoldersAreWalkedForReadableFilesAndEveryFileIsTakenOnce) {
    TempDir dir;
    const fs::path album = dir.path() / "Album";
    touch(album / "b.wav");
    touch(album / "a.FLAC");
    touch(album / "cover.jpg");
    touch(album / "CD2" / "c.mp3");
    touch(album / "CD2" / "deeper" / "d.ogg");
    touch(dir.path() / "single.ogg");
    touch(dir.path() / "notes.txt");
    fs::create_directory_symlink(album, album / "CD2" / "loop");

    std::vector<std::string> problems;
    const std::vector<BatchInput> inputs = collectBatchInputs(
        {album.string() + "/", dir.file("single.ogg"), (album / "b.wav").string(),
         dir.file("notes.txt"), dir.file("missing.wav")},
        problems);
    ASSERT_EQ(inputs.size(), 5u);
    EXPECT_EQ(inputs[0].path, (album / "CD2" / "c.mp3").string());
    EXPECT_EQ(inputs[1].path, (album / "CD2" / "deeper" / "d.ogg").string());
    EXPECT_EQ(inputs[2].path, (album / "a.FLAC").string());
    EXPECT_EQ(inputs[3].path, (album / "b.wav").string());
    EXPECT_EQ(inputs[4].path, dir.file("single.ogg"));
    EXPECT_EQ(problems,
              (std::vector<std::string>{
                  "\"" + dir.file("notes.txt") + "\" is not a WAV, Ogg Vorbis, FLAC or MP3 file",
                  "\"" + dir.file("missing.wav") + "\" does not exist"}));

    BatchOptions options;
    options.format = BatchFormat::mp3;
    options.outputFolder = "/out";
    EXPECT_EQ(outputsOf(inputs, options),
              (std::vector<std::string>{"/out/c.mp3", "/out/d.mp3", "/out/a.mp3", "/out/b.mp3",
                                        "/out/single.mp3"}));
    options.keepStructure = true;
    options.format = BatchFormat::opus;
    // The structure starts with the added folder's own name; a file added alone has none.
    EXPECT_EQ(
        outputsOf(inputs, options),
        (std::vector<std::string>{"/out/Album/CD2/c.opus", "/out/Album/CD2/deeper/d.opus",
                                  "/out/Album/a.opus", "/out/Album/b.opus", "/out/single.opus"}));
    EXPECT_TRUE(checkBatch(inputs, options).empty());
}

TEST(BatchInputsTest, OverwritingAnInputOrTwoFilesOnOneNameIsRefused) {
    TempDir dir;
    touch(dir.path() / "x" / "song.wav");
    touch(dir.path() / "y" / "song.flac");
    touch(dir.path() / "y" / "other.wav");
    touch(dir.path() / "y" / "other.flac");
    const std::string out = dir.file("out");
    const BatchInput x{dir.file("x/song.wav"), dir.path().string()};
    const BatchInput y{dir.file("y/song.flac"), dir.path().string()};
    const BatchInput otherWav{dir.file("y/other.wav"), ""};
    const BatchInput otherFlac{dir.file("y/other.flac"), ""};

    BatchOptions options;
    options.format = BatchFormat::mp3;
    options.outputFolder = out;
    EXPECT_EQ(checkBatch({x, y}, options),
              std::vector<std::string>{"\"" + x.path + "\" and \"" + y.path +
                                       "\" would both be converted to \"" + out + "/song.mp3\""});
    options.keepStructure = true;
    EXPECT_TRUE(checkBatch({x, y}, options).empty());

    // Into the inputs' own folder: one file over itself, one over the other input.
    options.format = BatchFormat::flac;
    options.outputFolder = dir.file("y");
    EXPECT_EQ(checkBatch({otherFlac, otherWav}, options),
              (std::vector<std::string>{
                  "\"" + otherFlac.path + "\" would be written over by its own conversion",
                  "The conversion of \"" + otherWav.path + "\" would write over \"" +
                      otherFlac.path + "\"",
                  "\"" + otherFlac.path + "\" and \"" + otherWav.path +
                      "\" would both be converted to \"" + dir.file("y/other.flac") + "\""}));
    // Spelled another way, through a link, it is the same file.
    fs::create_directory_symlink(dir.file("y"), dir.file("link"));
    options.format = BatchFormat::wav;
    options.outputFolder = dir.file("link/.");
    EXPECT_EQ(checkBatch({otherWav}, options).size(), 1u);

    BatchConverter converter;
    const std::vector<std::string> refused = converter.Start({otherWav}, options);
    EXPECT_EQ(refused.size(), 1u);
    EXPECT_FALSE(converter.Running());
    EXPECT_EQ(converter.fileCount(), 0u);

    options.outputFolder.clear();
    EXPECT_EQ(checkBatch({x}, options), std::vector<std::string>{"No output folder is chosen"});
    options.outputFolder = out;
    EXPECT_EQ(checkBatch({}, options), std::vector<std::string>{"There are no files to convert"});
    EXPECT_FALSE(fs::exists(out));
}

TEST(BatchInputsTest, JobsComeFromTheRipSectionAndZeroMeansEveryCore) {
    EXPECT_EQ(readJobsSetting(TIniFile::FromText("[Rip]\njobs=3\n")), 3);
    for (const char* text : {"", "[Rip]\njobs=-1\n", "[Rip]\njobs=many\n", "[Rip]\njobs=65\n"})
        EXPECT_EQ(readJobsSetting(TIniFile::FromText(text)), 0) << text;
    EXPECT_EQ(resolveJobs(3), 3);
    EXPECT_GE(resolveJobs(0), 1);
    EXPECT_EQ(resolveJobs(0), resolveJobs(-1));
}

}  // namespace
