// Reading INI text: name matching, defaults, typed reads and untidy input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "IniFile.h"

using Names = std::vector<std::string>;

TEST(IniRead, NamesMatchWithoutCaseAndTheFirstOccurrenceWins) {
    const TIniFile ini = TIniFile::FromText(
        "[Folder]\n"
        "mp3 folder=/music/mp3\n"
        "MP3 FOLDER=/second\n"
        "open=True\n"
        "[Ogg Options]\n"
        "cpu=2\n"
        "[FOLDER]\n"
        "mp3 folder=/third\n"
        "late=x\n");
    EXPECT_EQ(ini.ReadString("folder", "Mp3 Folder", ""), "/music/mp3");
    EXPECT_EQ(ini.ReadString("  Folder ", " mp3 folder\t", ""), "/music/mp3");
    EXPECT_EQ(ini.ReadInteger("OGG Options", "CPU", 3), 2);
    // A later section of the same name is never read.
    EXPECT_FALSE(ini.ValueExists("Folder", "late"));
    EXPECT_EQ(ini.ReadSections(), (Names{"Folder", "Ogg Options"}));
    EXPECT_EQ(ini.ReadSection("FOLDER"), (Names{"mp3 folder", "open"}));
    EXPECT_TRUE(ini.SectionExists("ogg options"));
    EXPECT_FALSE(ini.SectionExists("MP3 Options"));
}

TEST(IniRead, MissingKeysGiveTheDefaultAndEmptyValuesTheEmptyText) {
    const TIniFile ini = TIniFile::FromText("[Folder]\nwav folder=\nOgg folder =   \n");
    EXPECT_EQ(ini.ReadString("Folder", "mp3 folder", "/start"), "/start");
    EXPECT_EQ(ini.ReadString("Nowhere", "wav folder", "/start"), "/start");
    EXPECT_EQ(ini.ReadString("Folder", "wav folder", "/start"), "");
    EXPECT_EQ(ini.ReadString("Folder", "Ogg folder", "/start"), "");
    EXPECT_TRUE(ini.ValueExists("Folder", "wav folder"));
    EXPECT_EQ(ini.ReadString("", "wav folder", "d"), "d");
    EXPECT_EQ(ini.ReadString("Folder", "", "d"), "d");
}

TEST(IniRead, IntegersAndBooleans) {
    const TIniFile ini = TIniFile::FromText(
        "[N]\nplain=42\nspaced=  -7 \nplus=+5\ntrailing=12abc\nempty=\nhuge=99999999999\n"
        "unit=44100Hz\n"
        "[B]\nt=True\nf=False\nlower=false\nzero=0\nempty=\n");
    EXPECT_EQ(ini.ReadInteger("N", "plain", 0), 42);
    EXPECT_EQ(ini.ReadInteger("N", "spaced", 0), -7);
    EXPECT_EQ(ini.ReadInteger("N", "plus", 0), 5);
    for (const char* bad : {"trailing", "empty", "huge", "unit", "missing"})
        EXPECT_EQ(ini.ReadInteger("N", bad, 20), 20) << bad;
    // Only the exact text "False" is false.
    EXPECT_TRUE(ini.ReadBool("B", "t", false));
    EXPECT_FALSE(ini.ReadBool("B", "f", true));
    EXPECT_TRUE(ini.ReadBool("B", "lower", false));
    EXPECT_TRUE(ini.ReadBool("B", "zero", false));
    EXPECT_TRUE(ini.ReadBool("B", "empty", false));
    EXPECT_FALSE(ini.ReadBool("B", "missing", false));
    EXPECT_TRUE(ini.ReadBool("B", "missing", true));
}

