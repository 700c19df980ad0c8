#include "DiscSession.h"

#include <algorithm>
#include <cstring>

DiscSession::~DiscSession() {
    close();
}

namespace {

struct Listing {
    std::vector<CdDriveInfo> drives;
    std::vector<std::string> paths;
};

Listing listDrives() {
    CdDriveList list{};
    list.capacity = kCdMaxDrives;
    const int count = std::min<int>(GetCDList(&list), kCdMaxDrives);
    Listing listing;
    for (int i = 0; i < count; ++i) {
        std::vector<char> path(4096, '\0');
        // A drive whose path cannot be told cannot be found again, so it is not offered.
        if (GetCDDrivePath(&list.drives[i], path.data(), static_cast<std::int32_t>(path.size())) !=
            1)
            continue;
        listing.drives.push_back(list.drives[i]);
        listing.paths.emplace_back(path.data());
    }
    return listing;
}

}  // namespace

bool DiscSession::enumerateDrives() {
    Listing listing = listDrives();
    if (listing.drives.empty()) return false;
    m_drives = std::move(listing.drives);
    m_paths = std::move(listing.paths);
    m_names.clear();
    for (const CdDriveInfo& drive : m_drives)
        m_names.emplace_back(drive.id, strnlen(drive.id, sizeof drive.id));
    m_selected = 0;
    return true;
}

std::string DiscSession::selectedPath() const {
    return m_paths.empty() ? std::string() : m_paths[static_cast<std::size_t>(m_selected)];
}

std::string DiscSession::selectedName() const {
    return m_names.empty() ? std::string() : m_names[static_cast<std::size_t>(m_selected)];
}

bool DiscSession::selectDrive(int index) {
    if (index < 0 || index >= static_cast<int>(m_drives.size())) return false;
    m_selected = index;
    return true;
}

bool DiscSession::selectDrivePath(const std::string& path) {
    const auto it = std::find(m_paths.begin(), m_paths.end(), path);
    if (path.empty() || it == m_paths.end()) return false;
    m_selected = static_cast<int>(it - m_paths.begin());
    return true;
}

DiscSession::OpenResult DiscSession::open() {
    close();
    m_toc = CdToc{};
    if (m_drives.empty()) return OpenResult::noHandle;
    const Listing now = listDrives();
    const auto it = std::find(now.paths.begin(), now.paths.end(), selectedPath());
    if (it == now.paths.end()) return OpenResult::noHandle;
    const CdDriveInfo& drive = now.drives[static_cast<std::size_t>(it - now.paths.begin())];
    const CdOpenRequest request = openRequestFor(drive);
    m_handle = GetCDHandle(&request);
    if (m_handle == 0) return OpenResult::noHandle;
    ModifyCDParms(m_handle, kCdParamTocAddress, 0);
    if (ReadTOC(m_handle, &m_toc) != 1) {
        m_toc = CdToc{};
        return OpenResult::noToc;
    }
    return OpenResult::opened;
}

void DiscSession::close() {
    if (m_handle != 0) CloseCDHandle(m_handle);
    m_handle = 0;
}

std::string buildTrackList(DiscSession& disc, TrackList& list, OutputFormat format) {
    list.clear();
    switch (disc.open()) {
        case DiscSession::OpenResult::noHandle:
            return kNoDiscStatus;
        case DiscSession::OpenResult::noToc:
            return kNoTocStatus;
        case DiscSession::OpenResult::opened:
            break;
    }
    list.buildFromToc(disc.toc(), format);
    return {};
}
