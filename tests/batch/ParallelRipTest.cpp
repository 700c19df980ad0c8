// The rip with several encoders: the same files, log and cue sheet as one encoder gives, a
// progress that follows the reading and every encoding, a cancel that leaves no unfinished file
// and no thread, and a failed encoding or reading that ends the rip with the tracks before it
// finished.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "FaultyDisc.h"
#include "RipSupport.h"

namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::vector<std::uint8_t>>;

class ParallelRip : public RipFixture {
  protected:
    void SetUp() override {
        RipFixture::SetUp();
        m_metadata.source = DiscMetadata::Source::musicBrainz;
        m_metadata.artist = "Hollow Lanterns";
        m_metadata.album = "Lantern Songs";
        m_metadata.year = "2019";
        m_metadata.tracks = {{"One", "", "rt-1", "rec-1"},
                             {"Café Nights", "Guest", "rt-2", "rec-2"},
                             {"Three", "", "rt-3", "rec-3"},
                             {"Four", "", "rt-4", "rec-4"},
                             {"Five", "", "rt-5", "rec-5"}};
        auto cover = std::make_shared<CoverArt>();
        cover->mimeType = "image/png";
        cover->data = readBytes(std::string(QUILLON_TEST_COVERS) + "/front.png");
        m_metadata.cover = cover;
    }

    // Rips every track of the inserted disc anew with `jobs` encoders; what the output folder
    // then holds.
    Files ripWith(OutputFormat format, int jobs) {
        fs::remove_all(out());
        fs::create_directory(out());
        writeSetting("Rip", "jobs", std::to_string(jobs));
        buildList(format);
        runJob(format);
        return filesUnder(out());
    }
    const RipReport& lastReport() {
        EXPECT_FALSE(m_observer.reports.empty());
        static const RipReport none;
        return m_observer.reports.empty() ? none : m_observer.reports.back();
    }
    // Every file left is a finished track's, or the log and cue sheet; none is temporary.
    void expectOnlyFinishedFiles(const char* extension) {
        std::set<std::string> finished;
        for (const TrackRipReport& track : lastReport().tracks)
            if (track.outcome == TrackRipReport::Outcome::done) finished.insert(track.file);
        for (const auto& [name, bytes] : filesUnder(out())) {
            const std::string type = fs::path(name).extension().string();
            if (type == ".log" || type == ".cue" || type == ".png") continue;
            EXPECT_EQ(type, extension) << name;
            EXPECT_TRUE(finished.count(name)) << name << " is not a finished track's";
        }
    }

    DiscMetadata m_metadata;
};

}  // namespace

TEST_F(ParallelRip, EveryFileIsTheSameWhateverTheNumberOfEncoders) {
    insertDisc({100, 61, 150, 75, 90});
    m_names = &m_metadata;
    for (const OutputFormat format :
         {OutputFormat::mp3, OutputFormat::ogg, OutputFormat::flac, OutputFormat::opus}) {
        SCOPED_TRACE(std::string(formatExtension(format)));
        const Files one = ripWith(format, 1);
        EXPECT_TRUE(m_observer.progress.empty()) << "one encoder reads and encodes in turn";
        const Files four = ripWith(format, 4);
        EXPECT_EQ(job().outcome(), RipOutcome::finished);
        EXPECT_FALSE(m_observer.progress.empty());
        m_observer.progress.clear();
        // Five tracks, the log, the cue sheet and the cover.
        ASSERT_EQ(one.size(), 8u);
        ASSERT_EQ(four.size(), one.size());
        for (const auto& [name, bytes] : one) {
            const auto other = four.find(name);
            ASSERT_NE(other, four.end()) << name;
            EXPECT_TRUE(other->second == bytes) << name << " differs";
        }
    }
}

TEST_F(ParallelRip, ProgressFollowsTheReadingAndEveryEncoding) {
    insertDisc({200, 150, 250, 100});
    m_observer.onProcessEvents = [this] {
        // The encoders' reports come on the job's thread like every other.
        EXPECT_TRUE(m_observer.onOwnerThread);
    };
    const Files files = ripWith(OutputFormat::ogg, 2);
    ASSERT_EQ(job().outcome(), RipOutcome::finished);
    const auto& shown = m_observer.progress;
    ASSERT_FALSE(shown.empty());
    std::vector<std::size_t> readRows;
    int disc = 0;
    for (const RipProgress& progress : shown) {
        EXPECT_GE(progress.discPercent, disc) << "the whole disc never goes back";
        disc = progress.discPercent;
        EXPECT_LE(progress.encoding.size(), 2u);
        if (progress.reading && (readRows.empty() || readRows.back() != progress.reading->row))
            readRows.push_back(progress.reading->row);
        for (const auto& track : progress.encoding) {
            EXPECT_TRUE(!progress.reading || track.row < progress.reading->row)
                << "only a track already read is encoded";
            EXPECT_EQ(track.name, m_list.row(track.row).name);
        }
    }
    EXPECT_EQ(readRows, (std::vector<std::size_t>{0, 1, 2, 3}));
    EXPECT_EQ(shown.back().discPercent, 100);
    EXPECT_FALSE(shown.back().reading);
    EXPECT_TRUE(shown.back().encoding.empty());
    // Each finished Ogg file clears its row, in whatever order the encoders finish.
    std::vector<std::size_t> unchecked = m_observer.unchecked;
    std::sort(unchecked.begin(), unchecked.end());
    EXPECT_EQ(unchecked, (std::vector<std::size_t>{0, 1, 2, 3}));
    EXPECT_FALSE(m_list.anyChecked());
}

