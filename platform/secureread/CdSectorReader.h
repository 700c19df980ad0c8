// The careful reading's view of an opened CD drive or disc image: sectors through the CD
// layer's raw audio reads, and the drive's cache pushed out by reading far away first.
#pragma once

#include <cstdint>
#include <vector>

#include "AKRip32.h"
#include "SectorReader.h"

namespace quillon::secureread {

class CdSectorReader : public SectorReader {
  public:
    // leadOutSector: the first sector past the disc's audio, as the table of contents says.
    CdSectorReader(CdHandle handle, std::uint32_t leadOutSector);

    bool read(std::uint32_t firstSector, std::uint32_t count, std::uint8_t* buffer) override;

    // Drives keep a few megabytes of what they read last; reading that much from the other
    // half of the disc leaves nothing of `sector`'s neighbourhood in the cache. Disc images
    // have no such cache, and nothing is read for them.
    void defeatCache(std::uint32_t sector) override;

    std::uint32_t maxSectorsPerRead() const override { return kCdMaxReadFrames; }

  private:
    CdHandle m_handle;
    std::uint32_t m_leadOut;
    bool m_cached;                        // a drive, whose cache may answer instead of the disc
    std::vector<std::uint8_t> m_request;  // CdReadBuffer head and data area
};

}  // namespace quillon::secureread
