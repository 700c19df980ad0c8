// The names a disc carries itself as CD-Text: from a drive's lead-in, or from an image's sheet
// (a CUE sheet's TITLE, PERFORMER and SONGWRITER lines, a TOC sheet's CD_TEXT blocks, an NRG
// image's CD-Text packs), as libcdio reads them.
//
// The texts are outside data: discs often carry ISO-8859-1 and sheets whatever their writer
// used, so every text comes out as UTF-8 without control characters and of bounded length.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Disc.h"

// libcdio's handle and CD-Text record, declared as its headers do.
typedef struct _CdIo CdIo_t;
typedef struct cdtext_s cdtext_t;

namespace quillon::cdrom {

// Longer than any name a disc holds: a whole CD-Text block is a few thousand bytes.
constexpr std::size_t kMaxCdTextBytes = 512;

// The text as UTF-8: kept when it already is, otherwise read as ISO-8859-1; UTF-8 that was
// read as ISO-8859-1 on the way (each byte one character) is undone; control
// characters become blanks, blanks at either end go, and it is cut to kMaxCdTextBytes
// without splitting a character.
std::string cleanCdText(std::string_view text);

// The disc's CD-Text for the tracks of layout, in the disc's first language; nothing when the
// disc or image carries none.
std::optional<DiscText> discTextOf(const cdtext_t* text, const DiscLayout& layout);
std::optional<DiscText> readDiscText(CdIo_t* cdio, const DiscLayout& layout);

}  // namespace quillon::cdrom
