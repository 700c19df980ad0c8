// What a rip found out about the disc and each of its tracks. The rip job fills it in as it
// goes; the rip window lists it at the end, and the rip log and the cue sheet beside the files
// are written from it, so the three never tell different stories.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "AccurateRipParse.h"

enum class RipReadMode { fast, secure };

struct TrackRipReport {
    int number = 0;                 // the track's number on the disc
    std::string title;              // the row's name without its extension
    std::string artist;             // the track's performer where the names say one, else empty
    std::string file;               // the output file's name, relative to the output folder
    std::uint32_t firstSector = 0;  // where the track's audio starts (its index 01)
    std::uint32_t sectorCount = 0;
    // The sector where the pause before the track starts (its index 00), when known.
    std::optional<std::uint32_t> pregapSector;

    enum class Outcome { done, cancelled, failed };
    Outcome outcome = Outcome::done;
    std::string error;  // failed: what went wrong

    double peak = 0.0;                       // the largest sample magnitude, 0 to 1
    std::uint32_t crc32 = 0;                 // of the PCM as written
    std::optional<std::uint32_t> testCrc32;  // the test pass's, when one was made
    std::uint32_t accurateRipV1 = 0;
    std::uint32_t accurateRipV2 = 0;
    quillon::accuraterip::TrackVerdict verdict;

    // What the careful reading had to do, and what it could not settle (mm:ss.ff within the
    // track, ascending). Fast reads leave these empty and `secure` false.
    bool secure = false;
    std::uint32_t rereadSectors = 0;
    std::uint32_t jitteredReads = 0;
    std::vector<std::string> unsettledPositions;

    // Read securely with nothing unsettled, and the test pass (if any) agreeing.
    bool readCleanly() const {
        return outcome == Outcome::done && secure && unsettledPositions.empty() &&
               (!testCrc32 || *testCrc32 == crc32);
    }
};

struct RipReport {
    std::string programVersion;
    std::string drive;  // vendor, model and revision as the drive names itself
    RipReadMode mode = RipReadMode::secure;
    std::int32_t offset = 0;  // the read offset applied, in samples
    bool testPass = false;
    std::string discIds;  // the AccurateRip ids as "NNN-xxxxxxxx-xxxxxxxx-xxxxxxxx", or empty
    quillon::accuraterip::Lookup::Outcome lookup = quillon::accuraterip::Lookup::Outcome::offline;
    std::string artist;  // the disc's names, where known
    std::string album;
    std::vector<TrackRipReport> tracks;  // in the order ripped
};

// The rip log: plain UTF-8 text, one block per track and a closing summary line.
std::string ripLogText(const RipReport& report);
// A cue sheet describing the ripped files, one FILE per track.
std::string cueSheetText(const RipReport& report);
