// The values of "settings.ini" that the rip job and the CDDB lookup use.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "IniFile.h"
#include "RipReport.h"

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
    int flacLevel = 5;        // [FLAC] level, 0 (fastest) to 8 (smallest)
    int opusBitrate = 160;    // [Opus] bitrate in kbit/s, 6 to 256
};

inline constexpr int kMinFlacLevel = 0;
inline constexpr int kMaxFlacLevel = 8;
inline constexpr int kMinOpusBitrate = 6;
inline constexpr int kMaxOpusBitrate = 256;

// Reads the job settings. Nothing when the stored sample rate or bit rate, without its unit
// ("Hz", "kb/s"), is not a number. A FLAC level or Opus bit rate that is not a number or out of
// range falls back to its default: the encoders would refuse it at the first track.
std::optional<RipSettings> readRipSettings(const TIniFile& settings);

inline constexpr const char* kDefaultCddbServer = "gnudb.gnudb.org";

struct CddbSettings {
    std::string server = kDefaultCddbServer;  // host, optionally ":port"
    std::string email;                        // sent in the CDDB greeting
};

CddbSettings readCddbSettings(const TIniFile& settings);

inline constexpr const char* kDefaultAccurateRipServer = "www.accuraterip.com";

// How the rip reads the disc and where it checks the result ([Reading], [AccurateRip]).
struct ReadingSettings {
    RipReadMode mode = RipReadMode::secure;
    int retries = 20;         // re-reads of a disputed sector, 0 to kMaxReadRetries
    std::int32_t offset = 0;  // the drive's read offset in samples
    bool test = false;        // a test pass before the copy pass (secure mode only)
    std::string accurateRipServer = kDefaultAccurateRipServer;
};

inline constexpr int kMaxReadRetries = 1000;
// Farther than any drive's offset; a larger stored value is taken for a mistake.
inline constexpr std::int32_t kMaxReadOffset = 5 * 588 * 10;

// The reading settings for the drive that names itself `driveModel`: its own offset from
// [Offsets] when one was stored for it, else [Reading]'s. Values out of range fall back to the
// defaults, so a hand-edited file cannot make the rip read nonsense.
ReadingSettings readReadingSettings(const TIniFile& settings, const std::string& driveModel);
// Stores the offset of the drive `driveModel` in [Offsets] (and as [Reading]'s, which drives
// never seen before start from). False when the settings file cannot be written or the offset
// is farther than kMaxReadOffset.
bool writeDriveOffset(TIniFile& settings, const std::string& driveModel, std::int32_t offset);
// The key a drive's offset is filed under: its model with "=", "[", "]", ";", "#" and control
// characters made blanks (an INI key cannot hold or start with them) and the ends trimmed;
// "unknown drive" for an empty model.
std::string driveOffsetKey(const std::string& driveModel);
