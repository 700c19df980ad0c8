// The track list rows, the format switch and rename, the helpers around them (disc ID, titles,
// file names) and the job settings.
#include <gtest/gtest.h>

#include "DiscSession.h"
#include "RipSettings.h"
#include "RipSupport.h"
#include "RipUtility.h"
#include "SafeFileName.h"
#include "TrackList.h"

namespace {

// A table of contents with frame-number addresses: the tracks' starts, then the lead-out.
CdToc makeToc(int firstTrack, const std::vector<std::uint32_t>& addresses) {
    CdToc toc{};
    toc.firstTrack = static_cast<std::uint8_t>(firstTrack);
    toc.lastTrack = static_cast<std::uint8_t>(firstTrack + static_cast<int>(addresses.size()) - 2);
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        CdTocEntry& entry = toc.entries[i];
        const bool leadOut = i + 1 == addresses.size();
        entry.trackNumber =
            leadOut ? kCdLeadOutTrack : static_cast<std::uint8_t>(firstTrack + static_cast<int>(i));
        for (int b = 0; b < 4; ++b)
            entry.address[b] = static_cast<std::uint8_t>(addresses[i] >> (24 - 8 * b));
    }
    return toc;
}

std::vector<std::string> names(const TrackList& list) {
    std::vector<std::string> result;
    for (const TrackRow& row : list.rows())
        result.push_back(row.name);
    return result;
}

TEST(TrackList, RowsShowNumberNameLengthSizeAndFrames) {
    std::vector<std::uint32_t> twelve;
    for (std::uint32_t i = 0; i <= 12; ++i)
        twelve.push_back(i * 1000);
    TrackList list;
    list.buildFromToc(makeToc(1, twelve), OutputFormat::mp3);
    ASSERT_EQ(list.size(), 12u);
    EXPECT_EQ(list.row(0).caption, "01");
    EXPECT_EQ(list.row(11).caption, "12");
    EXPECT_EQ(list.row(0).name, "Track-01.mp3");
    EXPECT_EQ(list.row(11).name, "Track-12.mp3");
    for (const TrackRow& row : list.rows())
        EXPECT_TRUE(row.checked);

    list.buildFromToc(makeToc(1, {0, 22050, 22124, 22124 + 270000}), OutputFormat::wav);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list.row(0).length, "04:54,00");
    EXPECT_EQ(list.row(0).size, "   49.46 M");
    EXPECT_EQ(list.row(0).frames, 22050);
    EXPECT_EQ(list.row(0).name, "Track-01.wav");
    EXPECT_EQ(list.row(1).length, "00:00,74");
    EXPECT_EQ(list.row(1).size, "    0.17 M");
    EXPECT_EQ(list.row(2).length, "60:00,00");  // an hour: minutes are not wrapped
    EXPECT_EQ(list.row(2).size, "  605.62 M");

    // A disc whose first track is not 1: each row still describes its own track.
    list.buildFromToc(makeToc(3, {0, 750, 1500}), OutputFormat::ogg);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list.row(0).caption, "03");
    EXPECT_EQ(list.row(0).name, "Track-03.ogg");
    EXPECT_EQ(list.row(1).length, "00:10,00");

    // A malformed table gives no rows.
    list.buildFromToc(makeToc(5, {0}), OutputFormat::mp3);
    EXPECT_TRUE(list.empty());
}

