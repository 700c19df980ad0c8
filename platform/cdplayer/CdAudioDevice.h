// The CD audio device: plays the audio CD in a drive digitally (the audio is read through the
// CD access API and played on wave output device 0) and works its tray.
//
// One device plays one drive, the first one the CD access layer lists unless told otherwise.
// Several devices may be open on the same drive at once; they share its tray. Calls come from
// one thread at a time (the user-interface thread); playback runs on a thread of the device.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "CdDrive.h"
#include "CdTime.h"

namespace quillon::cdplayer {

class DigitalPlayer;

// The device's mode as a player shows it. A CD audio device never records.
enum class CdMode { notReady, stopped, playing, seeking, paused, open };

enum class CdError {
    none,
    notOpen,            // the device is not open
    noDrive,            // no such CD drive
    notReady,           // no disc, or the tray is open
    outOfRange,         // no such track, or a place outside the disc
    notAudio,           // the place lies in a data track
    noSoundOutput,      // there is no wave output device
    soundOutputFailed,  // the wave output device could not be opened
    trayFailed,         // the drive did not move its tray
};

// A short English description for a message box.
const char* describe(CdError error);

class CdAudioDevice {
  public:
    CdAudioDevice();
    ~CdAudioDevice();
    CdAudioDevice(const CdAudioDevice&) = delete;
    CdAudioDevice& operator=(const CdAudioDevice&) = delete;

    // Binds the device to the drive at that location (device node or image file), else to the
    // drive with that identification text, or to the first drive when it is empty. A drive
    // without a disc opens fine; the device is then not ready.
    CdError open(std::string_view drive = {});
    // Stops playback (the audio already queued still sounds out) and releases the drive.
    void close();
    bool isOpen() const { return m_drive.has_value(); }
    // The identification text of the drive, empty when closed.
    std::string driveId() const;
    // The device node or image file of the drive, empty when closed.
    std::string driveLocation() const;

    // Moves to the start of a track, or to any frame up to the lead-out; playback stops.
    CdError seekToTrack(int track);
    CdError seekTo(std::int32_t frame);
    // Plays from the current position to the end of the disc's audio.
    CdError play() { return play(std::nullopt, std::nullopt); }
    // Plays from a frame (default: the current position) up to a frame (default: the end of
    // the disc's audio, which a data track ends early).
    CdError play(std::optional<std::int32_t> from, std::optional<std::int32_t> to);
    // Pauses playback; in any other mode nothing happens.
    CdError pause();
    // Continues paused playback; in any other mode nothing happens.
    CdError resume();
    // Stops playback; the position stays.
    CdError stop();

    CdMode mode();
    // The track, minute, second and frame within the track of what is being heard; all 0
    // without a disc.
    TrackPosition position();
    // The same place as a frame counted from the start of the disc.
    std::int32_t positionFrame();
    // The frame after the last one handed to the sound card; playing runs this far ahead of
    // the position.
    std::int32_t queuedFrame();
    // 0 without a disc.
    int trackCount();
    // The disc's track layout, or nothing without a disc.
    std::optional<DiscLayout> layout();

    bool canEject();
    // Opening the tray stops playback and takes the disc away; closing it waits for the tray
    // and loads the disc again.
    CdError openDoor();
    CdError closeDoor();

    // Waits until playback has ended and the wave device is closed; without a timeout it waits
    // as long as that takes. False when the time ran out.
    bool waitUntilIdle(std::optional<std::chrono::milliseconds> timeout);

  private:
    enum class Intent { stopped, playing, paused };

    // Follows the drive: takes the disc away when the tray is open, loads one that has come.
    // True when a disc is there.
    bool refreshMedia();
    void releaseDisc();
    CdError startPlayer(std::int32_t from, std::int32_t to);

    std::optional<CdDrive> m_drive;
    std::unique_ptr<OpenDisc> m_disc;
    std::unique_ptr<DigitalPlayer> m_player;
    Intent m_intent = Intent::stopped;
    bool m_seeked = false;                               // the last move was a seek
    std::int32_t m_playEnd = 0;                          // where paused playback ends when resumed
    std::chrono::steady_clock::time_point m_nextLoad{};  // no disc: when to look again
};

}  // namespace quillon::cdplayer
