// quillon-cli skin export, unpack, pack and check, run as a user runs them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "LZH.h"
#include "RunCommand.h"
#include "ShippedSkin.h"
#include "SkinReader.h"
#include "TestFiles.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

class SkinCli : public ::testing::Test {
  protected:
    CommandResult cli(const std::string& arguments) {
        return runCommand(shellQuote(QUILLON_CLI) + " skin " + arguments);
    }
    std::string path(const std::string& name) const { return shellQuote(dir.file(name)); }

    // A skin folder: bitmaps (their content does not matter here) and a description.
    void makeFolder(const std::string& name) {
        fs::create_directory(dir.file(name));
        writeBytes(dir.file(name + "/B.bmp"), {1, 2, 3});
        writeBytes(dir.file(name + "/a.bmp"), {4});
        writeBytes(dir.file(name + "/skin.ini"), bytesOf("[Personality]\r\nTop=a.bmp\r\n"));
        writeBytes(dir.file(name + "/z.ini"), bytesOf("[Other]\r\n"));
        fs::create_directory(dir.file(name + "/sub"));
    }

    TempDir dir;
};

TEST_F(SkinCli, PackAndUnpackRoundTrip) {
    makeFolder("art");
    auto result = cli("pack " + path("art") + " " + path("my.skn"));
    ASSERT_EQ(result.status, 0) << result.output;

    // Sorted by name, the first description last, the sub-folder left out.
    TSkinReader reader;
    ASSERT_EQ(reader.OpenSkin(readBytes(dir.file("my.skn"))), TSkinReader::OpenResult::ok);
    EXPECT_EQ(reader.names(), (std::vector<std::string>{"b.bmp", "a.bmp", "z.ini", "skin.ini"}));

    result = cli("unpack " + path("my.skn") + " " + path("out/new"));
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(readBytes(dir.file("out/new/b.bmp")), (Bytes{1, 2, 3}));
    EXPECT_EQ(readBytes(dir.file("out/new/skin.ini")), bytesOf("[Personality]\r\nTop=a.bmp\r\n"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.file("out/new")), fs::directory_iterator()),
              4);
}

TEST_F(SkinCli, PackRefusesFoldersThatAreNoSkin) {
    fs::create_directory(dir.file("nodesc"));
    writeBytes(dir.file("nodesc/a.bmp"), {1});
    fs::create_directory(dir.file("many"));
    writeBytes(dir.file("many/skin.ini"), {});
    for (int i = 0; i < 1001; ++i)
        writeBytes(dir.file("many/" + std::to_string(i) + ".bmp"), {});
    for (const std::string folder : {"nodesc", "many", "missing"}) {
        const auto result = cli("pack " + path(folder) + " " + path("out.skn"));
        EXPECT_EQ(result.status, 1) << folder << "\n" << result.output;
        EXPECT_NE(result.output.find("quillon-cli: "), std::string::npos);
        EXPECT_FALSE(fs::exists(dir.file("out.skn")));
    }
    EXPECT_EQ(cli("pack " + path("nodesc")).status, 2);
}

TEST_F(SkinCli, UnpackRefusesDamagedOldAndUnsafeSkinsWithoutWriting) {
    Bytes older = PackSkinContainer({{"skin.ini", {}}});
    older[0] = 0x1F;  // version 19999
    writeBytes(dir.file("older.skn"), TLZH::Compress(older));
    writeBytes(dir.file("damaged.skn"), {0xFF, 0xFF, 0, 0, 1, 2});
    writeBytes(dir.file("escape.skn"), PackSkinFile({{"a.bmp", {1}}, {"../escape.bmp", {2}}}));
    for (const std::string file : {"older.skn", "damaged.skn", "escape.skn", "missing.skn"}) {
        const auto result = cli("unpack " + path(file) + " " + path("out"));
        EXPECT_EQ(result.status, 1) << file << "\n" << result.output;
        EXPECT_NE(result.output.find(file), std::string::npos) << result.output;
        EXPECT_FALSE(fs::exists(dir.file("out"))) << file;
    }
    EXPECT_FALSE(fs::exists(dir.file("escape.bmp")));
}

TEST_F(SkinCli, ExportWritesTheBuiltInSkinFile) {
    const auto stored = ShippedSkinStream();
    const auto result = cli("export " + path("shipped.skn"));
    if (stored.size() <= 4) {
        EXPECT_EQ(result.status, 1) << result.output;
        EXPECT_FALSE(fs::exists(dir.file("shipped.skn")));
        return;
    }
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(readBytes(dir.file("shipped.skn")), Bytes(stored.begin() + 4, stored.end()));
    ASSERT_EQ(cli("unpack " + path("shipped.skn") + " " + path("art")).status, 0);
    EXPECT_TRUE(fs::exists(dir.file("art")));
}

TEST_F(SkinCli, CheckListsEachProblemAndFailsAnUnusableSkin) {
    ASSERT_EQ(cli("export " + path("shipped.skn")).status, 0);
    auto result = cli("check " + path("shipped.skn"));
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("frame 7 left, 25 caption, 7 right, 7 bottom; 5 caption buttons"),
              std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find("shipped.skn: usable\n"), std::string::npos) << result.output;

    // A skin whose description names a bitmap it lacks and one it holds with a bad name.
    writeBytes(dir.file("broken.skn"),
               PackSkinFile({{"top.bmp", {1, 2}},
                             {"skin.ini", bytesOf("[Personality]\nTop=top.bmp\nLeft=x.bmp\n")}}));
    result = cli("check " + path("broken.skn"));
    EXPECT_EQ(result.status, 1) << result.output;
    EXPECT_NE(result.output.find("broken.skn: error: [Personality] Top=top.bmp: top.bmp is not a "
                                 "BMP file"),
              std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find("error: [Personality] Left=x.bmp: the skin holds no entry x.bmp"),
              std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find("broken.skn: unusable, 2 errors"), std::string::npos)
        << result.output;

    writeBytes(dir.file("damaged.skn"), {0xFF, 0xFF, 0, 0, 1, 2});
    for (const std::string file : {"damaged.skn", "missing.skn"}) {
        result = cli("check " + path(file));
        EXPECT_EQ(result.status, 1) << file << "\n" << result.output;
        EXPECT_NE(result.output.find(file), std::string::npos) << result.output;
    }
    EXPECT_EQ(cli("check").status, 2);
}

}  // namespace
