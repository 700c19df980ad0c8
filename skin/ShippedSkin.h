// The skin built into the program: the stored SkinStream value of the main window's skin
// component, a 32-bit little-endian count followed by that many bytes of skin file. The count
// is 0 when the program was built without skin artwork.
#pragma once

#include <cstdint>
#include <span>

std::span<const std::uint8_t> ShippedSkinStream();

// The skin file inside the stored value; empty when the program was built without a skin or
// the count does not fit the bytes.
inline std::span<const std::uint8_t> ShippedSkinFile() {
    const auto stored = ShippedSkinStream();
    if (stored.size() < 4) return {};
    const std::size_t count = std::size_t(stored[0]) | std::size_t(stored[1]) << 8 |
                              std::size_t(stored[2]) << 16 | std::size_t(stored[3]) << 24;
    if (count == 0 || count > stored.size() - 4) return {};
    return stored.subspan(4, count);
}
