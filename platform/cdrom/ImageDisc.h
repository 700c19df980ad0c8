// Disc images (CUE/BIN, cdrdao TOC, Nero NRG) read through libcdio's image drivers.
#pragma once

#include <filesystem>
#include <memory>

#include "Disc.h"

namespace quillon::cdrom {

// Whether the file's extension names an image kind this layer opens (.cue, .toc, .nrg, any case).
bool isDiscImageName(const std::filesystem::path& path);

// The image as a disc, or nothing when it cannot be opened or has no valid layout.
std::unique_ptr<Disc> openDiscImage(const std::filesystem::path& path);

}  // namespace quillon::cdrom
