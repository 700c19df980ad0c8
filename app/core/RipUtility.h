// CD helpers of the track list and the rip job: table-of-contents addresses, the local disc ID
// as the CD information window shows it, track titles from a CDDB entry, and the read buffer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "AKRip32.h"

// Tracks a table of contents describes (0 when it is malformed), at most what its record holds.
int tocTrackCount(const CdToc& toc);
// The start address of the entry at position (0 = the first track; tocTrackCount() = lead-out).
std::uint32_t tocAddress(const CdToc& toc, int position);

// The CDDB disc ID of the table of contents, lowercase hexadecimal without leading zeros.
std::string localDiscIdText(const CdToc& toc);

// The title of track number `track` in a CDDB entry text: what follows the first
// "TITLE<track - 1>=" up to the next carriage return or the end of the text, followed by the
// values of later lines with the same key, which continue a long title; empty when the entry
// has no such line.
std::string trackTitle(std::string_view entryText, int track);

// The rip job's read buffer: the 24-byte head and room for 25 frames, in one allocation.
class RipReadBuffer {
  public:
    RipReadBuffer();
    RipReadBuffer(const RipReadBuffer&) = delete;
    RipReadBuffer& operator=(const RipReadBuffer&) = delete;

    // Asks for `frames` frames from `start`; true only when all of them were delivered.
    bool read(CdHandle handle, std::uint32_t start, std::uint32_t frames);
    // What the last read delivered.
    const std::uint8_t* data() const;
    std::uint32_t byteCount() const { return head()->byteCount; }
    std::uint32_t frameCount() const { return head()->frameCount; }

  private:
    CdReadBuffer* head() const { return reinterpret_cast<CdReadBuffer*>(m_storage.get()); }

    std::unique_ptr<std::uint32_t[]> m_storage;  // 32-bit units keep the head aligned
};
