#include "DiscSession.h"

#include <algorithm>
#include <cstring>

DiscSession::~DiscSession() {
    close();
}

bool DiscSession::enumerateDrives() {
    CdDriveList list{};
    list.capacity = kCdMaxDrives;
    const int count = GetCDList(&list);
    if (count < 1) return false;
    m_drives.assign(list.drives, list.drives + std::min<int>(count, kCdMaxDrives));
    m_names.clear();
    for (const CdDriveInfo& drive : m_drives)
        m_names.emplace_back(drive.id, strnlen(drive.id, sizeof drive.id));
    m_selected = 0;
    return true;
}

bool DiscSession::selectDrive(int index) {
    if (index < 0 || index >= static_cast<int>(m_drives.size())) return false;
    m_selected = index;
    return true;
}

DiscSession::OpenResult DiscSession::open() {
    close();
    m_toc = CdToc{};
    if (m_drives.empty()) return OpenResult::NoHandle;
    const CdDriveInfo& drive = m_drives[static_cast<std::size_t>(m_selected)];
    const CdOpenRequest request = openRequestFor(drive);
    m_handle = GetCDHandle(&request);
    if (m_handle == 0) return OpenResult::NoHandle;
    ModifyCDParms(m_handle, kCdParamTocAddress, 0);
    if (ReadTOC(m_handle, &m_toc) != 1) {
        m_toc = CdToc{};
        return OpenResult::NoToc;
    }
    return OpenResult::Opened;
}

void DiscSession::close() {
    if (m_handle != 0) CloseCDHandle(m_handle);
    m_handle = 0;
}

std::string buildTrackList(DiscSession& disc, TrackList& list, OutputFormat format) {
    list.clear();
    switch (disc.open()) {
        case DiscSession::OpenResult::NoHandle:
            return kNoDiscStatus;
        case DiscSession::OpenResult::NoToc:
            return kNoTocStatus;
        case DiscSession::OpenResult::Opened:
            break;
    }
    list.buildFromToc(disc.toc(), format);
    return {};
}
