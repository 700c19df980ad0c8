#include <gtest/gtest.h>

#include <filesystem>

#include "ID3v2.h"
#include "TagBytes.h"
#include "TestFiles.h"

using namespace std::string_literals;

namespace {

std::string allSevenFrames() {
    return frame("TIT2", "\0Title"s) + frame("TXXX", "\0user\0x"s) + frame("TPE1", "\0Artist"s) +
           frame("TALB", "\0Album"s) + frame("TRCK", "\0"s + "3/12") +
           frame("TYER", "\0"s + "1999") + frame("TCON", "\0(17)Rock"s) +
           frame("APIC", std::string(40, '\xFF')) + frame("COMM", "\0eng\0A comment"s);
}

class ID3v2File : public ::testing::Test {
  protected:
    std::string path() const { return m_dir.file("song.mp3"); }
    TID3v2 read(const std::string& bytes) {
        writeFile(path(), bytes);
        TID3v2 tag;
        EXPECT_TRUE(tag.ReadFromFile(path()));
        return tag;
    }

    TempDir m_dir;
};

}  // namespace

TEST_F(ID3v2File, ReadsTheSevenKnownFramesOfAVersion23Tag) {
    const std::string tagBytes = wholeTag(allSevenFrames(), 64);
    const TID3v2 tag = read(tagBytes + audio(500));
    EXPECT_TRUE(tag.Exists());
    EXPECT_EQ(tag.VersionID(), 3);
    EXPECT_EQ(tag.Size(), static_cast<int32_t>(tagBytes.size()));
    EXPECT_EQ(tag.Title(), "Title");
    EXPECT_EQ(tag.Artist(), "Artist");
    EXPECT_EQ(tag.Album(), "Album");
    EXPECT_EQ(tag.Track(), 3);
    EXPECT_EQ(tag.Year(), "1999");
    EXPECT_EQ(tag.Genre(), "Rock");
    EXPECT_EQ(tag.Comment(), "A comment");
}

TEST_F(ID3v2File, FilesWithoutATagOrTooShortToTell) {
    EXPECT_FALSE(read(audio(100)).Exists());
    EXPECT_EQ(read(tagHeader(0)).Size(), 10);

    for (const std::string& bad : {m_dir.file("missing.mp3"), m_dir.path().string(), path()}) {
        TID3v2 tag = read(wholeTag(frame("TIT2", "\0Old"s)));
        writeFile(path(), "ID3\3\0\0\0\0\0"s);  // nine bytes
        EXPECT_FALSE(tag.ReadFromFile(bad)) << bad;
        EXPECT_FALSE(tag.Exists());
        EXPECT_EQ(tag.Title(), "");
    }
}

