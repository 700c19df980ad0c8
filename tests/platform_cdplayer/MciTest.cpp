// The media control interface as the main window drives it: records and command strings.
#include <string>

#include "CdPlayerTestSupport.h"
#include "CdTime.h"
#include "Mci.h"

namespace {

using namespace quillon::cdplayer;

template <typename Record>
std::uintptr_t param(Record& record) {
    return reinterpret_cast<std::uintptr_t>(&record);
}

class MciTest : public CdPlayerTest {
  protected:
    void SetUp() override {
        CdPlayerTest::SetUp();
        image = writeCueImage(discs(), "disc", {60, 40, 30});
    }
    void TearDown() override {
        sound->holdOutput(false);
        mciSendCommandA(MCI_ALL_DEVICE_ID, MCI_CLOSE, 0, 0);
        CdPlayerTest::TearDown();
    }

    // Opens the image's device as the main window does: CD audio, shareable.
    MCIERROR open(MCIDEVICEID& id, std::uint32_t extra = MCI_OPEN_SHAREABLE,
                  const char* alias = nullptr) {
        MCI_OPEN_PARMSA parms;
        parms.lpstrDeviceType = "cdaudio";
        parms.lpstrElementName = "disc.cue";
        parms.lpstrAlias = alias;
        const std::uint32_t flags =
            MCI_OPEN_TYPE | MCI_OPEN_ELEMENT | extra | (alias != nullptr ? MCI_OPEN_ALIAS : 0);
        const MCIERROR error = mciSendCommandA(0, MCI_OPEN, flags, param(parms));
        id = parms.wDeviceID;
        return error;
    }

    static std::uintptr_t status(MCIDEVICEID id, std::uint32_t item, std::uint32_t track = 0) {
        MCI_STATUS_PARMS parms;
        parms.dwItem = item;
        parms.dwTrack = track;
        const std::uint32_t flags = MCI_STATUS_ITEM | (track != 0 ? MCI_TRACK : 0);
        EXPECT_EQ(mciSendCommandA(id, MCI_STATUS, flags, param(parms)), 0u);
        return parms.dwReturn;
    }

    static MCIERROR command(MCIDEVICEID id, unsigned message) {
        MCI_GENERIC_PARMS parms;
        return mciSendCommandA(id, message, 0, param(parms));
    }

    static std::string text(const std::string& command, MCIERROR* error = nullptr) {
        char answer[128] = "junk";
        const MCIERROR result = mciSendStringA(command.c_str(), answer, sizeof answer, 0);
        if (error != nullptr) *error = result;
        return answer;
    }