TEST(TrackList, FormatSwitchRenameAndChecks) {
    TrackList list;
    list.buildFromToc(makeToc(1, {0, 100, 200, 300}), OutputFormat::mp3);
    list.switchFormat(OutputFormat::wav);
    EXPECT_EQ(names(list),
              (std::vector<std::string>{"Track-01.wav", "Track-02.wav", "Track-03.wav"}));
    list.switchFormat(OutputFormat::ogg);
    EXPECT_EQ(list.row(0).name, "Track-01.Ogg");  // the switch writes a capital O

    EXPECT_EQ(TrackList::renameEditText(list.row(2).name), "Track-03");
    EXPECT_EQ(TrackList::renameEditText("abc"), "");
    list.rename(2, "Song", OutputFormat::mp3);
    EXPECT_EQ(list.row(2).name, "Song.mp3");
    list.rename(2, "Song", OutputFormat::ogg);
    EXPECT_EQ(list.row(2).name, "Song.ogg");
    list.rename(1, "", OutputFormat::ogg);  // the rename window does not check the text
    EXPECT_EQ(list.row(1).name, ".ogg");
    // Names shorter than the extension lose what there is.
    list.row(0).name = "ab";
    list.switchFormat(OutputFormat::mp3);
    EXPECT_EQ(list.row(0).name, "mp3");

    // Four-letter extensions: the switch and the rename edit cut the whole extension, and
    // switching back to a three-letter format gives the old names.
    list.buildFromToc(makeToc(1, {0, 100, 200}), OutputFormat::flac);
    EXPECT_EQ(list.row(0).name, "Track-01.flac");
    EXPECT_EQ(TrackList::renameEditText(list.row(0).name), "Track-01");
    list.switchFormat(OutputFormat::opus);
    EXPECT_EQ(list.row(1).name, "Track-02.opus");
    EXPECT_EQ(TrackList::renameEditText("dir/Song.OPUS"), "Song");
    list.switchFormat(OutputFormat::ogg);
    EXPECT_EQ(list.row(0).name, "Track-01.Ogg");
    list.switchFormat(OutputFormat::flac);
    EXPECT_EQ(list.row(0).name, "Track-01.flac");
    list.row(1).name = "Live.FLAC";
    list.switchFormat(OutputFormat::mp3);
    EXPECT_EQ(names(list), (std::vector<std::string>{"Track-01.mp3", "Live.mp3"}));
    list.rename(1, "Song", OutputFormat::opus);
    EXPECT_EQ(list.row(1).name, "Song.opus");
    // A name that merely ends in the letters keeps the old three-character rule.
    list.row(0).name = "Xflac";
    list.switchFormat(OutputFormat::wav);
    EXPECT_EQ(list.row(0).name, "Xfwav");
    list.buildFromToc(makeToc(1, {0, 100, 200, 300}), OutputFormat::mp3);

    list.row(1).checked = false;
    list.invertChecks();
    EXPECT_FALSE(list.row(0).checked);
    EXPECT_TRUE(list.row(1).checked);
    EXPECT_TRUE(list.anyChecked());
    list.invertChecks();
    list.invertChecks();
    list.row(1).checked = false;
    EXPECT_FALSE(list.anyChecked());
    list.checkAll();
    EXPECT_TRUE(list.row(0).checked && list.row(1).checked && list.row(2).checked);
}

TEST(RipUtility, DiscIdTextHasNoLeadingZeros) {
    // Starts 0, 1000 and 3000, lead-out 6000: the CDDB ID 0e005003.
    EXPECT_EQ(localDiscIdText(makeToc(1, {0, 1000, 3000, 6000})), "e005003");
    // One track of under a second: digit sum 2, no whole seconds.
    EXPECT_EQ(localDiscIdText(makeToc(1, {0, 74})), "2000001");
}

TEST(RipUtility, TrackTitlesComeFromTheLinesForTheirIndex) {
    const std::string entry =
        "# xmcd\rDTITLE=Band / Record\rTTITLE0=Intro\rTTITLE1=AC/DC co\rTTITLE11=Eleven\r"
        "TTITLE1=ver (live\rEXTT1=TTITLE1=no\rTTITLE1=)\rTTITLE12=Last line";
    EXPECT_EQ(trackTitle(entry, 1), "Intro");
    EXPECT_EQ(trackTitle(entry, 2), "AC/DC cover (live)");  // unchanged, pieces joined
    EXPECT_EQ(trackTitle(entry, 12), "Eleven");
    EXPECT_EQ(trackTitle(entry, 13), "Last line");  // up to the end of the text
    EXPECT_EQ(trackTitle(entry, 3), "");            // no TTITLE2 line
    EXPECT_EQ(trackTitle("TTITLE0=\r", 1), "");
}

