#include "CdSectorReader.h"

#include <cstring>

#include "OpenDiscs.h"

namespace quillon::secureread {

namespace {

// About 4 MB, more than the caches of the drives that cache audio at all.
constexpr std::uint32_t kCacheFlushSectors = 1800;

}  // namespace

CdSectorReader::CdSectorReader(CdHandle handle, std::uint32_t leadOutSector)
    : m_handle(handle),
      m_leadOut(leadOutSector),
      m_cached(!quillon::cdrom::openDiscIsImage(handle).value_or(false)),
      m_request(sizeof(CdReadBuffer) + std::size_t{kCdMaxReadFrames} * kCdFrameBytes) {}

bool CdSectorReader::read(std::uint32_t firstSector, std::uint32_t count, std::uint8_t* buffer) {
    if (count == 0 || count > kCdMaxReadFrames) return false;
    auto* head = reinterpret_cast<CdReadBuffer*>(m_request.data());
    *head = CdReadBuffer{};
    head->startFrame = firstSector;
    head->frameCount = count;
    head->capacity = static_cast<std::uint32_t>(m_request.size() - sizeof(CdReadBuffer));
    const std::size_t bytes = std::size_t{count} * kSectorBytes;
    if (ReadCDAudioLBA(m_handle, head) != 1 || head->status != kCdReadDone ||
        head->frameCount != count || head->byteCount != bytes ||
        std::size_t{head->dataOffset} + bytes > head->capacity)
        return false;
    std::memcpy(buffer, CdReadBufferData(head) + head->dataOffset, bytes);
    return true;
}

void CdSectorReader::defeatCache(std::uint32_t sector) {
    // A disc image reads from the file each time; reading megabytes elsewhere would only
    // multiply the rip's time.
    if (!m_cached) return;
    if (m_leadOut < 2 * kCacheFlushSectors) return;  // too short a disc to read far away from
    // Start in the half of the disc `sector` is not in.
    std::uint32_t start = sector < m_leadOut / 2 ? m_leadOut - kCacheFlushSectors : 0;
    std::vector<std::uint8_t> scratch(std::size_t{kCdMaxReadFrames} * kSectorBytes);
    for (std::uint32_t done = 0; done < kCacheFlushSectors; done += kCdMaxReadFrames)
        read(start + done, kCdMaxReadFrames, scratch.data());
}

}  // namespace quillon::secureread