    DiscImage image;
};

TEST_F(MciTest, PlayingASelectedTrackAsTheMainWindowDoes) {
    // A long second track, so that the reading cannot reach the end before the pause.
    image = writeCueImage(discs(), "disc", {60, 400, 30});
    MCIDEVICEID id = 0;
    ASSERT_EQ(open(id), 0u);
    MCI_SET_PARMS format;
    format.dwTimeFormat = MCI_FORMAT_TMSF;
    ASSERT_EQ(mciSendCommandA(id, MCI_SET, MCI_SET_TIME_FORMAT, param(format)), 0u);
    EXPECT_EQ(status(id, MCI_STATUS_NUMBER_OF_TRACKS), 3u);
    EXPECT_EQ(status(id, MCI_STATUS_MODE), MCI_MODE_STOP);

    // Seek to the start of the track, then play to the end of the disc.
    MCI_SEEK_PARMS seek;
    seek.dwTo = 2;
    ASSERT_EQ(mciSendCommandA(id, MCI_SEEK, MCI_TO, param(seek)), 0u);
    sound->holdOutput(true);
    MCI_PLAY_PARMS play;
    ASSERT_EQ(mciSendCommandA(id, MCI_PLAY, 0, param(play)), 0u);
    EXPECT_EQ(status(id, MCI_STATUS_MODE), MCI_MODE_PLAY);
    EXPECT_EQ(status(id, MCI_STATUS_POSITION), packTmsf({2, 0, 0, 0}));
    EXPECT_EQ(status(id, MCI_STATUS_CURRENT_TRACK), 2u);

    // The Pause button: pause when playing, resume when paused.
    ASSERT_EQ(command(id, MCI_PAUSE), 0u);
    EXPECT_EQ(status(id, MCI_STATUS_MODE), MCI_MODE_PAUSE);
    ASSERT_EQ(command(id, MCI_RESUME), 0u);
    EXPECT_EQ(status(id, MCI_STATUS_MODE), MCI_MODE_PLAY);
    sound->holdOutput(false);

    // Closing while playing stops first; only the disc's audio from track 2 was played.
    ASSERT_EQ(command(id, MCI_CLOSE), 0u);
    const auto played = sound->played();
    const auto wanted = audio(image, 60, 490);
    ASSERT_LE(played.size(), wanted.size());
    EXPECT_TRUE(std::equal(played.begin(), played.end(), wanted.begin()));
    EXPECT_EQ(command(id, MCI_STOP), MCIERR_INVALID_DEVICE_ID);
}

TEST_F(MciTest, PlaysFromAndToInBothTimeFormats) {
    MCIDEVICEID id = 0;
    ASSERT_EQ(open(id), 0u);
    EXPECT_EQ(status(id, MCI_STATUS_TIME_FORMAT), MCI_FORMAT_TMSF);
    EXPECT_EQ(status(id, MCI_STATUS_POSITION, 3), packTmsf({3, 0, 0, 0}));
    EXPECT_EQ(status(id, MCI_STATUS_LENGTH, 2), packMsf(40));
    EXPECT_EQ(status(id, MCI_STATUS_LENGTH), packMsf(130));

    MCI_PLAY_PARMS play;
    play.dwFrom = packTmsf({1, 0, 0, 10});
    play.dwTo = 2;  // the start of track 2
    ASSERT_EQ(mciSendCommandA(id, MCI_PLAY, MCI_FROM | MCI_TO | MCI_WAIT, param(play)), 0u);
    EXPECT_EQ(status(id, MCI_STATUS_MODE), MCI_MODE_STOP) << "wait returns once played";
    EXPECT_TRUE(sound->played() == audio(image, 10, 60));

    MCI_SET_PARMS format;
    format.dwTimeFormat = MCI_FORMAT_MSF;
    ASSERT_EQ(mciSendCommandA(id, MCI_SET, MCI_SET_TIME_FORMAT, param(format)), 0u);
    EXPECT_EQ(status(id, MCI_STATUS_POSITION), packMsf(150 + 60));
    play.dwFrom = packMsf(150 + 100);  // absolute: the lead-in counts
    ASSERT_EQ(mciSendCommandA(id, MCI_PLAY, MCI_FROM | MCI_WAIT, param(play)), 0u);
    EXPECT_TRUE(sound->played() == concat(audio(image, 10, 60), audio(image, 100, 130)));

    play.dwFrom = packMsf(10);  // inside the lead-in
    EXPECT_EQ(mciSendCommandA(id, MCI_PLAY, MCI_FROM, param(play)), MCIERR_OUTOFRANGE);
    format.dwTimeFormat = 0;
    EXPECT_EQ(mciSendCommandA(id, MCI_SET, MCI_SET_TIME_FORMAT, param(format)),
              MCIERR_BAD_TIME_FORMAT);
    MCI_SEEK_PARMS seek;
    seek.dwTo = 4;
    format.dwTimeFormat = MCI_FORMAT_TMSF;
    mciSendCommandA(id, MCI_SET, MCI_SET_TIME_FORMAT, param(format));
    EXPECT_EQ(mciSendCommandA(id, MCI_SEEK, MCI_TO, param(seek)), MCIERR_OUTOFRANGE);
    EXPECT_EQ(mciSendCommandA(id, MCI_SEEK, 0, param(seek)), MCIERR_MISSING_PARAMETER);
    ASSERT_EQ(mciSendCommandA(id, MCI_SEEK, MCI_SEEK_TO_END, param(seek)), 0u);
    EXPECT_EQ(status(id, MCI_STATUS_POSITION), packTmsf({3, 0, 0, 30}));
}

TEST_F(MciTest, ASharedDeviceStaysOpenUntilItsLastUserClosesIt) {
    MCIDEVICEID first = 0, second = 0, exclusive = 0;
    ASSERT_EQ(open(first), 0u);
    ASSERT_EQ(open(second, MCI_OPEN_SHAREABLE, "player"), 0u);
    EXPECT_NE(first, second);
    EXPECT_EQ(open(exclusive, 0), MCIERR_MUST_USE_SHAREABLE);
    EXPECT_EQ(open(exclusive, MCI_OPEN_SHAREABLE, "player"), MCIERR_DUPLICATE_ALIAS);
    EXPECT_EQ(mciGetDeviceIDA("PLAYER"), second);

    // Both see the same playback.
    sound->holdOutput(true);
    MCI_PLAY_PARMS play;
    ASSERT_EQ(mciSendCommandA(first, MCI_PLAY, 0, param(play)), 0u);
    EXPECT_EQ(status(second, MCI_STATUS_MODE), MCI_MODE_PLAY);
    ASSERT_EQ(command(first, MCI_CLOSE), 0u);
    EXPECT_EQ(status(second, MCI_STATUS_MODE), MCI_MODE_PLAY);
    EXPECT_EQ(command(second, MCI_STOP), 0u);
    EXPECT_EQ(status(second, MCI_STATUS_MODE), MCI_MODE_STOP);
    sound->holdOutput(false);
}

TEST_F(MciTest, EjectAndCloseTheTrayAsTheMainWindowDoes) {
    MCIDEVICEID id = 0;
    ASSERT_EQ(open(id), 0u);
    MCI_GETDEVCAPS_PARMS caps;
    caps.dwItem = MCI_GETDEVCAPS_CAN_EJECT;
    ASSERT_EQ(mciSendCommandA(id, MCI_GETDEVCAPS, MCI_GETDEVCAPS_ITEM, param(caps)), 0u);
    EXPECT_EQ(caps.dwReturn, MCI_TRUE);

    MCI_SET_PARMS set;
    ASSERT_EQ(mciSendCommandA(id, MCI_SET, MCI_SET_DOOR_OPEN, param(set)), 0u);
    EXPECT_EQ(status(id, MCI_STATUS_MODE), MCI_MODE_OPEN);
    EXPECT_EQ(status(id, MCI_STATUS_MEDIA_PRESENT), MCI_FALSE);
    // With the tray open the track count is 0, which makes the window close the tray.
    MCI_STATUS_PARMS count;
    count.dwReturn = 99;
    count.dwItem = MCI_STATUS_NUMBER_OF_TRACKS;
    EXPECT_EQ(mciSendCommandA(id, MCI_STATUS, MCI_STATUS_ITEM, param(count)),
              MCIERR_DEVICE_NOT_READY);
    EXPECT_EQ(count.dwReturn, 0u);
    MCI_PLAY_PARMS play;
    EXPECT_EQ(mciSendCommandA(id, MCI_PLAY, 0, param(play)), MCIERR_DEVICE_NOT_READY);

    // The device was opened under its type name, so the string reaches it.
    EXPECT_EQ(text("set cdaudio door closed wait"), "");
    EXPECT_EQ(status(id, MCI_STATUS_MODE), MCI_MODE_STOP);
    EXPECT_EQ(status(id, MCI_STATUS_NUMBER_OF_TRACKS), 3u);
}

TEST_F(MciTest, CommandStringsAnswerInText) {
    MCIERROR error = 0;
    const std::string id = text("open disc.cue type cdaudio alias cd shareable", &error);
    ASSERT_EQ(error, 0u);
    EXPECT_EQ(id, std::to_string(mciGetDeviceIDA("cd")));
    EXPECT_EQ(text("status cd number of tracks"), "3");
    EXPECT_EQ(text("Status CD Mode"), "stopped");
    EXPECT_EQ(text("capability cd can eject"), "true");
    EXPECT_EQ(text("capability cd device type"), "cdaudio");
    EXPECT_EQ(text("status cd length track 2"), "00:00:40");
    EXPECT_EQ(text("seek cd to 2:00:00:05"), "");
    EXPECT_EQ(text("status cd position"), "02:00:00:05");
    EXPECT_EQ(text("play cd from 3 wait", &error), "");
    EXPECT_EQ(error, 0u);
    EXPECT_TRUE(sound->played() == audio(image, 100, 130));
    EXPECT_EQ(text("set cd time format msf"), "");
    EXPECT_EQ(text("status cd position"), "00:03:55");  // the lead-in counts
    EXPECT_EQ(text("set cd door open"), "");
    EXPECT_EQ(text("status cd mode"), "open");

    struct Case {
        const char* command;
        MCIERROR error;
    };
    const Case cases[] = {
        {"", MCIERR_MISSING_COMMAND_STRING},
        {"status", MCIERR_MISSING_DEVICE_NAME},
        {"status nobody mode", MCIERR_INVALID_DEVICE_NAME},
        {"rewind cd", MCIERR_UNRECOGNIZED_COMMAND},
        {"status cd", MCIERR_MISSING_PARAMETER},
        {"status cd colour", MCIERR_UNSUPPORTED_FUNCTION},
        {"stop cd now", MCIERR_UNRECOGNIZED_KEYWORD},
        {"seek cd to x", MCIERR_BAD_INTEGER},
        {"set cd time format frames", MCIERR_BAD_TIME_FORMAT},
        {"open cdaudio alias cd", MCIERR_DUPLICATE_ALIAS},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        EXPECT_EQ(text(c.command, &error), "");
        EXPECT_EQ(error, c.error);
    }
    char small[3];
    EXPECT_EQ(mciSendStringA("status cd mode", small, sizeof small, 0), MCIERR_PARAM_OVERFLOW);
    EXPECT_STREQ(small, "op");
    EXPECT_EQ(text("close cd"), "");
    EXPECT_EQ(mciGetDeviceIDA("cd"), 0u);
}

TEST_F(MciTest, ANamedDeviceThatIsNotOpenServesOneCommand) {
    if (quillon::cdrom::enumerateDrives().front().image == false)
        GTEST_SKIP() << "the machine's own drive comes first";
    MCIERROR error = 0;
    EXPECT_EQ(text("status cdaudio number of tracks", &error), "3");
    EXPECT_EQ(error, 0u);
    EXPECT_EQ(mciGetDeviceIDA("cdaudio"), 0u) << "closed again";
}

TEST_F(MciTest, ErrorsCarryTextsAndPlayWithoutSoundCardFails) {
    installDevices({});
    MCIDEVICEID id = 0;
    ASSERT_EQ(open(id), 0u);
    MCI_PLAY_PARMS play;
    const MCIERROR error = mciSendCommandA(id, MCI_PLAY, 0, param(play));
    EXPECT_EQ(error, MCIERR_CDA_NO_SOUND_OUTPUT);
    EXPECT_EQ(status(id, MCI_STATUS_MODE), MCI_MODE_STOP);

    char message[256];
    EXPECT_TRUE(mciGetErrorStringA(error, message, sizeof message));
    EXPECT_STREQ(message, "There is no sound output device to play the CD on.");
    char shortText[6];
    EXPECT_FALSE(mciGetErrorStringA(12345, shortText, sizeof shortText));
    EXPECT_STREQ(shortText, "Unkno");

    MCI_OPEN_PARMSA other;
    other.lpstrDeviceType = "waveaudio";
    EXPECT_EQ(mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE, param(other)),
              MCIERR_INVALID_DEVICE_NAME);
    other.lpstrDeviceType = "cdaudio";
    other.lpstrElementName = "missing.cue";
    EXPECT_EQ(mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT, param(other)),
              MCIERR_CANNOT_LOAD_DRIVER);
}

}  // namespace
