#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "TrackChecksum.h"

using namespace quillon::accuraterip;

namespace {

constexpr std::uint32_t kSkipped = TrackChecksum::kSkippedSamples;  // 2940
constexpr TrackPlace kMiddle{false, false};
constexpr TrackPlace kFirst{true, false};
constexpr TrackPlace kLast{false, true};
constexpr TrackPlace kOnly{true, true};

// count stereo frames, each the 32-bit value `value` in little-endian order.
std::vector<std::uint8_t> frames(std::size_t count, std::uint32_t value) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < count; ++i)
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<std::uint8_t>(value >> shift));
    return bytes;
}

// Silence with a single frame of value 1 at 1-based position `position`.
std::vector<std::uint8_t> lone(std::size_t count, std::size_t position) {
    auto bytes = frames(count, 0);
    bytes[(position - 1) * 4] = 1;
    return bytes;
}

TrackChecksums sumsOf(const std::vector<std::uint8_t>& bytes, TrackPlace place) {
    TrackChecksum sum(place);
    sum.add(bytes.data(), bytes.size());
    return sum.result();
}

// The sum of the whole numbers from..to, as the checksums take it: modulo 2^32.
std::uint32_t series(std::uint64_t from, std::uint64_t to) {
    return static_cast<std::uint32_t>((from + to) * (to - from + 1) / 2);
}

// Worked by hand: a frame of value 1 weighs its position, so a track of such frames sums the
// positions it counts; a frame of 0xFFFFFFFF at position m gives the product m * 2^32 - m,
// whose halves are m - 1 and 2^32 - m, so v1 is minus the positions' sum and v2 minus their
// number.
TEST(TrackChecksum, ShortTracksInEachPlaceOfTheDisc) {
    const std::size_t n = 10 * TrackChecksum::kSamplesPerFrame;  // 5880 samples
    const auto ones = frames(n, 1);
    const auto full = frames(n, 0xFFFFFFFF);

    EXPECT_EQ(sumsOf(ones, kMiddle).v1, series(1, n));  // 17290140
    EXPECT_EQ(sumsOf(ones, kMiddle).v2, series(1, n));
    EXPECT_EQ(sumsOf(ones, kFirst).v1, series(kSkipped, n));     // 12969810
    EXPECT_EQ(sumsOf(ones, kLast).v1, series(1, n - kSkipped));  // 4323270
    EXPECT_EQ(sumsOf(ones, kOnly).v1, 2940u);                    // only position 2940 counts

    EXPECT_EQ(sumsOf(full, kMiddle).v1, 0u - series(1, n));
    EXPECT_EQ(sumsOf(full, kMiddle).v2, 0u - 5880u);
    EXPECT_EQ(sumsOf(full, kFirst).v1, 0u - series(kSkipped, n));
    EXPECT_EQ(sumsOf(full, kFirst).v2, 0u - 2941u);
    EXPECT_EQ(sumsOf(full, kLast).v1, 0u - series(1, 2940));
    EXPECT_EQ(sumsOf(full, kLast).v2, 0u - 2940u);
    EXPECT_EQ(sumsOf(full, kOnly).v1, 0u - 2940u);
    EXPECT_EQ(sumsOf(full, kOnly).v2, 0u - 1u);

    for (TrackPlace place : {kMiddle, kFirst, kLast, kOnly}) {
        EXPECT_EQ(sumsOf(ones, place).samples, n);
        EXPECT_EQ(sumsOf(ones, place).crc32, sumsOf(ones, kMiddle).crc32);
    }
}

