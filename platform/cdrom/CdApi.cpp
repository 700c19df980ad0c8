// Drive list, handles, table of contents and raw reads of the CD access API.
#include <cstring>
#include <map>
#include <mutex>

#include "AKRip32.h"
#include "DriveList.h"
#include "OpenDiscs.h"
#include "TextField.h"

using namespace quillon::cdrom;

namespace {

struct OpenDisc {
    std::unique_ptr<Disc> disc;
    bool msfAddresses = false;
    bool image = false;
};

// Calls come from one thread at a time in the program, but nothing here relies on it.
std::mutex g_lock;
std::map<CdHandle, OpenDisc> g_open;
CdHandle g_lastHandle = 0;
std::vector<DriveEntry> g_listed;  // as the last GetCDList showed them
bool g_haveListed = false;

CdHandle nextHandle() {
    do {
        ++g_lastHandle;
    } while (g_lastHandle == 0 || g_open.count(g_lastHandle) != 0);
    return g_lastHandle;
}

void putAddress(CdTocEntry& entry, std::int32_t frame, bool msf) {
    std::uint32_t value = static_cast<std::uint32_t>(frame);
    if (msf) {
        const std::uint32_t absolute = value + 150;
        value = ((absolute / (75 * 60)) << 16) | (((absolute / 75) % 60) << 8) | (absolute % 75);
    }
    entry.address[0] = static_cast<std::uint8_t>(value >> 24);
    entry.address[1] = static_cast<std::uint8_t>(value >> 16);
    entry.address[2] = static_cast<std::uint8_t>(value >> 8);
    entry.address[3] = static_cast<std::uint8_t>(value);
}

void failRead(CdReadBuffer& buffer, std::uint32_t status) {
    buffer.byteCount = 0;
    buffer.frameCount = 0;
    buffer.dataOffset = 0;
    buffer.status = status;
}

}  // namespace

namespace quillon::cdrom {

std::optional<DiscLayout> openDiscLayout(CdHandle handle) {
    std::lock_guard guard(g_lock);
    const auto it = g_open.find(handle);
    if (it == g_open.end()) return std::nullopt;
    return it->second.disc->layout();
}

std::optional<bool> openDiscIsImage(CdHandle handle) {
    std::lock_guard guard(g_lock);
    const auto it = g_open.find(handle);
    if (it == g_open.end()) return std::nullopt;
    return it->second.image;
}

std::optional<DiscText> openDiscText(CdHandle handle) {
    std::lock_guard guard(g_lock);
    const auto it = g_open.find(handle);
    if (it == g_open.end()) return std::nullopt;
    return it->second.disc->text();
}

}  // namespace quillon::cdrom

int GetCDList(CdDriveList* list) {
    if (list == nullptr) return 0;
    auto drives = enumerateDrives();
    const std::size_t room = std::min<std::size_t>(list->capacity, kCdMaxDrives);
    const std::size_t count = std::min(room, drives.size());
    for (std::size_t i = 0; i < count; ++i) {
        CdDriveInfo& info = list->drives[i];
        info.hostAdapter = drives[i].hostAdapter;
        info.target = drives[i].target;
        info.lun = drives[i].lun;
        copyField(info.id, drives[i].id);
    }
    list->count = static_cast<std::uint8_t>(count);
    std::lock_guard guard(g_lock);
    g_listed = std::move(drives);
    g_haveListed = true;
    return static_cast<int>(count);
}

int GetCDDrivePath(const CdDriveInfo* drive, char* path, std::int32_t size) {
    if (drive == nullptr || path == nullptr || size <= 0) return 0;
    path[0] = '\0';
    std::lock_guard guard(g_lock);
    for (const auto& entry : g_listed) {
        if (entry.hostAdapter != drive->hostAdapter || entry.target != drive->target ||
            entry.lun != drive->lun)
            continue;
        if (entry.location.size() >= static_cast<std::size_t>(size)) return 0;
        std::memcpy(path, entry.location.c_str(), entry.location.size() + 1);
        return 1;
    }
    return 0;
}

