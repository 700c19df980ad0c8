// The cue sheet beside the ripped files, as exact text: the one cue reader at hand (libcdio's)
// reads only a single data file named like the sheet, so it cannot check one file per track.
#include <gtest/gtest.h>

#include "RipReport.h"

namespace {

TrackRipReport track(int number, std::uint32_t first, std::uint32_t count, std::string file) {
    TrackRipReport t;
    t.number = number;
    t.firstSector = first;
    t.sectorCount = count;
    t.file = std::move(file);
    return t;
}

TEST(CueSheetTest, PausesEndThePreviousFileAndNamesAreQuotedSafely) {
    RipReport report;
    report.programVersion = "2.1";
    report.artist = "The \"Quoted\" Band";
    report.album = "Line\nTITLE \"Forged\"";
    report.discIds = "003-0000abcd-0001beef-1a02c803";
    report.tracks.push_back(track(1, 0, 1000, "01 One.wav"));
    report.tracks[0].title = "One";
    report.tracks.push_back(track(2, 1000, 500, "02 Two.wav"));
    report.tracks[1].pregapSector = 850;  // a two-second pause before track 2
    report.tracks[1].title = "Two";
    report.tracks[1].artist = "Guest";
    report.tracks.push_back(track(3, 1500, 300, "03 Three.wav"));
    report.tracks[2].pregapSector = 1500;  // no pause at all

    EXPECT_EQ(cueSheetText(report),
              "REM COMMENT \"Quillon 2.1\"\n"
              "REM ACCURATERIPID \"003-0000abcd-0001beef-1a02c803\"\n"
              "PERFORMER \"The 'Quoted' Band\"\n"
              "TITLE \"Line TITLE 'Forged'\"\n"
              "FILE \"01 One.wav\" WAVE\n"
              "  TRACK 01 AUDIO\n"
              "    TITLE \"One\"\n"
              "    INDEX 01 00:00:00\n"
              "  TRACK 02 AUDIO\n"
              "    TITLE \"Two\"\n"
              "    PERFORMER \"Guest\"\n"
              "    INDEX 00 00:11:25\n"
              "FILE \"02 Two.wav\" WAVE\n"
              "    INDEX 01 00:00:00\n"
              "FILE \"03 Three.wav\" WAVE\n"
              "  TRACK 03 AUDIO\n"
              "    INDEX 01 00:00:00\n");
}

TEST(CueSheetTest, GapsNoRippedFileHoldsBecomeSilenceAndUnwritableFilesAreLeftOut) {
    RipReport report;
    report.programVersion = "2.1";
    // Track 1 starts 32 frames into the disc: hidden audio that was not ripped.
    report.tracks.push_back(track(1, 32, 4500 * 75, "a.mp3"));
    // Track 2 was not ripped, so track 3's pause lies in no file.
    report.tracks.push_back(track(3, 400000, 100, "c.Ogg"));
    report.tracks.back().pregapSector = 399850;
    report.tracks.push_back(track(4, 400100, 100, "say \"d\".flac"));
    report.tracks.push_back(track(5, 400200, 100, "e.flac"));
    report.tracks.back().outcome = TrackRipReport::Outcome::cancelled;
    report.tracks.push_back(track(6, 400300, 100, "f\nFILE.wav"));

    EXPECT_EQ(cueSheetText(report),
              "REM COMMENT \"Quillon 2.1\"\n"
              "REM track 04 left out: its file name cannot be written in a cue sheet\n"
              "REM track 06 left out: its file name cannot be written in a cue sheet\n"
              "FILE \"a.mp3\" MP3\n"
              "  TRACK 01 AUDIO\n"
              "    PREGAP 00:00:32\n"
              "    INDEX 01 00:00:00\n"
              "FILE \"c.Ogg\" WAVE\n"
              "  TRACK 03 AUDIO\n"
              "    PREGAP 00:02:00\n"
              "    INDEX 01 00:00:00\n");
}

}  // namespace
