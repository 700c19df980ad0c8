#include <gtest/gtest.h>

#include <fstream>

#include "CdTestSupport.h"
#include "CdText.h"
#include "DiscImages.h"
#include "ImageDisc.h"
#include "OpenDiscs.h"

using namespace quillon::cdrom;

namespace {

using CdText = DiscFolderTest;

void writeSheet(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A CUE sheet naming the disc and its two tracks, with a Latin-1 byte and a control character
// in the names, as sheets written by older programs have them.
std::string namedCueSheet(const std::string& bin, const DiscImage& image) {
    return "REM GENRE Jazz\r\n"
           "PERFORMER \"Die \xC4rzte\"\r\n"
           "TITLE \"Live in Köln\"\r\n"
           "SONGWRITER \"Someone\"\r\n"
           "FILE \"" +
           bin +
           "\" BINARY\r\n"
           "  TRACK 01 AUDIO\r\n"
           "    TITLE \"First\asong\"\r\n"
           "    PERFORMER \"Guest\"\r\n"
           "    INDEX 01 00:00:00\r\n"
           "  TRACK 02 AUDIO\r\n"
           "    TITLE \"Zweites Lied\"\r\n"
           "    INDEX 01 " +
           msfText(image.trackStarts[1]) + "\r\n";
}

TEST_F(CdText, CueSheetNamesAreReadAsUtf8) {
    const DiscImage image = writeCueImage(discs(), "named", {40, 30});
    writeSheet(image.sheet, namedCueSheet("named.bin", image));
    const auto disc = openDiscImage(image.sheet);
    ASSERT_TRUE(disc);
    const auto text = disc->text();
    ASSERT_TRUE(text);
    EXPECT_EQ(text->performer, "Die \xC3\x84rzte");  // ISO-8859-1 Ä made UTF-8
    EXPECT_EQ(text->title, "Live in Köln");          // already UTF-8: kept
    EXPECT_EQ(text->songwriter, "Someone");
    ASSERT_EQ(text->tracks.size(), 2u);
    EXPECT_EQ(text->tracks[0].title, "First song");
    EXPECT_EQ(text->tracks[0].performer, "Guest");
    EXPECT_EQ(text->tracks[1].title, "Zweites Lied");
    EXPECT_EQ(text->tracks[1].performer, "");
}

TEST_F(CdText, ImagesWithoutNamesHaveNoText) {
    const DiscImage cue = writeCueImage(discs(), "plain", {20, 20});
    const DiscImage toc = writeTocImage(discs(), "plain-toc", {20});
    EXPECT_FALSE(openDiscImage(cue.sheet)->text());
    EXPECT_FALSE(openDiscImage(toc.sheet)->text());
}

// cdrdao's TOC format carries CD-Text in CD_TEXT blocks: a language map and block 0 on the
// disc, one block per track.
TEST_F(CdText, TocSheetCdTextBlocksAreRead) {
    const DiscImage image = writeTocImage(discs(), "texted", {30, 25});
    const std::string sheet =
        "CD_DA\n"
        "CD_TEXT {\n"
        "  LANGUAGE_MAP { 0 : EN }\n"
        "  LANGUAGE 0 {\n"
        "    TITLE \"Album\"\n"
        "    PERFORMER \"Band\"\n"
        "  }\n"
        "}\n"
        "TRACK AUDIO\n"
        "CD_TEXT {\n"
        "  LANGUAGE 0 {\n"
        "    TITLE \"One\"\n"
        "    PERFORMER \"Band\"\n"
        "  }\n"
        "}\n"
        "FILE \"texted.bin\" 00:00:00 " +
        msfText(30) +
        "\n"
        "TRACK AUDIO\n"
        "CD_TEXT {\n"
        "  LANGUAGE 0 {\n"
        "    TITLE \"Two\"\n"
        "  }\n"
        "}\n"
        "FILE \"texted.bin\" " +
        msfText(30) + " " + msfText(25) + "\n";
    writeSheet(image.sheet, sheet);
    const auto disc = openDiscImage(image.sheet);
    ASSERT_TRUE(disc);
    EXPECT_EQ(disc->layout().trackCount(), 2);
    const auto text = disc->text();
    ASSERT_TRUE(text);
    EXPECT_EQ(text->title, "Album");
    EXPECT_EQ(text->performer, "Band");
    ASSERT_EQ(text->tracks.size(), 2u);
    EXPECT_EQ(text->tracks[0].title, "One");
    EXPECT_EQ(text->tracks[1].title, "Two");
}

// A sheet in the form cdrdao documents and accepts, with ISO-8859-1 names as cdrdao reads them.
TEST(CdTextImage, CdrdaoSheetWithLatin1Names) {
    const auto disc = openDiscImage(std::filesystem::path(QUILLON_CDTEXT_DATA) / "album.toc");
    ASSERT_TRUE(disc);
    ASSERT_EQ(disc->layout().trackCount(), 2);
    const auto text = disc->text();
    ASSERT_TRUE(text);
    EXPECT_EQ(text->title, "Café Songs");
    EXPECT_EQ(text->performer, "The Test Ensemble");
    EXPECT_EQ(text->songwriter, "A. Writer");
    ASSERT_EQ(text->tracks.size(), 2u);
    EXPECT_EQ(text->tracks[0].title, "Opening");
    EXPECT_EQ(text->tracks[1].title, "Fin de l'été");
    EXPECT_EQ(text->tracks[1].performer, "Guest Singer");
}

TEST_F(CdText, OpenHandlesGiveTheirDiscsText) {
    const DiscImage image = writeCueImage(discs(), "named", {40, 30});
    writeSheet(image.sheet, namedCueSheet("named.bin", image));
    const CdHandle handle = openImage(0);
    ASSERT_NE(handle, 0);
    const auto text = openDiscText(handle);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->tracks.at(1).title, "Zweites Lied");
    CloseCDHandle(handle);
    EXPECT_FALSE(openDiscText(handle));
}

TEST(CdTextCleaning, TextsBecomeBoundedUtf8WithoutControls) {
    EXPECT_EQ(cleanCdText("  plain  "), "plain");
    EXPECT_EQ(cleanCdText("caf\xE9"), "caf\xC3\xA9");  // Latin-1
    EXPECT_EQ(cleanCdText("caf\xC3\xA9"), "caf\xC3\xA9");
    // UTF-8 that went through a Latin-1 reading on the way is put right; real Latin-1 and
    // UTF-8 beyond U+00FF are not touched.
    EXPECT_EQ(cleanCdText("K\xC3\x83\xC2\xB6ln"), "K\xC3\xB6ln");
    EXPECT_EQ(cleanCdText("\xC3\x83\xC2\xA9 \xE2\x82\xAC"), "\xC3\x83\xC2\xA9 \xE2\x82\xAC");
    EXPECT_EQ(cleanCdText("\xC3\x83"), "\xC3\x83");  // "Ã" alone
    // One bad sequence makes the whole text Latin-1, never a mixture.
    EXPECT_EQ(cleanCdText("\xC3\xA9\xFF"), "\xC3\x83\xC2\xA9\xC3\xBF");
    // Overlong forms and surrogates are not UTF-8.
    EXPECT_EQ(cleanCdText("\xC0\xAF"), "\xC3\x80\xC2\xAF");
    EXPECT_EQ(cleanCdText("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0");  // U+0080 a control
    EXPECT_EQ(cleanCdText("a\x1B[2Jb\x7F"
                          "c"),
              "a [2Jb c");
    EXPECT_EQ(cleanCdText("x\xC2\x9By"), "x y");  // a C1 control in UTF-8
    EXPECT_EQ(cleanCdText("\x01\x02"), "");

    const std::string longText = std::string(kMaxCdTextBytes - 1, 'a') + "\xC3\xA9" + "tail";
    const std::string cut = cleanCdText(longText);
    EXPECT_EQ(cut, std::string(kMaxCdTextBytes - 1, 'a'));  // é would not fit whole
    EXPECT_EQ(cleanCdText(std::string(100000, '\xE9')).size(), kMaxCdTextBytes);
}

}  // namespace
