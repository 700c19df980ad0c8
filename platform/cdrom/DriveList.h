// The drives the CD access layer offers: the machine's drives, then one per disc image in the
// disc folder, in name order, at most eight in all. A drive is known by its location (device
// node or image file); its address stays the same while it stays listed, whatever comes and
// goes beside it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "Disc.h"

namespace quillon::cdrom {

struct DriveEntry {
    bool image = false;
    std::string location;  // device node or image file
    std::string id;        // identification text shown to the user
    std::uint8_t hostAdapter = 0;
    std::uint8_t target = 0;
    std::uint8_t lun = 0;
};

inline constexpr std::uint8_t kDeviceAdapter = 0;  // the machine's drives
inline constexpr std::uint8_t kImageAdapter = 1;   // disc images
// Targets count from 0 within each adapter; a drive first seen takes the lowest free one.

std::vector<DriveEntry> enumerateDrives();
std::unique_ptr<Disc> openDriveDisc(const DriveEntry& drive);

// The folder whose images become drives; empty (the default) means the user's disc folder
// (UserPaths.h) as it is at the time of each enumeration.
void setDiscFolder(const std::filesystem::path& folder);
std::filesystem::path discFolder();

}  // namespace quillon::cdrom
