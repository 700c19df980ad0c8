// The rip job's careful reading and verification: a disc that misreads on purpose in both read
// modes, the drive's read offset, the test pass, the AccurateRip verdicts, and the rip log and
// cue sheet left beside the files.
#include <gtest/gtest.h>

#include <cstring>

#include "../platform_accuraterip/AnswerBytes.h"
#include "AccurateRipClient.h"
#include "AccurateRipTestServer.h"
#include "DiscIds.h"
#include "FaultyDisc.h"
#include "RipFiles.h"
#include "RipSupport.h"

namespace {

using quillon::accuraterip::TrackVerdict;
using Status = TrackVerdict::Status;
using Files = std::vector<std::string>;

constexpr std::uint32_t kSector = 2352;

class CarefulRipTest : public RipFixture {
  protected:
    // A disc of three tracks (0-99, 100-159, 160-309) whose sectors are noise, so that no
    // shifted block can pass for a true one.
    void insertNoiseDisc() {
        insertDisc({100, 60, 150});
        buildList(OutputFormat::wav);
        m_noise = FaultyDisc::noise(310, 7);
    }
    std::vector<std::uint8_t> slice(const std::vector<std::uint8_t>& audio, std::uint32_t first,
                                    std::uint32_t sectors) const {
        return {audio.begin() + std::ptrdiff_t(first) * kSector,
                audio.begin() + std::ptrdiff_t(first + sectors) * kSector};
    }
    std::vector<std::uint8_t> wavOf(const std::string& name) const {
        const auto bytes = readBytes(outFile(name));
        return bytes.size() < 44 ? std::vector<std::uint8_t>{}
                                 : std::vector<std::uint8_t>(bytes.begin() + 44, bytes.end());
    }
    std::string readText(const std::string& path) const {
        const auto bytes = readBytes(path);
        return {bytes.begin(), bytes.end()};
    }
    const RipReport& lastReport() {
        EXPECT_FALSE(m_observer.reports.empty());
        static const RipReport none;
        return m_observer.reports.empty() ? none : m_observer.reports.back();
    }
    quillon::cdrom::DiscLayout layout() const {
        quillon::cdrom::DiscLayout layout;
        layout.starts = m_image.trackStarts;
        layout.dataTracks.assign(layout.starts.size(), false);
        layout.leadOut = m_image.leadOut;
        return layout;
    }
    // The checksums the database would hold for track `number` of the image.
    quillon::accuraterip::TrackChecksums sumsOf(int number) const {
        quillon::accuraterip::TrackChecksum checksum(
            *quillon::accuraterip::trackPlace(layout(), number));
        const auto audio = trackAudio(std::size_t(number) - 1);
        checksum.add(audio.data(), audio.size());
        return checksum.result();
    }