CdHandle GetCDHandle(const CdOpenRequest* request) {
    if (request == nullptr || request->size != kCdOpenRequestSize ||
        request->version != kCdOpenRequestVersion)
        return 0;
    std::optional<DriveEntry> drive;
    {
        std::lock_guard guard(g_lock);
        if (!g_haveListed) {
            g_listed = enumerateDrives();
            g_haveListed = true;
        }
        for (const auto& entry : g_listed) {
            if (entry.hostAdapter == request->hostAdapter && entry.target == request->target &&
                entry.lun == request->lun)
                drive = entry;
        }
    }
    if (!drive) return 0;
    auto disc = openDriveDisc(*drive);
    if (!disc) return 0;
    std::lock_guard guard(g_lock);
    const CdHandle handle = nextHandle();
    g_open[handle] = OpenDisc{std::move(disc), false, drive->image};
    return handle;
}

int CloseCDHandle(CdHandle handle) {
    std::unique_ptr<Disc> closing;  // released outside the lock
    std::lock_guard guard(g_lock);
    const auto it = g_open.find(handle);
    if (it == g_open.end()) return 0;
    closing = std::move(it->second.disc);
    g_open.erase(it);
    return 1;
}

int ModifyCDParms(CdHandle handle, int parameter, std::uint32_t value) {
    std::lock_guard guard(g_lock);
    const auto it = g_open.find(handle);
    if (it == g_open.end() || parameter != kCdParamTocAddress || value > 1) return 0;
    it->second.msfAddresses = value == 1;
    return 1;
}

int ReadTOC(CdHandle handle, CdToc* toc) {
    if (toc == nullptr) return 0;
    std::lock_guard guard(g_lock);
    const auto it = g_open.find(handle);
    if (it == g_open.end()) return 0;
    const DiscLayout& layout = it->second.disc->layout();
    const bool msf = it->second.msfAddresses;

    std::memset(toc, 0, sizeof *toc);
    const int tracks = layout.trackCount();
    const int length = 2 + 8 * (tracks + 1);
    toc->length[0] = static_cast<std::uint8_t>(length >> 8);
    toc->length[1] = static_cast<std::uint8_t>(length);
    toc->firstTrack = static_cast<std::uint8_t>(layout.firstTrack);
    toc->lastTrack = static_cast<std::uint8_t>(layout.lastTrack());
    for (int i = 0; i <= tracks; ++i) {
        CdTocEntry& entry = toc->entries[i];
        const bool leadOut = i == tracks;
        entry.control = static_cast<std::uint8_t>(
            0x10 | (!leadOut && layout.dataTracks[static_cast<size_t>(i)] ? kCdDataTrackFlag : 0));
        entry.trackNumber =
            leadOut ? kCdLeadOutTrack : static_cast<std::uint8_t>(layout.firstTrack + i);
        putAddress(entry, leadOut ? layout.leadOut : layout.starts[static_cast<size_t>(i)], msf);
    }
    return 1;
}

int ReadCDAudioLBA(CdHandle handle, CdReadBuffer* buffer) {
    if (buffer == nullptr) return 0;
    const std::uint32_t frames = buffer->frameCount;
    const std::uint32_t start = buffer->startFrame;
    std::lock_guard guard(g_lock);
    const auto it = g_open.find(handle);
    if (it == g_open.end() || frames > kCdMaxReadFrames ||
        buffer->capacity < frames * kCdFrameBytes) {
        failRead(*buffer, kCdReadBadRequest);
        return 0;
    }
    Disc& disc = *it->second.disc;
    const auto leadOut = static_cast<std::uint32_t>(disc.layout().leadOut);
    if (start > leadOut || frames > leadOut - start) {
        failRead(*buffer, kCdReadBadRequest);
        return 0;
    }
    if (frames > 0 &&
        !disc.readFrames(static_cast<std::int32_t>(start), frames, CdReadBufferData(buffer))) {
        failRead(*buffer, kCdReadFailed);
        return 0;
    }
    buffer->byteCount = frames * kCdFrameBytes;
    buffer->frameCount = frames;
    buffer->dataOffset = 0;
    buffer->status = kCdReadDone;
    return 1;
}
