// The command interface: the table of open devices and the commands on them.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "CdAudioDevice.h"
#include "Mci.h"

using namespace quillon::cdplayer;

namespace {

// One drive's device, shared by the opens that asked for sharing.
struct SharedDevice {
    CdAudioDevice device;
    bool shareable = false;
    int users = 0;
};

struct OpenEntry {
    std::shared_ptr<SharedDevice> shared;
    std::string name;  // alias, or the device type
    std::uint32_t timeFormat = MCI_FORMAT_TMSF;
};

std::mutex g_lock;
std::map<MCIDEVICEID, OpenEntry> g_open;
MCIDEVICEID g_lastId = 0;

bool sameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

MCIERROR toMci(CdError error) {
    switch (error) {
        case CdError::none:
            return 0;
        case CdError::notOpen:
            return MCIERR_INVALID_DEVICE_ID;
        case CdError::noDrive:
            return MCIERR_CANNOT_LOAD_DRIVER;
        case CdError::notReady:
            return MCIERR_DEVICE_NOT_READY;
        case CdError::outOfRange:
            return MCIERR_OUTOFRANGE;
        case CdError::notAudio:
            return MCIERR_CDA_NOT_AUDIO;
        case CdError::noSoundOutput:
            return MCIERR_CDA_NO_SOUND_OUTPUT;
        case CdError::soundOutputFailed:
            return MCIERR_CDA_SOUND_OUTPUT_FAILED;
        case CdError::trayFailed:
            return MCIERR_HARDWARE;
    }
    return MCIERR_HARDWARE;
}

template <typename Record>
Record* record(std::uintptr_t param) {
    return reinterpret_cast<Record*>(param);
}

MCIERROR openDevice(std::uintptr_t flags, MCI_OPEN_PARMSA* parms) {
    if (parms == nullptr) return MCIERR_NULL_PARAMETER_BLOCK;
    if ((flags & MCI_OPEN_TYPE) == 0) return MCIERR_MISSING_DEVICE_NAME;
    if ((flags & MCI_OPEN_TYPE_ID) != 0) {
        const auto type = reinterpret_cast<std::uintptr_t>(parms->lpstrDeviceType) & 0xFFFF;
        if (type != MCI_DEVTYPE_CD_AUDIO) return MCIERR_INVALID_DEVICE_NAME;
    } else if (parms->lpstrDeviceType == nullptr || !sameText(parms->lpstrDeviceType, "cdaudio")) {
        return MCIERR_INVALID_DEVICE_NAME;
    }
    std::string name = "cdaudio";
    if ((flags & MCI_OPEN_ALIAS) != 0) {
        if (parms->lpstrAlias == nullptr || *parms->lpstrAlias == '\0')
            return MCIERR_MISSING_PARAMETER;
        name = parms->lpstrAlias;
        for (const auto& [id, entry] : g_open)
            if (sameText(entry.name, name)) return MCIERR_DUPLICATE_ALIAS;
    }
    const char* element = (flags & MCI_OPEN_ELEMENT) != 0 ? parms->lpstrElementName : nullptr;
    const auto drive = CdDrive::find(element != nullptr ? element : "");
    if (!drive) return toMci(CdError::noDrive);

    const bool shareable = (flags & MCI_OPEN_SHAREABLE) != 0;
    std::shared_ptr<SharedDevice> shared;
    for (const auto& [id, entry] : g_open) {
        if (entry.shared->device.driveLocation() == drive->location()) shared = entry.shared;
    }
    if (shared) {
        if (!shared->shareable || !shareable) return MCIERR_MUST_USE_SHAREABLE;
    } else {
        shared = std::make_shared<SharedDevice>();
        if (const CdError error = shared->device.open(drive->location()); error != CdError::none)
            return toMci(error);
        shared->shareable = shareable;
    }
    ++shared->users;
    do {
        ++g_lastId;
    } while (g_lastId == 0 || g_lastId == MCI_ALL_DEVICE_ID || g_open.count(g_lastId) != 0);
    g_open[g_lastId] = OpenEntry{std::move(shared), std::move(name), MCI_FORMAT_TMSF};
    parms->wDeviceID = g_lastId;
    return 0;
}

void closeEntry(std::map<MCIDEVICEID, OpenEntry>::iterator it) {
    std::shared_ptr<SharedDevice> shared = std::move(it->second.shared);
    g_open.erase(it);
    if (--shared->users == 0) shared->device.close();
}

// A position in the entry's time format as a frame.
MCIERROR toFrame(const OpenEntry& entry, CdAudioDevice& device, std::uint32_t value,
                 std::int32_t& frame) {
    const auto layout = device.layout();
    if (!layout) return MCIERR_DEVICE_NOT_READY;
    if (entry.timeFormat == MCI_FORMAT_MSF) {
        frame = unpackMsf(value) - kLeadInFrames;
        return frame < 0 || frame > layout->leadOut ? MCIERR_OUTOFRANGE : 0;
    }
    const auto found = frameOf(*layout, unpackTmsf(value));
    if (!found) return MCIERR_OUTOFRANGE;
    frame = *found;
    return 0;
}

std::uint32_t fromFrame(const OpenEntry& entry, const DiscLayout& layout, std::int32_t frame) {
    if (entry.timeFormat == MCI_FORMAT_MSF) return packMsf(frame + kLeadInFrames);
    return packTmsf(trackPosition(layout, frame));
}

MCIERROR play(const OpenEntry& entry, CdAudioDevice& device, std::uintptr_t flags,
              const MCI_PLAY_PARMS* parms) {
    std::optional<std::int32_t> from, to;
    if ((flags & (MCI_FROM | MCI_TO)) != 0) {
        if (parms == nullptr) return MCIERR_NULL_PARAMETER_BLOCK;
        std::int32_t frame = 0;
        if ((flags & MCI_FROM) != 0) {
            if (const MCIERROR error = toFrame(entry, device, parms->dwFrom, frame)) return error;
            from = frame;
        }
        if ((flags & MCI_TO) != 0) {
            if (const MCIERROR error = toFrame(entry, device, parms->dwTo, frame)) return error;
            to = frame;
        }
    }
    const MCIERROR error = toMci(device.play(from, to));
    if (error == 0 && (flags & MCI_WAIT) != 0) device.waitUntilIdle(std::nullopt);
    return error;
}

MCIERROR seek(const OpenEntry& entry, CdAudioDevice& device, std::uintptr_t flags,
              const MCI_SEEK_PARMS* parms) {
    const std::uintptr_t where = flags & (MCI_TO | MCI_SEEK_TO_START | MCI_SEEK_TO_END);
    if (where == 0) return MCIERR_MISSING_PARAMETER;
    if (where != MCI_TO && where != MCI_SEEK_TO_START && where != MCI_SEEK_TO_END)
        return MCIERR_FLAGS_NOT_COMPATIBLE;
    const auto layout = device.layout();
    if (!layout) return MCIERR_DEVICE_NOT_READY;
    if (where == MCI_SEEK_TO_START) return toMci(device.seekTo(layout->starts.front()));
    if (where == MCI_SEEK_TO_END) return toMci(device.seekTo(layout->leadOut));
    if (parms == nullptr) return MCIERR_NULL_PARAMETER_BLOCK;
    std::int32_t frame = 0;
    if (const MCIERROR error = toFrame(entry, device, parms->dwTo, frame)) return error;
    return toMci(device.seekTo(frame));
}

std::uint32_t modeValue(CdMode mode) {
    switch (mode) {
        case CdMode::notReady:
            return MCI_MODE_NOT_READY;
        case CdMode::stopped:
            return MCI_MODE_STOP;
        case CdMode::playing:
            return MCI_MODE_PLAY;
        case CdMode::seeking:
            return MCI_MODE_SEEK;
        case CdMode::paused:
            return MCI_MODE_PAUSE;
        case CdMode::open:
            return MCI_MODE_OPEN;
    }
    return MCI_MODE_NOT_READY;
}

MCIERROR status(const OpenEntry& entry, CdAudioDevice& device, std::uintptr_t flags,
                MCI_STATUS_PARMS* parms) {
    if (parms == nullptr) return MCIERR_NULL_PARAMETER_BLOCK;
    if ((flags & MCI_STATUS_ITEM) == 0) return MCIERR_MISSING_PARAMETER;
    const bool track = (flags & MCI_TRACK) != 0;
    switch (parms->dwItem) {
        case MCI_STATUS_MODE:
            parms->dwReturn = modeValue(device.mode());
            return 0;
        case MCI_STATUS_TIME_FORMAT:
            parms->dwReturn = entry.timeFormat;
            return 0;
        case MCI_STATUS_READY:
        case MCI_STATUS_MEDIA_PRESENT:
            parms->dwReturn = device.layout() ? MCI_TRUE : MCI_FALSE;
            return 0;
        case MCI_STATUS_NUMBER_OF_TRACKS:
            // Pollers read the count even when the device says it is not ready.
            parms->dwReturn = static_cast<std::uint32_t>(device.trackCount());
            return parms->dwReturn == 0 ? MCIERR_DEVICE_NOT_READY : 0;
        default:
            break;
    }
    const auto layout = device.layout();
    if (!layout) return MCIERR_DEVICE_NOT_READY;
    if (track && trackLength(*layout, static_cast<int>(parms->dwTrack)) == 0)
        return MCIERR_OUTOFRANGE;
    const int number = static_cast<int>(parms->dwTrack);
    switch (parms->dwItem) {
        case MCI_STATUS_POSITION:
            if ((flags & MCI_STATUS_START) != 0)
                parms->dwReturn = fromFrame(entry, *layout, layout->starts.front());
            else if (track)
                parms->dwReturn = fromFrame(entry, *layout, *trackStart(*layout, number));
            else
                parms->dwReturn = fromFrame(entry, *layout, device.positionFrame());
            return 0;
        case MCI_STATUS_LENGTH:
            parms->dwReturn = packMsf(track ? trackLength(*layout, number)
                                            : layout->leadOut - layout->starts.front());
            return 0;
        case MCI_STATUS_CURRENT_TRACK:
            parms->dwReturn =
                static_cast<std::uint32_t>(trackPosition(*layout, device.positionFrame()).track);
            return 0;
        case MCI_CDA_STATUS_TYPE_TRACK:
            if (!track) return MCIERR_MISSING_PARAMETER;
            parms->dwReturn = isAudio(*layout, *trackStart(*layout, number)) ? MCI_CDA_TRACK_AUDIO
                                                                             : MCI_CDA_TRACK_OTHER;
            return 0;
        default:
            return MCIERR_UNSUPPORTED_FUNCTION;
    }
}

MCIERROR set(OpenEntry& entry, CdAudioDevice& device, std::uintptr_t flags,
             const MCI_SET_PARMS* parms) {
    const std::uintptr_t door = flags & (MCI_SET_DOOR_OPEN | MCI_SET_DOOR_CLOSED);
    if (door == (MCI_SET_DOOR_OPEN | MCI_SET_DOOR_CLOSED)) return MCIERR_FLAGS_NOT_COMPATIBLE;
    if ((flags & MCI_SET_TIME_FORMAT) != 0) {
        if (parms == nullptr) return MCIERR_NULL_PARAMETER_BLOCK;
        if (parms->dwTimeFormat != MCI_FORMAT_TMSF && parms->dwTimeFormat != MCI_FORMAT_MSF)
            return MCIERR_BAD_TIME_FORMAT;
        entry.timeFormat = parms->dwTimeFormat;
    } else if (door == 0) {
        return MCIERR_MISSING_PARAMETER;
    }
    if (door == MCI_SET_DOOR_OPEN) return toMci(device.openDoor());
    if (door == MCI_SET_DOOR_CLOSED) return toMci(device.closeDoor());
    return 0;
}

MCIERROR capability(CdAudioDevice& device, std::uintptr_t flags, MCI_GETDEVCAPS_PARMS* parms) {
    if (parms == nullptr) return MCIERR_NULL_PARAMETER_BLOCK;
    if ((flags & MCI_GETDEVCAPS_ITEM) == 0) return MCIERR_MISSING_PARAMETER;
    switch (parms->dwItem) {
        case MCI_GETDEVCAPS_CAN_EJECT:
            parms->dwReturn = device.canEject() ? MCI_TRUE : MCI_FALSE;
            return 0;
        case MCI_GETDEVCAPS_CAN_PLAY:
        case MCI_GETDEVCAPS_HAS_AUDIO:
            parms->dwReturn = MCI_TRUE;
            return 0;
        case MCI_GETDEVCAPS_CAN_RECORD:
        case MCI_GETDEVCAPS_CAN_SAVE:
        case MCI_GETDEVCAPS_HAS_VIDEO:
        case MCI_GETDEVCAPS_USES_FILES:
        case MCI_GETDEVCAPS_COMPOUND_DEVICE:
            parms->dwReturn = MCI_FALSE;
            return 0;
        case MCI_GETDEVCAPS_DEVICE_TYPE:
            parms->dwReturn = MCI_DEVTYPE_CD_AUDIO;
            return 0;
        default:
            return MCIERR_UNSUPPORTED_FUNCTION;
    }
}

}  // namespace

