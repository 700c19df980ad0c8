#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "CddbParse.h"
#include "CddbTestServer.h"
#include "ImageSheets.h"
#include "TextField.h"

using namespace quillon::cdrom;
using namespace std::string_literals;

namespace {

TEST(CddbAnswers, QueryAnswersOfEachKind) {
    auto exact = parseQueryAnswer("200 rock 0e005003 Some Artist / Some Title\r\n");
    ASSERT_EQ(exact.outcome, CddbQueryAnswer::Outcome::found);
    ASSERT_EQ(exact.matches.size(), 1u);
    EXPECT_EQ(exact.matches[0].category, "rock");
    EXPECT_EQ(exact.matches[0].discId, "0e005003");
    EXPECT_EQ(exact.matches[0].artist, "Some Artist");
    EXPECT_EQ(exact.matches[0].title, "Some Title");

    auto inexact = parseQueryAnswer(
        "211 close matches\r\njazz 0e005004 A / B\r\nfolk 0e005005 C / D / E\r\n.\r\n");
    ASSERT_EQ(inexact.outcome, CddbQueryAnswer::Outcome::found);
    ASSERT_EQ(inexact.matches.size(), 2u);
    EXPECT_EQ(inexact.matches[0].category, "jazz");
    EXPECT_EQ(inexact.matches[1].title, "D / E");

    EXPECT_EQ(parseQueryAnswer("202 No match\n").outcome, CddbQueryAnswer::Outcome::noMatch);
    EXPECT_EQ(parseQueryAnswer("403 Database entry is corrupt\n").outcome,
              CddbQueryAnswer::Outcome::failed);
    EXPECT_EQ(parseQueryAnswer("500 Command syntax error\n").outcome,
              CddbQueryAnswer::Outcome::failed);
}

TEST(CddbAnswers, MalformedAnswersFail) {
    for (const char* answer : {"", "\r\n", "<html>Not here</html>", "200 rock\r\n", "200\r\n",
                               "2000 rock 0e005003 A / B\r\n", "20x rock 0e005003 A / B\r\n",
                               "211 list\r\njazz 0e005004 A / B\r\n", "211 list\r\nbroken\r\n.\r\n",
                               "210 list\r\n.\r\n"}) {
        SCOPED_TRACE(answer);
        EXPECT_EQ(parseQueryAnswer(answer).outcome, CddbQueryAnswer::Outcome::failed);
    }
    EXPECT_FALSE(parseReadAnswer("210 rock 0e005003\r\nTTITLE0=a\r\n"));  // cut short
    EXPECT_FALSE(parseReadAnswer("401 rock 0e005003 No such CD entry\r\n"));
    EXPECT_FALSE(parseReadAnswer("TTITLE0=a\r\n.\r\n"));
    EXPECT_FALSE(parseSitesAnswer("210 sites\r\nhost http 80 /x N0 W0 d\r\n"));
    EXPECT_FALSE(parseSitesAnswer("500 no\r\n"));
}

TEST(CddbAnswers, ADiscTitleWithoutSeparatorIsArtistAndTitle) {
    std::string artist, title;
    splitDiscTitle("Just One Name", artist, title);
    EXPECT_EQ(artist, "Just One Name");
    EXPECT_EQ(title, "Just One Name");
    splitDiscTitle("AC/DC / Back/Front", artist, title);
    EXPECT_EQ(artist, "AC/DC");
    EXPECT_EQ(title, "Back/Front");
}

TEST(CddbAnswers, EntryLinesKeepTheirTextAndLoseOnlyLineEndsAndZeros) {
    const auto lines = parseReadAnswer(
        "210 rock 0e005003 entry follows\n# xmcd\r\nTTITLE0=../x\r\nTTITLE1=a/b\n"
        "TTITLE2=\xff\xfe bad \xc3\r\nTTITLE3=zero\0byte\r\nTTITLE3= more\r\n.\r\n"s);
    ASSERT_TRUE(lines);
    const std::vector<std::string> expected = {"# xmcd",           "TTITLE0=../x",
                                               "TTITLE1=a/b",      "TTITLE2=\xff\xfe bad \xc3",
                                               "TTITLE3=zerobyte", "TTITLE3= more"};
    EXPECT_EQ(*lines, expected);
}

TEST(CddbAnswers, SitesInBothForms) {
    const auto sites = parseSitesAnswer(
        "210 OK\r\nfreedb.example http 80 /~cddb/cddb.cgi N000.00 W000.00 Some place, far\r\n"
        "old.example 888 N001.00 E002.00 Old form\r\nnonsense\r\n.\r\n");
    ASSERT_TRUE(sites);
    ASSERT_EQ(sites->size(), 2u);
    EXPECT_EQ((*sites)[0].path, "/~cddb/cddb.cgi");
    EXPECT_EQ((*sites)[0].description, "Some place, far");
    EXPECT_EQ((*sites)[1].port, "888");
    EXPECT_EQ((*sites)[1].description, "Old form");
    const auto none = parseSitesAnswer("401 No site information available.\r\n");
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->empty());
}

