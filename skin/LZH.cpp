#include "LZH.h"

// Placeholder: the codec is being written.
std::vector<std::uint8_t> TLZH::Decompress(std::span<const std::uint8_t>) {
    throw ElzhException("not yet");
}
std::vector<std::uint8_t> TLZH::Compress(std::span<const std::uint8_t>) {
    throw ElzhException("not yet");
}
