#include "DriveList.h"

#include <algorithm>
#include <mutex>

#include "AKRip32.h"
#include "DriveDisc.h"
#include "ImageDisc.h"

namespace quillon::cdrom {

namespace {

std::mutex g_folderLock;
std::filesystem::path g_folder;

std::vector<std::filesystem::path> imageFiles(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    // Absolute, so that the drives stay where they were listed if the working folder changes.
    std::error_code error;
    std::filesystem::directory_iterator it(std::filesystem::absolute(folder, error), error);
    if (error) return files;
    for (const auto& entry : it) {
        std::error_code typeError;
        if (entry.is_regular_file(typeError) && isDiscImageName(entry.path()))
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) {
        return a.filename().string() < b.filename().string();
    });
    return files;
}

}  // namespace

void setDiscFolder(const std::filesystem::path& folder) {
    std::lock_guard guard(g_folderLock);
    g_folder = folder;
}

std::filesystem::path discFolder() {
    std::lock_guard guard(g_folderLock);
    return g_folder.empty() ? std::filesystem::path("discs") : g_folder;
}

std::vector<DriveEntry> enumerateDrives() {
    std::vector<DriveEntry> drives;
    for (auto& device : listDevices()) {
        if (drives.size() == kCdMaxDrives) return drives;
        DriveEntry entry;
        entry.location = std::move(device.device);
        entry.id = std::move(device.id);
        entry.hostAdapter = kDeviceAdapter;
        entry.target = static_cast<std::uint8_t>(drives.size());
        drives.push_back(std::move(entry));
    }
    std::uint8_t imageIndex = 0;
    for (const auto& file : imageFiles(discFolder())) {
        if (drives.size() == kCdMaxDrives) break;
        DriveEntry entry;
        entry.image = true;
        entry.location = file.string();
        entry.id = file.filename().string();
        entry.hostAdapter = kImageAdapter;
        entry.target = imageIndex++;
        drives.push_back(std::move(entry));
    }
    return drives;
}

std::unique_ptr<Disc> openDriveDisc(const DriveEntry& drive) {
    return drive.image ? openDiscImage(drive.location) : openDeviceDisc(drive.location);
}

}  // namespace quillon::cdrom
