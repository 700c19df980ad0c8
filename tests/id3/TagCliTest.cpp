// quillon-cli tag, run as the user runs it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "TagBytes.h"
#include "TestFiles.h"

using namespace std::string_literals;

namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

class TagCli : public ::testing::Test {
  protected:
    std::string song() const { return m_dir.file("song.mp3"); }

    Outcome run(const std::vector<std::string>& args) const {
        std::string command = QUILLON_CLI " tag";
        for (const std::string& arg : args)
            command += " '" + arg + "'";
        command += " >" + m_output.file("out") + " 2>" + m_output.file("err");
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(m_output.file("out")),
                readFile(m_output.file("err"))};
    }

    TempDir m_dir;
    TempDir m_output;
};

const char* const kEmptyFields = "Title:\nArtist:\nAlbum:\nTrack:\nYear:\nGenre:\nComment:\n";

}  // namespace

TEST_F(TagCli, ShowSetAndRemove) {
    const std::string rest = audio(1000) + trailerTag();
    writeFile(song(), rest);
    Outcome shown = run({"show", song()});
    EXPECT_EQ(shown.status, 0);
    EXPECT_EQ(shown.out, "Exists: No\nVersion:\nSize:\n"s + kEmptyFields);

    EXPECT_EQ(run({"set", song(), "--title", "Abc"}).status, 0);
    EXPECT_EQ(run({"show", song()}).out,
              "Exists: Yes\nVersion: 2.3\nSize: 24 bytes\nTitle: Abc\nArtist:\nAlbum:\nTrack:\n"
              "Year:\nGenre:\nComment:\n");

    // Fields not given keep what the file holds.
    EXPECT_EQ(run({"set", song(), "--artist", "\u0416\u0443\u043A ", "--track", "7", "--genre",
                   "(17)Rock", "--comment", "Fine"})
                  .status,
              0);
    // The genre is written as given and read without its numeric reference.
    EXPECT_EQ(run({"show", song()}).out,
              "Exists: Yes\nVersion: 2.3\nSize: 93 bytes\nTitle: Abc\nArtist: \u0416\u0443\u043A\n"
              "Album:\nTrack: 7\nYear:\nGenre: Rock\nComment: Fine\n");
    // The genre frame is not touched, so it keeps its reference.
    EXPECT_EQ(run({"set", song(), "--track", "-3", "--title", ""}).status, 0);
    EXPECT_EQ(run({"show", song()}).out,
              "Exists: Yes\nVersion: 2.3\nSize: 67 bytes\nTitle:\nArtist: \u0416\u0443\u043A\n"
              "Album:\nTrack:\nYear:\nGenre: Rock\nComment: Fine\n");

    EXPECT_EQ(run({"remove", song()}).status, 0);
    EXPECT_EQ(readFile(song()), rest);
}

TEST_F(TagCli, FailuresPrintTheEditorsMessages) {
    const std::string missing = m_dir.file("missing.mp3");
    Outcome outcome = run({"show", missing});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "quillon-cli: The file does not exist: " + missing + "\n");
    EXPECT_EQ(run({"set", missing, "--title", "x"}).err,
              "quillon-cli: Can not save tag to the file: " + missing + "\n");

    writeFile(song(), "ID3\3\0"s);
    outcome = run({"show", song()});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "quillon-cli: Can not read tag from the file: " + song() + "\n");

    writeFile(song(), audio(100));
    outcome = run({"remove", song()});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "quillon-cli: Can not remove tag from the file: " + song() + "\n");

    for (const std::vector<std::string>& wrong :
         std::vector<std::vector<std::string>>{{},
                                               {"show"},
                                               {"frob", song()},
                                               {"show", song(), "--title", "x"},
                                               {"set", song(), "--track", "256"},
                                               {"set", song(), "--track", "x"}}) {
        outcome = run(wrong);
        EXPECT_EQ(outcome.status, 2) << outcome.err;
    }
    EXPECT_EQ(readFile(song()), audio(100));
}
