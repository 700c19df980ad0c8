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

TEST_F(ID3v2File, OtherVersionsAndUnreadableTagsGiveNoFields) {
    const std::string title = frame("TIT2", "\0Title"s);
    const std::string v24 = wholeTag(title, 0, 4);
    TID3v2 tag = read(v24 + audio(20));
    EXPECT_EQ(std::make_tuple(tag.Exists(), tag.VersionID(), tag.Size(), tag.Title()),
              std::make_tuple(true, 4, int32_t(v24.size()), ""s));
    EXPECT_EQ(read(wholeTag(title, 0, 2)).VersionID(), 2);

    // The header claims more bytes than the file has (a tag cut short).
    tag = read(tagHeader(500) + title);
    EXPECT_EQ(std::make_tuple(tag.Exists(), tag.Size(), tag.Title()),
              std::make_tuple(true, 0, ""s));

    // An extended header is not skipped; its first byte ends the frame list.
    const std::string extended = "\0\0\0\6\0\0\0\0\0\0"s + title;
    EXPECT_EQ(read(tagHeader(uint32_t(extended.size()), 3, 0x40) + extended).Title(), "");
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

    // Over an old tag: unknown frames and padding go, the audio and trailer stay.
    TID3v2 old = read(wholeTag(allSevenFrames(), 100) + rest);
    old.SetTitle("\u0416\u0443\u043A");
    old.SetTrack(0);
    old.SetComment("");
    ASSERT_TRUE(old.SaveToFile(path()));
    const std::string expectedTag = wholeTag(
        frame("TIT2", "\1\xFF\xFE\x16\x04\x43\x04\x3A\x04"s) + frame("TPE1", "\0Artist"s) +
        frame("TALB", "\0Album"s) + frame("TYER", "\0"s + "1999") + frame("TCON", "\0Rock"s));
    EXPECT_EQ(readFile(path()), expectedTag + rest);
    const TID3v2 again = read(readFile(path()));
    EXPECT_EQ(std::make_tuple(again.Title(), again.Track(), again.Genre(), again.Comment()),
              std::make_tuple(old.Title(), uint8_t{0}, "Rock"s, ""s));

    // Nothing set: a bare header. A version 2.4 tag becomes a version 2.3 tag.
    TID3v2 empty = read(wholeTag(frame("TIT2", "\0x"s), 0, 4) + rest);
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
