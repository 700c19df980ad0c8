// The rip job against disc images: the files of each format, the window's reports, cancel in
// each pass, failures, settings and file names.
#include <gtest/gtest.h>

#include <algorithm>

#include "RipSupport.h"
#include "SoundCheck.h"

namespace {

using Files = std::vector<std::string>;

class RipJobTest : public RipFixture {
  protected:
    // Clicks the button once, the first time `when` holds.
    std::function<void()> clickOnce(std::function<bool()> when) {
        return [this, when, clicked = false]() mutable {
            if (!clicked && when()) {
                clicked = true;
                job().buttonClicked();
            }
        };
    }
    bool captionIs(const std::string& caption) const {
        return !m_observer.captions.empty() && m_observer.captions.back() == caption;
    }
    bool allChecked() const {
        return std::all_of(m_list.rows().begin(), m_list.rows().end(),
                           [](const TrackRow& row) { return row.checked; });
    }
};

TEST_F(RipJobTest, WavFilesHoldTheTracksAudio) {
    insertDisc({100, 60, 150});
    buildList(OutputFormat::wav);
    runJob(OutputFormat::wav);

    ASSERT_EQ(outputFiles(), (Files{"Track-01.wav", "Track-02.wav", "Track-03.wav"}));
    for (std::size_t i = 0; i < 3; ++i) {
        const auto bytes = readBytes(outFile("Track-0" + std::to_string(i + 1) + ".wav"));
        EXPECT_EQ(bytes.size(), 44u + std::size_t(m_list.row(i).frames) * 2352);
        EXPECT_TRUE(bytes == canonicalWav(2, 16, 44100, trackAudio(i))) << "track " << i + 1;
    }
    EXPECT_EQ(m_observer.captions,
              (Files{"Quillon", "Processing:01 (Track-01.wav)", "Processing:02 (Track-02.wav)",
                     "Processing:03 (Track-03.wav)", "Finished!"}));
    // 25 frames a read: 4, 3 and 6 reads, each followed by the window's events and the gauge.
    EXPECT_EQ(m_observer.eventRounds, 13);
    EXPECT_EQ(m_observer.gauges,
              (std::vector<int>{25, 50, 75, 100, 41, 83, 100, 16, 33, 50, 66, 83, 100}));
    EXPECT_EQ(m_observer.buttons.back(), RipButton::close);
    EXPECT_EQ(job().outcome(), RipOutcome::finished);
    EXPECT_TRUE(allChecked());
    EXPECT_TRUE(m_observer.errors.empty());
    EXPECT_EQ(m_observer.closes, 0);

    // Again, with a row unchecked and an old file in the way.
    std::filesystem::remove_all(out());
    std::filesystem::create_directory(out());
    writeBytes(outFile("Track-03.wav"), {1, 2, 3});
    m_list.row(1).checked = false;
    runJob(OutputFormat::wav);
    EXPECT_EQ(outputFiles(), (Files{"Track-01.wav", "Track-03.wav"}));
    EXPECT_TRUE(readBytes(outFile("Track-03.wav")) == canonicalWav(2, 16, 44100, trackAudio(2)));
}

TEST_F(RipJobTest, Mp3FilesFollowTheSettings) {
    insertDisc({150, 100});
    writeSetting("MP3 Options", "wBitrate", "192kb/s");
    writeSetting("MP3 Options", "bCRC", "True");
    writeSetting("MP3 Options", "bCopyright", "false");
    writeSetting("MP3 Options", "bOriginal", "False");
    buildList(OutputFormat::mp3);
    runJob(OutputFormat::mp3);

    ASSERT_EQ(outputFiles(), (Files{"Track-01.mp3", "Track-02.mp3"}));
    for (std::size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const auto frames =
            parseMp3Frames(readBytes(outFile("Track-0" + std::to_string(i + 1) + ".mp3")));
        ASSERT_FALSE(frames.empty());
        for (const Mp3Frame& frame : frames) {
            ASSERT_EQ(frame.sampleRate, 44100);
            ASSERT_EQ(frame.bitrate, 192);
            ASSERT_EQ(frame.mode, 0);
            ASSERT_TRUE(frame.crc);
            ASSERT_TRUE(frame.copyright);
            ASSERT_FALSE(frame.original);
            ASSERT_FALSE(frame.privateBit);
        }
        const double seconds = m_list.row(i).frames / 75.0;
        const double covered = frames.size() * 1152 / 44100.0;
        EXPECT_GE(covered, seconds);
        EXPECT_LE(covered, seconds + 0.15);
        // The info frame tells decoders the encoder's delay and padding: the sound decodes
        // to exactly the track's samples.
        const long long decoded =
            lameDecodedFrames(outFile("Track-0" + std::to_string(i + 1) + ".mp3"));
        EXPECT_EQ(decoded, m_list.row(i).frames * 588LL) << "(-1: lame is missing)";
    }
    // Reading moves the gauge to 40, encoding on to 100.
    const auto& gauges = m_observer.gauges;
    EXPECT_EQ(std::vector<int>(gauges.begin(), gauges.begin() + 6),
              (std::vector<int>{6, 13, 20, 26, 33, 40}));
    EXPECT_TRUE(std::is_sorted(gauges.begin() + 6, gauges.begin() + 6 + 20));
    EXPECT_GE(gauges[6], 40);
    EXPECT_EQ(gauges.back(), 100);
    EXPECT_TRUE(captionIs("Finished!"));
    EXPECT_EQ(job().outcome(), RipOutcome::finished);
    EXPECT_EQ(m_observer.closes, 0);
    EXPECT_TRUE(allChecked());
}

TEST_F(RipJobTest, OggFilesDecodeToTheTracksLength) {
    insertDisc({100, 60});
    buildList(OutputFormat::ogg);
    runJob(OutputFormat::ogg);

    ASSERT_EQ(outputFiles(), (Files{"Track-01.ogg", "Track-02.ogg"}));
    EXPECT_EQ(oggSampleCount(outFile("Track-01.ogg")), 100 * 588);
    EXPECT_EQ(oggSampleCount(outFile("Track-02.ogg")), 60 * 588);
    EXPECT_EQ(m_observer.unchecked, (std::vector<std::size_t>{0, 1}));
    EXPECT_FALSE(m_list.row(0).checked || m_list.row(1).checked);
    // The sink's reports reached the observer on this thread only.
    EXPECT_TRUE(m_observer.onOwnerThread);
    EXPECT_EQ(m_observer.gauges.back(), 100);
    EXPECT_TRUE(captionIs("Finished!"));
    EXPECT_EQ(m_observer.buttons.back(), RipButton::close);
    EXPECT_EQ(job().outcome(), RipOutcome::finished);

    // The compression setting reaches the encoder.
    const auto lowQuality = std::filesystem::file_size(outFile("Track-01.ogg"));
    writeSetting("Ogg Options", "compr", "90");
    m_list.row(0).checked = true;
    runJob(OutputFormat::ogg);
    EXPECT_GT(std::filesystem::file_size(outFile("Track-01.ogg")), lowQuality * 3 / 2);
}

TEST_F(RipJobTest, CancellingWavDeletesOnlyThePartialFile) {
    insertDisc({100, 100, 100});
    buildList(OutputFormat::wav);
    m_observer.onProcessEvents = clickOnce([this] { return m_observer.eventRounds == 6; });
    runJob(OutputFormat::wav);
    EXPECT_EQ(m_observer.questions, 1);
    ASSERT_EQ(outputFiles(), (Files{"Track-01.wav"}));
    EXPECT_TRUE(readBytes(outFile("Track-01.wav")) == canonicalWav(2, 16, 44100, trackAudio(0)));
    EXPECT_TRUE(captionIs("Finished!"));
    EXPECT_EQ(m_observer.buttons.back(), RipButton::close);
    EXPECT_EQ(m_observer.closes, 0);
    EXPECT_EQ(job().outcome(), RipOutcome::cancelled);
    EXPECT_TRUE(allChecked());

    // "No" lets the job go on.
    m_observer.answerYes = false;
    m_observer.eventRounds = 0;
    m_observer.onProcessEvents = clickOnce([this] { return m_observer.eventRounds == 6; });
    runJob(OutputFormat::wav);
    EXPECT_EQ(m_observer.questions, 2);
    EXPECT_EQ(outputFiles(), (Files{"Track-01.wav", "Track-02.wav", "Track-03.wav"}));
    EXPECT_EQ(job().outcome(), RipOutcome::finished);
}

TEST_F(RipJobTest, CancellingMp3DeletesItsFilesAndClosesTheWindow) {
    insertDisc({100, 100});
    writeSetting("Folder", "open", "True");
    buildList(OutputFormat::mp3);
    // While the second track is being encoded.
    m_observer.onGauge = [this, click = clickOnce([this] {
                                    return captionIs("Processing:02 (Track-02.mp3)") &&
                                           m_observer.gauges.back() > 50;
                                })](int) mutable { click(); };
    runJob(OutputFormat::mp3);
    EXPECT_EQ(outputFiles(), (Files{"Track-01.mp3"}));
    EXPECT_EQ(m_observer.closes, 1);
    EXPECT_TRUE(m_observer.foldersOpened.empty());  // only "Close" opens the folder
    EXPECT_TRUE(captionIs("Finished!"));
    EXPECT_EQ(job().outcome(), RipOutcome::cancelled);

    // While the second track is being read: a file of an earlier rip that this job never
    // touched is not the job's to delete.
    std::filesystem::remove_all(out());
    std::filesystem::create_directory(out());
    writeBytes(outFile("Track-02.mp3"), {1, 2, 3});
    m_observer.onGauge = nullptr;
    m_observer.onProcessEvents =
        clickOnce([this] { return captionIs("Processing:02 (Track-02.mp3)"); });
    runJob(OutputFormat::mp3);
    EXPECT_EQ(outputFiles(), (Files{"Track-01.mp3", "Track-02.mp3"}));
    EXPECT_EQ(readBytes(outFile("Track-02.mp3")), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(m_observer.closes, 2);
}

TEST_F(RipJobTest, CancellingOggKeepsTheUnfinishedRowsChecked) {
    insertDisc({100, 100, 100});
    writeSetting("Ogg Options", "cpu", "1");  // a pause before each block: a slower run
    buildList(OutputFormat::ogg);
    // While the sink converts the second track.
    m_observer.onGauge = [this, click = clickOnce([this] {
                                    return captionIs("Processing:02 (Track-02.ogg)") &&
                                           m_observer.gauges.back() > 40;
                                })](int) mutable { click(); };
    runJob(OutputFormat::ogg);
    EXPECT_EQ(m_observer.questions, 1);
    ASSERT_EQ(outputFiles(), (Files{"Track-01.ogg"}));
    EXPECT_EQ(oggSampleCount(outFile("Track-01.ogg")), 100 * 588);
    EXPECT_EQ(m_observer.unchecked, (std::vector<std::size_t>{0}));
    EXPECT_FALSE(m_list.row(0).checked);
    EXPECT_TRUE(m_list.row(1).checked && m_list.row(2).checked);
    EXPECT_TRUE(captionIs("Finished!"));
    EXPECT_EQ(job().outcome(), RipOutcome::cancelled);
    EXPECT_EQ(m_observer.closes, 0);

    // While the next track is being read: the temporary file goes, the row stays checked.
    m_observer.onGauge = nullptr;
    m_observer.eventRounds = 0;
    m_observer.onProcessEvents = clickOnce([this] { return m_observer.eventRounds == 6; });
    runJob(OutputFormat::ogg);
    EXPECT_EQ(outputFiles(), (Files{"Track-01.ogg", "Track-02.ogg"}));
    EXPECT_EQ(oggSampleCount(outFile("Track-02.ogg")), 100 * 588);
    EXPECT_FALSE(m_list.row(1).checked);
    EXPECT_TRUE(m_list.row(2).checked);
    EXPECT_EQ(job().outcome(), RipOutcome::cancelled);
}

TEST_F(RipJobTest, OpenFolderOnlyOnClose) {
    insertDisc({30});
    writeSetting("Folder", "open", "True");
    buildList(OutputFormat::wav);
    runJob(OutputFormat::wav);
    EXPECT_TRUE(m_observer.foldersOpened.empty());
    ASSERT_EQ(job().button(), RipButton::close);
    job().buttonClicked();
    EXPECT_EQ(m_observer.questions, 0);
    EXPECT_EQ(m_observer.closes, 1);
    EXPECT_EQ(m_observer.foldersOpened, (Files{out().string()}));

    writeSetting("Folder", "open", "False");
    runJob(OutputFormat::wav);
    job().buttonClicked();
    EXPECT_EQ(m_observer.closes, 2);
    EXPECT_EQ(m_observer.foldersOpened.size(), 1u);
}

TEST_F(RipJobTest, AFailedReadEndsTheJobAndDeletesThePartialFile) {
    insertDisc({100, 100});
    buildList(OutputFormat::mp3);
    // The image loses the second half of track 2 while the disc is open.
    std::filesystem::resize_file(m_image.data, 150 * 2352);
    for (const OutputFormat format : {OutputFormat::wav, OutputFormat::mp3}) {
        const std::string extension(formatExtension(format));
        SCOPED_TRACE(extension);
        std::filesystem::remove_all(out());
        std::filesystem::create_directory(out());
        m_list.switchFormat(format);
        m_observer.errors.clear();
        runJob(format);
        EXPECT_EQ(outputFiles(), (Files{"Track-01" + extension}));
        ASSERT_EQ(m_observer.errors.size(), 1u);
        EXPECT_EQ(m_observer.errors[0], "Cannot read track 02 from the CD at frame 150");
        EXPECT_FALSE(captionIs("Finished!"));
        EXPECT_EQ(m_observer.buttons.back(), RipButton::close);
        EXPECT_EQ(job().outcome(), RipOutcome::failed);
    }
}

TEST_F(RipJobTest, WriteAndCreateFailuresEndTheJob) {
    insertDisc({60});
    buildList(OutputFormat::wav);
    // A full disk, for the WAV output and for the temporary file of an Ogg track.
    std::filesystem::create_symlink("/dev/full", outFile("Track-01.wav"));
    runJob(OutputFormat::wav);
    ASSERT_EQ(m_observer.errors.size(), 1u);
    EXPECT_EQ(m_observer.errors[0].rfind("Stream write error", 0), 0u) << m_observer.errors[0];
    EXPECT_EQ(job().outcome(), RipOutcome::failed);
    EXPECT_FALSE(captionIs("Finished!"));

    m_list.switchFormat(OutputFormat::ogg);
    m_list.rename(0, "Track-01", OutputFormat::ogg);
    std::filesystem::create_symlink("/dev/full", outFile("Track-01.ogg.convert"));
    runJob(OutputFormat::ogg);
    ASSERT_EQ(m_observer.errors.size(), 2u);
    EXPECT_EQ(m_observer.errors[1].rfind("Stream write error", 0), 0u) << m_observer.errors[1];
    EXPECT_TRUE(m_list.row(0).checked);

    std::filesystem::remove_all(out());
    runJob(OutputFormat::ogg);
    ASSERT_EQ(m_observer.errors.size(), 3u);
    EXPECT_EQ(m_observer.errors[2].rfind("Cannot create file", 0), 0u) << m_observer.errors[2];
    EXPECT_EQ(m_observer.buttons.back(), RipButton::close);
    EXPECT_EQ(job().outcome(), RipOutcome::failed);
}

TEST_F(RipJobTest, UnusableSettingsAndARefusedEncoder) {
    insertDisc({30});
    buildList(OutputFormat::mp3);
    writeSetting("MP3 Options", "wBitrate", "");
    runJob(OutputFormat::mp3);
    EXPECT_EQ(m_observer.settingsFailures, 1);
    EXPECT_EQ(job().outcome(), RipOutcome::settingsFailed);
    EXPECT_TRUE(outputFiles().empty());
    EXPECT_TRUE(m_observer.captions.empty());

    // "44100" without its unit reads as 441 Hz, which the encoder refuses; the files stay.
    writeSetting("MP3 Options", "wBitrate", "128kb/s");
    writeSetting("MP3 Options", "dwSampleRate", "44100");
    runJob(OutputFormat::mp3);
    EXPECT_EQ(m_observer.errors, (Files{"Error opening encoding stream 2"}));
    EXPECT_EQ(m_observer.closes, 1);
    EXPECT_EQ(job().outcome(), RipOutcome::failed);
    EXPECT_EQ(outputFiles(), (Files{"Track-01.mp3", "Track-01.mp3.convert"}));
    EXPECT_EQ(std::filesystem::file_size(outFile("Track-01.mp3")), 0u);
}

TEST_F(RipJobTest, RowNamesCannotLeaveTheOutputFolder) {
    insertDisc({30, 30});
    buildList(OutputFormat::wav);
    m_list.rename(0, "../escaped", OutputFormat::wav);
    m_list.row(1).name = "  ..  ";
    runJob(OutputFormat::wav);
    EXPECT_EQ(outputFiles(), (Files{".._escaped.wav", "__"}));
    EXPECT_FALSE(std::filesystem::exists(m_temp.path() / "escaped.wav"));
    EXPECT_EQ(m_observer.captions[1], "Processing:01 (.._escaped.wav)");
}

}  // namespace
