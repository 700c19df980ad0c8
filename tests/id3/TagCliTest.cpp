// quillon-cli tag, run as the user runs it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "ID3Frames.h"
#include "ID3Tag.h"
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

namespace {

// The identifiers of the frames of the file's tag, in order.
std::vector<std::string> frameIds(const std::string& path) {
    const std::string bytes = readFile(path);
    TID3Header header{};
    std::copy_n(bytes.begin(), header.size(), header.begin());
    const int32_t size = GetTagSize(header, int64_t(bytes.size()));
    const TID3Tag tag =
        parseTag(header[3], header[5], std::string_view(bytes).substr(10, size_t(size) - 10));
    std::vector<std::string> ids;
    for (const TID3Frame& frame : tag.frames)
        ids.push_back(frame.id);
    return ids;
}

// The PNG picture a file carries, found by its signature and end chunk.
std::string picture(const std::string& bytes) {
    const size_t start = bytes.find("\x89PNG");
    const size_t end = bytes.find("IEND", start);
    return start == std::string::npos || end == std::string::npos
               ? ""
               : bytes.substr(start, end + 8 - start);
}

struct RealFile {
    const char* name;
    // What tag show prints after the Size line.
    const char* fields;
    // The frames after a new title was set, in order; empty when the save must be refused.
    std::vector<std::string> framesAfterSave;
};

}  // namespace

// Files written by other programs (tests/data/id3/README.md): shown the same way whatever
// their version, and saved with a new title keeping every other frame.
TEST_F(TagCli, RealFilesOfEveryVersionAreShownAndKeepTheirFrames) {
    const RealFile files[] = {
        {"itunes-v22.mp3",
         "Title: Sheep Walking\nArtist: Murley Braid Quartet\nAlbum: Mnemosyne's March (Demo)\n"
         "Track:\nYear: 2006\nGenre:\nComment:\n",
         {"TIT2", "TPE1", "TCOM", "TALB", "TYER", "TCON", "TENC", "COMM", "COMM"}},
        {"lame-v23.mp3",
         "Title: Sheep\nArtist: Braid\nAlbum: March\nTrack: 5\nYear: 2006\nGenre: Jazz\n"
         "Comment: Lame comment\n",
         {"TSSE", "TIT2", "TPE1", "TALB", "TYER", "TRCK", "TCON", "COMM", "TLEN", "APIC"}},
        {"id3v2-v23.mp3",
         "Title: Title\nArtist: Artist\nAlbum: Album\nTrack: 7\nYear: 1999\nGenre:\n"
         "Comment: A comment\n",
         {"TIT2", "TPE1", "TALB", "TRCK", "TYER", "TCON", "COMM"}},
        {"mid3v2-v24.mp3",
         "Title: \u041D\u043E\u0447\u044C\nArtist: Artist One\nAlbum: Album\nTrack: 5\n"
         "Year: 2001\nGenre: Rock\nComment: Plain comment\n",
         {"TIT2", "TPE1", "TRCK", "TALB", "TYER", "TDAT", "TCON", "TXXX", "COMM", "COMM", "APIC"}},
        {"eyed3-v24.mp3",
         "Title: T\u00EDtle\nArtist: \u00C4rtist\nAlbum: Album\nTrack: 3\nYear: 2010\n"
         "Genre: Pop\nComment: An eyeD3 comment\n",
         {"APIC", "COMM", "TALB", "TCON", "TYER", "TDAT", "TIT2", "TPE1", "TRCK"}},
        {"eyed3-v24-release.mp3",
         "Title: T\u00EDtle\nArtist: \u00C4rtist\nAlbum: Album\nTrack: 3\nYear:\nGenre: Pop\n"
         "Comment: An eyeD3 comment\n",
         {}},
        {"eyed3-ext-v23.mp3",
         "Title: Extended\nArtist: Header\nAlbum:\nTrack: 2\nYear:\nGenre:\nComment:\n",
         {"TIT2", "TPE1", "TRCK"}},
        {"eyed3-ext-v24.mp3",
         "Title: Extended\nArtist: Header\nAlbum:\nTrack: 2\nYear:\nGenre:\nComment:\n",
         {"TIT2", "TPE1", "TRCK"}},
        {"unsync-v23.mp3",
         "Title: Extended\nArtist: Header\nAlbum:\nTrack: 2\nYear:\nGenre:\nComment:\n",
         {"TIT2", "TPE1", "TRCK"}},
        {"unsync-v24.mp3",
         "Title: \u00DCnsync\nArtist: \u00C4rtist\nAlbum: \u00C5lbum\nTrack: 4\nYear: 1998\n"
         "Genre: Rock\nComment: Wide comment\n",
         {"APIC", "COMM", "TALB", "TCON", "TYER", "TIT2", "TPE1", "TRCK"}},
    };
    for (const RealFile& file : files) {
        SCOPED_TRACE(file.name);
        const std::string source = std::string(QUILLON_ID3_DATA "/") + file.name;
        std::filesystem::copy_file(source, song(),
                                   std::filesystem::copy_options::overwrite_existing);
        const std::string original = readFile(song());
        const Outcome shown = run({"show", song()});
        ASSERT_EQ(shown.status, 0);
        const size_t fields = shown.out.find("Title:");
        ASSERT_NE(fields, std::string::npos);
        EXPECT_EQ(shown.out.substr(fields), file.fields);
        EXPECT_EQ(shown.out.substr(0, 20), "Exists: Yes\nVersion:");

        const Outcome set = run({"set", song(), "--title", "Edited"});
        if (file.framesAfterSave.empty()) {
            EXPECT_EQ(set.status, 1);
            EXPECT_NE(set.err.find("Can not save tag to the file: " + song()), std::string::npos);
            EXPECT_NE(set.err.find("TDRL, TSOP."), std::string::npos) << set.err;
            EXPECT_EQ(readFile(song()), original);
            continue;
        }
        ASSERT_EQ(set.status, 0) << set.err;
        EXPECT_EQ(frameIds(song()), file.framesAfterSave);
        EXPECT_EQ(picture(readFile(song())), picture(original));
        // Only the title changed; the audio after the tag is the old one.
        std::string expected = file.fields;
        expected.replace(0, expected.find('\n'), "Title: Edited");
        const std::string after = run({"show", song()}).out;
        EXPECT_EQ(after.substr(after.find("Title:")), expected);
        EXPECT_EQ(after.substr(0, 25), "Exists: Yes\nVersion: 2.3\n");
        const std::string saved = readFile(song());
        const size_t audioBytes = 360;  // the MPEG frames every file ends with
        EXPECT_EQ(saved.substr(saved.size() - audioBytes),
                  original.substr(original.size() - audioBytes));
    }
}
