// An in-memory disc that misreads on purpose, for checking the careful reading: some reads come
// back as a block shifted by a number of samples (jitter), some sectors read wrong once and
// right afterwards, some never read the same twice, and some cannot be read at all.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "SectorReader.h"

class FaultyDisc : public quillon::secureread::SectorReader {
  public:
    // audio: the disc from sector 0, 16-bit little-endian stereo, whole sectors.
    explicit FaultyDisc(std::vector<std::uint8_t> audio);

    // Sectors of noise that never repeats itself, so no shifted block equals a true one.
    static std::vector<std::uint8_t> noise(std::uint32_t sectors, unsigned seed = 1);

    // The first `times` reads that include `sector` deliver the disc shifted by shiftSamples
    // (sample i of the read is the disc's sample first * 588 + i + shiftSamples; silence off
    // the disc).
    void addJitter(std::uint32_t sector, std::int32_t shiftSamples, int times = 1);
    // The first `times` reads of `sector` deliver noise in it; later ones the disc.
    void addWrongOnce(std::uint32_t sector, int times = 1);
    // Every read of `sector` delivers different noise in it.
    void addUnstable(std::uint32_t sector);
    // Every read that includes `sector` fails.
    void addUnreadable(std::uint32_t sector);

    bool read(std::uint32_t firstSector, std::uint32_t count, std::uint8_t* buffer) override;
    std::uint32_t maxSectorsPerRead() const override { return m_maxPerRead; }
    void setMaxSectorsPerRead(std::uint32_t sectors) { m_maxPerRead = sectors; }

    const std::vector<std::uint8_t>& audio() const { return m_audio; }
    std::uint32_t sectorCount() const;
    // How often `sector` was delivered or asked for in a failed read.
    int readsOf(std::uint32_t sector) const;

  private:
    void fillNoise(std::uint8_t* sector);

    std::vector<std::uint8_t> m_audio;
    std::uint32_t m_maxPerRead = 25;
    struct Jitter {
        std::int32_t shift;
        int times;
    };
    std::map<std::uint32_t, Jitter> m_jitter;
    std::map<std::uint32_t, int> m_wrong;
    std::map<std::uint32_t, bool> m_unstable;
    std::map<std::uint32_t, bool> m_unreadable;
    std::vector<int> m_reads;
    std::uint64_t m_noiseState = 0x9e3779b97f4a7c15ull;
};
