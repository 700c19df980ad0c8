// Playing a disc image digitally onto in-memory wave devices, and its tray.
#include <fstream>

#include "CdAudioDevice.h"
#include "CdPlayerTestSupport.h"

namespace {

using namespace quillon::cdplayer;

class CdAudioDeviceTest : public CdPlayerTest {
  protected:
    void TearDown() override {
        sound->holdOutput(false);
        device.reset();
        CdPlayerTest::TearDown();
    }

    // Opens a fresh device on the image of that name.
    CdAudioDevice& openOn(const std::string& name) {
        device = std::make_unique<CdAudioDevice>();
        EXPECT_EQ(device->open(name), CdError::none);
        return *device;
    }

    bool settle() { return device->waitUntilIdle(kPatience); }

    std::unique_ptr<CdAudioDevice> device;
};

TEST_F(CdAudioDeviceTest, PlaysFromTheChosenTrackToTheEndOfTheDisc) {
    const auto image = writeCueImage(discs(), "disc", {60, 40, 30});
    CdAudioDevice& cd = openOn("disc.cue");
    EXPECT_EQ(cd.trackCount(), 3);
    EXPECT_EQ(cd.mode(), CdMode::stopped);
    EXPECT_EQ(cd.position(), (TrackPosition{1, 0, 0, 0}));

    ASSERT_EQ(cd.seekToTrack(2), CdError::none);
    EXPECT_EQ(cd.position(), (TrackPosition{2, 0, 0, 0}));
    ASSERT_EQ(cd.play(), CdError::none);
    ASSERT_TRUE(settle());

    EXPECT_EQ(cd.mode(), CdMode::stopped);
    EXPECT_TRUE(sound->played() == audio(image, 60, 130));
    // At the end the position is the last track's length.
    EXPECT_EQ(cd.position(), (TrackPosition{3, 0, 0, 30}));
    const WAVEFORMATEX format = sound->lastFormat();
    EXPECT_EQ(format.nSamplesPerSec, 44100u);
    EXPECT_EQ(format.wBitsPerSample, 16);
    EXPECT_EQ(format.nChannels, 2);

    // Nothing is left to play at the end; playing the first track again works.
    EXPECT_EQ(cd.play(), CdError::outOfRange);
    ASSERT_EQ(cd.seekToTrack(1), CdError::none);
    ASSERT_EQ(cd.play(), CdError::none);
    ASSERT_TRUE(settle());
    EXPECT_TRUE(sound->played() == concat(audio(image, 60, 130), image.audio));
}

TEST_F(CdAudioDeviceTest, PositionFollowsWhatIsHeardThroughPauseAndResume) {
    const auto image = writeCueImage(discs(), "disc", {200, 100});
    CdAudioDevice& cd = openOn("disc.cue");
    sound->holdOutput(true);
    ASSERT_EQ(cd.play(), CdError::none);
    EXPECT_EQ(cd.mode(), CdMode::playing);
    // The player reads three buffers ahead, but nothing has been heard yet.
    ASSERT_TRUE(eventually([&] { return cd.queuedFrame() == 75; }));
    EXPECT_EQ(cd.position(), (TrackPosition{1, 0, 0, 0}));

    ASSERT_EQ(cd.pause(), CdError::none);
    EXPECT_EQ(cd.mode(), CdMode::paused);
    // What was queued before the pause still sounds, and the position follows it.
    sound->holdOutput(false);
    ASSERT_TRUE(settle());
    EXPECT_EQ(cd.mode(), CdMode::paused);
    EXPECT_EQ(framesPlayed(), 75);
    EXPECT_EQ(cd.position(), (TrackPosition{1, 0, 1, 0}));
    EXPECT_TRUE(sound->played() == audio(image, 0, 75));

    // Pause again toggles nothing; resume carries on without a gap or a repeat.
    ASSERT_EQ(cd.pause(), CdError::none);
    EXPECT_EQ(cd.mode(), CdMode::paused);
    ASSERT_EQ(cd.resume(), CdError::none);
    ASSERT_TRUE(settle());
    EXPECT_EQ(cd.mode(), CdMode::stopped);
    EXPECT_TRUE(sound->played() == image.audio);
}

TEST_F(CdAudioDeviceTest, StopKeepsThePositionAndOnlyPauseCanBeResumed) {
    writeCueImage(discs(), "disc", {100});
    CdAudioDevice& cd = openOn("disc.cue");
    EXPECT_EQ(cd.resume(), CdError::none);
    EXPECT_EQ(cd.pause(), CdError::none);
    EXPECT_EQ(cd.mode(), CdMode::stopped) << "pause and resume do nothing when stopped";

    sound->holdOutput(true);
    ASSERT_EQ(cd.play(), CdError::none);
    ASSERT_TRUE(eventually([&] { return cd.queuedFrame() == 75; }));
    ASSERT_EQ(cd.stop(), CdError::none);
    EXPECT_EQ(cd.mode(), CdMode::stopped);
    sound->holdOutput(false);
    ASSERT_TRUE(settle());
    EXPECT_EQ(cd.positionFrame(), 75);
    EXPECT_EQ(cd.resume(), CdError::none);
    ASSERT_TRUE(settle());
    EXPECT_EQ(framesPlayed(), 75) << "resume after stop plays nothing";
    EXPECT_EQ(cd.mode(), CdMode::stopped);
}

TEST_F(CdAudioDeviceTest, SeekMovesThePositionAndAudioQueuedBeforeItNoLongerCounts) {
    const int longTrack = 4500 + 3 * 75 + 10;  // a minute and a bit
    const auto image = writeCueImage(discs(), "disc", {100, longTrack, 50});
    CdAudioDevice& cd = openOn("disc.cue");

    ASSERT_EQ(cd.seekTo(100 + 4500 + 2 * 75 + 3), CdError::none);
    EXPECT_EQ(cd.position(), (TrackPosition{2, 1, 2, 3}));
    EXPECT_EQ(cd.seekToTrack(4), CdError::outOfRange);
    EXPECT_EQ(cd.seekToTrack(0), CdError::outOfRange);
    EXPECT_EQ(cd.seekTo(image.leadOut + 1), CdError::outOfRange);
    EXPECT_EQ(cd.position(), (TrackPosition{2, 1, 2, 3})) << "a refused seek moves nothing";

    // Seeking while three buffers of track 1 wait to be played: the device is seeking until
    // they have sounded, and they do not move the position.
    sound->holdOutput(true);
    ASSERT_EQ(cd.seekToTrack(1), CdError::none);
    ASSERT_EQ(cd.play(), CdError::none);
    ASSERT_TRUE(eventually([&] { return cd.queuedFrame() == 75; }));
    ASSERT_EQ(cd.seekToTrack(3), CdError::none);
    EXPECT_EQ(cd.mode(), CdMode::seeking);
    EXPECT_EQ(cd.position(), (TrackPosition{3, 0, 0, 0}));
    sound->holdOutput(false);
    ASSERT_TRUE(settle());
    EXPECT_EQ(cd.mode(), CdMode::stopped);
    EXPECT_EQ(cd.position(), (TrackPosition{3, 0, 0, 0}));

    ASSERT_EQ(cd.play(), CdError::none);
    ASSERT_TRUE(settle());
    const std::int32_t third = 100 + longTrack;
    EXPECT_TRUE(sound->played() == concat(audio(image, 0, 75), audio(image, third, third + 50)));
}

TEST_F(CdAudioDeviceTest, PlaysARangeAndStopsBeforeADataTrack) {
    const auto image = writeCueImage(discs(), "disc", {50, 50, 50});
    CdAudioDevice& cd = openOn("disc.cue");
    ASSERT_EQ(cd.play(60, 110), CdError::none);
    ASSERT_TRUE(settle());
    EXPECT_TRUE(sound->played() == audio(image, 60, 110));
    EXPECT_EQ(cd.play(110, 100), CdError::outOfRange);
    EXPECT_EQ(cd.play(150, std::nullopt), CdError::outOfRange);
    device.reset();

    // An enhanced disc: audio, then data.
    writeBytes((discs() / "mixed.bin").string(), image.audio);
    std::ofstream((discs() / "mixed.cue").string()) << "FILE \"mixed.bin\" BINARY\n"
                                                       "  TRACK 01 AUDIO\n"
                                                       "    INDEX 01 00:00:00\n"
                                                       "  TRACK 02 MODE1/2352\n"
                                                       "    INDEX 01 00:01:00\n";
    CdAudioDevice& mixed = openOn("mixed.cue");
    ASSERT_EQ(mixed.trackCount(), 2);
    ASSERT_EQ(mixed.seekToTrack(2), CdError::none);
    EXPECT_EQ(mixed.play(), CdError::notAudio);
    ASSERT_EQ(mixed.seekToTrack(1), CdError::none);
    const auto before = sound->played();
    ASSERT_EQ(mixed.play(), CdError::none);
    ASSERT_TRUE(settle());
    EXPECT_TRUE(sound->played() == concat(before, audio(image, 0, 75)));
}

TEST_F(CdAudioDeviceTest, TheTrayOfAnImageOpensAndClosesForEveryDeviceOnIt) {
    const auto image = writeCueImage(discs(), "disc", {120, 30});
    CdAudioDevice& cd = openOn("disc.cue");
    CdAudioDevice other;
    ASSERT_EQ(other.open("disc.cue"), CdError::none);
    EXPECT_TRUE(cd.canEject());

    // Opening the tray while playing stops playback and takes the disc away.
    sound->holdOutput(true);
    ASSERT_EQ(cd.play(), CdError::none);
    ASSERT_TRUE(eventually([&] { return cd.queuedFrame() == 75; }));
    ASSERT_EQ(cd.openDoor(), CdError::none);
    EXPECT_EQ(cd.mode(), CdMode::open);
    EXPECT_EQ(other.mode(), CdMode::open);
    EXPECT_EQ(cd.trackCount(), 0);
    EXPECT_EQ(cd.position(), TrackPosition{});
    EXPECT_EQ(cd.play(), CdError::notReady);
    EXPECT_EQ(cd.seekToTrack(1), CdError::notReady);
    sound->holdOutput(false);
    ASSERT_TRUE(settle());
    EXPECT_EQ(framesPlayed(), 75);
    EXPECT_EQ(cd.mode(), CdMode::open);
    EXPECT_EQ(cd.position(), TrackPosition{});

    // Closing it through the other device brings the disc back for both.
    ASSERT_EQ(other.closeDoor(), CdError::none);
    EXPECT_EQ(other.mode(), CdMode::stopped);
    EXPECT_EQ(other.trackCount(), 2);
    EXPECT_EQ(cd.trackCount(), 2);
    EXPECT_EQ(cd.position(), (TrackPosition{1, 0, 0, 0}));
    const auto before = sound->played();
    ASSERT_EQ(cd.play(), CdError::none);
    ASSERT_TRUE(settle());
    EXPECT_TRUE(sound->played() == concat(before, image.audio));
}

TEST_F(CdAudioDeviceTest, WithoutAUsableSoundCardPlayFailsAtOnce) {
    writeCueImage(discs(), "disc", {50});
    installDevices({});
    CdAudioDevice& cd = openOn("disc.cue");
    EXPECT_EQ(cd.play(), CdError::noSoundOutput);
    EXPECT_EQ(cd.mode(), CdMode::stopped);

    installDevices({{"Speakers"}});
    sound->refuseFormats([](const WAVEFORMATEX&) { return true; });
    EXPECT_EQ(cd.play(), CdError::soundOutputFailed);
    EXPECT_EQ(cd.mode(), CdMode::stopped);
    EXPECT_TRUE(cd.waitUntilIdle(kPatience));
}

TEST_F(CdAudioDeviceTest, AFailingSoundCardStopsPlaybackAndTheNextPlayGetsAFreshOne) {
    const auto image = writeCueImage(discs(), "disc", {200});
    CdAudioDevice& cd = openOn("disc.cue");
    sound->failAfter(30 * kCdFrameBytes);
    ASSERT_EQ(cd.play(), CdError::none);
    ASSERT_TRUE(settle());
    EXPECT_EQ(cd.mode(), CdMode::stopped);
    EXPECT_LE(framesPlayed(), 30);
    EXPECT_LE(cd.positionFrame(), framesPlayed()) << "audio handed back unplayed is not heard";

    sound->failAfter(-1);
    ASSERT_EQ(cd.seekToTrack(1), CdError::none);
    ASSERT_EQ(cd.play(), CdError::none);
    ASSERT_TRUE(settle());
    EXPECT_EQ(sound->opens(), 2);
    const auto played = sound->played();
    const auto whole = image.audio;
    ASSERT_GE(played.size(), whole.size());
    EXPECT_TRUE(std::equal(whole.begin(), whole.end(), played.end() - whole.size()));
}

TEST_F(CdAudioDeviceTest, AnUnreadableDiscStopsPlaybackAfterWhatCouldBeRead) {
    const auto image = writeCueImage(discs(), "disc", {100});
    CdAudioDevice& cd = openOn("disc.cue");
    std::filesystem::resize_file(image.data, 50 * kCdFrameBytes);
    ASSERT_EQ(cd.play(), CdError::none);
    ASSERT_TRUE(settle());
    EXPECT_EQ(cd.mode(), CdMode::stopped);
    EXPECT_TRUE(sound->played() == audio(image, 0, 50));
    EXPECT_EQ(cd.positionFrame(), 50);
}

TEST_F(CdAudioDeviceTest, ClosingWhilePlayingStopsWithoutWaitingForTheDisc) {
    writeCueImage(discs(), "disc", {3000});
    CdAudioDevice& cd = openOn("disc.cue");
    sound->setPace(4 * 44100 * 4);  // four times as fast as a CD plays
    ASSERT_EQ(cd.play(), CdError::none);
    cd.close();
    EXPECT_FALSE(cd.isOpen());
    EXPECT_EQ(cd.mode(), CdMode::notReady);
    EXPECT_EQ(cd.play(), CdError::notOpen);
    EXPECT_LE(framesPlayed(), 75) << "only what was queued sounds out";
}

TEST_F(CdAudioDeviceTest, OpensOnlyADriveThatExists) {
    CdAudioDevice cd;
    EXPECT_EQ(cd.open("nothing.cue"), CdError::noDrive);
    EXPECT_FALSE(cd.isOpen());
    EXPECT_EQ(cd.seekToTrack(1), CdError::notOpen);
    EXPECT_EQ(cd.trackCount(), 0);
}

}  // namespace
