// The skin built into the program: the stored SkinStream value of the main window's skin
// component, a 32-bit little-endian count followed by that many bytes of skin file. The count
// is 0 when the program was built without skin artwork.
#pragma once

#include <cstdint>
#include <span>

std::span<const std::uint8_t> ShippedSkinStream();
