// Saving changes the frames of the edited fields and nothing else: every other frame stays,
// byte for byte in a version 2.3 tag, in its 2.3 form from 2.2 and 2.4 tags; a frame that
// has no 2.3 form stops the save before the file is touched.
#include <gtest/gtest.h>

#include "ID3v2.h"
#include "TagBytes.h"
#include "TestFiles.h"

using namespace std::string_literals;

namespace {

class SaveKeepsFrames : public ::testing::Test {
  protected:
    std::string path() const { return m_dir.file("song.mp3"); }
    TID3v2 read(const std::string& bytes) {
        writeFile(path(), bytes);
        TID3v2 tag;
        EXPECT_TRUE(tag.ReadFromFile(path()));
        return tag;
    }
    // The tag the file now starts with, checked to be followed by the audio.
    std::string savedTag() const {
        const std::string bytes = readFile(path());
        EXPECT_EQ(bytes.substr(bytes.size() - m_audio.size()), m_audio);
        return bytes.substr(0, bytes.size() - m_audio.size());
    }

    TempDir m_dir;
    const std::string m_audio = audio(400) + trailerTag();
};

}  // namespace

TEST_F(SaveKeepsFrames, Version23FramesStayByteForByteInFileOrder) {
    const std::string txxx = frame("TXXX", "\0Mood\0calm"s);
    const std::string picture = frame("APIC", "\0image/png\0\3\0"s + std::string(30, '\x89'));
    const std::string priv = frame("PRIV", "owner\0\1\2"s, 0x40, 0);  // flags kept too
    const std::string described = frame("COMM", "\0deuWho\0Other"s);
    const std::string odd = frame("XQZ1", "\xFF\xFE\0binary"s, 0x80, 0x20);
    TID3v2 tag = read(wholeTag(txxx + frame("TIT2", "\0Old"s) + picture + priv + described +
                                   frame("COMM", "\0fra\0Plain"s) +
                                   frame("TRCK",
                                         "\0"
                                         "5/9"s) +
                                   frame("TCON", "\0(17)Rock"s) + odd,
                               64) +
                      m_audio);
    ASSERT_EQ(std::make_tuple(tag.Comment(), int(tag.Track()), tag.Genre()),
              std::make_tuple("Plain"s, 5, "Rock"s));

    // Only the title changes, where it stands; the padding goes.
    tag.SetTitle("New");
    ASSERT_TRUE(tag.SaveToFile(path()));
    const std::string kept = picture + priv + described;
    EXPECT_EQ(savedTag(),
              wholeTag(txxx + frame("TIT2", "\0New"s) + kept + frame("COMM", "\0fra\0Plain"s) +
                       frame("TRCK",
                             "\0"
                             "5/9"s) +
                       frame("TCON", "\0(17)Rock"s) + odd));

    // The track keeps its total, the comment its language and description; an emptied field
    // loses its frame, a field new to the tag comes last.
    tag.SetTrack(6);
    tag.SetComment("Changed \u0416");
    tag.SetGenre("");
    tag.SetAlbum("Album");
    ASSERT_TRUE(tag.SaveToFile(path()));
    EXPECT_EQ(savedTag(), wholeTag(txxx + frame("TIT2", "\0New"s) + kept +
                                   frame("COMM",
                                         "\1fra\xFF\xFE\0\0\xFF\xFE"
                                         "C\0h\0a\0n\0g\0e\0d\0 \0\x16\x04"s) +
                                   frame("TRCK",
                                         "\0"
                                         "6/9"s) +
                                   odd + frame("TALB", "\0Album"s)));
    TID3v2 again;
    ASSERT_TRUE(again.ReadFromFile(path()));
    EXPECT_EQ(std::make_tuple(again.Title(), int(again.Track()), again.Comment(), again.Genre()),
              std::make_tuple("New"s, 6, "Changed \u0416"s, ""s));
}

TEST_F(SaveKeepsFrames, Version22FramesBecomeTheirVersion23Forms) {
    const std::string pictureData = "\x89PNG\r\n\x1A\n"s + std::string(20, 'p');
    TID3v2 tag = read(wholeTag(frame22("TT2", "\0Title\0"s) +
                                   frame22("TP1",
                                           "\1\xFF\xFE"
                                           "A\0"s) +
                                   frame22("TRK",
                                           "\0"
                                           "3/12"s) +
                                   frame22("TYE",
                                           "\0"
                                           "1999"s) +
                                   frame22("PIC", "\0PNG\3Cover\0"s + pictureData) +
                                   frame22("COM", "\0engiTunNORM\0 0000"s) +
                                   frame22("TXX", "\0Key\0Value"s) + frame22("UFI", "owner\0id"s),
                               30, 2) +
                      m_audio);
    ASSERT_EQ(std::make_tuple(tag.Title(), tag.Artist(), int(tag.Track()), tag.Comment()),
              std::make_tuple("Title"s, "A"s, 3, ""s));
    tag.SetTrack(4);
    ASSERT_TRUE(tag.SaveToFile(path()));
    EXPECT_EQ(savedTag(), wholeTag(frame("TIT2", "\0Title\0"s) +
                                   frame("TPE1",
                                         "\1\xFF\xFE"
                                         "A\0"s) +
                                   frame("TRCK",
                                         "\0"
                                         "4/12"s) +
                                   frame("TYER",
                                         "\0"
                                         "1999"s) +
                                   frame("APIC", "\0image/png\0\3Cover\0"s + pictureData) +
                                   frame("COMM", "\0engiTunNORM\0 0000"s) +
                                   frame("TXXX", "\0Key\0Value"s) + frame("UFID", "owner\0id"s)));
}

