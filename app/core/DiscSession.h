// The drives, the open drive handle and the table of contents the main window keeps for the
// track list, the CDDB lookup and the rip job.
#pragma once

#include <string>
#include <vector>

#include "AKRip32.h"
#include "TrackList.h"

class DiscSession {
  public:
    DiscSession() = default;
    ~DiscSession();
    DiscSession(const DiscSession&) = delete;
    DiscSession& operator=(const DiscSession&) = delete;

    // Lists up to eight drives. With at least one, they replace the known drives and the
    // first is selected; with none, the known drives stay as they were. True when one exists.
    bool enumerateDrives();
    // The identification texts of the known drives, in list order.
    const std::vector<std::string>& driveNames() const { return m_names; }
    // What identifies each known drive: its device node or disc image file, in list order.
    const std::vector<std::string>& drivePaths() const { return m_paths; }
    int selectedDrive() const { return m_selected; }
    // The device node or image file of the selected drive; empty without drives.
    std::string selectedPath() const;
    // How the selected drive names itself (its read offset is filed under it); empty without
    // drives.
    std::string selectedName() const;
    // False when the index names no known drive.
    bool selectDrive(int index);
    // Selects the known drive with that device node or image file; false when none has it.
    bool selectDrivePath(const std::string& path);

    enum class OpenResult { opened, noHandle, noToc };
    // Closes the open handle, opens the selected drive, asks for frame-number addresses and
    // reads the table of contents. The drive is found by its path in a fresh listing, so that
    // images that came or went since the drives were listed change nothing; a drive that has
    // gone gives no handle.
    OpenResult open();
    void close();

    CdHandle handle() const { return m_handle; }
    const CdToc& toc() const { return m_toc; }

  private:
    std::vector<CdDriveInfo> m_drives;
    std::vector<std::string> m_names;
    std::vector<std::string> m_paths;
    int m_selected = 0;
    CdHandle m_handle = 0;
    CdToc m_toc{};
};

inline constexpr const char* kNoDiscStatus =
    "Can't get the Information of current CD, maybe there isn't any CD in CDROM or the current "
    "CD is broken!";
inline constexpr const char* kNoTocStatus = "Error to get TOC!";

// Clears the list and fills it from the disc in the selected drive. Returns the status line's
// text when that failed (the list then stays empty), an empty text when it was built.
std::string buildTrackList(DiscSession& disc, TrackList& list, OutputFormat format);