TEST(CddbAnswers, EntryTextKeepsWholeLinesWithinTheBuffer) {
    const std::vector<std::string> lines = {"DTITLE=A / B", std::string(100, 'x'), "TTITLE0=One",
                                            "TTITLE1=Two"};
    std::vector<char> text(40, '#');
    const size_t used = writeEntryText(lines, text.data(), 38);
    EXPECT_STREQ(text.data(), "DTITLE=A / B\rTTITLE0=One\rTTITLE1=Two\r");
    EXPECT_EQ(used, 37u);
    EXPECT_EQ(text[38], '#');
    writeEntryText(lines, text.data(), 37);  // one byte short for the last line
    EXPECT_STREQ(text.data(), "DTITLE=A / B\rTTITLE0=One\r");

    EXPECT_EQ(writeEntryText(lines, text.data(), 1), 0u);
    EXPECT_EQ(text[0], '\0');
    EXPECT_EQ(text[1], 'T');  // nothing written past the size
}

TEST(CddbAnswers, TrackTitlesComeFromTheLinesOfTheirKey) {
    const std::string entry = "TTITLE1=One\rTTITLE11=Eleven\rTTITLE1= later\rTTITLE2=\rEXTT1=x";
    EXPECT_EQ(entryValue(entry, "TTITLE1"), "One later");
    EXPECT_EQ(entryValue(entry, "TTITLE11"), "Eleven");
    EXPECT_EQ(entryValue(entry, "TTITLE2"), "");
    EXPECT_EQ(entryValue(entry, "TTITLE3"), std::nullopt);
    EXPECT_EQ(entryValue(entry, "TITLE1"), std::nullopt);
}

TEST(CddbAnswers, FieldsAreCutToTheirRecordAndTerminated) {
    CddbMatch match;
    std::memset(&match, 'Z', sizeof match);
    CddbMatchInfo info{std::string(50, 'c'), "0e005003ffff", std::string(300, 'a'), "../x"};
    fillMatch(info, match);
    EXPECT_EQ(std::string(match.category), std::string(11, 'c'));
    EXPECT_STREQ(match.discId, "0e005003");
    EXPECT_EQ(std::string(match.artist), std::string(80, 'a'));
    EXPECT_STREQ(match.title, "../x");
    EXPECT_EQ(match.title[80], '\0');
}

TEST(CddbAnswers, ACutNeverSplitsAUtf8Character) {
    char field[6];
    copyField(field, "abcd\xc3\xa9");  // é would need bytes 4 and 5
    EXPECT_STREQ(field, "abcd");
    copyField(field, "ab\xe2\x82\xac\xe2\x82\xac");  // two € signs: only the first fits
    EXPECT_STREQ(field, "ab\xe2\x82\xac");
    copyField(field, "abcd\x80\x80\x80\x80");  // not UTF-8: cut where the room ends
    EXPECT_STREQ(field, "abcd\x80");
}

