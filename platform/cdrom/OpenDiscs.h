// What the CDDB calls need from the drive handles.
#pragma once

#include <optional>

#include "AKRip32.h"
#include "Disc.h"

namespace quillon::cdrom {

// The layout of the disc behind an open handle, or nothing for an unknown handle.
std::optional<DiscLayout> openDiscLayout(CdHandle handle);

}  // namespace quillon::cdrom
