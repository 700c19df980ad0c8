#include "DriveList.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <set>

#include "AKRip32.h"
#include "DriveDisc.h"
#include "ImageDisc.h"
#include "UserPaths.h"

namespace quillon::cdrom {

namespace {

std::mutex g_folderLock;
std::filesystem::path g_folder;

// The address each drive got when it was first listed, by location. A drive keeps its address
// for as long as every listing shows it, so that an image added or removed meanwhile does not
// move the others; an address is given again only once its drive has gone.
std::mutex g_addressLock;
std::map<std::string, std::uint8_t> g_targets[2];  // per adapter

void assignTargets(std::uint8_t adapter, std::vector<DriveEntry>& drives) {
    std::lock_guard guard(g_addressLock);
    std::map<std::string, std::uint8_t>& known = g_targets[adapter];
    std::map<std::string, std::uint8_t> kept;
    std::set<std::uint8_t> taken;
    for (const auto& drive : drives) {
        if (const auto it = known.find(drive.location); it != known.end()) {
            kept.insert(*it);
            taken.insert(it->second);
        }
    }
    std::uint8_t next = 0;
    for (auto& drive : drives) {
        if (const auto it = kept.find(drive.location); it != kept.end()) {
            drive.target = it->second;
            continue;
        }
        while (taken.count(next) != 0)
            ++next;
        drive.target = next;
        taken.insert(next);
        kept.emplace(drive.location, next);
    }
    known = std::move(kept);
}

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
    return g_folder.empty() ? quillon::paths::discFolder() : g_folder;
}

std::vector<DriveEntry> enumerateDrives() {
    std::vector<DriveEntry> devices;
    for (auto& device : listDevices()) {
        if (devices.size() == kCdMaxDrives) break;
        DriveEntry entry;
        entry.location = std::move(device.device);
        entry.id = std::move(device.id);
        entry.hostAdapter = kDeviceAdapter;
        devices.push_back(std::move(entry));
    }
    std::vector<DriveEntry> images;
    // Every image of the folder keeps its address, listed or not, so at most 256 of them.
    for (const auto& file : imageFiles(discFolder())) {
        if (images.size() == 256) break;
        DriveEntry entry;
        entry.image = true;
        entry.location = file.string();
        entry.id = file.filename().string();
        entry.hostAdapter = kImageAdapter;
        images.push_back(std::move(entry));
    }
    assignTargets(kDeviceAdapter, devices);
    assignTargets(kImageAdapter, images);
    std::vector<DriveEntry> drives = std::move(devices);
    for (auto& image : images) {
        if (drives.size() == kCdMaxDrives) break;
        drives.push_back(std::move(image));
    }
    return drives;
}

std::unique_ptr<Disc> openDriveDisc(const DriveEntry& drive) {
    return drive.image ? openDiscImage(drive.location) : openDeviceDisc(drive.location);
}

}  // namespace quillon::cdrom