TEST(IniRead, UntidyTextIsReadAndKeptAsItStands) {
    const std::string longValue(1 << 20, 'v');
    std::string text =
        "\xEF\xBB\xBF"
        "orphan=before any section\r\n"
        "; comment=not a key\r\n"
        "  [ Colours ]  trailing words\r\n"
        "  Face  =  1, 2, 3  \r\n"
        "no equals sign here\r\n"
        "#hash=comment\r\n"
        "=no key\r\n"
        "quoted=\"  padded  \"\r\n"
        "nul=a";
    text += std::string(1, '\0') + "b\r\n";
    text += "long=" + longValue + "\n";
    text += "[unclosed\nkey=in unclosed\n[]\nempty=section\n[Last]\nlast=no newline";

    const TIniFile ini = TIniFile::FromText(text);
    EXPECT_EQ(ini.Text(), text);
    EXPECT_EQ(ini.ReadString("colours", "face", ""), "1, 2, 3");
    EXPECT_EQ(ini.ReadString("Colours", "quoted", ""), "  padded  ");
    EXPECT_EQ(ini.ReadString("Colours", "nul", ""), std::string("a\0b", 3));
    EXPECT_EQ(ini.ReadString("Colours", "long", ""), longValue);
    EXPECT_EQ(ini.ReadString("unclosed", "key", ""), "in unclosed");
    EXPECT_EQ(ini.ReadString("Last", "last", ""), "no newline");
    EXPECT_EQ(ini.ReadSection("Colours"), (Names{"Face", "quoted", "nul", "long"}));
    EXPECT_EQ(ini.ReadSections(), (Names{"Colours", "unclosed", "Last"}));
}

TEST(IniRead, HostileTextDoesNotUpsetTheReader) {
    const std::string texts[] = {
        "",
        "\n\n\n",
        "[",
        "]",
        "=",
        "[[]]\n=]\n[=]",
        "\r\r\r\n\r",
        "\xEF",
        "\xEF\xBB\xBF",
        std::string("[a]\n\0=\0\n", 8),
        "[a\r]\nk\r=v\r",
        std::string(100000, '['),
        std::string(100000, '\n'),
        std::string(100000, '='),
    };
    for (const std::string& text : texts) {
        TIniFile ini = TIniFile::FromText(text);
        EXPECT_EQ(ini.Text(), text);
        for (const std::string& section : ini.ReadSections()) {
            for (const std::string& key : ini.ReadSection(section))
                EXPECT_TRUE(ini.ValueExists(section, key));
        }
        EXPECT_TRUE(ini.WriteString("s", "k", "v"));
        EXPECT_EQ(ini.ReadString("s", "k", ""), "v");
    }
}

TEST(IniRead, AHugeTextIsReadInOnePassNotOnePerKey) {
    // 100000 sections and keys: reading every one by scanning the text from the top would
    // take hours; the reader indexes the text once. Writes see the index change with them.
    const int count = 100000;
    std::string text;
    for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        text += "[S" + n + "]\nk=" + n + "\nK=dup\n";
    }
    text += "[s7]\nk=later\n";  // the first section of a name is the one read
    TIniFile ini = TIniFile::FromText(text);
    const Names sections = ini.ReadSections();
    ASSERT_EQ(sections.size(), std::size_t(count));
    long long sum = 0;
    for (const std::string& section : sections) {
        sum += ini.ReadInteger(section, "K", 0);  // k and K are one key: the first is read
        ASSERT_EQ(ini.ReadSection(section), Names{"k"});
    }
    EXPECT_EQ(sum, (long long)count * (count - 1) / 2);
    EXPECT_EQ(ini.ReadString("s7", "k", ""), "7");

    EXPECT_TRUE(ini.WriteString("S5", "new", "x"));
    EXPECT_EQ(ini.ReadString("s5", "NEW", ""), "x");
    EXPECT_EQ(ini.ReadString("S6", "k", ""), "6");
    EXPECT_TRUE(ini.EraseSection("S7"));
    EXPECT_EQ(ini.ReadString("S7", "k", "gone"), "gone");  // every [S7] block went
    EXPECT_TRUE(ini.DeleteKey("S8", "k"));
    EXPECT_FALSE(ini.ValueExists("S8", "k"));
    EXPECT_EQ(ini.ReadString("S9", "k", ""), "9");
}