TEST_F(ID3v2File, Version22And24TagsGiveTheSameFields) {
    const auto fields = [](const TID3v2& tag) {
        return std::make_tuple(tag.Title(), tag.Artist(), tag.Album(), int(tag.Track()), tag.Year(),
                               tag.Genre(), tag.Comment());
    };
    const auto expected =
        std::make_tuple("Title"s, "Art\u00E9"s, "Album"s, 5, "2001"s, "Rock"s, "Note"s);
    // Three-letter frames.
    const std::string v22 =
        wholeTag(frame22("TT2", "\0Title"s) +
                     frame22("TP1",
                             "\1\xFF\xFE"
                             "A\0r\0t\0\xE9\0"s) +
                     frame22("TAL", "\0Album\0"s) +
                     frame22("TRK",
                             "\0"
                             "5/9"s) +
                     frame22("TYE",
                             "\0"
                             "2001"s) +
                     frame22("TCO", "\0(17)Rock"s) + frame22("COM", "\0eng\0Note"s),
                 20, 2);
    TID3v2 tag = read(v22 + audio(50));
    EXPECT_EQ(std::make_tuple(tag.VersionID(), tag.Size()),
              std::make_tuple(2, int32_t(v22.size())));
    EXPECT_EQ(fields(tag), expected);

    // Seven-bit frame sizes (a 200-byte frame first), UTF-8 and UTF-16BE text, the year of a
    // recording time, a numbered genre, a comment led by a described one.
    const std::string v24 = frame24("PRIV", "owner\0"s + std::string(194, '\x7F')) +
                            frame24("TIT2", "\3Title"s) + frame24("TPE1", "\2\0A\0r\0t\0\xE9"s) +
                            frame24("TALB",
                                    "\3"
                                    "Album\0"s) +
                            frame24("TRCK",
                                    "\0"
                                    "5/9"s) +
                            frame24("TDRC",
                                    "\0"
                                    "2001-05-03T12:00"s) +
                            frame24("TCON",
                                    "\3"
                                    "17\0Rock"s) +
                            frame24("COMM", "\0engWho\0Other"s) + frame24("COMM", "\3eng\0Note"s);
    tag = read(wholeTag(v24, 0, 4) + audio(50));
    EXPECT_EQ(tag.VersionID(), 4);
    EXPECT_EQ(fields(tag), expected);

    // Unsynchronised frames (one with a data length in front), an extended header, a footer.
    const std::string title =
        "\1\xFF\xFE"
        "T\0i\0t\0l\0e\0"s;
    const std::string unsyncedTitle = unsynchronised(title);
    ASSERT_NE(unsyncedTitle, title);
    const std::string frames =
        frame24("TIT2", syncSafe(uint32_t(title.size())) + unsyncedTitle, 0, 0x03) +
        frame24("TPE1",
                unsynchronised("\1\xFF\xFE"
                               "A\0r\0t\0\xE9\0"s),
                0, 0x02);
    const std::string extended = syncSafe(6) + "\1\0"s;
    const std::string withFooter = tagHeader(uint32_t(extended.size() + frames.size()), 4, 0x50) +
                                   extended + frames + "3DI\4\0\x50"s +
                                   syncSafe(uint32_t(extended.size() + frames.size()));
    tag = read(withFooter + audio(50));
    EXPECT_EQ(std::make_tuple(tag.Title(), tag.Artist(), tag.Size()),
              std::make_tuple("Title"s, "Art\u00E9"s, int32_t(withFooter.size())));
    // The whole-tag flag unsynchronises every frame of a 2.4 tag.
    tag = read(tagHeader(uint32_t(frame24("TIT2", unsyncedTitle).size()), 4, 0x80) +
               frame24("TIT2", unsyncedTitle) + audio(50));
    EXPECT_EQ(tag.Title(), "Title");

    // Plain 32-bit frame sizes, as some writers put them in 2.4 tags.
    const std::string longTitle(300, 'x');
    tag = read(wholeTag(frame("TIT2", "\0"s + longTitle) + frame("TPE1", "\0Art"s), 0, 4));
    EXPECT_EQ(std::make_pair(tag.Title(), tag.Artist()), std::make_pair(longTitle, "Art"s));
}

TEST_F(ID3v2File, Version23UnsynchronisationAndExtendedHeader) {
    const std::string frames = frame("TIT2",
                                     "\1\xFF\xFE"
                                     "T\0i\0\xFF\0"s) +
                               frame("TPE1", "\0Art"s);
    // The extended header (with CRC) counts the bytes after its size; the whole body is
    // unsynchronised, the frame sizes are those before.
    const std::string extended = "\0\0\0\x0A\x80\0\0\0\0\0\xFF\xE1\x02\x03"s;
    const std::string body = unsynchronised(extended + frames);
    const TID3v2 tag = read(tagHeader(uint32_t(body.size()), 3, 0xC0) + body + audio(50));
    EXPECT_EQ(std::make_pair(tag.Title(), tag.Artist()), std::make_pair("Ti\u00FF"s, "Art"s));

    // Some writers count each frame's stored bytes instead.
    const std::string storedFrames = frame("TIT2", unsynchronised("\1\xFF\xFE"
                                                                  "T\0i\0\xFF\0"s)) +
                                     frame("TPE1", "\0Art"s);
    const TID3v2 perFrame =
        read(tagHeader(uint32_t(storedFrames.size()), 3, 0x80) + storedFrames + audio(50));
    EXPECT_EQ(std::make_pair(perFrame.Title(), perFrame.Artist()),
              std::make_pair("Ti\u00FF"s, "Art"s));
}

