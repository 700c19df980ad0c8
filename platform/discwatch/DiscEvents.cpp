#include "DiscEvents.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace quillon::discwatch {

namespace {

bool sameDevice(const std::string& drive, const std::string& devnode) {
    if (drive == devnode) return true;
    // A drive listed by one of its links (/dev/cdrom) is the node the event names.
    std::error_code error;
    return std::filesystem::equivalent(drive, devnode, error) && !error;
}

bool flagged(const DeviceEvent& event, const char* name) {
    const auto found = event.properties.find(name);
    return found != event.properties.end() && found->second == "1";
}

std::function<std::unique_ptr<DeviceEventSource>()>& installedOpener() {
    static std::function<std::unique_ptr<DeviceEventSource>()> opener;
    return opener;
}

}  // namespace

bool isDiscChange(const DeviceEvent& event, const std::vector<std::string>& drives) {
    if (event.action != "change" || event.devnode.empty()) return false;
    if (flagged(event, "DISK_EJECT_REQUEST")) return false;
    // The kernel flags the change of medium itself; udev's CD rules add the medium's state
    // to every change event of an optical drive, which covers kernels that do not flag it.
    if (!flagged(event, "DISK_MEDIA_CHANGE") && !event.properties.contains("ID_CDROM_MEDIA"))
        return false;
    return std::any_of(drives.begin(), drives.end(),
                       [&](const std::string& drive) { return sameDevice(drive, event.devnode); });
}

void setEventSourceOpener(std::function<std::unique_ptr<DeviceEventSource>()> opener) {
    installedOpener() = std::move(opener);
}

std::unique_ptr<DeviceEventSource> openEventSource() {
    const auto& opener = installedOpener();
    return opener ? opener() : openSystemEventSource();
}

}  // namespace quillon::discwatch
