// Hears of discs inserted into or removed from the listed drives as soon as the machine tells,
// for a window that otherwise finds out on its next poll. Without a source of events (no udev)
// it is simply not running, and the window's poll stays the only way.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>
#include <string>
#include <vector>

#include "DiscEvents.h"

class DiscWatch : public QObject {
    Q_OBJECT

  public:
    // Listens through the installed source (quillon::discwatch::openEventSource) for changes
    // of the media in drives, given as device nodes.
    explicit DiscWatch(std::vector<std::string> drives, QObject* parent = nullptr);
    // Listens through source; none means not running.
    DiscWatch(std::unique_ptr<quillon::discwatch::DeviceEventSource> source,
              std::vector<std::string> drives, QObject* parent = nullptr);
    ~DiscWatch() override;

    bool running() const { return m_notifier != nullptr; }
    // The drives to watch from now on, when the list of drives changed.
    void setDrives(std::vector<std::string> drives) { m_drives = std::move(drives); }

  Q_SIGNALS:
    // The medium in drive (as listed) came or went.
    void discChanged(const QString& drive);

  private:
    void readEvents();

    std::unique_ptr<quillon::discwatch::DeviceEventSource> m_source;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::vector<std::string> m_drives;
};
