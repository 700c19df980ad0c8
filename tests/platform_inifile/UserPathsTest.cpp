// Where the settings file, the disc images and a new user's music go: the working directory's
// own files first, then the XDG folders from the environment, then the defaults under $HOME.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>

#include "IniFile.h"
#include "TestFiles.h"
#include "UserPaths.h"

namespace fs = std::filesystem;
namespace paths = quillon::paths;

namespace {

// Each test starts in an empty working directory with HOME in a temporary folder and no XDG
// variables; everything is put back afterwards.
class UserPathsTest : public testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
            const char* value = ::getenv(name);
            m_saved[name] = value ? std::optional<std::string>(value) : std::nullopt;
            ::unsetenv(name);
        }
        m_previousDirectory = fs::current_path();
        fs::create_directories(home());
        fs::create_directories(work());
        ::setenv("HOME", home().c_str(), 1);
        fs::current_path(work());
    }
    void TearDown() override {
        fs::current_path(m_previousDirectory);
        for (const auto& [name, value] : m_saved) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
    }

    fs::path home() const { return m_root.path() / "home"; }
    fs::path work() const { return m_root.path() / "work"; }
    const fs::path& root() const { return m_root.path(); }

  private:
    TempDir m_root;
    fs::path m_previousDirectory;
    std::map<std::string, std::optional<std::string>> m_saved;
};

TEST_F(UserPathsTest, SettingsFileIsTheWorkingDirectorysWhenThereElseTheXdgOne) {
    const fs::path config = root() / "config";
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    // No file here: the configuration folder's, which need not exist yet.
    EXPECT_EQ(paths::settingsFile(), config / "quillon" / "settings.ini");

    // Today's users keep the file they have, even with a configuration folder set.
    std::ofstream(work() / "settings.ini") << "[Folder]\n";
    EXPECT_EQ(paths::settingsFile(), work() / "settings.ini");
    // Also when it cannot be read: the program then says so rather than using another file.
    fs::remove(work() / "settings.ini");
    fs::create_directory(work() / "settings.ini");
    EXPECT_EQ(paths::settingsFile(), work() / "settings.ini");
}

TEST_F(UserPathsTest, WithoutXdgVariablesTheFoldersAreUnderHome) {
    EXPECT_EQ(paths::settingsFile(), home() / ".config" / "quillon" / "settings.ini");
    EXPECT_EQ(paths::discFolder(), home() / ".local" / "share" / "quillon" / "discs");
    // Relative or empty base folders are not to be used.
    ::setenv("XDG_CONFIG_HOME", "relative/config", 1);
    ::setenv("XDG_DATA_HOME", "", 1);
    EXPECT_EQ(paths::settingsFile(), home() / ".config" / "quillon" / "settings.ini");
    EXPECT_EQ(paths::discFolder(), home() / ".local" / "share" / "quillon" / "discs");
}

TEST_F(UserPathsTest, FirstSaveCreatesTheSettingsFolder) {
    const fs::path config = root() / "fresh" / "config";
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    const fs::path file = paths::settingsFile();
    TIniFile settings(file.string());
    settings.SetCreateFolders(true);
    EXPECT_EQ(settings.ReadString("Folder", "mp3 folder", "none"), "none");
    EXPECT_FALSE(fs::exists(config)) << "reading alone makes nothing";
    ASSERT_TRUE(settings.WriteString("Folder", "mp3 folder", "/music")) << settings.LastError();
    EXPECT_TRUE(fs::is_regular_file(file));
    EXPECT_EQ(TIniFile(file.string()).ReadString("Folder", "mp3 folder", ""), "/music");
    // Once there, the next start finds the same file again.
    EXPECT_EQ(paths::settingsFile(), file);

    // A folder that cannot be made is a failed save, reported as one.
    std::ofstream(root() / "blocker") << "a file";
    TIniFile blocked((root() / "blocker" / "quillon" / "settings.ini").string());
    blocked.SetCreateFolders(true);
    EXPECT_FALSE(blocked.WriteString("Folder", "mp3 folder", "/music"));
    EXPECT_FALSE(blocked.LastError().empty());
    // Without the request, a missing folder stays a failed write as for any INI file.
    TIniFile plain((root() / "nowhere" / "settings.ini").string());
    EXPECT_FALSE(plain.WriteString("Folder", "mp3 folder", "/music"));
    EXPECT_FALSE(fs::exists(root() / "nowhere"));
}

TEST_F(UserPathsTest, DiscFolderIsTheWorkingDirectorysWhenThereElseTheXdgDataOne) {
    const fs::path data = root() / "data";
    ::setenv("XDG_DATA_HOME", data.c_str(), 1);
    EXPECT_EQ(paths::discFolder(), data / "quillon" / "discs");
    fs::create_directory(work() / "discs");
    EXPECT_EQ(paths::discFolder(), work() / "discs");
}

TEST_F(UserPathsTest, MusicFolderComesFromUserDirsElseHome) {
    EXPECT_EQ(paths::musicFolder(), home()) << "no user-dirs.dirs";
    fs::create_directories(home() / ".config");
    std::ofstream(home() / ".config" / "user-dirs.dirs") << "# written by xdg-user-dirs-update\n"
                                                            "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                                                            "XDG_MUSIC_DIR=\"$HOME/Musik\"\n";
    EXPECT_EQ(paths::musicFolder(), home() / "Musik");

    // The file is looked for in $XDG_CONFIG_HOME when that is set.
    const fs::path config = root() / "config";
    fs::create_directories(config);
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    EXPECT_EQ(paths::musicFolder(), home());
    std::ofstream(config / "user-dirs.dirs") << "XDG_MUSIC_DIR=\"/srv/music\"\n";
    EXPECT_EQ(paths::musicFolder(), fs::path("/srv/music"));
}

TEST(UserDirsTextTest, LinesAreReadAsTheDesktopWritesThem) {
    const fs::path home = "/home/ann";
    EXPECT_EQ(paths::userDirFromText("XDG_MUSIC_DIR=\"$HOME\"\n", "MUSIC", home), home);
    EXPECT_EQ(
        paths::userDirFromText("  XDG_MUSIC_DIR=\"$HOME/My \\\"Songs\\\"\"\r\n", "MUSIC", home),
        home / "My \"Songs\"");
    // Commented out, unquoted, relative, another folder's or a prefix of another name: unusable.
    for (const char* text :
         {"# XDG_MUSIC_DIR=\"$HOME/a\"\n", "XDG_MUSIC_DIR=$HOME/a\n", "XDG_MUSIC_DIR=\"a/b\"\n",
          "XDG_VIDEOS_DIR=\"$HOME/v\"\n", "XDG_MUSIC_DIRS=\"$HOME/a\"\n", "XDG_MUSIC_DIR=\"\"\n"})
        EXPECT_EQ(paths::userDirFromText(text, "MUSIC", home), fs::path()) << text;
    // The last usable line counts, as when the file is read by the shell.
    EXPECT_EQ(paths::userDirFromText("XDG_MUSIC_DIR=bad\nXDG_MUSIC_DIR=\"/m\"\n"
                                     "XDG_MUSIC_DIR=\"/n\"\n",
                                     "MUSIC", home),
              fs::path("/n"));
}

}  // namespace
