// The skin file compression on arbitrary bytes: decoding them must give exactly the stated
// length or a refusal, and our encoder must give back any input through the decoder.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

#include "LZH.h"

namespace {

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz_lzh: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const std::uint8_t> input(data, size);
    try {
        const auto decoded = TLZH::Decompress(input);
        const std::uint32_t length = std::uint32_t(data[0]) | std::uint32_t(data[1]) << 8 |
                                     std::uint32_t(data[2]) << 16 | std::uint32_t(data[3]) << 24;
        check(decoded.size() == length, "decoded length differs from the stated one");
    } catch (const ElzhException&) {
    }
    const auto packed = TLZH::Compress(input);
    const auto unpacked = TLZH::Decompress(packed);
    check(unpacked.size() == size && std::equal(unpacked.begin(), unpacked.end(), data),
          "round trip changed the data");
    return 0;
}
