// The media control interface for CD audio: commands with parameter records
// (mciSendCommandA) and the same commands as text (mciSendStringA), over CdAudioDevice.
//
// Only the CD audio device type exists. Commands complete before they return, so "wait" changes
// nothing except for play, which then returns when playback has ended. Notifications are never
// sent: the notify flag and the callback window are accepted and ignored.
#pragma once

#include <cstdint>

using MCIDEVICEID = std::uint32_t;
using MCIERROR = std::uint32_t;

// ---- Commands and their flags ----------------------------------------------------------

constexpr unsigned MCI_OPEN = 0x0803;
constexpr unsigned MCI_CLOSE = 0x0804;
constexpr unsigned MCI_PLAY = 0x0806;
constexpr unsigned MCI_SEEK = 0x0807;
constexpr unsigned MCI_STOP = 0x0808;
constexpr unsigned MCI_PAUSE = 0x0809;
constexpr unsigned MCI_GETDEVCAPS = 0x080B;
constexpr unsigned MCI_SET = 0x080D;
constexpr unsigned MCI_STATUS = 0x0814;
constexpr unsigned MCI_RESUME = 0x0855;

constexpr MCIDEVICEID MCI_ALL_DEVICE_ID = 0xFFFFFFFF;  // MCI_CLOSE only

constexpr std::uint32_t MCI_NOTIFY = 0x1;
constexpr std::uint32_t MCI_WAIT = 0x2;
constexpr std::uint32_t MCI_FROM = 0x4;
constexpr std::uint32_t MCI_TO = 0x8;
constexpr std::uint32_t MCI_TRACK = 0x10;

constexpr std::uint32_t MCI_OPEN_SHAREABLE = 0x100;
constexpr std::uint32_t MCI_OPEN_ELEMENT = 0x200;  // the drive's identification text
constexpr std::uint32_t MCI_OPEN_ALIAS = 0x400;
constexpr std::uint32_t MCI_OPEN_TYPE_ID = 0x1000;  // the device type is a number, not text
constexpr std::uint32_t MCI_OPEN_TYPE = 0x2000;

constexpr std::uint32_t MCI_SEEK_TO_START = 0x100;
constexpr std::uint32_t MCI_SEEK_TO_END = 0x200;

constexpr std::uint32_t MCI_STATUS_ITEM = 0x100;
constexpr std::uint32_t MCI_STATUS_START = 0x200;

constexpr std::uint32_t MCI_SET_DOOR_OPEN = 0x100;
constexpr std::uint32_t MCI_SET_DOOR_CLOSED = 0x200;
constexpr std::uint32_t MCI_SET_TIME_FORMAT = 0x400;

constexpr std::uint32_t MCI_GETDEVCAPS_ITEM = 0x100;

// ---- Values ----------------------------------------------------------------------------

constexpr std::uint32_t MCI_DEVTYPE_CD_AUDIO = 516;

constexpr std::uint32_t MCI_STATUS_LENGTH = 1;
constexpr std::uint32_t MCI_STATUS_POSITION = 2;
constexpr std::uint32_t MCI_STATUS_NUMBER_OF_TRACKS = 3;
constexpr std::uint32_t MCI_STATUS_MODE = 4;
constexpr std::uint32_t MCI_STATUS_MEDIA_PRESENT = 5;
constexpr std::uint32_t MCI_STATUS_TIME_FORMAT = 6;
constexpr std::uint32_t MCI_STATUS_READY = 7;
constexpr std::uint32_t MCI_STATUS_CURRENT_TRACK = 8;
constexpr std::uint32_t MCI_CDA_STATUS_TYPE_TRACK = 0x4001;  // with MCI_TRACK
constexpr std::uint32_t MCI_CDA_TRACK_AUDIO = 1088;
constexpr std::uint32_t MCI_CDA_TRACK_OTHER = 1089;

constexpr std::uint32_t MCI_MODE_NOT_READY = 524;
constexpr std::uint32_t MCI_MODE_STOP = 525;
constexpr std::uint32_t MCI_MODE_PLAY = 526;
constexpr std::uint32_t MCI_MODE_RECORD = 527;
constexpr std::uint32_t MCI_MODE_SEEK = 528;
constexpr std::uint32_t MCI_MODE_PAUSE = 529;
constexpr std::uint32_t MCI_MODE_OPEN = 530;

// Positions in MSF are absolute (minute lowest byte), in TMSF within a track (track lowest
// byte); lengths are answered in MSF in both. A device starts in TMSF.
constexpr std::uint32_t MCI_FORMAT_MSF = 2;
constexpr std::uint32_t MCI_FORMAT_TMSF = 10;

constexpr std::uint32_t MCI_GETDEVCAPS_CAN_RECORD = 1;
constexpr std::uint32_t MCI_GETDEVCAPS_HAS_AUDIO = 2;
constexpr std::uint32_t MCI_GETDEVCAPS_HAS_VIDEO = 3;
constexpr std::uint32_t MCI_GETDEVCAPS_DEVICE_TYPE = 4;
constexpr std::uint32_t MCI_GETDEVCAPS_USES_FILES = 5;
constexpr std::uint32_t MCI_GETDEVCAPS_COMPOUND_DEVICE = 6;
constexpr std::uint32_t MCI_GETDEVCAPS_CAN_EJECT = 7;
constexpr std::uint32_t MCI_GETDEVCAPS_CAN_PLAY = 8;
constexpr std::uint32_t MCI_GETDEVCAPS_CAN_SAVE = 9;

