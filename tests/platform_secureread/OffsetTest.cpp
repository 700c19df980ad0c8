#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "FaultyDisc.h"
#include "SecureReader.h"
#include "TrackReader.h"

using namespace quillon::secureread;

namespace {

constexpr std::uint32_t kDiscSectors = 60;

struct OffsetCase {
    TrackSpan track;
    std::int32_t offset;
};

std::uint32_t sampleAt(const std::vector<std::uint8_t>& audio, std::int64_t index) {
    std::uint32_t value = 0;
    std::memcpy(&value, audio.data() + index * kBytesPerSample, kBytesPerSample);
    return value;
}

// Checks every output sample against the disc: sample i is the disc's sample
// first * 588 + i + offset, or silence where that is off the disc.
void expectShifted(const FaultyDisc& disc, OffsetCase shift, ReadMode mode) {
    ReadOptions options;
    options.mode = mode;
    SecureReader reader(const_cast<FaultyDisc&>(disc), options);
    TrackReport report;
    const auto audio = readTrackToMemory(reader, shift.track, shift.offset, kDiscSectors, &report);
    const std::int64_t samples = std::int64_t{shift.track.sectorCount} * kSamplesPerSector;
    ASSERT_EQ(static_cast<std::int64_t>(audio.size()), samples * kBytesPerSample);
    const std::int64_t discSamples = std::int64_t{kDiscSectors} * kSamplesPerSector;
    for (std::int64_t i = 0; i < samples; ++i) {
        const std::int64_t source =
            std::int64_t{shift.track.firstSector} * kSamplesPerSector + i + shift.offset;
        const std::uint32_t expected =
            source < 0 || source >= discSamples ? 0 : sampleAt(disc.audio(), source);
        ASSERT_EQ(sampleAt(audio, i), expected)
            << "sample " << i << " of track at " << shift.track.firstSector << ", offset "
            << shift.offset;
    }
    EXPECT_TRUE(report.unsettled.empty());
}

}  // namespace

TEST(ReadOffset, MovesTheTrackSampleBySampleInsideTheDisc) {
    FaultyDisc disc(FaultyDisc::noise(kDiscSectors));
    for (std::int32_t offset : {6, -30, 0, 588, -589})
        expectShifted(disc, {{20, 15}, offset}, ReadMode::secure);
    expectShifted(disc, {{20, 15}, 6}, ReadMode::fast);
    expectShifted(disc, {{20, 15}, -30}, ReadMode::fast);
}

TEST(ReadOffset, IsSilenceWhereTheMovedRangeLeavesTheDisc) {
    FaultyDisc disc(FaultyDisc::noise(kDiscSectors));
    for (std::int32_t offset : {6, -30}) {
        expectShifted(disc, {{0, 10}, offset}, ReadMode::secure);            // first track
        expectShifted(disc, {{50, 10}, offset}, ReadMode::secure);           // last track
        expectShifted(disc, {{0, kDiscSectors}, offset}, ReadMode::secure);  // one-track disc
    }
    // The first 30 samples of the first track and the last 6 of the last are silence, whatever
    // a drive would answer there; the samples next to them are the disc's.
    ReadOptions options;
    SecureReader reader(disc, options);
    const auto first = readTrackToMemory(reader, {0, 10}, -30, kDiscSectors, nullptr);
    EXPECT_EQ(sampleAt(first, 29), 0u);
    EXPECT_EQ(sampleAt(first, 30), sampleAt(disc.audio(), 0));
    const auto last = readTrackToMemory(reader, {50, 10}, 6, kDiscSectors, nullptr);
    const std::int64_t end = 10 * kSamplesPerSector;
    EXPECT_EQ(sampleAt(last, end - 7), sampleAt(disc.audio(), kDiscSectors * 588 - 1));
    EXPECT_EQ(sampleAt(last, end - 6), 0u);
    EXPECT_EQ(sampleAt(last, end - 1), 0u);
}

TEST(ReadOffset, NeverAsksForSectorsOffTheDisc) {
    FaultyDisc disc(FaultyDisc::noise(kDiscSectors));
    disc.setMaxSectorsPerRead(7);
    SecureReader reader(disc);
    TrackReport report;
    readTrackToMemory(reader, {0, kDiscSectors}, 1000, kDiscSectors, &report);
    // FaultyDisc refuses reads past its end, which would show as failed reads.
    EXPECT_EQ(report.reading.failedReads, 0u);
    EXPECT_TRUE(report.verified());
}

TEST(ReadOffset, UnsettledPositionIsPlacedInTheMovedTrack) {
    FaultyDisc disc(FaultyDisc::noise(kDiscSectors));
    disc.addUnstable(30);
    ReadOptions options;
    options.retries = 2;
    SecureReader reader(disc, options);
    TrackReport report;
    readTrackToMemory(reader, {20, 20}, 600, kDiscSectors, &report);
    // Track sample 0 is disc sample 20 * 588 + 600, so disc sector 30 begins in track frame 8.
    ASSERT_EQ(report.unsettled.size(), 1u);
    EXPECT_EQ(report.unsettled[0].discSector, 30u);
    EXPECT_EQ(report.unsettled[0].trackFrame, 8u);
}

TEST(ReadOffset, SinkCanStopTheReading) {
    FaultyDisc disc(FaultyDisc::noise(kDiscSectors));
    SecureReader reader(disc);
    int calls = 0;
    const TrackReport report = readTrack(reader, {0, kDiscSectors}, -30, kDiscSectors,
                                         [&calls](const std::uint8_t*, std::size_t) {
                                             ++calls;
                                             return false;
                                         });
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(report.cancelled);
    EXPECT_FALSE(report.verified());
}