TEST_F(ID3v2File, UnreadableTagsGiveNoFields) {
    const std::string title = frame("TIT2", "\0Title"s);
    EXPECT_EQ(read(wholeTag(title, 0, 5)).Title(), "");  // a version not known
    // A version 2.2 tag marked compressed has no defined way to be read.
    TID3v2 tag = read(tagHeader(uint32_t(frame22("TT2", "\0x"s).size()), 2, 0x40) +
                      frame22("TT2", "\0x"s) + audio(10));
    EXPECT_EQ(std::make_pair(tag.VersionID(), tag.Title()), std::make_pair(uint8_t{2}, ""s));
    std::vector<std::string> unkept;
    EXPECT_FALSE(tag.SaveToFile(path(), &unkept));
    EXPECT_EQ(unkept, std::vector<std::string>{"compressed tag"});

    // The header claims more bytes than the file has (a tag cut short).
    tag = read(tagHeader(500) + title);
    EXPECT_EQ(std::make_tuple(tag.Exists(), tag.Size(), tag.Title()),
              std::make_tuple(true, 0, ""s));
}

TEST_F(ID3v2File, FrameListRules) {
    const std::string title = frame("TIT2", "\0Title"s);
    const std::string artist = frame("TPE1", "\0Artist"s);
    // Padding or a lower-case identifier ends the list; frames before it are kept.
    EXPECT_EQ(read(wholeTag(frame("tit2", "\0x"s) + title)).Title(), "");
    TID3v2 tag = read(wholeTag(title + frame("tpe1", "\0x"s) + artist));
    EXPECT_EQ(std::make_pair(tag.Title(), tag.Artist()), std::make_pair("Title"s, ""s));
    // Empty frames, frames met twice, and long frames.
    tag = read(wholeTag(frame("TIT2", "") + frame("TALB", "") + artist + frame("TPE1", "\0Two"s)));
    EXPECT_EQ(std::make_tuple(tag.Title(), tag.Album(), tag.Artist()),
              std::make_tuple(""s, ""s, "Two"s));
    const std::string longText(600, 'x');
    tag = read(wholeTag(frame("COMM", "\0eng\0"s + longText) + title, 10) + audio(10));
    EXPECT_EQ(std::make_pair(tag.Comment(), tag.Title()), std::make_pair(longText, "Title"s));

    // A frame that does not fit inside the tag ends the list, even when the file goes on.
    const std::string overrun = frame("TPE1", "\0Artist and then some"s);
    tag =
        read(tagHeader(uint32_t(title.size() + overrun.size() - 5)) + title + overrun + audio(50));
    EXPECT_EQ(std::make_pair(tag.Title(), tag.Artist()), std::make_pair("Title"s, ""s));
    tag = read(tagHeader(uint32_t(title.size() + 6)) + title + artist + audio(50));
    EXPECT_EQ(std::make_pair(tag.Title(), tag.Artist()), std::make_pair("Title"s, ""s));
    // A size field near 4 GiB.
    tag = read(wholeTag(title + "TPE1\xFF\xFF\xFF\xF0\0\0\0Artist"s) + audio(50));
    EXPECT_EQ(std::make_pair(tag.Title(), tag.Artist()), std::make_pair("Title"s, ""s));
}

