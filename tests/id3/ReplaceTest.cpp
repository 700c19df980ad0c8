// The file is replaced as a whole or not at all: failures leave the original untouched and
// no temporary file behind.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <iterator>

#include "FileReplace.h"
#include "ID3v2.h"
#include "TagBytes.h"
#include "TestFiles.h"

using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

constexpr uid_t kNobody = 65534;

// Runs work in a child process that cannot override file permissions (root's children drop
// to an ordinary user) and returns its result; -1 when the child could not run it.
int unprivileged(const std::function<bool()>& work) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) ::_exit(99);
        ::_exit(work() ? 1 : 0);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status) == 99 ? -1 : WEXITSTATUS(status);
}

// Lets files of this process grow to `bytes` only, as on a full disk.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }

  private:
    rlimit m_saved{};
    void (*m_handler)(int) = nullptr;
};

class Replace : public ::testing::Test {
  protected:
    void SetUp() override {
        writeFile(path(), m_original);
        fs::permissions(m_dir.path(), fs::perms::all);
    }
    std::string path() const { return m_dir.file("song.mp3"); }
    // The folder holds the original, unchanged, and nothing else.
    void expectUntouched() const {
        EXPECT_EQ(readFile(path()), m_original);
        EXPECT_EQ(std::distance(fs::directory_iterator(m_dir.path()), fs::directory_iterator()), 1);
    }
    static TID3v2 titled() {
        TID3v2 tag;
        tag.SetTitle("New title");
        return tag;
    }

    TempDir m_dir;
    const std::string m_rest = audio(200'000) + trailerTag();
    const std::string m_original = wholeTag(frame("TIT2", "\0Old"s)) + m_rest;
};

}  // namespace

TEST_F(Replace, CopyFailingForWantOfRoomLeavesTheOriginal) {
    bool saved = true;
    bool removed = true;
    {
        FileSizeLimit limit(100'000);
        saved = titled().SaveToFile(path());
        removed = titled().RemoveFromFile(path());
    }
    EXPECT_FALSE(saved);
    EXPECT_FALSE(removed);
    expectUntouched();
}

TEST_F(Replace, FolderNotWritableLeavesTheOriginal) {
    fs::permissions(path(), fs::perms::all);
    const auto readAndEnter = fs::perms::owner_read | fs::perms::owner_exec |
                              fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec;
    fs::permissions(m_dir.path(), readAndEnter);
    EXPECT_EQ(unprivileged([&] { return titled().SaveToFile(path()); }), 0);
    EXPECT_EQ(unprivileged([&] { return titled().RemoveFromFile(path()); }), 0);
    EXPECT_EQ(unprivileged([&] { return TID3v2().ReadFromFile(path()); }), 1);
    expectUntouched();
}

TEST_F(Replace, FilesOfOthersThatWeMayNotWriteAreRefused) {
    fs::permissions(path(),
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    if (::geteuid() != 0) GTEST_SKIP() << "needs a file owned by another user";
    EXPECT_EQ(unprivileged([&] { return titled().SaveToFile(path()); }), 0);
    fs::permissions(path(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(unprivileged([&] { return TID3v2().ReadFromFile(path()); }), 0);
    EXPECT_EQ(unprivileged([&] { return titled().SaveToFile(path()); }), 0);
    expectUntouched();
}

TEST_F(Replace, ReplacementKeepsPermissionsOfAReadOnlyOwnFile) {
    const auto readOnly = fs::perms::owner_read | fs::perms::group_read;
    fs::permissions(path(), readOnly);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(path().c_str(), kNobody, kNobody), 0);
    }
    EXPECT_EQ(unprivileged([&] { return titled().SaveToFile(path()); }), 1);
    // A privileged rewrite keeps the owner as well.
    TID3v2 artist;
    artist.SetArtist("Artist");
    ASSERT_TRUE(artist.SaveToFile(path()));

    struct stat info {};
    ASSERT_EQ(::stat(path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, static_cast<mode_t>(readOnly));
    EXPECT_EQ(info.st_uid, ::geteuid() == 0 ? kNobody : ::geteuid());
    EXPECT_EQ(readFile(path()), wholeTag(frame("TPE1", "\0Artist"s)) + m_rest);
}

TEST_F(Replace, AnExistingFileOfTheTemporaryNameIsLeftAlone) {
    writeFile(path() + "~", "the user's own backup");
    ASSERT_TRUE(titled().SaveToFile(path()));
    EXPECT_EQ(readFile(path() + "~"), "the user's own backup");
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir.path()), fs::directory_iterator()), 2);
}

TEST_F(Replace, FailureOrCrashAfterTheCopyLeavesTheOriginal) {
    const std::string replacement = wholeTag(frame("TIT2", "\0New title"s)) + m_rest;
    struct stat info {};
    ASSERT_EQ(::stat(path().c_str(), &info), 0);
    // The whole new content is written, then something fails before it takes the name.
    const auto copyThen = [&](const std::function<bool()>& after) {
        return replaceFile(path(), info, [&](int out) {
            return writeAll(out, replacement.data(), replacement.size()) && after();
        });
    };
    EXPECT_FALSE(copyThen([] { return false; }));
    expectUntouched();

    // The process dies there: the original is still whole; only the temporary file is left.
    const pid_t child = ::fork();
    if (child == 0) {
        copyThen([]() -> bool { ::_exit(7); });
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 7);
    EXPECT_EQ(readFile(path()), m_original);
    int others = 0;
    for (const auto& entry : fs::directory_iterator(m_dir.path())) {
        if (entry.path() == path()) continue;
        ++others;
        EXPECT_EQ(entry.path().filename().string().rfind("song.mp3~", 0), 0u) << entry.path();
        EXPECT_EQ(readFile(entry.path().string()), replacement);
    }
    EXPECT_EQ(others, 1);

    EXPECT_TRUE(copyThen([] { return true; }));
    EXPECT_EQ(readFile(path()), replacement);
}
