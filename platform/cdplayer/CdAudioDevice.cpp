#include "CdAudioDevice.h"

#include "DigitalPlayer.h"

namespace quillon::cdplayer {

namespace {

// Status polling asks several questions in a row; a drive without a disc is asked again only
// after this long.
constexpr auto kLoadRetry = std::chrono::milliseconds(300);

}  // namespace

const char* describe(CdError error) {
    switch (error) {
        case CdError::none:
            return "The operation completed.";
        case CdError::notOpen:
            return "The CD audio device is not open.";
        case CdError::noDrive:
            return "There is no CD drive to play.";
        case CdError::notReady:
            return "The CD drive is not ready: there is no disc in it, or its tray is open.";
        case CdError::outOfRange:
            return "The position lies outside the disc.";
        case CdError::notAudio:
            return "The track is not an audio track.";
        case CdError::noSoundOutput:
            return "There is no sound output device to play the CD on.";
        case CdError::soundOutputFailed:
            return "The sound output device could not be opened.";
        case CdError::trayFailed:
            return "The CD drive could not move its tray.";
    }
    return "Unknown error.";
}

CdAudioDevice::CdAudioDevice() = default;

CdAudioDevice::~CdAudioDevice() {
    close();
}

CdError CdAudioDevice::open(std::string_view drive) {
    close();
    m_drive = CdDrive::find(drive);
    if (!m_drive) return CdError::noDrive;
    m_player = std::make_unique<DigitalPlayer>();
    m_intent = Intent::stopped;
    m_seeked = false;
    m_nextLoad = {};
    refreshMedia();
    return CdError::none;
}

void CdAudioDevice::close() {
    if (!m_drive) return;
    // The player first: it may still be reading through the disc's handle.
    if (m_player) m_player->halt();
    m_player.reset();
    m_disc.reset();
    m_drive.reset();
    m_intent = Intent::stopped;
}

std::string CdAudioDevice::driveId() const {
    return m_drive ? m_drive->id() : std::string();
}

std::string CdAudioDevice::driveLocation() const {
    return m_drive ? m_drive->location() : std::string();
}

bool CdAudioDevice::refreshMedia() {
    if (!m_drive) return false;
    if (m_drive->trayOpen()) {
        if (m_disc) releaseDisc();
        return false;
    }
    if (m_disc) return true;
    const auto now = std::chrono::steady_clock::now();
    if (now < m_nextLoad) return false;
    m_disc = m_drive->openDisc();
    if (!m_disc) {
        m_nextLoad = now + kLoadRetry;
        return false;
    }
    m_player->moveTo(m_disc->layout().starts.front());
    m_intent = Intent::stopped;
    m_seeked = false;
    return true;
}

void CdAudioDevice::releaseDisc() {
    m_player->moveTo(0);
    m_intent = Intent::stopped;
    m_seeked = false;
    m_disc.reset();
}

CdError CdAudioDevice::seekToTrack(int track) {
    if (!m_drive) return CdError::notOpen;
    if (!refreshMedia()) return CdError::notReady;
    const auto start = trackStart(m_disc->layout(), track);
    if (!start) return CdError::outOfRange;
    return seekTo(*start);
}

CdError CdAudioDevice::seekTo(std::int32_t frame) {
    if (!m_drive) return CdError::notOpen;
    if (!refreshMedia()) return CdError::notReady;
    if (frame < 0 || frame > m_disc->layout().leadOut) return CdError::outOfRange;
    m_player->moveTo(frame);
    m_intent = Intent::stopped;
    m_seeked = true;
    return CdError::none;
}

CdError CdAudioDevice::play(std::optional<std::int32_t> from, std::optional<std::int32_t> to) {
    if (!m_drive) return CdError::notOpen;
    if (!refreshMedia()) return CdError::notReady;
    const DiscLayout& layout = m_disc->layout();
    const std::int32_t start = from.value_or(m_player->nextFrame());
    if (start < 0 || start >= layout.leadOut) return CdError::outOfRange;
    if (!isAudio(layout, start)) return CdError::notAudio;
    const std::int32_t audio = audioEnd(layout, start);
    if (to && (*to <= start || *to > layout.leadOut)) return CdError::outOfRange;
    return startPlayer(start, to ? std::min(*to, audio) : audio);
}

CdError CdAudioDevice::startPlayer(std::int32_t from, std::int32_t to) {
    const MMRESULT result = m_player->play(m_disc->handle(), from, to);
    if (result == MMSYSERR_BADDEVICEID) return CdError::noSoundOutput;
    if (result != MMSYSERR_NOERROR) return CdError::soundOutputFailed;
    m_intent = Intent::playing;
    m_seeked = false;
    m_playEnd = to;
    return CdError::none;
}

CdError CdAudioDevice::pause() {
    if (!m_drive) return CdError::notOpen;
    if (mode() == CdMode::playing) {
        m_player->halt();
        m_intent = Intent::paused;
    }
    return CdError::none;
}

CdError CdAudioDevice::resume() {
    if (!m_drive) return CdError::notOpen;
    if (mode() != CdMode::paused) return CdError::none;
    const std::int32_t next = m_player->nextFrame();
    if (next >= m_playEnd) {
        // Paused with nothing left to read: resuming ends at once.
        m_intent = Intent::stopped;
        return CdError::none;
    }
    return startPlayer(next, m_playEnd);
}

CdError CdAudioDevice::stop() {
    if (!m_drive) return CdError::notOpen;
    m_player->halt();
    m_intent = Intent::stopped;
    return CdError::none;
}

CdMode CdAudioDevice::mode() {
    if (!m_drive) return CdMode::notReady;
    if (!refreshMedia()) return m_drive->trayOpen() ? CdMode::open : CdMode::notReady;
    switch (m_intent) {
        case Intent::playing:
            if (m_player->playing()) return CdMode::playing;
            m_intent = Intent::stopped;  // it ran to its end, or the disc or sound card failed
            return CdMode::stopped;
        case Intent::paused:
            return CdMode::paused;
        case Intent::stopped:
            break;
    }
    return m_seeked && m_player->winding() ? CdMode::seeking : CdMode::stopped;
}

TrackPosition CdAudioDevice::position() {
    if (!refreshMedia()) return {};
    return trackPosition(m_disc->layout(), m_player->position());
}

std::int32_t CdAudioDevice::positionFrame() {
    if (!refreshMedia()) return 0;
    return m_player->position();
}

std::int32_t CdAudioDevice::queuedFrame() {
    if (!refreshMedia()) return 0;
    return m_player->nextFrame();
}

int CdAudioDevice::trackCount() {
    return refreshMedia() ? m_disc->layout().trackCount() : 0;
}

std::optional<DiscLayout> CdAudioDevice::layout() {
    if (!refreshMedia()) return std::nullopt;
    return m_disc->layout();
}

bool CdAudioDevice::canEject() {
    return m_drive && m_drive->canEject();
}

CdError CdAudioDevice::openDoor() {
    if (!m_drive) return CdError::notOpen;
    if (m_disc) releaseDisc();
    if (!m_drive->openTray()) return CdError::trayFailed;
    return CdError::none;
}

CdError CdAudioDevice::closeDoor() {
    if (!m_drive) return CdError::notOpen;
    if (!m_drive->closeTray()) return CdError::trayFailed;
    m_nextLoad = {};
    refreshMedia();
    return CdError::none;
}

bool CdAudioDevice::waitUntilIdle(std::optional<std::chrono::milliseconds> timeout) {
    return m_player ? m_player->waitUntilIdle(timeout) : true;
}

}  // namespace quillon::cdplayer
