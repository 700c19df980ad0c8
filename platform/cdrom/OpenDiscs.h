// What the CDDB calls and the careful reading need from the drive handles.
#pragma once

#include <optional>

#include "AKRip32.h"
#include "Disc.h"

namespace quillon::cdrom {

// The layout of the disc behind an open handle, or nothing for an unknown handle.
std::optional<DiscLayout> openDiscLayout(CdHandle handle);

// Whether the handle reads a disc image rather than a drive, or nothing for an unknown handle.
// An image has no cache that careful reading would have to push out.
std::optional<bool> openDiscIsImage(CdHandle handle);

}  // namespace quillon::cdrom
