#include "DiscWatch.h"

#include <algorithm>

using quillon::discwatch::DeviceEventSource;

DiscWatch::DiscWatch(std::vector<std::string> drives, QObject* parent)
    : DiscWatch(quillon::discwatch::openEventSource(), std::move(drives), parent) {}

DiscWatch::DiscWatch(std::unique_ptr<DeviceEventSource> source, std::vector<std::string> drives,
                     QObject* parent)
    : QObject(parent), m_source(std::move(source)), m_drives(std::move(drives)) {
    if (!m_source || m_source->descriptor() < 0) {
        m_source.reset();
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(m_source->descriptor(), QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &DiscWatch::readEvents);
}

DiscWatch::~DiscWatch() = default;

void DiscWatch::readEvents() {
    // Everything waiting is read, so that a burst (a disc's partitions, several drives) costs
    // one wake-up; each drive is named once per burst.
    std::vector<std::string> changed;
    while (std::optional<quillon::discwatch::DeviceEvent> event = m_source->next()) {
        for (const std::string& drive : m_drives) {
            if (!quillon::discwatch::isDiscChange(*event, {drive})) continue;
            if (std::find(changed.begin(), changed.end(), drive) == changed.end())
                changed.push_back(drive);
        }
    }
    for (const std::string& drive : changed)
        Q_EMIT discChanged(QString::fromStdString(drive));
}
