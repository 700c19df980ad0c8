// Edits of INI text: only the line concerned changes, new lines go where a person would put them.
#include <gtest/gtest.h>

#include <string>

#include "IniFile.h"

TEST(IniWrite, AnExistingKeyIsReplacedInPlaceAndAllElseKept) {
    TIniFile ini = TIniFile::FromText(
        "; Quillon settings\r\n"
        "[MP3 Options]\r\n"
        "  dwSampleRate = 44100Hz   \r\n"
        "bcrc=False\r\n"
        "BCRC=True\r\n"
        "\r\n"
        "[Folder]\r\n"
        "open=False");
    EXPECT_TRUE(ini.WriteString("mp3 options", "DWSAMPLERATE", "48000Hz"));
    EXPECT_TRUE(ini.WriteBool("MP3 Options", "bCRC", true));
    EXPECT_TRUE(ini.WriteInteger("Folder", "open", -3));
    EXPECT_EQ(ini.Text(),
              "; Quillon settings\r\n"
              "[MP3 Options]\r\n"
              "  dwSampleRate = 48000Hz\r\n"
              "bcrc=True\r\n"
              "BCRC=True\r\n"
              "\r\n"
              "[Folder]\r\n"
              "open=-3");
}

TEST(IniWrite, NewKeysEndTheirSectionAndNewSectionsEndTheText) {
    TIniFile ini = TIniFile::FromText(
        "[Folder]\n"
        "mp3 folder=/a\n"
        "; about the next section\n"
        "\n"
        "[Ogg Options]\n"
        "cpu=3");
    EXPECT_TRUE(ini.WriteString("FOLDER", "wav folder", "/b"));
    EXPECT_TRUE(ini.WriteString("Ogg Options", "compr", "20"));
    EXPECT_TRUE(ini.WriteString("MP3 Options", "channel", "STEREO"));
    EXPECT_EQ(ini.Text(),
              "[Folder]\n"
              "mp3 folder=/a\n"
              "wav folder=/b\n"
              "; about the next section\n"
              "\n"
              "[Ogg Options]\n"
              "cpu=3\n"
              "compr=20\n"
              "\n"
              "[MP3 Options]\n"
              "channel=STEREO\n");

    TIniFile empty = TIniFile::FromText("");
    EXPECT_TRUE(empty.WriteBool("Folder", "open", false));
    EXPECT_EQ(empty.Text(), "[Folder]\nopen=False\n");
}

TEST(IniWrite, AnyValueWithoutALineBreakReadsBackAsWritten) {
    TIniFile ini = TIniFile::FromText("[S]\n");
    const std::string values[] = {
        "",       " lead", "trail ",      "\"quoted\"",           "\"", "a=b;c#d", "[x]",
        "  \"  ", "\tx\t", "caf\xC3\xA9", std::string("n\0ul", 4)};
    for (const std::string& value : values) {
        ASSERT_TRUE(ini.WriteString("S", "k", value));
        EXPECT_EQ(ini.ReadString("S", "k", "default"), value);
        EXPECT_EQ(TIniFile::FromText(ini.Text()).ReadString("S", "k", "default"), value);
    }
}

TEST(IniWrite, NamesAndValuesThatCannotBeStoredAreRefused) {
    TIniFile ini = TIniFile::FromText("[S]\nk=v\n");
    const std::string before = ini.Text();
    EXPECT_FALSE(ini.WriteString("S", "k", "two\nlines"));
    EXPECT_FALSE(ini.WriteString("S", "k", "cr\r"));
    EXPECT_FALSE(ini.WriteString("a]b", "k", "v"));
    EXPECT_FALSE(ini.WriteString(" ", "k", "v"));
    EXPECT_FALSE(ini.WriteString("S", "a=b", "v"));
    EXPECT_FALSE(ini.WriteString("S", "[k", "v"));
    EXPECT_FALSE(ini.WriteString("S", ";k", "v"));
    EXPECT_FALSE(ini.WriteString("S", "", "v"));
    EXPECT_EQ(ini.Text(), before);
    EXPECT_FALSE(ini.LastError().empty());
}

TEST(IniWrite, DeleteKeyAndEraseSectionRemoveEveryOccurrence) {
    TIniFile ini = TIniFile::FromText("[A]\nk=1\nother=2\nK=3\n[B]\nk=4\n[a]\nk=5\n");
    EXPECT_TRUE(ini.DeleteKey("a", "K"));
    EXPECT_FALSE(ini.ValueExists("A", "k"));
    EXPECT_EQ(ini.ReadString("A", "other", ""), "2");
    EXPECT_EQ(ini.ReadString("B", "k", ""), "4");
    EXPECT_TRUE(ini.DeleteKey("A", "absent"));

    EXPECT_TRUE(ini.EraseSection("A"));
    EXPECT_FALSE(ini.SectionExists("a"));
    EXPECT_EQ(ini.Text(), "[B]\nk=4\n");
}
