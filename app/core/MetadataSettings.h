// Settings of section "Metadata" that the rip job reads for the album's cover file.
#pragma once

#include <cstddef>

#include "CoverFile.h"
#include "IniFile.h"

// Key "maxcover": the largest cover saved beside the ripped files, in bytes, or with a unit
// "K"/"KB" or "M"/"MB" (1024 and 1024 × 1024 bytes), as "2 MB". 0 saves no cover file. A
// missing or unreadable value gives the default of 2 MB.
std::size_t readMaxCoverBytes(const TIniFile& settings);
