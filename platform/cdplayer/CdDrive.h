// The drive a CD audio device plays: finding it among the drives of the CD access layer, opening
// its disc through the access API, and its tray. A disc image has no tray of its own, so its
// tray is a state kept here for the whole process, seen alike by every device on that image.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "AKRip32.h"
#include "Disc.h"
#include "DriveList.h"

namespace quillon::cdplayer {

// A disc opened through the access API: its handle and its track layout.
class OpenDisc {
  public:
    OpenDisc(CdHandle handle, cdrom::DiscLayout layout)
        : m_handle(handle), m_layout(std::move(layout)) {}
    ~OpenDisc() { CloseCDHandle(m_handle); }
    OpenDisc(const OpenDisc&) = delete;
    OpenDisc& operator=(const OpenDisc&) = delete;

    CdHandle handle() const { return m_handle; }
    const cdrom::DiscLayout& layout() const { return m_layout; }

  private:
    CdHandle m_handle;
    cdrom::DiscLayout m_layout;
};

class CdDrive {
  public:
    // The drive at that location (device node or image file), else the drive whose
    // identification text is name, or the first drive when name is empty; nothing when there
    // is no such drive.
    static std::optional<CdDrive> find(std::string_view name);

    const std::string& id() const { return m_entry.id; }
    // What identifies the drive: its device node or image file.
    const std::string& location() const { return m_entry.location; }
    bool isImage() const { return m_entry.image; }

    // The disc in the drive, or nothing when there is none it can read or the tray is open.
    std::unique_ptr<OpenDisc> openDisc() const;

    bool trayOpen() const;
    bool canEject() const;
    // Both wait until the tray has moved; false when the drive refused.
    bool openTray() const;
    bool closeTray() const;

  private:
    explicit CdDrive(cdrom::DriveEntry entry) : m_entry(std::move(entry)) {}

    cdrom::DriveEntry m_entry;
};

}  // namespace quillon::cdplayer
