// What the CDDB calls, the careful reading and the name lookups need from the drive handles.
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

// The CD-Text of the disc behind an open handle; nothing for an unknown handle or a disc
// without CD-Text.
std::optional<DiscText> openDiscText(CdHandle handle);

}  // namespace quillon::cdrom
