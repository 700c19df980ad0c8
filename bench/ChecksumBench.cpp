// quillon-checksum-bench: what verifying a rip costs. Times the per-track checksums (CRC32 and
// AccurateRip v1/v2) over synthesized CD audio fed in the blocks a rip writes, and MP3 encoding
// of the same audio at LAME's fastest usable quality, and prints the cost per megabyte of
// each and their ratio. It measures; a missed target is reported, not failed.
#include <lame/lame.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "TrackChecksum.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kBlockBytes = 2352 * 27;  // what a rip reads and writes at a time
constexpr double kTargetShare = 0.02;

// Where the results go, so that the compiler cannot leave the work out.
volatile std::uint32_t g_sink = 0;

double seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Music-like 16-bit stereo: two slow sines and a little noise, so that neither the checksums
// nor the encoder meet a degenerate input.
std::vector<std::uint8_t> synthesize(std::size_t bytes) {
    std::vector<std::uint8_t> pcm(bytes / 4 * 4);
    std::uint32_t noise = 1;
    for (std::size_t i = 0; i < pcm.size() / 4; ++i) {
        noise = noise * 1664525u + 1013904223u;
        const int wobble = static_cast<int>(noise >> 24) - 128;
        const auto left = static_cast<std::int16_t>(((i * 37) % 20000) - 10000 + wobble);
        const auto right = static_cast<std::int16_t>(((i * 53) % 16000) - 8000 - wobble);
        std::memcpy(&pcm[i * 4], &left, 2);
        std::memcpy(&pcm[i * 4 + 2], &right, 2);
    }
    return pcm;
}

double checksumSeconds(const std::vector<std::uint8_t>& pcm,
                       quillon::accuraterip::TrackPlace place) {
    const auto start = Clock::now();
    quillon::accuraterip::TrackChecksum sum(place);
    for (std::size_t at = 0; at < pcm.size(); at += kBlockBytes)
        sum.add(pcm.data() + at, std::min(kBlockBytes, pcm.size() - at));
    const auto sums = sum.result();
    g_sink = g_sink ^ sums.crc32 ^ sums.v1 ^ sums.v2;
    return seconds(start);
}

double encodeSeconds(const std::vector<std::uint8_t>& pcm) {
    lame_global_flags* lame = lame_init();
    lame_set_in_samplerate(lame, 44100);
    lame_set_num_channels(lame, 2);
    lame_set_brate(lame, 128);
    lame_set_quality(lame, 7);
    if (lame_init_params(lame) < 0) {
        lame_close(lame);
        return -1;
    }
    const int frames = static_cast<int>(kBlockBytes / 4);
    std::vector<unsigned char> mp3(static_cast<std::size_t>(frames) * 5 / 4 + 7200);
    std::vector<short> samples(kBlockBytes / 2);
    const auto start = Clock::now();
    for (std::size_t at = 0; at < pcm.size(); at += kBlockBytes) {
        const std::size_t bytes = std::min(kBlockBytes, pcm.size() - at);
        std::memcpy(samples.data(), pcm.data() + at, bytes);
        lame_encode_buffer_interleaved(lame, samples.data(), static_cast<int>(bytes / 4),
                                       mp3.data(), static_cast<int>(mp3.size()));
    }
    lame_encode_flush(lame, mp3.data(), static_cast<int>(mp3.size()));
    const double taken = seconds(start);
    lame_close(lame);
    return taken;
}

}  // namespace

int main(int argc, char** argv) {
    double megabytes = 100;
    if (argc == 3 && std::strcmp(argv[1], "--megabytes") == 0) {
        megabytes = std::atof(argv[2]);
    } else if (argc != 1) {
        std::fprintf(stderr, "Usage: quillon-checksum-bench [--megabytes N]  (default 100)\n");
        return 2;
    }
    if (!(megabytes >= 1 && megabytes <= 4096)) {
        std::fprintf(stderr, "quillon-checksum-bench: --megabytes takes 1 to 4096\n");
        return 2;
    }
    const auto pcm = synthesize(static_cast<std::size_t>(megabytes * 1024 * 1024));
    const double mb = static_cast<double>(pcm.size()) / (1024 * 1024);

    double best = 1e9;
    for (int run = 0; run < 3; ++run)  // a middle track and the disc's first and last
        best = std::min(best, checksumSeconds(pcm, {run == 1, run == 2}));
    // Encoding is slow enough that a tenth of the audio tells its rate.
    const std::vector<std::uint8_t> part(pcm.begin(),
                                         pcm.begin() + static_cast<long>(pcm.size() / 10 / 4 * 4));
    const double encode = encodeSeconds(part);
    if (encode <= 0) {
        std::fprintf(stderr, "quillon-checksum-bench: the MP3 encoder did not start\n");
        return 1;
    }
    const double partMb = static_cast<double>(part.size()) / (1024 * 1024);

    const double checksumMsPerMb = best * 1000 / mb;
    const double encodeMsPerMb = encode * 1000 / partMb;
    const double share = checksumMsPerMb / encodeMsPerMb;
    std::printf("checksums (CRC32, AccurateRip v1+v2): %.3f ms per MB (%.0f MB/s) over %.0f MB\n",
                checksumMsPerMb, 1000 / checksumMsPerMb, mb);
    std::printf("MP3 encoding (128 kbit/s, quality 7): %.1f ms per MB (%.1f MB/s)\n", encodeMsPerMb,
                1000 / encodeMsPerMb);
    std::printf("checksums / MP3 rip: %.2f %% (target under %.0f %%) %s\n", share * 100,
                kTargetShare * 100, share < kTargetShare ? "met" : "MISSED");
    return 0;
}