MCIERROR mciSendCommandA(MCIDEVICEID id, unsigned message, std::uintptr_t flags,
                         std::uintptr_t param) {
    std::lock_guard guard(g_lock);
    if (message == MCI_OPEN) return openDevice(flags, record<MCI_OPEN_PARMSA>(param));
    if (message == MCI_CLOSE && id == MCI_ALL_DEVICE_ID) {
        while (!g_open.empty())
            closeEntry(g_open.begin());
        return 0;
    }
    const auto it = g_open.find(id);
    if (it == g_open.end()) return MCIERR_INVALID_DEVICE_ID;
    OpenEntry& entry = it->second;
    CdAudioDevice& device = entry.shared->device;
    switch (message) {
        case MCI_CLOSE:
            closeEntry(it);
            return 0;
        case MCI_PLAY:
            return play(entry, device, flags, record<MCI_PLAY_PARMS>(param));
        case MCI_SEEK:
            return seek(entry, device, flags, record<MCI_SEEK_PARMS>(param));
        case MCI_STOP:
            return toMci(device.stop());
        case MCI_PAUSE:
            return toMci(device.pause());
        case MCI_RESUME:
            return toMci(device.resume());
        case MCI_STATUS:
            return status(entry, device, flags, record<MCI_STATUS_PARMS>(param));
        case MCI_SET:
            return set(entry, device, flags, record<MCI_SET_PARMS>(param));
        case MCI_GETDEVCAPS:
            return capability(device, flags, record<MCI_GETDEVCAPS_PARMS>(param));
        default:
            return MCIERR_UNRECOGNIZED_COMMAND;
    }
}

