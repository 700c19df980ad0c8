#include "FaultyDisc.h"

#include <cstring>

using namespace quillon::secureread;

namespace {

std::uint64_t nextRandom(std::uint64_t& state) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
}

}  // namespace

FaultyDisc::FaultyDisc(std::vector<std::uint8_t> audio)
    : m_audio(std::move(audio)), m_reads(sectorCount(), 0) {}

std::vector<std::uint8_t> FaultyDisc::noise(std::uint32_t sectors, unsigned seed) {
    std::vector<std::uint8_t> audio(std::size_t{sectors} * kSectorBytes);
    std::uint64_t state = 0x2545f4914f6cdd1dull * (seed + 1);
    for (std::size_t i = 0; i < audio.size(); i += 8) {
        const std::uint64_t value = nextRandom(state);
        std::memcpy(audio.data() + i, &value, 8);  // kSectorBytes is a multiple of 8
    }
    return audio;
}

std::uint32_t FaultyDisc::sectorCount() const {
    return static_cast<std::uint32_t>(m_audio.size() / kSectorBytes);
}

int FaultyDisc::readsOf(std::uint32_t sector) const {
    return sector < m_reads.size() ? m_reads[sector] : 0;
}

void FaultyDisc::addJitter(std::uint32_t sector, std::int32_t shiftSamples, int times) {
    m_jitter[sector] = {shiftSamples, times};
}

void FaultyDisc::addWrongOnce(std::uint32_t sector, int times) {
    m_wrong[sector] = times;
}

void FaultyDisc::addUnstable(std::uint32_t sector) {
    m_unstable[sector] = true;
}

void FaultyDisc::addUnreadable(std::uint32_t sector) {
    m_unreadable[sector] = true;
}

void FaultyDisc::fillNoise(std::uint8_t* sector) {
    for (std::uint32_t i = 0; i < kSectorBytes; i += 8) {
        const std::uint64_t value = nextRandom(m_noiseState);
        std::memcpy(sector + i, &value, 8);
    }
}

bool FaultyDisc::read(std::uint32_t firstSector, std::uint32_t count, std::uint8_t* buffer) {
    if (count == 0 || count > m_maxPerRead || firstSector > sectorCount() ||
        count > sectorCount() - firstSector)
        return false;
    for (std::uint32_t k = firstSector; k < firstSector + count; ++k)
        ++m_reads[k];
    for (std::uint32_t k = firstSector; k < firstSector + count; ++k)
        if (m_unreadable.count(k)) return false;

    std::int64_t shift = 0;
    for (auto& [sector, jitter] : m_jitter) {
        if (sector >= firstSector && sector < firstSector + count && jitter.times > 0) {
            --jitter.times;
            shift = jitter.shift;
            break;
        }
    }
    const std::int64_t discSamples = static_cast<std::int64_t>(m_audio.size() / kBytesPerSample);
    const std::int64_t start = std::int64_t{firstSector} * kSamplesPerSector + shift;
    for (std::int64_t i = 0; i < std::int64_t{count} * kSamplesPerSector; ++i) {
        std::uint8_t* target = buffer + i * kBytesPerSample;
        const std::int64_t source = start + i;
        if (source < 0 || source >= discSamples)
            std::memset(target, 0, kBytesPerSample);
        else
            std::memcpy(target, m_audio.data() + source * kBytesPerSample, kBytesPerSample);
    }

    for (std::uint32_t k = firstSector; k < firstSector + count; ++k) {
        std::uint8_t* sector = buffer + std::size_t{k - firstSector} * kSectorBytes;
        auto wrong = m_wrong.find(k);
        if (wrong != m_wrong.end() && wrong->second > 0) {
            --wrong->second;
            fillNoise(sector);
        }
        if (m_unstable.count(k)) fillNoise(sector);
    }
    return true;
}
