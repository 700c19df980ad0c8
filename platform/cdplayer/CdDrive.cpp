#include "CdDrive.h"

#include <cdio/cdio.h>
#include <cdio/mmc.h>

#include <cstring>
#include <mutex>
#include <set>

#include "CdioSupport.h"

namespace quillon::cdplayer {

namespace {

// The trays this process has opened, by drive location. For an image this is the tray; for a
// real drive it is what we last did, checked against the drive when it matters.
std::mutex g_trayLock;
std::set<std::string> g_openTrays;

void rememberTray(const std::string& location, bool open) {
    std::lock_guard guard(g_trayLock);
    if (open)
        g_openTrays.insert(location);
    else
        g_openTrays.erase(location);
}

bool rememberedOpen(const std::string& location) {
    std::lock_guard guard(g_trayLock);
    return g_openTrays.count(location) != 0;
}

// Whether a real drive reports its tray open; nothing when it cannot tell.
std::optional<bool> deviceTrayOpen(const std::string& device) {
    cdrom::quietCdioLogging();
    cdrom::CdioPtr cdio(cdio_open(device.c_str(), DRIVER_DEVICE));
    if (!cdio) return std::nullopt;
    const int status = mmc_get_tray_status(cdio.get());
    if (status < 0) return std::nullopt;
    return status == 1;
}

std::uint32_t bigEndian(const std::uint8_t (&bytes)[4]) {
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
           (std::uint32_t{bytes[2]} << 8) | bytes[3];
}

std::optional<cdrom::DiscLayout> readLayout(CdHandle handle) {
    if (ModifyCDParms(handle, kCdParamTocAddress, 0) != 1) return std::nullopt;
    CdToc toc{};
    if (ReadTOC(handle, &toc) != 1 || toc.lastTrack < toc.firstTrack) return std::nullopt;
    const int tracks = toc.lastTrack - toc.firstTrack + 1;
    if (tracks >= kCdMaxTocEntries) return std::nullopt;
    cdrom::DiscLayout layout;
    layout.firstTrack = toc.firstTrack;
    for (int i = 0; i < tracks; ++i) {
        layout.starts.push_back(static_cast<std::int32_t>(bigEndian(toc.entries[i].address)));
        layout.dataTracks.push_back((toc.entries[i].control & kCdDataTrackFlag) != 0);
    }
    layout.leadOut = static_cast<std::int32_t>(bigEndian(toc.entries[tracks].address));
    if (!layout.valid()) return std::nullopt;
    return layout;
}

}  // namespace

std::optional<CdDrive> CdDrive::find(std::string_view name) {
    auto drives = cdrom::enumerateDrives();
    for (auto& entry : drives) {
        if (!name.empty() && entry.location == name) return CdDrive(std::move(entry));
    }
    for (auto& entry : drives) {
        if (name.empty() || entry.id == name) return CdDrive(std::move(entry));
    }
    return std::nullopt;
}

std::unique_ptr<OpenDisc> CdDrive::openDisc() const {
    if (trayOpen()) return nullptr;
    // Images come and go, so the drive's address is looked up afresh; listing the drives also
    // makes the access API open what it lists now.
    std::optional<cdrom::DriveEntry> current;
    for (auto& entry : cdrom::enumerateDrives()) {
        if (entry.image == m_entry.image && entry.location == m_entry.location)
            current = std::move(entry);
    }
    if (!current) return nullptr;
    CdDriveList list{};
    list.capacity = kCdMaxDrives;
    GetCDList(&list);
    bool listed = false;
    for (int i = 0; i < list.count; ++i) {
        const CdDriveInfo& info = list.drives[i];
        listed =
            listed || (info.hostAdapter == current->hostAdapter && info.target == current->target &&
                       info.lun == current->lun && current->id == info.id);
    }
    if (!listed) return nullptr;

    CdOpenRequest request{};
    request.size = kCdOpenRequestSize;
    request.version = kCdOpenRequestVersion;
    request.hostAdapter = current->hostAdapter;
    request.target = current->target;
    request.lun = current->lun;
    const CdHandle handle = GetCDHandle(&request);
    if (handle == 0) return nullptr;
    auto layout = readLayout(handle);
    if (!layout) {
        CloseCDHandle(handle);
        return nullptr;
    }
    return std::make_unique<OpenDisc>(handle, std::move(*layout));
}

bool CdDrive::trayOpen() const {
    if (!rememberedOpen(m_entry.location)) return false;
    if (m_entry.image) return true;
    // Someone may have pushed the tray in by hand since we opened it.
    const auto open = deviceTrayOpen(m_entry.location);
    if (open && !*open) {
        rememberTray(m_entry.location, false);
        return false;
    }
    return true;
}

bool CdDrive::canEject() const {
    if (m_entry.image) return true;
    cdrom::quietCdioLogging();
    cdio_drive_read_cap_t read = 0;
    cdio_drive_write_cap_t write = 0;
    cdio_drive_misc_cap_t misc = 0;
    cdio_get_drive_cap_dev(m_entry.location.c_str(), &read, &write, &misc);
    // A drive that does not describe itself is taken to have the usual motorised tray.
    if ((misc & (CDIO_DRIVE_CAP_ERROR | CDIO_DRIVE_CAP_UNKNOWN)) != 0) return true;
    return (misc & CDIO_DRIVE_CAP_MISC_EJECT) != 0;
}

bool CdDrive::openTray() const {
    if (!m_entry.image) {
        cdrom::quietCdioLogging();
        if (cdio_eject_media_drive(m_entry.location.c_str()) != DRIVER_OP_SUCCESS) return false;
    }
    rememberTray(m_entry.location, true);
    return true;
}

bool CdDrive::closeTray() const {
    if (!m_entry.image) {
        cdrom::quietCdioLogging();
        driver_id_t driver = DRIVER_DEVICE;
        if (cdio_close_tray(m_entry.location.c_str(), &driver) != DRIVER_OP_SUCCESS) return false;
    }
    rememberTray(m_entry.location, false);
    return true;
}

}  // namespace quillon::cdplayer
