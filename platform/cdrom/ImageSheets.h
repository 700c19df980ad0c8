// The little this layer reads from a disc image's sheet itself, beyond what libcdio makes of it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillon::cdrom {

// Whether a CUE sheet declares its audio file big-endian ("MOTOROLA" instead of "BINARY").
// libcdio reads the file's bytes as they are either way.
bool cueDeclaresBigEndian(std::string_view sheet);

// libcdio resolves the file names of a TOC sheet against the working directory. The sheet
// comes back with relative file names made absolute under folder, or nothing when a name
// cannot be written safely.
std::optional<std::string> prepareTocSheet(std::string_view sheet, std::string_view folder);

}  // namespace quillon::cdrom
