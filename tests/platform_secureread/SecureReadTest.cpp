#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "FaultyDisc.h"
#include "SecureReader.h"
#include "TrackReader.h"

using namespace quillon::secureread;

namespace {

constexpr std::uint32_t kDiscSectors = 1000;
constexpr TrackSpan kTrack{100, 600};

ReadOptions secureOptions(int retries = 20) {
    ReadOptions options;
    options.retries = retries;
    return options;
}

ReadOptions fastOptions() {
    ReadOptions options;
    options.mode = ReadMode::fast;
    return options;
}

bool sameSector(const std::vector<std::uint8_t>& track, const FaultyDisc& disc,
                std::uint32_t discSector) {
    return std::memcmp(track.data() + std::size_t{discSector - kTrack.firstSector} * kSectorBytes,
                       disc.audio().data() + std::size_t{discSector} * kSectorBytes,
                       kSectorBytes) == 0;
}

std::vector<std::uint8_t> trueTrack(const FaultyDisc& disc) {
    const auto begin = disc.audio().begin() + std::size_t{kTrack.firstSector} * kSectorBytes;
    return {begin, begin + std::size_t{kTrack.sectorCount} * kSectorBytes};
}

// Jitter once, jitter twice the same way (so two reads agree on the shifted block), jitter
// across the block boundaries the passes use, and sectors wrong on their first read(s).
void addRecoverableFaults(FaultyDisc& disc) {
    disc.addJitter(150, 300);
    disc.addJitter(420, -1000, 2);
    disc.addJitter(199, 7);
    disc.addJitter(599, -1);
    disc.addWrongOnce(300);
    disc.addWrongOnce(301);
    disc.addWrongOnce(560, 2);
    disc.addWrongOnce(kTrack.firstSector);
    disc.addWrongOnce(kTrack.firstSector + kTrack.sectorCount - 1);
}

}  // namespace

TEST(SecureRead, CleanDiscIsReadTwiceAndVerified) {
    FaultyDisc disc(FaultyDisc::noise(kDiscSectors));
    SecureReader reader(disc);
    TrackReport report;
    const auto audio = readTrackToMemory(reader, kTrack, 0, kDiscSectors, &report);
    EXPECT_EQ(audio, trueTrack(disc));
    EXPECT_TRUE(report.verified());
    EXPECT_EQ(report.reading.sectorReads, 2u * kTrack.sectorCount);
    EXPECT_EQ(report.reading.rereadSectors, 0u);
    EXPECT_EQ(report.reading.jitteredReads, 0u);
}

TEST(SecureRead, RecoversJitterAndOnceWrongSectorsExactly) {
    FaultyDisc disc(FaultyDisc::noise(kDiscSectors));
    addRecoverableFaults(disc);
    SecureReader reader(disc, secureOptions());
    TrackReport report;
    const auto audio = readTrackToMemory(reader, kTrack, 0, kDiscSectors, &report);
    EXPECT_EQ(audio, trueTrack(disc));
    EXPECT_TRUE(report.verified());
    EXPECT_TRUE(report.unsettled.empty());
    EXPECT_GE(report.reading.jitteredReads, 4u);
    EXPECT_GT(report.reading.rereadSectors, 0u);
    EXPECT_EQ(report.bytes, audio.size());
}

TEST(SecureRead, ReportsSectorsThatNeverReadTheSameWithTheirPositions) {
    FaultyDisc disc(FaultyDisc::noise(kDiscSectors));
    addRecoverableFaults(disc);
    disc.addUnstable(250);
    disc.addUnstable(651);
    disc.addUnstable(652);
    SecureReader reader(disc, secureOptions(5));
    TrackReport report;
    const auto audio = readTrackToMemory(reader, kTrack, 0, kDiscSectors, &report);

    EXPECT_FALSE(report.verified());
    ASSERT_EQ(report.unsettled.size(), 3u);
    EXPECT_EQ(report.unsettled[0].discSector, 250u);
    EXPECT_EQ(report.unsettled[0].position(), "00:02.00");
    EXPECT_EQ(report.unsettled[1].discSector, 651u);
    EXPECT_EQ(report.unsettled[1].position(), "00:07.26");
    EXPECT_EQ(report.unsettled[2].position(), "00:07.27");
    // Everything else is the disc's audio, and the retries are a bound, not a hope.
    for (std::uint32_t s = kTrack.firstSector; s < kTrack.firstSector + kTrack.sectorCount; ++s)
        if (s != 250 && s != 651 && s != 652) {
            ASSERT_TRUE(sameSector(audio, disc, s)) << s;
        }
    EXPECT_EQ(disc.readsOf(250), 2 + 5);
    EXPECT_EQ(audio.size(), std::size_t{kTrack.sectorCount} * kSectorBytes);
}