TEST(ImageSheets, CueByteOrderComesFromTheFirstFileLine) {
    EXPECT_FALSE(cueDeclaresBigEndian("FILE \"a.bin\" BINARY\r\n  TRACK 01 AUDIO\r\n"));
    EXPECT_TRUE(cueDeclaresBigEndian("REM x\n  file \"MOTOROLA.bin\" motorola  \n"));
    EXPECT_FALSE(cueDeclaresBigEndian("FILE \"MOTOROLA\" WAVE\n"));
    EXPECT_FALSE(cueDeclaresBigEndian("FILENAME MOTOROLA\n"));
    EXPECT_FALSE(cueDeclaresBigEndian(""));
}

TEST(ImageSheets, TocFileNamesBecomeAbsolute) {
    const auto sheet = prepareTocSheet(
        "CD_DA\n// FILE \"comment.bin\"\nTRACK AUDIO\nCD_TEXT { TITLE \"FILE\" }\n"
        "FILE \"x y.bin\" 0 00:01:00\nAUDIOFILE \"/abs/z.bin\" 0\nDATAFILE \"d.bin\"\n",
        "/base dir");
    ASSERT_TRUE(sheet);
    EXPECT_EQ(*sheet,
              "CD_DA\n// FILE \"comment.bin\"\nTRACK AUDIO\nCD_TEXT { TITLE \"FILE\" }\n"
              "FILE \"/base dir/x y.bin\" 0 00:01:00\nAUDIOFILE \"/abs/z.bin\" 0\n"
              "DATAFILE \"/base dir/d.bin\"\n");
    EXPECT_FALSE(prepareTocSheet("FILE \"x.bin\" 0\n", "/we\"ird"));
    EXPECT_TRUE(prepareTocSheet("FILE \"/abs.bin\" 0\n", "/we\"ird"));  // nothing to join
}

// A real-shaped entry continues long fields over several lines with the same key, split in
// the middle of a word or before a blank; the pieces join in order and nothing else moves.
TEST(CddbAnswers, RepeatedKeysJoinInOrder) {
    const auto lines = cddbEntryFile("long-titles.txt");
    const auto joined = joinEntryLines(lines);
    ASSERT_EQ(joined.size(), lines.size() - 5);
    EXPECT_EQ(joined.front(), "# xmcd CD database file");
    EXPECT_EQ(std::count(joined.begin(), joined.end(), "#"), 4);  // comments stay, even alike
    const std::string text = [&] {
        std::string all;
        for (const auto& line : joined)
            all += line + '\r';
        return all;
    }();
    EXPECT_NE(text.find("\rDTITLE=The Hollow Oak Consort & The Riverside Chamber Players / Music "
                        "for the Long Evenings: Suites, Songs and Dances of the Northern "
                        "Provinces\rDYEAR=1998\r"),
              std::string::npos);
    const std::string suite =
        "Suite No. 2 in G minor for Strings and Continuo, Op. 14: I. Prelude (Lento) - II. "
        "Allemande - III. Courante - IV. Sarabande - V. Gigue (Live, Title14 Hall)";
    EXPECT_NE(text.find("\rTTITLE0=Overture\rTTITLE1=" + suite + "\rTTITLE2=Evening Song\r"),
              std::string::npos);
    EXPECT_EQ(entryValue(text, "EXTT1"), "First performance of the complete suite");
    EXPECT_EQ(entryValue(text, "PLAYORDER"), "");

    // Reading the entry as the server sent it gives the same values.
    std::string sent;
    for (const auto& line : lines)
        sent += line + "\r\n";
    EXPECT_EQ(entryValue(sent, "TTITLE1"), suite);
    EXPECT_EQ(entryValue(sent, "EXTD"), entryValue(text, "EXTD"));
    EXPECT_EQ(*entryValue(sent, "EXTD"),
              "Recorded at Title14 Hall in the spring of 1997. The consort plays on period "
              "instruments tuned to A=415 Hz.");
}

}  // namespace