    std::vector<std::uint8_t> m_noise;
};

TEST_F(CarefulRipTest, SecureModeRecoversWhatItCanAndReportsWhatItCannot) {
    insertNoiseDisc();
    writeSetting("Reading", "mode", "secure");
    const auto addFaults = [](FaultyDisc& disc) {
        disc.addJitter(30, 300);  // track 1
        disc.addWrongOnce(120);   // track 2
        disc.addUnstable(200);    // track 3, its frame 40
    };
    FaultyDisc disc(m_noise);
    addFaults(disc);
    m_reader = &disc;
    runJob(OutputFormat::wav);

    ASSERT_EQ(job().outcome(), RipOutcome::finished);
    EXPECT_EQ(wavOf("Track-01.wav"), slice(m_noise, 0, 100));
    EXPECT_EQ(wavOf("Track-02.wav"), slice(m_noise, 100, 60));
    // Everything of track 3 but the unstable sector is right.
    auto third = wavOf("Track-03.wav");
    ASSERT_EQ(third.size(), 150u * kSector);
    std::memcpy(third.data() + 40 * kSector, m_noise.data() + 200 * kSector, kSector);
    EXPECT_EQ(third, slice(m_noise, 160, 150));

    ASSERT_EQ(m_observer.reports.size(), 1u);
    const RipReport& report = lastReport();
    EXPECT_EQ(report.mode, RipReadMode::secure);
    ASSERT_EQ(report.tracks.size(), 3u);
    const auto& tracks = report.tracks;
    EXPECT_TRUE(tracks[0].readCleanly());
    EXPECT_GE(tracks[0].jitteredReads, 1u);
    EXPECT_GT(tracks[0].rereadSectors, 0u);
    EXPECT_TRUE(tracks[1].readCleanly());
    EXPECT_GT(tracks[1].rereadSectors, 0u);
    EXPECT_FALSE(tracks[2].readCleanly());
    EXPECT_EQ(tracks[2].unsettledPositions, (Files{"00:00.40"}));
    EXPECT_EQ(tracks[2].number, 3);
    EXPECT_EQ(tracks[2].title, "Track-03");
    EXPECT_EQ(tracks[2].file, "Track-03.wav");
    EXPECT_EQ(tracks[2].firstSector, 160u);
    EXPECT_EQ(tracks[2].sectorCount, 150u);
    // The window saw the unsettled position while track 3 was read, and fresh counts for
    // each new track.
    const auto& readings = m_observer.readings;
    ASSERT_FALSE(readings.empty());
    EXPECT_EQ(readings.back().second, (Files{"00:00.40"}));
    EXPECT_TRUE(std::any_of(readings.begin(), readings.end(), [](const auto& reading) {
        return reading.first == 0 && reading.second.empty();
    }));

    // The checksums are those of the audio as written.
    quillon::accuraterip::TrackChecksum first({true, false});
    const auto audio = slice(m_noise, 0, 100);
    first.add(audio.data(), audio.size());
    EXPECT_EQ(tracks[0].crc32, first.result().crc32);
    EXPECT_EQ(tracks[0].accurateRipV1, first.result().v1);
    EXPECT_EQ(tracks[0].accurateRipV2, first.result().v2);
    EXPECT_GT(tracks[0].peak, 0.9);
    EXPECT_LE(tracks[0].peak, 1.0);

    // Fast mode on the same disc reads once and never calls a track read cleanly.
    writeSetting("Reading", "mode", "fast");
    FaultyDisc again(m_noise);
    addFaults(again);
    m_reader = &again;
    runJob(OutputFormat::wav);
    ASSERT_EQ(m_observer.reports.size(), 2u);
    EXPECT_EQ(lastReport().mode, RipReadMode::fast);
    for (const TrackRipReport& track : lastReport().tracks) {
        EXPECT_FALSE(track.secure);
        EXPECT_FALSE(track.readCleanly()) << track.number;
    }
    EXPECT_EQ(again.readsOf(50), 1);
}

TEST_F(CarefulRipTest, UnreadableSectorsAreUnsettledInSecureModeAndFatalInFastMode) {
    insertNoiseDisc();
    writeSetting("Reading", "mode", "secure");
    writeSetting("Reading", "retries", "3");
    FaultyDisc disc(m_noise);
    disc.addUnreadable(130);
    m_reader = &disc;
    runJob(OutputFormat::wav);
    EXPECT_EQ(job().outcome(), RipOutcome::finished);
    EXPECT_TRUE(m_observer.errors.empty());
    ASSERT_EQ(lastReport().tracks.size(), 3u);
    EXPECT_EQ(lastReport().tracks[1].unsettledPositions, (Files{"00:00.30"}));

    writeSetting("Reading", "mode", "fast");
    std::filesystem::remove_all(out());
    std::filesystem::create_directory(out());
    runJob(OutputFormat::wav);
    EXPECT_EQ(job().outcome(), RipOutcome::failed);
    EXPECT_EQ(m_observer.errors, (Files{"Cannot read track 02 from the CD at frame 125"}));
    EXPECT_EQ(outputFiles(), (Files{"Track-01.wav"}));
    ASSERT_EQ(lastReport().tracks.size(), 2u);
    EXPECT_EQ(lastReport().tracks[1].outcome, TrackRipReport::Outcome::failed);
}

TEST_F(CarefulRipTest, CancelStopsTheCarefulReadingAtOnce) {
    insertNoiseDisc();
    writeSetting("Reading", "mode", "secure");
    FaultyDisc disc(m_noise);
    m_reader = &disc;
    m_observer.onProcessEvents = [this] {
        if (m_observer.eventRounds == 3) job().buttonClicked();
    };
    runJob(OutputFormat::wav);
    EXPECT_EQ(job().outcome(), RipOutcome::cancelled);
    EXPECT_EQ(m_observer.eventRounds, 3);  // no read after the cancel
    EXPECT_EQ(disc.readsOf(99), 0);
    EXPECT_TRUE(outputFiles().empty());
    ASSERT_EQ(lastReport().tracks.size(), 1u);
    EXPECT_EQ(lastReport().tracks[0].outcome, TrackRipReport::Outcome::cancelled);
    EXPECT_FALSE(lastReport().tracks[0].readCleanly());
}

TEST_F(CarefulRipTest, TheReadOffsetMovesTheSamples) {
    insertNoiseDisc();
    FaultyDisc disc(m_noise);
    m_reader = &disc;
    const auto sample = [this](std::int64_t index) {
        std::vector<std::uint8_t> bytes(4, 0);
        if (index >= 0 && index < std::int64_t(m_noise.size() / 4))
            std::memcpy(bytes.data(), m_noise.data() + index * 4, 4);
        return bytes;
    };
    // The drive's own offset wins over the general one.
    m_drive = "VENDOR  Model X  1.0";
    writeSetting("Reading", "offset", "100");
    writeSetting("Offsets", driveOffsetKey(m_drive), "+6");
    for (const std::int32_t offset : {6, -30}) {
        SCOPED_TRACE(offset);
        if (offset < 0) writeSetting("Offsets", driveOffsetKey(m_drive), std::to_string(offset));
        for (const char* mode : {"fast", "secure"}) {
            SCOPED_TRACE(mode);
            writeSetting("Reading", "mode", mode);
            runJob(OutputFormat::wav);
            EXPECT_EQ(lastReport().offset, offset);
            EXPECT_EQ(lastReport().drive, m_drive);
            for (const auto& [name, first, sectors] :
                 {std::tuple{"Track-01.wav", 0, 100}, std::tuple{"Track-03.wav", 160, 150}}) {
                const auto audio = wavOf(name);
                ASSERT_EQ(audio.size(), std::size_t(sectors) * kSector) << name;
                for (std::int64_t i = 0; i < std::int64_t(sectors) * 588; ++i) {
                    const auto expected = sample(std::int64_t(first) * 588 + i + offset);
                    ASSERT_EQ(0, std::memcmp(audio.data() + i * 4, expected.data(), 4))
                        << name << " sample " << i;
                }
            }
        }
    }
}

TEST_F(CarefulRipTest, TheTestPassAgreesWithTheCopyOnACleanDisc) {
    insertDisc({40, 30});
    buildList(OutputFormat::mp3);
    writeSetting("Reading", "mode", "secure");
    writeSetting("Reading", "test", "1");
    runJob(OutputFormat::mp3);
    ASSERT_EQ(job().outcome(), RipOutcome::finished);
    const RipReport& report = lastReport();
    EXPECT_TRUE(report.testPass);
    ASSERT_EQ(report.tracks.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        const TrackRipReport& track = report.tracks[i];
        ASSERT_TRUE(track.testCrc32) << i;
        EXPECT_EQ(*track.testCrc32, track.crc32);
        EXPECT_EQ(track.crc32, sumsOf(int(i) + 1).crc32);
        EXPECT_EQ(track.file, "Track-0" + std::to_string(i + 1) + ".mp3");
        EXPECT_TRUE(track.readCleanly());
    }
    // The test pass writes nothing of its own; the gauge covers both passes.
    EXPECT_EQ(outputFiles(), (Files{"Track-01.mp3", "Track-02.mp3"}));
    EXPECT_EQ(m_observer.gauges.back(), 100);

    // Fast mode makes no test pass, whatever the setting says.
    writeSetting("Reading", "mode", "fast");
    runJob(OutputFormat::mp3);
    EXPECT_FALSE(lastReport().testPass);
    EXPECT_FALSE(lastReport().tracks[0].testCrc32);
}

TEST_F(CarefulRipTest, EachTrackIsJudgedByTheAccurateRipDatabase) {
    insertDisc({100, 60, 150});
    buildList(OutputFormat::wav);
    writeSetting("Reading", "mode", "secure");
    AccurateRipTestServer server;
    writeSetting("AccurateRip", "server", server.address());
    const auto ids = *quillon::accuraterip::discIds(layout());
    const std::string url = *quillon::accuraterip::accurateRipUrl(server.address(), ids);
    const std::string path = url.substr(url.find("/accuraterip/"));
    // One pressing knows track 1 by its v2 sum and track 2 by its v1 sum, and holds another
    // rip of track 3; another pressing agrees with track 1 at a lower confidence.
    server.setAnswer(
        path, pressingBytes(
                  ids, {{12, sumsOf(1).v2, 0}, {5, sumsOf(2).v1, 0}, {3, sumsOf(3).v2 ^ 1, 0}}) +
                  pressingBytes(ids, {{2, sumsOf(1).v2, 0}, {0, 0, 0}, {0, 0, 0}}));
    runJob(OutputFormat::wav);
    EXPECT_EQ(server.requests(), (Files{path}));
    const RipReport& report = lastReport();
    EXPECT_EQ(report.discIds, quillon::accuraterip::discIdsText(ids));
    EXPECT_EQ(report.lookup, quillon::accuraterip::Lookup::Outcome::found);
    ASSERT_EQ(report.tracks.size(), 3u);
    const auto& first = report.tracks[0].verdict;
    EXPECT_EQ(first.status, Status::accurate);
    EXPECT_EQ(first.confidence, 12);
    EXPECT_EQ(first.version, 2);
    EXPECT_EQ(report.tracks[1].verdict.status, Status::accurate);
    EXPECT_EQ(report.tracks[1].verdict.version, 1);
    EXPECT_EQ(report.tracks[2].verdict.status, Status::mismatch);

    // The disc is not in the database.
    AccurateRipTestServer empty;
    writeSetting("AccurateRip", "server", empty.address());
    runJob(OutputFormat::wav);
    EXPECT_EQ(lastReport().lookup, quillon::accuraterip::Lookup::Outcome::notFound);
    for (const TrackRipReport& track : lastReport().tracks)
        EXPECT_EQ(track.verdict.status, Status::notFound);

    // No usable answer: still a rip, with every file, reported as not verified.
    empty.setMode(AccurateRipTestServer::Mode::http500);
    runJob(OutputFormat::wav);
    EXPECT_EQ(job().outcome(), RipOutcome::finished);
    EXPECT_EQ(outputFiles(), (Files{"Track-01.wav", "Track-02.wav", "Track-03.wav"}));
    EXPECT_EQ(lastReport().lookup, quillon::accuraterip::Lookup::Outcome::offline);
    for (const TrackRipReport& track : lastReport().tracks)
        EXPECT_EQ(track.verdict.status, Status::offline);
}

TEST_F(CarefulRipTest, TheLogAndCueSheetGoBesideTheFiles) {
    insertDisc({30, 30});
    buildList(OutputFormat::wav);
    DiscMetadata names;
    names.artist = "Band";
    names.album = " AC/DC Live ";
    runJob(OutputFormat::wav);
    // Without the album's name, "rip".
    EXPECT_TRUE(std::filesystem::exists(outFile("rip.log")));
    EXPECT_TRUE(std::filesystem::exists(outFile("rip.cue")));
    EXPECT_EQ(readText(outFile("rip.log")), ripLogText(lastReport()));
    EXPECT_EQ(readText(outFile("rip.cue")), cueSheetText(lastReport()));

    std::filesystem::remove_all(out());
    std::filesystem::create_directory(out());
    RipRequest named = request(OutputFormat::wav);
    named.names = &names;
    job().start(named);
    ASSERT_FALSE(job().working());
    EXPECT_EQ(lastReport().album, " AC/DC Live ");
    EXPECT_EQ(lastReport().artist, "Band");
    EXPECT_TRUE(std::filesystem::exists(outFile("AC_DC Live.log")));
    EXPECT_TRUE(std::filesystem::exists(outFile("AC_DC Live.cue")));

    // A log that cannot be written is said, and the audio files stay.
    std::filesystem::remove_all(out());
    std::filesystem::create_directory(out());
    std::filesystem::create_directories(out() / "rip.log" / "inside");
    m_observer.errors.clear();
    runJob(OutputFormat::wav);
    EXPECT_EQ(job().outcome(), RipOutcome::finished);
    ASSERT_EQ(m_observer.errors.size(), 1u);
    EXPECT_NE(m_observer.errors[0].find("rip.log"), std::string::npos) << m_observer.errors[0];
    EXPECT_EQ(outputFiles(), (Files{"Track-01.wav", "Track-02.wav"}));
    EXPECT_TRUE(std::filesystem::exists(outFile("rip.cue")));
    EXPECT_TRUE(std::filesystem::is_directory(out() / "rip.log"));

    // Nothing written, no log: a cancel before the first track was done.
    std::filesystem::remove_all(out());
    std::filesystem::create_directory(out());
    m_observer.onProcessEvents = [this] {
        if (job().button() == RipButton::cancel) job().buttonClicked();
    };
    const std::size_t before = m_observer.reports.size();
    runJob(OutputFormat::wav);
    EXPECT_EQ(job().outcome(), RipOutcome::cancelled);
    EXPECT_TRUE(std::filesystem::is_empty(out()));
    ASSERT_EQ(m_observer.reports.size(), before + 1);  // reported all the same
    EXPECT_EQ(lastReport().tracks.at(0).outcome, TrackRipReport::Outcome::cancelled);
}

}  // namespace