TEST(SecureRead, UnreadableSectorDoesNotKeepItsNeighboursFromSettling) {
    FaultyDisc disc(FaultyDisc::noise(kDiscSectors));
    disc.addUnreadable(333);
    SecureReader reader(disc, secureOptions(3));
    TrackReport report;
    const auto audio = readTrackToMemory(reader, kTrack, 0, kDiscSectors, &report);
    ASSERT_EQ(report.unsettled.size(), 1u);
    EXPECT_EQ(report.unsettled[0].discSector, 333u);
    EXPECT_GT(report.reading.failedReads, 0u);
    for (std::uint32_t s = kTrack.firstSector; s < kTrack.firstSector + kTrack.sectorCount; ++s)
        if (s != 333) {
            ASSERT_TRUE(sameSector(audio, disc, s)) << s;
        }
    const std::vector<std::uint8_t> silence(kSectorBytes, 0);
    EXPECT_EQ(std::memcmp(audio.data() + std::size_t{333 - kTrack.firstSector} * kSectorBytes,
                          silence.data(), kSectorBytes),
              0);
}

TEST(FastRead, ReadsOnceAndIsNeverVerified) {
    FaultyDisc clean(FaultyDisc::noise(kDiscSectors));
    SecureReader cleanReader(clean, fastOptions());
    TrackReport cleanReport;
    EXPECT_EQ(readTrackToMemory(cleanReader, kTrack, 0, kDiscSectors, &cleanReport),
              trueTrack(clean));
    EXPECT_EQ(cleanReport.reading.sectorReads, kTrack.sectorCount);
    EXPECT_FALSE(cleanReport.verified());

    FaultyDisc faulty(FaultyDisc::noise(kDiscSectors));
    addRecoverableFaults(faulty);
    SecureReader faultyReader(faulty, fastOptions());
    TrackReport faultyReport;
    const auto audio = readTrackToMemory(faultyReader, kTrack, 0, kDiscSectors, &faultyReport);
    EXPECT_NE(audio, trueTrack(faulty));
    EXPECT_FALSE(faultyReport.verified());
    EXPECT_FALSE(faultyReport.reading.secure);
    EXPECT_FALSE(sameSector(audio, faulty, 300));
}

TEST(FastRead, FailedReadIsSilenceAndReported) {
    FaultyDisc disc(FaultyDisc::noise(kDiscSectors));
    disc.addUnreadable(110);
    SecureReader reader(disc, fastOptions());
    TrackReport report;
    const auto audio = readTrackToMemory(reader, kTrack, 0, kDiscSectors, &report);
    EXPECT_EQ(audio.size(), std::size_t{kTrack.sectorCount} * kSectorBytes);
    // The whole failed read is lost, and each of its sectors says so.
    ASSERT_FALSE(report.unsettled.empty());
    EXPECT_EQ(report.unsettled.front().discSector, 100u);
    EXPECT_EQ(report.unsettled.size(), 25u);
}

TEST(FramePosition, IsMinutesSecondsAndFrames) {
    EXPECT_EQ(formatFramePosition(0), "00:00.00");
    EXPECT_EQ(formatFramePosition(74), "00:00.74");
    EXPECT_EQ(formatFramePosition(75), "00:01.00");
    EXPECT_EQ(formatFramePosition(3 * 4500 + 12 * 75 + 40), "03:12.40");
    EXPECT_EQ(formatFramePosition(79 * 4500 + 59 * 75 + 74), "79:59.74");
}
