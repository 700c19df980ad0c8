// The one thing the careful reading needs from a drive or a disc image: whole audio sectors by
// their address, and a way to make the next read come from the disc rather than the drive's
// cache. Keeping it this small lets the reading be checked against in-memory discs that
// misbehave on purpose.
#pragma once

#include <cstdint>

namespace quillon::secureread {

constexpr std::uint32_t kSectorBytes = 2352;
constexpr std::uint32_t kSamplesPerSector = 588;  // 16-bit stereo frames
constexpr std::uint32_t kBytesPerSample = 4;
constexpr std::uint32_t kSectorsPerSecond = 75;

class SectorReader {
  public:
    virtual ~SectorReader() = default;

    // Reads count sectors from firstSector, 16-bit little-endian stereo, into buffer
    // (count * kSectorBytes bytes). False when the drive delivered nothing usable; the buffer's
    // contents are then unspecified. count never exceeds maxSectorsPerRead().
    virtual bool read(std::uint32_t firstSector, std::uint32_t count, std::uint8_t* buffer) = 0;

    // Called before a read that must not be answered from the drive's cache. Readers without a
    // cache (images, memory) need not do anything.
    virtual void defeatCache(std::uint32_t sector) { (void)sector; }

    virtual std::uint32_t maxSectorsPerRead() const { return 25; }
};

}  // namespace quillon::secureread
