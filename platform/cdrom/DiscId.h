// The CDDB disc ID and query of a table of contents.
#pragma once

#include <cstdint>
#include <string>

#include "AKRip32.h"
#include "Disc.h"

namespace quillon::cdrom {

std::uint32_t cddbDiscId(const DiscLayout& layout);
// Eight lowercase hexadecimal digits, as CDDB servers expect.
std::string discIdText(std::uint32_t discId);
// "discid tracks offset... seconds": offsets are frame addresses plus the 150-frame lead-in.
std::string cddbQueryArguments(const DiscLayout& layout);

// The layout a table of contents read with frame-number addresses describes; the lead-out is
// the entry after the last track. Tracks beyond the record's room are ignored.
DiscLayout layoutFromToc(const CdToc& toc);

}  // namespace quillon::cdrom
