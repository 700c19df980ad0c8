// The INI file on disk: creation, every write on disk at once, and failed writes that leave the
// old file whole.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "IniFile.h"
#include "TestFiles.h"

namespace fs = std::filesystem;

namespace {

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

int entryCount(const fs::path& folder) {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder))
        ++count;
    return count;
}

// Lowers the file size limit for its lifetime, with the signal that would end the process
// ignored, so that a write past the limit fails like one on a full disk.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        signal(SIGXFSZ, m_oldHandler);
    }

  private:
    rlimit m_saved{};
    sighandler_t m_oldHandler;
};

}  // namespace

TEST(IniDisk, TheFirstWriteCreatesTheFileAndEveryWriteIsOnDiskAtOnce) {
    TempDir dir;
    const std::string path = dir.file("settings.ini");
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("Folder", "open", "False"), "False");
    EXPECT_TRUE(ini.DeleteKey("Folder", "open"));  // nothing to remove, nothing written
    EXPECT_FALSE(fs::exists(path));

    ASSERT_TRUE(ini.WriteBool("Folder", "open", true));
    EXPECT_EQ(readText(path), "[Folder]\nopen=True\n");
    ASSERT_TRUE(ini.WriteString("MP3 Options", "wBitrate", "128kb/s"));
    EXPECT_EQ(readText(path), "[Folder]\nopen=True\n\n[MP3 Options]\nwBitrate=128kb/s\n");
    EXPECT_EQ(entryCount(dir.path()), 1);  // no temporary file left behind

    // A second object on the same file sees the writes, and its own writes keep them.
    TIniFile other(path);
    EXPECT_TRUE(other.ReadBool("folder", "OPEN", false));
    ASSERT_TRUE(other.WriteString("Ogg Options", "cpu", "2"));
    ASSERT_TRUE(ini.WriteString("Ogg Options", "compr", "90"));
    EXPECT_EQ(ini.ReadString("Ogg Options", "cpu", ""), "2");
    EXPECT_EQ(TIniFile(path).ReadString("MP3 Options", "wBitrate", ""), "128kb/s");
}

TEST(IniDisk, ARewriteKeepsCommentsOrderPermissionsAndSymbolicLinks) {
    TempDir dir;
    const std::string real = dir.file("real.ini");
    const std::string link = dir.file("settings.ini");
    writeText(real, "\xEF\xBB\xBF; mine\r\n[Folder]\r\nopen=False\r\n\r\n[Other]\r\nx=1");
    fs::permissions(real, fs::perms(0640));
    fs::create_symlink("real.ini", link);

    TIniFile ini(link);
    ASSERT_TRUE(ini.WriteBool("folder", "open", true)) << ini.LastError();
    EXPECT_EQ(readText(real), "\xEF\xBB\xBF; mine\r\n[Folder]\r\nopen=True\r\n\r\n[Other]\r\nx=1");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::status(real).permissions(), fs::perms(0640));
    EXPECT_EQ(entryCount(dir.path()), 2);
}

TEST(IniDisk, AFailedWriteLeavesTheFileAndTheObjectAsTheyWere) {
    TempDir dir;
    const std::string path = dir.file("settings.ini");
    const std::string original = "[Folder]\nopen=False\n";
    writeText(path, original);
    TIniFile ini(path);

    {
        // The new text is longer than the file system lets any file grow.
        FileSizeLimit limit(original.size() + 4);
        EXPECT_FALSE(ini.WriteString("Folder", "mp3 folder", "/a/long/path/to/music"));
    }
    EXPECT_FALSE(ini.LastError().empty());
    EXPECT_EQ(readText(path), original);
    EXPECT_FALSE(ini.ValueExists("Folder", "mp3 folder"));
    EXPECT_EQ(entryCount(dir.path()), 1);

    // A read-only file is left alone, whoever runs the test.
    fs::permissions(path, fs::perms(0444));
    EXPECT_FALSE(ini.WriteBool("Folder", "open", true));
    EXPECT_FALSE(ini.EraseSection("Folder"));
    EXPECT_EQ(readText(path), original);
    EXPECT_EQ(ini.ReadString("Folder", "open", ""), "False");
    EXPECT_EQ(entryCount(dir.path()), 1);
}

TEST(IniDisk, PlacesThatCannotHoldTheFileFailTheWrite) {
    TempDir dir;
    writeText(dir.file("plainfile"), "x");
    fs::create_directory(dir.file("folder.ini"));
    writeText(dir.file("folder.ini/inside"), "x");
    const std::string paths[] = {
        dir.file("missing/settings.ini"),    // the folder does not exist
        dir.file("plainfile/settings.ini"),  // a file stands where the folder should
        dir.file("folder.ini"),              // a folder stands where the file should
        "",
    };
    for (const std::string& path : paths) {
        TIniFile ini(path);
        EXPECT_FALSE(ini.WriteString("Folder", "open", "True")) << path;
        EXPECT_FALSE(ini.LastError().empty());
        EXPECT_EQ(ini.ReadString("Folder", "open", "False"), "False");
    }
    EXPECT_EQ(readText(dir.file("plainfile")), "x");
    EXPECT_EQ(entryCount(dir.file("folder.ini")), 1);
}
