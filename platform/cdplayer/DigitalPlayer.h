// Digital CD playback: a thread that reads the disc 25 frames at a time through the CD access
// API and queues the audio to wave output device 0, a few buffers ahead of what is heard.
//
// The wave service cannot take back a buffer once queued, so stopping only stops the reading:
// what is queued still sounds, and the heard position follows it. Moving to another place
// starts a new run whose position no longer follows those buffers.
//
// The calls come from one thread (the device's owner); the completion callback and the
// player's thread share the state below under one lock.
#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "AKRip32.h"
#include "WaveAudio.h"

namespace quillon::cdplayer {

class DigitalPlayer {
  public:
    DigitalPlayer();
    // Stops reading, lets the queued audio finish and closes the wave device.
    ~DigitalPlayer();
    DigitalPlayer(const DigitalPlayer&) = delete;
    DigitalPlayer& operator=(const DigitalPlayer&) = delete;

    // Plays frames [from, to) of the disc behind the handle. Playing on from where the last
    // run stopped continues it; from anywhere else the heard position jumps to from. Opens
    // the wave device when none is open and answers its error if that fails.
    MMRESULT play(CdHandle disc, std::int32_t from, std::int32_t to);
    // Stops reading; what is queued still sounds.
    void halt();
    // Stops reading and puts the position at the frame at once.
    void moveTo(std::int32_t frame);

    // The frame after the last one heard.
    std::int32_t position() const;
    // Where playing on continues: the frame after the last one queued.
    std::int32_t nextFrame() const;
    // Whether the last run still has audio to read or to sound; false once it reached its
    // end, failed, or was halted.
    bool playing() const;
    // Whether audio from before the last move is still sounding.
    bool winding() const;
    // Waits until nothing is read or queued and the wave device is closed; without a timeout
    // it waits as long as that takes. False when the time ran out.
    bool waitUntilIdle(std::optional<std::chrono::milliseconds> timeout);

  private:
    struct Slot {
        std::vector<std::uint8_t> memory;  // a CdReadBuffer head and its data area
        WAVEHDR header{};
        bool busy = false;      // being read or queued
        bool inFlight = false;  // queued to the wave device
        unsigned run = 0;
        std::int32_t start = 0;
        std::int32_t frames = 0;
    };

    static void waveDone(HWAVE device, unsigned message, uintptr_t instance, WAVEHDR* header);
    void bufferDone(std::size_t index, bool failed);
    void threadMain();
    void readAndQueue(std::unique_lock<std::mutex>& lock, Slot& slot);
    void closeDevice(std::unique_lock<std::mutex>& lock);
    // Ends the run once it wants no more audio and none of its audio is left to sound.
    void settle();
    Slot* freeSlot();
    bool anyBusy() const;
    bool idle() const;

    static constexpr std::size_t kSlots = 3;  // a second of audio ahead of the ear

    mutable std::mutex m_lock;
    std::condition_variable m_wake;
    std::array<Slot, kSlots> m_slots;
    HWAVE m_wave = 0;
    bool m_closing = false;  // the thread is closing m_wave
    bool m_broken = false;   // m_wave failed; it is closed once its buffers are back
    bool m_reading = false;  // more audio of the run is wanted
    bool m_active = false;   // the run has audio to read or to sound
    bool m_quit = false;
    unsigned m_run = 0;
    CdHandle m_disc = 0;
    std::int32_t m_next = 0;
    std::int32_t m_end = 0;
    std::int32_t m_heard = 0;
    std::thread m_thread;
};

}  // namespace quillon::cdplayer
