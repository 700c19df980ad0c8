// Reading a run of audio sectors so that what comes back can be trusted, or so that it is known
// where it cannot be.
//
// Secure mode reads every sector twice, in two passes whose reads start at different sectors,
// with the drive's cache defeated in between, and keeps a sector when both reads agree. A
// sector the passes disagree on is re-read, one read at a time, up to `retries` more times,
// and settles by this rule:
//
//     some content has been read at least twice, and more often than every other content
//     together (a strict majority of the reads of that sector).
//
// So a read that was wrong once is outvoted by two right ones, and a sector that never reads
// the same twice stays unsettled; it is then reported by its sector number, never passed
// silently, and its most frequent content is what goes into the audio.
//
// Jitter, a drive answering with a block of samples shifted from where it was asked to read,
// is found by comparing the overlapping reads: a read whose sectors equal the other pass's
// samples some distance away, rather than at their own place, is a shifted copy; every sector
// of it is thrown away and read again. Because the passes' reads start at different sectors,
// a drive that slips the same way for the same request cannot make the two passes agree on a
// shifted block.
//
// Fast mode reads each sector once and never calls the result verified.
#pragma once

#include <cstdint>
#include <vector>

#include "SectorReader.h"

namespace quillon::secureread {

enum class ReadMode { fast, secure };

struct ReadOptions {
    ReadMode mode = ReadMode::secure;
    int retries = 20;                  // re-reads of a disputed sector after the two passes
    std::uint32_t blockSectors = 100;  // sectors compared together; bounds the memory held
    std::uint32_t maxJitterSamples = 2 * kSamplesPerSector;  // largest shift looked for
};

// What reading a range cost and what could not be trusted. Reports of consecutive ranges may
// be accumulated into one by passing the same report.
struct RangeReport {
    std::uint64_t sectorReads = 0;         // sectors asked of the reader, re-reads included
    std::uint32_t rereadSectors = 0;       // sectors the two passes did not settle
    std::uint32_t jitteredReads = 0;       // reads found to be shifted copies of the disc
    std::uint32_t failedReads = 0;         // reads the reader answered with nothing
    std::vector<std::uint32_t> unsettled;  // disc sectors, ascending
    bool secure = false;                   // read in secure mode; verified() needs it
    bool verified() const { return secure && unsettled.empty(); }
};

class SecureReader {
  public:
    explicit SecureReader(SectorReader& reader, ReadOptions options = {});

    // Reads sectors [first, first + count) into out (count * kSectorBytes bytes) and adds what
    // happened to report. Sectors that could not be read at all are silence in out and
    // unsettled in the report.
    void readSectors(std::uint32_t first, std::uint32_t count, std::uint8_t* out,
                     RangeReport& report);

    const ReadOptions& options() const { return m_options; }

  private:
    void readFast(std::uint32_t first, std::uint32_t count, std::uint8_t* out, RangeReport& report);
    void readBlock(std::uint32_t first, std::uint32_t count, std::uint8_t* out,
                   RangeReport& report);

    SectorReader& m_reader;
    ReadOptions m_options;
};

}  // namespace quillon::secureread