TEST(TrackChecksum, TheExcludedStretchesEndExactlyAtTheirBounds) {
    const std::size_t n = 10 * TrackChecksum::kSamplesPerFrame;
    EXPECT_EQ(sumsOf(lone(n, 2939), kFirst).v1, 0u);
    EXPECT_EQ(sumsOf(lone(n, 2940), kFirst).v1, 2940u);
    EXPECT_EQ(sumsOf(lone(n, 1), kMiddle).v1, 1u);
    EXPECT_EQ(sumsOf(lone(n, n - 2940), kLast).v1, 2940u);
    EXPECT_EQ(sumsOf(lone(n, n - 2939), kLast).v1, 0u);
    EXPECT_EQ(sumsOf(lone(n, n), kMiddle).v1, 5880u);
    // Tracks shorter than the stretches the disc's ends leave out.
    EXPECT_EQ(sumsOf(frames(2000, 1), kLast).v1, 0u);
    EXPECT_EQ(sumsOf(frames(2000, 1), kFirst).v1, 0u);
    EXPECT_EQ(sumsOf(frames(5000, 1), kOnly).v1, 0u);
    EXPECT_EQ(sumsOf(frames(0, 1), kOnly).v1, 0u);
}

TEST(TrackChecksum, CrcIsTheStandardOneOfTheBytesAsWritten) {
    // The CRC-32 check value; 9 bytes are two frames and a stray byte.
    const std::string text = "123456789";
    TrackChecksum sum;
    sum.add(text.data(), text.size());
    const auto sums = sum.result();
    EXPECT_EQ(sums.crc32, 0xCBF43926u);
    EXPECT_EQ(sums.samples, 2u);
    EXPECT_EQ(sums.strayBytes, 1u);
    // "1234" * 1 + "5678" * 2: products below 2^32, so v1 and v2 agree.
    EXPECT_EQ(sums.v1, 0xA4A19E9Bu);
    EXPECT_EQ(sums.v2, 0xA4A19E9Bu);
    EXPECT_EQ(TrackChecksum().result().crc32, 0u);
}

// The definition, sample by sample over the whole track at once.
TrackChecksums direct(const std::vector<std::uint8_t>& bytes, TrackPlace place) {
    const std::uint64_t n = bytes.size() / 4;
    std::uint32_t v1 = 0, v2 = 0;
    for (std::uint64_t m = 1; m <= n; ++m) {
        if (place.firstAudioTrack && m < kSkipped) continue;
        if (place.lastAudioTrack && m + kSkipped > n) continue;
        const std::uint8_t* p = &bytes[(m - 1) * 4];
        const std::uint64_t s = p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint64_t{p[3]} << 24);
        v1 += static_cast<std::uint32_t>(s * m);
        v2 += static_cast<std::uint32_t>(s * m) + static_cast<std::uint32_t>((s * m) >> 32);
    }
    TrackChecksums sums;
    sums.v1 = v1;
    sums.v2 = v2;
    return sums;
}

TEST(TrackChecksum, BlocksOfAnySizeGiveTheSameSums) {
    std::vector<std::uint8_t> bytes(4 * 9000 + 2);
    std::uint32_t state = 12345;
    for (auto& byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<std::uint8_t>(state >> 24);
    }
    const std::vector<std::size_t> sizes = {1, 3, 2, 5, 7, 4, 4093, 1, 2352, 6, 11761};
    for (TrackPlace place : {kMiddle, kFirst, kLast, kOnly}) {
        const auto whole = sumsOf(bytes, place);
        const auto expected = direct(bytes, place);
        EXPECT_EQ(whole.v1, expected.v1);
        EXPECT_EQ(whole.v2, expected.v2);

        TrackChecksum pieces(place);
        std::size_t at = 0;
        for (std::size_t i = 0; at < bytes.size(); ++i) {
            const std::size_t size = std::min(sizes[i % sizes.size()], bytes.size() - at);
            pieces.add(bytes.data() + at, size);
            at += size;
            if (i == 5) pieces.result();  // a look half-way changes nothing
        }
        const auto sums = pieces.result();
        EXPECT_EQ(sums.crc32, whole.crc32);
        EXPECT_EQ(sums.v1, whole.v1);
        EXPECT_EQ(sums.v2, whole.v2);
        EXPECT_EQ(sums.samples, 9000u);
        EXPECT_EQ(sums.strayBytes, 2u);
    }
}

}  // namespace
