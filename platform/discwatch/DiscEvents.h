// What the machine says about discs coming and going in its drives, and which of its messages
// matter to a window that lists the tracks of a disc. Free of Qt and of udev itself, so the
// decision can be made and tested on plain property maps.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillon::discwatch {

// One message of the device manager about a block device.
struct DeviceEvent {
    std::string action;   // "add", "change", "remove", ...
    std::string devnode;  // the device node, e.g. /dev/sr0; empty when the device has none
    std::map<std::string, std::string> properties;
};

// Whether the event tells that the medium in one of drives (device nodes, as listed) was
// inserted or removed. Other devices, other actions, and a drive's eject button being
// pressed (a request, not yet a change) do not matter.
bool isDiscChange(const DeviceEvent& event, const std::vector<std::string>& drives);

// Where the events come from: a descriptor that becomes readable when one is waiting, and
// the reading of it.
class DeviceEventSource {
  public:
    virtual ~DeviceEventSource() = default;
    virtual int descriptor() const = 0;
    // The next waiting event; none when nothing (more) is waiting or it could not be read.
    virtual std::optional<DeviceEvent> next() = 0;
};

// The device manager's messages about block devices; none where it cannot be reached (no
// udev in the build, no netlink socket in a container).
std::unique_ptr<DeviceEventSource> openSystemEventSource();

// Tests put their own source in place of the system's; an empty function restores it.
void setEventSourceOpener(std::function<std::unique_ptr<DeviceEventSource>()> opener);
// The source the installed opener gives: the system's unless a test replaced it.
std::unique_ptr<DeviceEventSource> openEventSource();

}  // namespace quillon::discwatch
