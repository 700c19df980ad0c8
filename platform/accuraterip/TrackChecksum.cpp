#include "TrackChecksum.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace quillon::accuraterip {

namespace {

constexpr std::size_t kFrameBytes = 4;

// A stereo frame as the checksums read it: the left sample in the low half.
std::uint32_t frameAt(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
           (std::uint32_t{p[3]} << 24);
}

}  // namespace

TrackChecksum::TrackChecksum(TrackPlace place) : m_place(place) {
    m_crc = static_cast<std::uint32_t>(crc32_z(0, Z_NULL, 0));
    if (m_place.lastAudioTrack) m_tail.assign(kSkippedSamples, 0);
}

void TrackChecksum::add(const void* data, std::size_t bytes) {
    if (bytes == 0) return;
    const auto* in = static_cast<const std::uint8_t*>(data);
    m_crc = static_cast<std::uint32_t>(crc32_z(m_crc, in, bytes));

    if (m_partialBytes > 0) {
        const std::size_t take = std::min<std::size_t>(kFrameBytes - m_partialBytes, bytes);
        std::memcpy(m_partial.data() + m_partialBytes, in, take);
        m_partialBytes += static_cast<std::uint32_t>(take);
        in += take;
        bytes -= take;
        if (m_partialBytes < kFrameBytes) return;
        addSamples(m_partial.data(), 1);
        m_partialBytes = 0;
    }
    const std::size_t whole = bytes / kFrameBytes;
    addSamples(in, whole);
    m_partialBytes = static_cast<std::uint32_t>(bytes - whole * kFrameBytes);
    std::memcpy(m_partial.data(), in + whole * kFrameBytes, m_partialBytes);
}

void TrackChecksum::addSamples(const std::uint8_t* data, std::size_t count) {
    if (count == 0) return;
    std::size_t start = 0;
    if (m_place.firstAudioTrack && m_samples + 1 < kSkippedSamples)
        start = static_cast<std::size_t>(
            std::min<std::uint64_t>(count, kSkippedSamples - (m_samples + 1)));

    // The multiplier is the sample's 1-based position in the track, taken modulo 2^32 as
    // the database's checksums take it; no track comes near that length anyway.
    std::uint32_t low = m_low;
    std::uint32_t high = m_high;
    auto multiplier = static_cast<std::uint32_t>(m_samples + 1 + start);
    for (std::size_t i = start; i < count; ++i, ++multiplier) {
        const std::uint64_t product = std::uint64_t{frameAt(data + i * kFrameBytes)} * multiplier;
        low += static_cast<std::uint32_t>(product);
        high += static_cast<std::uint32_t>(product >> 32);
    }
    m_low = low;
    m_high = high;
    if (m_place.lastAudioTrack) keepTail(data, count);
    m_samples += count;
}

// Sample number n (counted from 1) lives in slot (n - 1) % kSkippedSamples, so the ring always
// holds the latest kSkippedSamples samples with their positions implied.
void TrackChecksum::keepTail(const std::uint8_t* data, std::size_t count) {
    const std::size_t first = count > kSkippedSamples ? count - kSkippedSamples : 0;
    for (std::size_t i = first; i < count; ++i)
        m_tail[(m_samples + i) % kSkippedSamples] = frameAt(data + i * kFrameBytes);
}

TrackChecksums TrackChecksum::result() const {
    std::uint32_t low = m_low;
    std::uint32_t high = m_high;
    if (m_place.lastAudioTrack) {
        // Take the last samples' share back out, as far as it was counted at all.
        const std::uint64_t kept = std::min<std::uint64_t>(m_samples, kSkippedSamples);
        for (std::uint64_t n = m_samples - kept + 1; n <= m_samples; ++n) {
            if (m_place.firstAudioTrack && n < kSkippedSamples) continue;
            const std::uint64_t product =
                std::uint64_t{m_tail[(n - 1) % kSkippedSamples]} * static_cast<std::uint32_t>(n);
            low -= static_cast<std::uint32_t>(product);
            high -= static_cast<std::uint32_t>(product >> 32);
        }
    }
    TrackChecksums sums;
    sums.crc32 = m_crc;
    sums.v1 = low;
    sums.v2 = low + high;
    sums.samples = m_samples;
    sums.strayBytes = m_partialBytes;
    return sums;
}

}  // namespace quillon::accuraterip
