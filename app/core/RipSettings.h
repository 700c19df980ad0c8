// The values of "settings.ini" that the rip job and the CDDB lookup use.
#pragma once

#include <optional>
#include <string>

#include "IniFile.h"

// What the message box says, with title "Error", before the program ends, when the settings
// cannot be used.
inline constexpr const char* kSettingsFailure = "Settings.ini not exist!  ";

struct RipSettings {
    int mp3SampleRate = 44100;  // Hz
    int mp3Bitrate = 128;       // kbit/s
    bool copyright = false;
    bool crc = false;
    bool privateBit = false;
    bool original = false;
    bool openFolder = false;  // open the output folder when the rip window is closed
    int oggCpu = 3;           // 1 to 3; the Ogg sink's delay is 16 - 5 * cpu ms
    int oggCompression = 20;  // Ogg quality in percent
};

// Reads the job settings. Nothing when the stored sample rate or bit rate, without its unit
// ("Hz", "kb/s"), is not a number.
std::optional<RipSettings> readRipSettings(const TIniFile& settings);

inline constexpr const char* kDefaultCddbServer = "gnudb.gnudb.org";

struct CddbSettings {
    std::string server = kDefaultCddbServer;  // host, optionally ":port"
    std::string email;                        // sent in the CDDB greeting
};

CddbSettings readCddbSettings(const TIniFile& settings);
