// The rip log and the short result texts the rip window shares with it.
#include <gtest/gtest.h>

#include "RipReport.h"
#include "RipResults.h"

namespace {

using quillon::accuraterip::Lookup;
using quillon::accuraterip::TrackVerdict;
using Status = TrackVerdict::Status;

TrackRipReport secureTrack(int number, Status status, int confidence = 0) {
    TrackRipReport t;
    t.number = number;
    t.file = "Track-0" + std::to_string(number) + ".wav";
    t.secure = true;
    t.verdict.status = status;
    t.verdict.confidence = confidence;
    t.verdict.version = 2;
    return t;
}

RipReport secureRip(std::vector<TrackRipReport> tracks) {
    RipReport report;
    report.programVersion = "2.1";
    report.drive = "VENDOR  MODEL 1.0";
    report.offset = 6;
    report.discIds = "002-00001234-00005678-0a01b002";
    report.lookup = Lookup::Outcome::found;
    report.tracks = std::move(tracks);
    return report;
}

TEST(RipLogTest, AFullLogOfTwoTracks) {
    auto first = secureTrack(1, Status::accurate, 12);
    first.peak = 0.98765;
    first.crc32 = 0x1a2b3c4d;
    first.testCrc32 = 0x1a2b3c4d;
    first.accurateRipV1 = 0xdeadbeef;
    first.accurateRipV2 = 0x0badf00d;
    first.rereadSectors = 3;
    first.jitteredReads = 1;
    auto second = secureTrack(2, Status::mismatch);
    second.crc32 = 0x00000001;
    second.testCrc32 = 0x00000002;
    second.unsettledPositions = {"03:12.40", "03:12.41"};
    auto report = secureRip({first, second});
    report.testPass = true;
    report.artist = "Artist";
    report.album = "Album";

    EXPECT_EQ(ripLogText(report),
              "Quillon 2.1 rip log\n"
              "\n"
              "Drive: VENDOR  MODEL 1.0\n"
              "Read mode: secure\n"
              "Read offset: +6 samples\n"
              "Test pass: on\n"
              "Artist: Artist\n"
              "Album: Album\n"
              "AccurateRip disc ids: 002-00001234-00005678-0a01b002\n"
              "AccurateRip lookup: found\n"
              "\n"
              "Track 01\n"
              "  File: Track-01.wav\n"
              "  Peak level: 98.8 %\n"
              "  CRC32: 1A2B3C4D\n"
              "  Test CRC32: 1A2B3C4D (agrees)\n"
              "  AccurateRip v1: DEADBEEF\n"
              "  AccurateRip v2: 0BADF00D\n"
              "  AccurateRip: accurate, confidence 12 (v2)\n"
              "  Re-read sectors: 3 (1 read shifted by jitter)\n"
              "  Unsettled positions: none\n"
              "  Result: accurate, confidence 12\n"
              "\n"
              "Track 02\n"
              "  File: Track-02.wav\n"
              "  Peak level: 0.0 %\n"
              "  CRC32: 00000001\n"
              "  Test CRC32: 00000002 (DIFFERS from the copy)\n"
              "  AccurateRip v1: 00000000\n"
              "  AccurateRip v2: 00000000\n"
              "  AccurateRip: mismatch\n"
              "  Re-read sectors: 0\n"
              "  Unsettled positions: 03:12.40, 03:12.41\n"
              "  Result: 2 unsettled positions at 03:12.40, 03:12.41\n"
              "\n"
              "1 of 2 tracks accurate, 1 with 2 unsettled positions\n");
}

TEST(RipLogTest, SummaryCountsEachTrackOnceWorstFirst) {
    std::vector<TrackRipReport> tracks;
    for (int n = 1; n <= 10; ++n)
        tracks.push_back(secureTrack(n, Status::accurate, 5));
    EXPECT_EQ(ripSummaryText(secureRip(tracks)), "All 10 tracks accurately ripped");
    EXPECT_EQ(ripSummaryText(secureRip({tracks[0]})), "The track was accurately ripped");
    EXPECT_EQ(ripSummaryText(secureRip({})), "No tracks ripped");

    tracks[3].verdict.status = Status::offline;
    tracks[6].unsettledPositions = {"01:00.00", "01:00.01"};
    EXPECT_EQ(ripSummaryText(secureRip(tracks)),
              "8 of 10 tracks accurate, 1 with 2 unsettled positions, 1 not verified");

    // A test pass that disagrees outweighs what the database says; so does a failed track.
    tracks[0].testCrc32 = tracks[0].crc32 + 1;
    tracks[1].outcome = TrackRipReport::Outcome::failed;
    tracks[1].error = "read error";
    tracks[2].verdict.status = Status::notFound;
    tracks[4].verdict.status = Status::mismatch;
    tracks[5].verdict.status = Status::mismatch;
    tracks[9].outcome = TrackRipReport::Outcome::cancelled;
    EXPECT_EQ(ripSummaryText(secureRip(tracks)),
              "2 of 10 tracks accurate, 1 failed, 1 cancelled, 1 with 2 unsettled positions, 1 "
              "with differing test and copy CRCs, 2 mismatches, 1 not in database, 1 not "
              "verified");
    EXPECT_EQ(trackResultText(tracks[0]), "test and copy CRCs differ");
    EXPECT_EQ(trackResultText(tracks[1]), "failed: read error");
    EXPECT_EQ(trackResultText(tracks[2]), "not in database");
    EXPECT_EQ(trackResultText(tracks[3]), "not verified: offline");
    EXPECT_EQ(trackResultText(tracks[9]), "cancelled");
}

// A fast rip is never called verified, whatever the database says about it.
TEST(RipLogTest, AFastRipIsNeverCalledVerified) {
    std::vector<TrackRipReport> tracks;
    for (int n = 1; n <= 3; ++n) {
        tracks.push_back(secureTrack(n, Status::accurate, 40));
        tracks.back().secure = false;
    }
    tracks[2].verdict.status = Status::mismatch;
    auto report = secureRip(tracks);
    report.mode = RipReadMode::fast;
    report.offset = -30;
    report.lookup = Lookup::Outcome::found;

    const std::string log = ripLogText(report);
    EXPECT_NE(log.find("Read mode: fast\n"), std::string::npos);
    EXPECT_NE(log.find("Read offset: -30 samples\n"), std::string::npos);
    EXPECT_NE(log.find("  Reading: fast, not checked\n"), std::string::npos);
    EXPECT_EQ(log.find("Unsettled"), std::string::npos);
    EXPECT_EQ(log.find("accurately ripped"), std::string::npos);
    EXPECT_EQ(log.find("verified"), log.rfind("verified")) << "only the summary speaks of it";
    EXPECT_TRUE(log.ends_with(
        "\nFast read of 3 tracks, not verified: 2 matching AccurateRip, 1 not matching "
        "AccurateRip\n"))
        << log;
}

// Names come from CDDB servers, tags and the user: none can make a line of its own.
TEST(RipLogTest, OutsideTextsCannotForgeLines) {
    auto t = secureTrack(1, Status::accurate, 3);
    t.file = "a\nAll 10 tracks accurately ripped\r\x1b[2J\u0085\u2028\u202e.wav";
    auto report = secureRip({t});
    report.drive = std::string("drive\0x", 7);
    report.artist = "bad \xff\xc0\xaf utf-8 \xe2\x82";
    const std::string log = ripLogText(report);
    EXPECT_NE(log.find("  File: a All 10 tracks accurately ripped  [2J   .wav\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("Drive: drive x\n"), std::string::npos);
    EXPECT_NE(log.find("Artist: bad \ufffd\ufffd\ufffd utf-8 \ufffd\ufffd\n"), std::string::npos);
    EXPECT_EQ(oneLineText("Motörhead \u00e9\U0001F3B5"), "Motörhead \u00e9\U0001F3B5");
}

TEST(RipLogTest, PeaksOutsideTheRangeAreNoNonsense) {
    auto t = secureTrack(1, Status::accurate, 3);
    t.peak = std::numeric_limits<double>::quiet_NaN();
    EXPECT_NE(ripLogText(secureRip({t})).find("Peak level: 0.0 %\n"), std::string::npos);
    t.peak = 1.5;
    EXPECT_NE(ripLogText(secureRip({t})).find("Peak level: 100.0 %\n"), std::string::npos);
    t.peak = 1.0;
    EXPECT_NE(ripLogText(secureRip({t})).find("Peak level: 100.0 %\n"), std::string::npos);
}

}  // namespace