constexpr std::uint32_t MCI_TRUE = 1;
constexpr std::uint32_t MCI_FALSE = 0;

// ---- Errors ----------------------------------------------------------------------------

constexpr MCIERROR MCIERR_BASE = 256;
constexpr MCIERROR MCIERR_INVALID_DEVICE_ID = MCIERR_BASE + 1;
constexpr MCIERROR MCIERR_UNRECOGNIZED_KEYWORD = MCIERR_BASE + 3;
constexpr MCIERROR MCIERR_UNRECOGNIZED_COMMAND = MCIERR_BASE + 5;
constexpr MCIERROR MCIERR_HARDWARE = MCIERR_BASE + 6;
constexpr MCIERROR MCIERR_INVALID_DEVICE_NAME = MCIERR_BASE + 7;
constexpr MCIERROR MCIERR_CANNOT_LOAD_DRIVER = MCIERR_BASE + 10;
constexpr MCIERROR MCIERR_MISSING_COMMAND_STRING = MCIERR_BASE + 11;
constexpr MCIERROR MCIERR_PARAM_OVERFLOW = MCIERR_BASE + 12;
constexpr MCIERROR MCIERR_BAD_INTEGER = MCIERR_BASE + 14;
constexpr MCIERROR MCIERR_MISSING_PARAMETER = MCIERR_BASE + 17;
constexpr MCIERROR MCIERR_UNSUPPORTED_FUNCTION = MCIERR_BASE + 18;
constexpr MCIERROR MCIERR_DEVICE_NOT_READY = MCIERR_BASE + 20;
constexpr MCIERROR MCIERR_OUTOFRANGE = MCIERR_BASE + 26;
constexpr MCIERROR MCIERR_FLAGS_NOT_COMPATIBLE = MCIERR_BASE + 28;
constexpr MCIERROR MCIERR_DUPLICATE_ALIAS = MCIERR_BASE + 33;
constexpr MCIERROR MCIERR_MUST_USE_SHAREABLE = MCIERR_BASE + 35;
constexpr MCIERROR MCIERR_MISSING_DEVICE_NAME = MCIERR_BASE + 36;
constexpr MCIERROR MCIERR_BAD_TIME_FORMAT = MCIERR_BASE + 37;
constexpr MCIERROR MCIERR_NULL_PARAMETER_BLOCK = MCIERR_BASE + 41;
// This device's own errors.
constexpr MCIERROR MCIERR_CUSTOM_DRIVER_BASE = MCIERR_BASE + 256;
constexpr MCIERROR MCIERR_CDA_NOT_AUDIO = MCIERR_CUSTOM_DRIVER_BASE + 0;
constexpr MCIERROR MCIERR_CDA_NO_SOUND_OUTPUT = MCIERR_CUSTOM_DRIVER_BASE + 1;
constexpr MCIERROR MCIERR_CDA_SOUND_OUTPUT_FAILED = MCIERR_CUSTOM_DRIVER_BASE + 2;

// ---- Parameter records -----------------------------------------------------------------

struct MCI_GENERIC_PARMS {
    std::uintptr_t dwCallback = 0;
};

struct MCI_OPEN_PARMSA {
    std::uintptr_t dwCallback = 0;
    MCIDEVICEID wDeviceID = 0;              // answered
    const char* lpstrDeviceType = nullptr;  // "cdaudio", or the type number with MCI_OPEN_TYPE_ID
    const char* lpstrElementName = nullptr;
    const char* lpstrAlias = nullptr;
};

struct MCI_PLAY_PARMS {
    std::uintptr_t dwCallback = 0;
    std::uint32_t dwFrom = 0;
    std::uint32_t dwTo = 0;
};

struct MCI_SEEK_PARMS {
    std::uintptr_t dwCallback = 0;
    std::uint32_t dwTo = 0;
};

struct MCI_STATUS_PARMS {
    std::uintptr_t dwCallback = 0;
    std::uintptr_t dwReturn = 0;  // answered
    std::uint32_t dwItem = 0;
    std::uint32_t dwTrack = 0;
};

struct MCI_SET_PARMS {
    std::uintptr_t dwCallback = 0;
    std::uint32_t dwTimeFormat = 0;
    std::uint32_t dwAudio = 0;
};

struct MCI_GETDEVCAPS_PARMS {
    std::uintptr_t dwCallback = 0;
    std::uint32_t dwReturn = 0;  // answered
    std::uint32_t dwItem = 0;
};

// ---- Calls -----------------------------------------------------------------------------

// Sends a command to an open device (or MCI_OPEN with device 0). param points to the command's
// parameter record. Returns 0 or an MCIERR_ value.
MCIERROR mciSendCommandA(MCIDEVICEID device, unsigned message, std::uintptr_t flags,
                         std::uintptr_t param);

// Sends a command as text, e.g. "set cdaudio door closed wait". A device name is an alias, or
// "cdaudio" for the device opened under that name; a CD audio device that is not open is
// opened for the one command. Answers, if any, go to returnString (returnLength bytes with the
// terminating zero).
MCIERROR mciSendStringA(const char* command, char* returnString, unsigned returnLength,
                        std::uintptr_t callbackWindow);

// The device opened under that name (alias or device type), or 0.
MCIDEVICEID mciGetDeviceIDA(const char* name);

// The error's text, cut to fit; false for a value that is no error of this interface.
bool mciGetErrorStringA(MCIERROR error, char* text, unsigned length);
