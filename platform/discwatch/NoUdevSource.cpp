// Built without libudev: there is nobody to ask, and the main window's poll does the work.
#include "DiscEvents.h"

namespace quillon::discwatch {

std::unique_ptr<DeviceEventSource> openSystemEventSource() {
    return nullptr;
}

}  // namespace quillon::discwatch
