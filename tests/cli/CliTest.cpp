// quillon-cli convert and mix, run as a user runs them.
#include <gtest/gtest.h>

#include <filesystem>

#include "RunCommand.h"
#include "Synth.h"
#include "TestFiles.h"

namespace {

class CliTest : public ::testing::Test {
  protected:
    CommandResult cli(const std::string& arguments, const std::string& prefix = "") {
        return runCommand(prefix + shellQuote(QUILLON_CLI) + " " + arguments);
    }
    std::string file(const std::string& name) const { return shellQuote(dir.file(name)); }

    TempDir dir;
};

TEST_F(CliTest, HelpAndCommandLineMistakes) {
    auto result = cli("--help");
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.output.find("convert IN OUT"), std::string::npos);
    EXPECT_NE(result.output.find("mix IN1 IN2 OUT"), std::string::npos);
    EXPECT_EQ(cli("").status, 2);
    EXPECT_EQ(cli("frobnicate").status, 2);

    writeMusicWav(dir.file("in.wav"), 0.2);
    for (const std::string& arguments :
         {"convert " + file("in.wav"), "convert " + file("in.wav") + " " + file("out.aiff"),
          "convert " + file("in.wav") + " " + file("out.flac") + " --level 9",
          "convert " + file("in.wav") + " " + file("out.opus") + " --bitrate 300",
          "convert " + file("in.opus") + " " + file("out.wav"),
          "convert " + file("in.mp3") + " " + file("out.wav"),
          "convert " + file("in.wav") + " " + file("out.mp3") + " --bitrate 100",
          "convert " + file("in.wav") + " " + file("out.mp3") + " --bitrate",
          "convert " + file("in.wav") + " " + file("out.wav") + " --delay 500",
          "convert " + file("in.wav") + " " + file("out.wav") + " --speed 2",
          "mix " + file("in.wav") + " " + file("out.wav"),
          "mix " + file("in.wav") + " " + file("in.wav") + " " + file("o.wav") +
              " --volume1 256"}) {
        result = cli(arguments);
        EXPECT_EQ(result.status, 2) << arguments << "\n" << result.output;
        EXPECT_NE(result.output.find("quillon-cli --help"), std::string::npos) << arguments;
    }
}

TEST_F(CliTest, VersionNamesTheSettingsFileAndDiscFolderInUse) {
    const std::filesystem::path work = dir.path() / "work";
    std::filesystem::create_directory(work);
    const std::string in =
        "cd " + shellQuote(work.string()) + " && HOME=" + shellQuote(dir.file("home")) +
        " XDG_CONFIG_HOME=" + shellQuote(dir.file("config")) + " XDG_DATA_HOME= ";
    auto result = cli("--version", in);
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(
        result.output.find("settings file: " + dir.file("config") + "/quillon/settings.ini\n"),
        std::string::npos)
        << result.output;
    EXPECT_NE(
        result.output.find("disc folder: " + dir.file("home") + "/.local/share/quillon/discs\n"),
        std::string::npos)
        << result.output;

    // The working directory's own files come first, as in the program.
    std::filesystem::create_directory(work / "discs");
    writeBytes((work / "settings.ini").string(), {});
    result = cli("--version", in);
    EXPECT_NE(result.output.find("settings file: " + (work / "settings.ini").string() + "\n"),
              std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find("disc folder: " + (work / "discs").string() + "\n"),
              std::string::npos)
        << result.output;
}

TEST_F(CliTest, ConvertsBetweenTheFormats) {
    const auto original = canonicalWav(2, 16, 44100, pcm16Bytes(synthesizeMusic(2.0, 44100, 2)));
    writeBytes(dir.file("in.wav"), original);
    ASSERT_EQ(cli("convert " + file("in.wav") + " " + file("copy.WAV")).status, 0);
    EXPECT_EQ(readBytes(dir.file("copy.WAV")), original);

    auto result = cli("convert " + file("in.wav") + " " + file("out.ogg") + " --quality 0.5");
    ASSERT_EQ(result.status, 0) << result.output;
    result = cli("convert " + file("out.ogg") + " " + file("back.wav") + " --delay 1");
    ASSERT_EQ(result.status, 0) << result.output;
    const auto back = readBytes(dir.file("back.wav"));
    EXPECT_NEAR(static_cast<double>(back.size()), static_cast<double>(original.size()), 2048 * 4);

    result = cli("convert " + file("out.ogg") + " " + file("out.mp3") + " --bitrate 192");
    ASSERT_EQ(result.status, 0) << result.output;
    const auto mp3 = readBytes(dir.file("out.mp3"));
    ASSERT_GT(mp3.size(), 1000u);
    EXPECT_EQ(mp3[0], 0xFF);
    EXPECT_EQ(mp3[2] >> 4, 11) << "192 kbit/s";
    EXPECT_TRUE(result.output.empty()) << "no progress bar when stderr is not a terminal";
}