TEST_F(ID3v2File, SavePutsAFreshTagInFrontOfTheAudioAndKeepsTheTrailer) {
    const std::string rest = audio(300) + trailerTag();
    writeFile(path(), rest);
    TID3v2 tag;
    tag.SetTitle("Abc");
    ASSERT_TRUE(tag.SaveToFile(path()));
    EXPECT_EQ(readFile(path()), wholeTag(frame("TIT2", "\0Abc"s)) + rest);
    EXPECT_EQ(tag.Size(), 0);  // the object's fields are left as they were
    EXPECT_EQ(read(readFile(path())).Size(), 24);

    // Over an old tag: the edited frames change where they stand, the others stay as they
    // were; the padding goes, the audio and trailer stay.
    TID3v2 old = read(wholeTag(allSevenFrames(), 100) + rest);
    old.SetTitle("\u0416\u0443\u043A");
    old.SetTrack(0);
    old.SetComment("");
    ASSERT_TRUE(old.SaveToFile(path()));
    const std::string expectedTag = wholeTag(
        frame("TIT2", "\1\xFF\xFE\x16\x04\x43\x04\x3A\x04"s) + frame("TXXX", "\0user\0x"s) +
        frame("TPE1", "\0Artist"s) + frame("TALB", "\0Album"s) + frame("TYER", "\0"s + "1999") +
        frame("TCON", "\0(17)Rock"s) + frame("APIC", std::string(40, '\xFF')));
    EXPECT_EQ(readFile(path()), expectedTag + rest);
    const TID3v2 again = read(readFile(path()));
    EXPECT_EQ(std::make_tuple(again.Title(), again.Track(), again.Genre(), again.Comment()),
              std::make_tuple(old.Title(), uint8_t{0}, "Rock"s, ""s));

    // A fresh object has every field empty: a version 2.4 tag of only known frames becomes
    // a bare version 2.3 header.
    writeFile(path(), wholeTag(frame24("TIT2", "\0x"s), 0, 4) + rest);
    const TID3v2 empty;
    ASSERT_TRUE(empty.SaveToFile(path()));
    EXPECT_EQ(readFile(path()), tagHeader(0) + rest);
}

TEST_F(ID3v2File, TagClaimingMoreThanTheFileIsKeptBehindTheNewTag) {
    const std::string damaged = tagHeader(5000) + frame("TIT2", "\0Old"s) + audio(40);
    TID3v2 tag = read(damaged);
    EXPECT_FALSE(tag.RemoveFromFile(path()));
    EXPECT_EQ(readFile(path()), damaged);
    tag.SetTitle("New");
    ASSERT_TRUE(tag.SaveToFile(path()));
    EXPECT_EQ(readFile(path()), wholeTag(frame("TIT2", "\0New"s)) + damaged);
}

TEST_F(ID3v2File, RemoveDropsOnlyTheLeadingTag) {
    const std::string rest = audio(200) + trailerTag();
    writeFile(path(), wholeTag(allSevenFrames(), 30) + rest);
    const TID3v2 tag;
    ASSERT_TRUE(tag.RemoveFromFile(path()));
    EXPECT_EQ(readFile(path()), rest);
    EXPECT_FALSE(tag.RemoveFromFile(path()));
    EXPECT_EQ(readFile(path()), rest);
    writeFile(path(), tagHeader(0) + rest);
    ASSERT_TRUE(tag.RemoveFromFile(path()));
    EXPECT_EQ(readFile(path()), rest);
}

TEST_F(ID3v2File, SettersDropTrailingBlanksAndControlsOnly) {
    TID3v2 tag;
    tag.SetTitle("  Title \t\r\n");
    tag.SetComment(" \x01");
    EXPECT_EQ(tag.Title(), "  Title");
    EXPECT_EQ(tag.Comment(), "");
    tag.ResetData();
    EXPECT_EQ(tag.Title(), "");
}

TEST_F(ID3v2File, SaveThroughASymbolicLinkRewritesItsTarget) {
    writeFile(path(), audio(64));
    const std::string link = m_dir.file("link.mp3");
    std::filesystem::create_symlink("song.mp3", link);
    TID3v2 tag;
    tag.SetArtist("Someone");
    ASSERT_TRUE(tag.SaveToFile(link));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(readFile(path()), wholeTag(frame("TPE1", "\0Someone"s)) + audio(64));
}