TEST_F(SaveKeepsFrames, Version24FramesBecomeTheirVersion23Forms) {
    const std::string pictureData = "\xFF\xD8\xFF\xE0jpeg"s;
    const std::string stored = unsynchronised(pictureData);
    TID3v2 tag = read(wholeTag(frame24("TIT2", "\3\xD0\x9D\xD0\xBE\xD1\x87\xD1\x8C"s) +
                                   frame24("TPE1", "\3One\0Two\0"s) +
                                   frame24("TCON",
                                           "\0"
                                           "17\0Jazz"s) +
                                   frame24("TDRC",
                                           "\0"
                                           "2001-05-03T12:34"s,
                                           0x40, 0) +
                                   frame24("TXXX", "\3Mood\0calm"s) +
                                   frame24("COMM", "\2eng\0D\0\0\0N\0o\0t\0e"s) +
                                   frame24("APIC",
                                           syncSafe(uint32_t(4 + pictureData.size())) +
                                               "\0\0\3\0"s + stored.substr(0, stored.size()),
                                           0, 0x03) +
                                   frame24("TSSE", "\0Encoder"s),
                               0, 4) +
                      m_audio);
    ASSERT_EQ(std::make_tuple(tag.Title(), tag.Artist(), tag.Year(), tag.Genre(), tag.Comment()),
              std::make_tuple("\u041D\u043E\u0447\u044C"s, "One/Two"s, "2001"s, "Jazz"s, "Note"s));
    // Nothing edited: the tag only changes its version.
    ASSERT_TRUE(tag.SaveToFile(path()));
    const std::string expected =
        wholeTag(frame("TIT2", "\1\xFF\xFE\x1D\x04\x3E\x04\x47\x04\x4C\x04"s) +
                 frame("TPE1", "\0One/Two"s) + frame("TCON", "\0(17)Jazz"s) +
                 frame("TYER",
                       "\0"
                       "2001"s,
                       0x80) +
                 frame("TDAT",
                       "\0"
                       "0305"s,
                       0x80) +
                 frame("TIME",
                       "\0"
                       "1234"s,
                       0x80) +
                 frame("TXXX", "\0Mood\0calm"s) + frame("COMM", "\0engD\0Note"s) +
                 frame("APIC", "\0\0\3\0"s + pictureData) + frame("TSSE", "\0Encoder"s));
    EXPECT_EQ(savedTag(), expected);
    TID3v2 again;
    ASSERT_TRUE(again.ReadFromFile(path()));
    EXPECT_EQ(std::make_tuple(again.Title(), again.Artist(), again.Year(), again.Genre()),
              std::make_tuple(tag.Title(), tag.Artist(), tag.Year(), tag.Genre()));

    // A new year keeps the date and time of the recording time it replaces.
    writeFile(path(), wholeTag(frame24("TDRC",
                                       "\0"
                                       "2001-05-03"s),
                               0, 4) +
                          m_audio);
    tag = read(readFile(path()));
    tag.SetYear("2002");
    ASSERT_TRUE(tag.SaveToFile(path()));
    EXPECT_EQ(savedTag(), wholeTag(frame("TYER",
                                         "\0"
                                         "2002"s) +
                                   frame("TDAT",
                                         "\0"
                                         "0305"s)));
}

TEST_F(SaveKeepsFrames, FramesWithoutAVersion23FormStopTheSave) {
    const std::string original =
        wholeTag(frame24("TIT2", "\0Title"s) + frame24("TSOP", "\0Sorted"s) +
                     frame24("RVA2", "track\0\1\0\0\0"s) + frame24("TSOP", "\0Again"s) +
                     frame24("TDRC",
                             "\0"
                             "2001-05-03T12:34:56"s) +
                     frame24("TALB", "\0One\0Two"s),
                 0, 4) +
        m_audio;
    TID3v2 tag = read(original);
    tag.SetTitle("Changed");
    std::vector<std::string> unkept;
    EXPECT_FALSE(tag.SaveToFile(path(), &unkept));
    // Each once, in tag order; seconds and a list of albums would be lost in 2.3.
    EXPECT_EQ(unkept, std::vector<std::string>({"TSOP", "RVA2", "TDRC", "TALB"}));
    EXPECT_EQ(readFile(path()), original);
    EXPECT_NE(describeUnkept(unkept).find("TSOP, RVA2, TDRC, TALB"), std::string::npos);

    // Fields that replace such frames free the save from them.
    writeFile(path(), wholeTag(frame24("TDRC",
                                       "\0"
                                       "2001-05-03T12:34:56"s) +
                                   frame24("TALB", "\0One\0Two"s),
                               0, 4) +
                          m_audio);
    tag = read(readFile(path()));
    tag.SetYear("2002");
    tag.SetAlbum("One and Two");
    EXPECT_TRUE(tag.SaveToFile(path(), &unkept));
    EXPECT_TRUE(unkept.empty());
    EXPECT_EQ(savedTag(), wholeTag(frame("TYER",
                                         "\0"
                                         "2002"s) +
                                   frame("TALB", "\0One and Two"s)));
    // "2001" unchanged is no edit: the recording time still stops a save.
    tag = read(wholeTag(frame24("TDRC",
                                "\0"
                                "2001-05-03T12:34:56"s),
                        0, 4) +
               m_audio);
    EXPECT_FALSE(tag.SaveToFile(path(), &unkept));

    // Version 2.2 frames without a 2.3 form: encrypted meta data, an iTunes flag.
    tag = read(wholeTag(frame22("CRM", "owner\0x"s) + frame22("TCP",
                                                              "\0"
                                                              "1"s),
                        0, 2) +
               m_audio);
    EXPECT_FALSE(tag.SaveToFile(path(), &unkept));
    EXPECT_EQ(unkept, std::vector<std::string>({"CRM", "TCP"}));
}
