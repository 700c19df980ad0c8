// The checksums of one ripped track, fed block by block as the audio is written: the CRC32 of
// the bytes, and the AccurateRip v1 and v2 checksums that other people's rips of the same
// pressing are compared with. Blocks may be of any size; a stereo frame split between two
// blocks is carried over.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace quillon::accuraterip {

// Where the track sits among the disc's audio tracks. The drive offsets that rippers differ by
// make the disc's first and last five frames unreliable, so the AccurateRip checksums leave
// out the first track's first 5 * 588 - 1 samples and the last track's last 5 * 588.
struct TrackPlace {
    bool firstAudioTrack = false;
    bool lastAudioTrack = false;
};

struct TrackChecksums {
    std::uint32_t crc32 = 0;  // of every byte fed, as written
    std::uint32_t v1 = 0;
    std::uint32_t v2 = 0;
    std::uint64_t samples = 0;     // whole stereo frames fed
    std::uint32_t strayBytes = 0;  // bytes after the last whole frame (0 for a proper track)
};

class TrackChecksum {
  public:
    static constexpr std::uint32_t kSamplesPerFrame = 588;
    static constexpr std::uint32_t kSkippedFrames = 5;
    static constexpr std::uint32_t kSkippedSamples = kSamplesPerFrame * kSkippedFrames;

    explicit TrackChecksum(TrackPlace place = {});

    // 16-bit little-endian stereo PCM, exactly as the track's bytes follow each other.
    void add(const void* data, std::size_t bytes);

    // The checksums of what was fed so far; feeding may go on afterwards.
    TrackChecksums result() const;

  private:
    void addSamples(const std::uint8_t* data, std::size_t count);
    void keepTail(const std::uint8_t* data, std::size_t count);

    TrackPlace m_place;
    std::uint32_t m_crc = 0;
    std::uint64_t m_samples = 0;  // the multiplier of the next sample is m_samples + 1
    // The sums over every counted sample so far; the last track's tail comes off at the end,
    // when it is known which samples were the last.
    std::uint32_t m_low = 0;
    std::uint32_t m_high = 0;
    std::array<std::uint8_t, 4> m_partial{};
    std::uint32_t m_partialBytes = 0;
    std::vector<std::uint32_t> m_tail;  // last track: a ring of the latest samples
};

}  // namespace quillon::accuraterip
