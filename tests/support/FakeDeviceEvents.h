// A source of device manager messages that the test fills itself: the messages it queues are
// announced on a socket pair, so a watch wakes up through its socket notifier as it would for
// the machine's messages.
#pragma once

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <deque>
#include <memory>

#include "DiscEvents.h"

class FakeDeviceEvents : public quillon::discwatch::DeviceEventSource {
  public:
    FakeDeviceEvents() {
        if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, m_ends) != 0)
            m_ends[0] = m_ends[1] = -1;
    }
    ~FakeDeviceEvents() override {
        for (int end : m_ends)
            if (end >= 0) close(end);
    }
    FakeDeviceEvents(const FakeDeviceEvents&) = delete;
    FakeDeviceEvents& operator=(const FakeDeviceEvents&) = delete;

    // Queues the events and wakes the reader once for all of them.
    void send(std::initializer_list<quillon::discwatch::DeviceEvent> events) {
        m_queue.insert(m_queue.end(), events.begin(), events.end());
        const char wake = 1;
        [[maybe_unused]] const auto written = write(m_ends[1], &wake, 1);
    }
    bool drained() const { return m_queue.empty(); }

    int descriptor() const override { return m_ends[0]; }
    std::optional<quillon::discwatch::DeviceEvent> next() override {
        char sink[64];
        while (read(m_ends[0], sink, sizeof sink) > 0) {
        }
        if (m_queue.empty()) return std::nullopt;
        quillon::discwatch::DeviceEvent event = m_queue.front();
        m_queue.pop_front();
        return event;
    }

  private:
    int m_ends[2] = {-1, -1};
    std::deque<quillon::discwatch::DeviceEvent> m_queue;
};

// A change of medium in drive as udev reports it: inserted carries the medium's state.
inline quillon::discwatch::DeviceEvent mediaChange(const std::string& drive, bool inserted) {
    quillon::discwatch::DeviceEvent event{"change", drive, {{"DISK_MEDIA_CHANGE", "1"}}};
    if (inserted) event.properties["ID_CDROM_MEDIA"] = "1";
    return event;
}
