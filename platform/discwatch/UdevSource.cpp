// The device manager's block device messages through libudev's monitor. Opening fails
// quietly where the netlink socket is not allowed (containers, sandboxes).
#include <libudev.h>

#include "DiscEvents.h"

namespace quillon::discwatch {

namespace {

struct UdevDeleter {
    void operator()(udev* handle) const { udev_unref(handle); }
    void operator()(udev_monitor* monitor) const { udev_monitor_unref(monitor); }
    void operator()(udev_device* device) const { udev_device_unref(device); }
};

class UdevSource : public DeviceEventSource {
  public:
    UdevSource(std::unique_ptr<udev, UdevDeleter> handle,
               std::unique_ptr<udev_monitor, UdevDeleter> monitor)
        : m_udev(std::move(handle)), m_monitor(std::move(monitor)) {}

    int descriptor() const override { return udev_monitor_get_fd(m_monitor.get()); }

    std::optional<DeviceEvent> next() override {
        const std::unique_ptr<udev_device, UdevDeleter> device(
            udev_monitor_receive_device(m_monitor.get()));
        if (!device) return std::nullopt;
        DeviceEvent event;
        if (const char* action = udev_device_get_action(device.get())) event.action = action;
        if (const char* node = udev_device_get_devnode(device.get())) event.devnode = node;
        udev_list_entry* entry = udev_device_get_properties_list_entry(device.get());
        for (; entry; entry = udev_list_entry_get_next(entry)) {
            const char* name = udev_list_entry_get_name(entry);
            const char* value = udev_list_entry_get_value(entry);
            if (name) event.properties[name] = value ? value : "";
        }
        return event;
    }

  private:
    std::unique_ptr<udev, UdevDeleter> m_udev;
    std::unique_ptr<udev_monitor, UdevDeleter> m_monitor;
};

}  // namespace

std::unique_ptr<DeviceEventSource> openSystemEventSource() {
    std::unique_ptr<udev, UdevDeleter> handle(udev_new());
    if (!handle) return nullptr;
    // "udev": the messages after udev's rules ran, so they carry the CD properties.
    std::unique_ptr<udev_monitor, UdevDeleter> monitor(
        udev_monitor_new_from_netlink(handle.get(), "udev"));
    if (!monitor) return nullptr;
    if (udev_monitor_filter_add_match_subsystem_devtype(monitor.get(), "block", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor.get()) < 0 || udev_monitor_get_fd(monitor.get()) < 0)
        return nullptr;
    return std::make_unique<UdevSource>(std::move(handle), std::move(monitor));
}

}  // namespace quillon::discwatch