MCIDEVICEID mciGetDeviceIDA(const char* name) {
    if (name == nullptr) return 0;
    std::lock_guard guard(g_lock);
    for (const auto& [id, entry] : g_open)
        if (sameText(entry.name, name)) return id;
    return 0;
}

bool mciGetErrorStringA(MCIERROR error, char* text, unsigned length) {
    static const std::map<MCIERROR, const char*> texts = {
        {MCIERR_INVALID_DEVICE_ID, "The device is not open."},
        {MCIERR_UNRECOGNIZED_KEYWORD, "The command holds a word the device does not know."},
        {MCIERR_UNRECOGNIZED_COMMAND, "The device does not know the command."},
        {MCIERR_HARDWARE, "The CD drive did not do what it was asked."},
        {MCIERR_INVALID_DEVICE_NAME, "There is no open device by that name."},
        {MCIERR_CANNOT_LOAD_DRIVER, describe(CdError::noDrive)},
        {MCIERR_MISSING_COMMAND_STRING, "The command is empty."},
        {MCIERR_PARAM_OVERFLOW, "The answer does not fit into the space given for it."},
        {MCIERR_BAD_INTEGER, "A number in the command is not valid."},
        {MCIERR_MISSING_PARAMETER, "The command lacks a value it needs."},
        {MCIERR_UNSUPPORTED_FUNCTION, "The CD audio device cannot do that."},
        {MCIERR_DEVICE_NOT_READY, describe(CdError::notReady)},
        {MCIERR_OUTOFRANGE, describe(CdError::outOfRange)},
        {MCIERR_FLAGS_NOT_COMPATIBLE, "The command asks for things that exclude each other."},
        {MCIERR_DUPLICATE_ALIAS, "Another open device already has that name."},
        {MCIERR_MUST_USE_SHAREABLE, "The CD audio device is in use and cannot be shared."},
        {MCIERR_MISSING_DEVICE_NAME, "The command names no device."},
        {MCIERR_BAD_TIME_FORMAT, "The CD audio device does not know that time format."},
        {MCIERR_NULL_PARAMETER_BLOCK, "The command's parameters are missing."},
        {MCIERR_CDA_NOT_AUDIO, describe(CdError::notAudio)},
        {MCIERR_CDA_NO_SOUND_OUTPUT, describe(CdError::noSoundOutput)},
        {MCIERR_CDA_SOUND_OUTPUT_FAILED, describe(CdError::soundOutputFailed)},
    };
    const auto it = texts.find(error);
    if (text != nullptr && length > 0) {
        const char* message = it != texts.end() ? it->second : "Unknown error.";
        const std::size_t size = std::min<std::size_t>(std::strlen(message), length - 1);
        std::memcpy(text, message, size);
        text[size] = '\0';
    }
    return it != texts.end();
}