// FLAC both ways is lossless; an Opus file is one another program accepts.
TEST_F(CliTest, ConvertsToAndFromFlacAndToOpus) {
    const auto original = canonicalWav(2, 16, 44100, pcm16Bytes(synthesizeMusic(1.5, 44100, 2)));
    writeBytes(dir.file("in.wav"), original);
    auto result = cli("convert " + file("in.wav") + " " + file("out.FLAC") + " --level 8");
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(runCommand("flac -s -t " + file("out.FLAC") + " 2>&1").status, 0);
    result = cli("convert " + file("out.FLAC") + " " + file("back.wav"));
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(readBytes(dir.file("back.wav")), original);

    result = cli("convert " + file("out.FLAC") + " " + file("out.opus") + " --bitrate 64");
    ASSERT_EQ(result.status, 0) << result.output;
    const CommandResult info = runCommand("opusinfo " + file("out.opus") + " 2>&1");
    EXPECT_EQ(info.status, 0) << info.output;
    EXPECT_EQ(info.output.find("WARNING"), std::string::npos) << info.output;
}

TEST_F(CliTest, FailuresSayWhyAndLeaveTheInputAlone) {
    auto result = cli("convert " + file("missing.wav") + " " + file("out.ogg"));
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.output.find("missing.wav"), std::string::npos) << result.output;

    writeBytes(dir.file("text.wav"), std::vector<uint8_t>(1000, 'x'));
    result = cli("convert " + file("text.wav") + " " + file("out.ogg"));
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.output.find("not a PCM WAV file"), std::string::npos) << result.output;

    const auto original = canonicalWav(1, 16, 8000, pcm16Bytes(synthesizeTone(0.5, 8000, 1, 440)));
    writeBytes(dir.file("in.wav"), original);
    result = cli("convert " + file("in.wav") + " " + file("in.wav"));
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.output.find("also an input file"), std::string::npos) << result.output;
    EXPECT_EQ(readBytes(dir.file("in.wav")), original);
}

TEST_F(CliTest, AFullDiskFailsTheRunAndRemovesTheCutFile) {
    writeMusicWav(dir.file("in.wav"), 3.0);
    // The disk is full after 100 kB: the file may not grow past it.
    const auto result =
        cli("convert " + file("in.wav") + " " + file("out.wav"), "ulimit -f 200 && exec ");
    EXPECT_EQ(result.status, 1) << result.output;
    EXPECT_NE(result.output.find("Stream write error"), std::string::npos) << result.output;
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.wav")));
}

TEST_F(CliTest, MixesAndJoinsWavFiles) {
    writeWav(dir.file("a.wav"), 1, 16, 8000, pcm16Bytes(std::vector<int16_t>(8000, 1000)));
    writeWav(dir.file("b.wav"), 1, 16, 8000, pcm16Bytes(std::vector<int16_t>(4000, -3000)));
    auto result =
        cli("mix " + file("a.wav") + " " + file("b.wav") + " " + file("mix.wav") + " --volume2 0");
    ASSERT_EQ(result.status, 0) << result.output;
    const auto mixed = pcm16Samples(readBytes(dir.file("mix.wav")), 44);
    ASSERT_EQ(mixed.size(), 8000u);
    EXPECT_EQ(mixed.front(), 500);
    EXPECT_EQ(mixed.back(), 500);

    result =
        cli("mix " + file("a.wav") + " " + file("b.wav") + " " + file("join.wav") + " --concat");
    ASSERT_EQ(result.status, 0) << result.output;
    const auto joined = pcm16Samples(readBytes(dir.file("join.wav")), 44);
    ASSERT_EQ(joined.size(), 12000u);
    EXPECT_EQ(joined[7999], 1000);
    EXPECT_EQ(joined[8000], -3000);

    writeWav(dir.file("stereo.wav"), 2, 16, 8000, pcm16Bytes(std::vector<int16_t>(800, 1)));
    result = cli("mix " + file("a.wav") + " " + file("stereo.wav") + " " + file("bad.wav"));
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.output.find("differ in format"), std::string::npos) << result.output;
}

TEST_F(CliTest, SoundCardCommandsCheckTheirWords) {
    auto result = cli("devices");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("Output devices:"), std::string::npos);
    EXPECT_NE(result.output.find("Input devices:"), std::string::npos);

    result = cli("play " + file("missing.ogg"));
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.output.find("missing.ogg"), std::string::npos) << result.output;

    for (const std::string& arguments :
         {"record " + file("r.wav"), "record " + file("r.wav") + " --seconds 2 --bits 12",
          "record " + file("r.wav") + " --seconds 0", std::string("play"),
          std::string("devices now")}) {
        result = cli(arguments);
        EXPECT_EQ(result.status, 2) << arguments << "\n" << result.output;
    }
}

}  // namespace