TEST(SafeFileName, OnlySeparatorsNulAndDotNamesChange) {
    EXPECT_EQ(safeFileName("AC/DC: Live? <1979>.mp3"), "AC_DC: Live? <1979>.mp3");
    EXPECT_EQ(safeFileName(std::string("a\0b.wav", 7)), "a_b.wav");
    EXPECT_EQ(safeFileName("../../etc/passwd"), ".._.._etc_passwd");
    EXPECT_EQ(safeFileName("."), "_");
    EXPECT_EQ(safeFileName(".."), "__");
    EXPECT_EQ(safeFileName("...mp3"), "...mp3");
    EXPECT_EQ(safeFileName("back\\slash.ogg"), "back\\slash.ogg");
    EXPECT_EQ(outputPath("/music", "  Two  words .wav  "), "/music/Two  words .wav");
    EXPECT_EQ(outputPath("/music", " .. "), "/music/__");
}

TEST(RipSettings, DefaultsUnitsAndTheFalseRule) {
    TIniFile empty = TIniFile::FromText("");
    const auto defaults = readRipSettings(empty);
    ASSERT_TRUE(defaults);
    EXPECT_EQ(defaults->mp3SampleRate, 44100);
    EXPECT_EQ(defaults->mp3Bitrate, 128);
    EXPECT_FALSE(defaults->copyright || defaults->crc || defaults->privateBit ||
                 defaults->original || defaults->openFolder);
    EXPECT_EQ(defaults->oggCpu, 3);
    EXPECT_EQ(defaults->oggCompression, 20);

    TIniFile stored = TIniFile::FromText(
        "[MP3 Options]\ndwSampleRate=48000Hz\nwBitrate=320kb/s\nbCopyright=false\nbCRC=True\n"
        "bPrivate=False\nbOriginal=0\n[Folder]\nopen=True\n[Ogg Options]\ncpu=1\ncompr=90\n");
    const auto values = readRipSettings(stored);
    ASSERT_TRUE(values);
    EXPECT_EQ(values->mp3SampleRate, 48000);
    EXPECT_EQ(values->mp3Bitrate, 320);
    EXPECT_TRUE(values->copyright);  // only "False" exactly is false
    EXPECT_TRUE(values->crc);
    EXPECT_FALSE(values->privateBit);
    EXPECT_TRUE(values->original);
    EXPECT_TRUE(values->openFolder);
    EXPECT_EQ(values->oggCpu, 1);
    EXPECT_EQ(values->oggCompression, 90);

    // The unit is cut off by length, not by looking at it.
    EXPECT_EQ(
        readRipSettings(TIniFile::FromText("[MP3 Options]\ndwSampleRate=44100\n"))->mp3SampleRate,
        441);
    for (const char* bad :
         {"[MP3 Options]\ndwSampleRate=\n", "[MP3 Options]\nwBitrate=\n",
          "[MP3 Options]\nwBitrate=fastkb/s\n", "[MP3 Options]\ndwSampleRate=Hz\n"})
        EXPECT_FALSE(readRipSettings(TIniFile::FromText(bad))) << bad;

    const CddbSettings cddb =
        readCddbSettings(TIniFile::FromText("[cddb]\nemail=me@example.org\n"));
    EXPECT_EQ(cddb.server, "gnudb.gnudb.org");
    EXPECT_EQ(cddb.email, "me@example.org");
    EXPECT_EQ(readCddbSettings(TIniFile::FromText("[CDDB]\nserver=127.0.0.1:8880\n")).server,
              "127.0.0.1:8880");
}

using DiscTrackList = RipFixture;

TEST_F(DiscTrackList, BuiltFromTheDiscInTheDrive) {
    EXPECT_EQ(buildTrackList(m_disc, m_list, OutputFormat::mp3), kNoDiscStatus);
    insertDisc({100, 60, 150});
    ASSERT_EQ(buildTrackList(m_disc, m_list, OutputFormat::mp3), "");
    ASSERT_EQ(m_list.size(), 3u);
    EXPECT_EQ(m_list.row(1).frames, 60);
    EXPECT_EQ(m_list.row(2).name, "Track-03.mp3");
    EXPECT_NE(m_disc.handle(), 0u);

    // A disc that can no longer be opened empties the list.
    m_disc.close();
    std::filesystem::remove(m_image.sheet);
    EXPECT_EQ(buildTrackList(m_disc, m_list, OutputFormat::mp3), kNoDiscStatus);
    EXPECT_TRUE(m_list.empty());
}

}  // namespace
