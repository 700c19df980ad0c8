// The machine's CD drives, through libcdio's device drivers.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Disc.h"

namespace quillon::cdrom {

struct DeviceInfo {
    std::string device;  // e.g. /dev/sr0
    std::string id;      // vendor, model and revision, or the device name
};

// The CD drives libcdio finds, each once.
std::vector<DeviceInfo> listDevices();

// The disc in the drive, or nothing when the drive cannot be opened or holds no readable disc.
std::unique_ptr<Disc> openDeviceDisc(const std::string& device);

}  // namespace quillon::cdrom