TEST_F(ParallelRip, CancelLeavesNoUnfinishedFileAndNoThread) {
    insertDisc({300, 300, 300, 300, 300});
    // ThreadSanitizer starts a thread of its own with the process's second one; have it
    // before counting.
    std::thread([] {}).join();
    job();  // the job's own sinks keep a worker each for its lifetime
    const std::size_t threadsBefore = threadCount();
    for (const OutputFormat format : {OutputFormat::mp3, OutputFormat::flac}) {
        SCOPED_TRACE(std::string(formatExtension(format)));
        bool clicked = false;
        // Once an encoder is half-way through a track.
        m_observer.onProgress = [&](const RipProgress& progress) {
            const bool midway = std::any_of(progress.encoding.begin(), progress.encoding.end(),
                                            [](const auto& track) { return track.percent > 20; });
            if (midway && !clicked) {
                clicked = true;
                job().buttonClicked();
            }
        };
        ripWith(format, 2);
        ASSERT_TRUE(clicked);
        EXPECT_EQ(job().outcome(), RipOutcome::cancelled);
        const auto& tracks = lastReport().tracks;
        EXPECT_TRUE(std::any_of(tracks.begin(), tracks.end(), [](const TrackRipReport& track) {
            return track.outcome == TrackRipReport::Outcome::cancelled;
        }));
        expectOnlyFinishedFiles(format == OutputFormat::mp3 ? ".mp3" : ".flac");
        EXPECT_TRUE(m_list.anyChecked());
        EXPECT_EQ(threadCount(), threadsBefore);
        m_observer.onProgress = nullptr;
    }
}

TEST_F(ParallelRip, AFailedEncodingEndsTheRipWithTheTracksBeforeItFinished) {
    insertDisc({100, 100, 100, 100});
    fs::remove_all(out());
    fs::create_directory(out());
    // The second track's file cannot be made: a folder holds its name.
    fs::create_directory(out() / "Track-02.mp3");
    writeBytes(outFile("Track-02.mp3/keep"), {1});
    writeSetting("Rip", "jobs", "2");
    buildList(OutputFormat::mp3);
    runJob(OutputFormat::mp3);
    EXPECT_EQ(job().outcome(), RipOutcome::failed);
    ASSERT_EQ(m_observer.errors.size(), 1u);
    const auto& tracks = lastReport().tracks;
    ASSERT_GE(tracks.size(), 2u);
    EXPECT_EQ(tracks[0].outcome, TrackRipReport::Outcome::done);
    EXPECT_EQ(tracks[1].outcome, TrackRipReport::Outcome::failed);
    EXPECT_EQ(tracks[1].error, m_observer.errors.front());
    EXPECT_TRUE(fs::exists(outFile("Track-01.mp3")));
    EXPECT_EQ(readBytes(outFile("Track-02.mp3/keep")), (std::vector<std::uint8_t>{1}));
    for (const auto& [name, bytes] : filesUnder(out()))
        EXPECT_EQ(name.find(".convert"), std::string::npos) << name;
}

TEST_F(ParallelRip, AFailedReadingStillFinishesTheTracksAlreadyRead) {
    insertDisc({100, 60, 150});
    FaultyDisc disc(FaultyDisc::noise(310, 7));
    disc.addUnreadable(200);  // in the third track; fast mode gives up there
    m_reader = &disc;
    const Files files = ripWith(OutputFormat::flac, 3);
    EXPECT_EQ(job().outcome(), RipOutcome::failed);
    ASSERT_EQ(m_observer.errors.size(), 1u);
    EXPECT_EQ(m_observer.errors.front().rfind("Cannot read track 03 from the CD", 0), 0u);
    ASSERT_EQ(lastReport().tracks.size(), 3u);
    EXPECT_EQ(lastReport().tracks[0].outcome, TrackRipReport::Outcome::done);
    EXPECT_EQ(lastReport().tracks[1].outcome, TrackRipReport::Outcome::done);
    EXPECT_EQ(lastReport().tracks[2].outcome, TrackRipReport::Outcome::failed);
    EXPECT_TRUE(files.count("Track-01.flac") && files.count("Track-02.flac"));
    EXPECT_FALSE(files.count("Track-03.flac") || files.count("Track-03.flac.convert"));
}
