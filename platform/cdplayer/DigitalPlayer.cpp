#include "DigitalPlayer.h"

#include <algorithm>

namespace quillon::cdplayer {

namespace {

constexpr std::size_t kSlotBytes = sizeof(CdReadBuffer) + kCdMaxReadFrames * kCdFrameBytes;

WAVEFORMATEX cdAudioFormat() {
    WAVEFORMATEX format;
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = 44100;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = 44100 * 4;
    return format;
}

}  // namespace

DigitalPlayer::DigitalPlayer() {
    for (Slot& slot : m_slots)
        slot.memory.resize(kSlotBytes);
    m_thread = std::thread([this] { threadMain(); });
}

DigitalPlayer::~DigitalPlayer() {
    {
        std::lock_guard guard(m_lock);
        m_quit = true;
        m_reading = false;
        m_active = false;
    }
    m_wake.notify_all();
    m_thread.join();
}

MMRESULT DigitalPlayer::play(CdHandle disc, std::int32_t from, std::int32_t to) {
    std::unique_lock lock(m_lock);
    // A device on its way out cannot take new audio; its closing does not wait for anyone.
    m_wake.wait(lock, [this] { return !m_closing && !m_broken; });
    if (m_wave == 0) {
        // Only this thread opens, and the player's thread leaves a closed device alone.
        lock.unlock();
        HWAVE wave = 0;
        const WAVEFORMATEX format = cdAudioFormat();
        const MMRESULT result = waveOutOpen(&wave, 0, &format, &DigitalPlayer::waveDone,
                                            reinterpret_cast<uintptr_t>(this), CALLBACK_FUNCTION);
        lock.lock();
        if (result != MMSYSERR_NOERROR) return result;
        m_wave = wave;
    }
    if (from != m_next || disc != m_disc) {
        ++m_run;
        m_next = from;
        m_heard = from;
    }
    m_disc = disc;
    m_end = to;
    m_reading = from < to;
    m_active = m_reading;
    lock.unlock();
    m_wake.notify_all();
    return MMSYSERR_NOERROR;
}

void DigitalPlayer::halt() {
    {
        std::lock_guard guard(m_lock);
        m_reading = false;
        m_active = false;
    }
    m_wake.notify_all();
}

void DigitalPlayer::moveTo(std::int32_t frame) {
    {
        std::lock_guard guard(m_lock);
        m_reading = false;
        m_active = false;
        ++m_run;
        m_next = frame;
        m_heard = frame;
    }
    m_wake.notify_all();
}

std::int32_t DigitalPlayer::position() const {
    std::lock_guard guard(m_lock);
    return m_heard;
}

std::int32_t DigitalPlayer::nextFrame() const {
    std::lock_guard guard(m_lock);
    return m_next;
}

bool DigitalPlayer::playing() const {
    std::lock_guard guard(m_lock);
    return m_active;
}

bool DigitalPlayer::winding() const {
    std::lock_guard guard(m_lock);
    return std::any_of(m_slots.begin(), m_slots.end(),
                       [this](const Slot& slot) { return slot.inFlight && slot.run != m_run; });
}

bool DigitalPlayer::waitUntilIdle(std::optional<std::chrono::milliseconds> timeout) {
    std::unique_lock lock(m_lock);
    if (!timeout) {
        m_wake.wait(lock, [this] { return idle(); });
        return true;
    }
    return m_wake.wait_for(lock, *timeout, [this] { return idle(); });
}

void DigitalPlayer::waveDone(HWAVE device, unsigned message, uintptr_t instance, WAVEHDR* header) {
    if (message != WOM_DONE || header == nullptr) return;
    // A device that has failed hands buffers back unplayed; asked before taking our lock, as
    // the service takes locks of its own.
    const bool failed = waveDeviceFailed(device);
    reinterpret_cast<DigitalPlayer*>(instance)->bufferDone(header->dwUser, failed);
}

void DigitalPlayer::bufferDone(std::size_t index, bool failed) {
    {
        std::lock_guard guard(m_lock);
        Slot& slot = m_slots[index];
        slot.inFlight = false;
        slot.busy = false;
        if (failed && !m_broken) {
            // The run ends here; the device is closed once the rest has come back.
            m_broken = true;
            m_reading = false;
        }
        if (slot.run == m_run && !m_broken) m_heard = slot.start + slot.frames;
        settle();
    }
    m_wake.notify_all();
}

void DigitalPlayer::threadMain() {
    std::unique_lock lock(m_lock);
    while (true) {
        m_wake.wait(lock, [this] {
            return (m_reading && !m_broken && (m_next >= m_end || freeSlot() != nullptr)) ||
                   (m_wave != 0 && !m_reading && !anyBusy()) || (m_quit && m_wave == 0);
        });
        if (m_reading && !m_broken && m_next >= m_end) {
            m_reading = false;
            settle();
        } else if (Slot* slot = m_reading && !m_broken ? freeSlot() : nullptr) {
            readAndQueue(lock, *slot);
        } else if (m_wave != 0 && !m_reading && !anyBusy()) {
            closeDevice(lock);
        } else if (m_quit && m_wave == 0) {
            break;
        }
        m_wake.notify_all();
    }
}

void DigitalPlayer::readAndQueue(std::unique_lock<std::mutex>& lock, Slot& slot) {
    const unsigned run = m_run;
    const std::int32_t start = m_next;
    const std::int32_t frames =
        std::min<std::int32_t>(static_cast<std::int32_t>(kCdMaxReadFrames), m_end - m_next);
    const CdHandle disc = m_disc;
    slot.busy = true;

    // The read may take a while on a real drive; the owner may halt or move meanwhile.
    lock.unlock();
    auto* head = reinterpret_cast<CdReadBuffer*>(slot.memory.data());
    *head = CdReadBuffer{};
    head->startFrame = static_cast<std::uint32_t>(start);
    head->frameCount = static_cast<std::uint32_t>(frames);
    head->capacity = kCdMaxReadFrames * kCdFrameBytes;
    const auto bytes = static_cast<std::uint32_t>(frames) * kCdFrameBytes;
    const bool read = ReadCDAudioLBA(disc, head) == 1 && head->byteCount == bytes &&
                      head->dataOffset + bytes <= head->capacity;
    lock.lock();

    if (run != m_run || start != m_next || !m_reading) {
        slot.busy = false;  // no longer wanted
        settle();
        return;
    }
    if (!read) {
        // An unreadable disc ends the run; what was queued before still sounds.
        slot.busy = false;
        m_reading = false;
        settle();
        return;
    }
    slot.run = run;
    slot.start = start;
    slot.frames = frames;
    slot.inFlight = true;
    m_next = start + frames;
    const HWAVE wave = m_wave;
    WAVEHDR& header = slot.header;
    if ((header.dwFlags & WHDR_PREPARED) != 0) waveOutUnprepareHeader(wave, &header, sizeof header);
    header = WAVEHDR{};
    header.lpData = CdReadBufferData(head) + head->dataOffset;
    header.dwBufferLength = bytes;
    header.dwUser = static_cast<uintptr_t>(&slot - m_slots.data());

    lock.unlock();
    MMRESULT result = waveOutPrepareHeader(wave, &header, sizeof header);
    if (result == MMSYSERR_NOERROR) result = waveOutWrite(wave, &header, sizeof header);
    lock.lock();
    if (result != MMSYSERR_NOERROR) {
        slot.inFlight = false;
        slot.busy = false;
        m_broken = true;
        m_reading = false;
        settle();
    }
}

void DigitalPlayer::closeDevice(std::unique_lock<std::mutex>& lock) {
    m_closing = true;
    const HWAVE wave = m_wave;
    for (Slot& slot : m_slots) {
        if ((slot.header.dwFlags & WHDR_PREPARED) != 0)
            waveOutUnprepareHeader(wave, &slot.header, sizeof slot.header);
    }
    lock.unlock();
    waveOutClose(wave);  // lets the sound card finish what it holds
    lock.lock();
    m_wave = 0;
    m_closing = false;
    m_broken = false;
}

void DigitalPlayer::settle() {
    if (!m_active || m_reading) return;
    const bool sounding = std::any_of(m_slots.begin(), m_slots.end(), [this](const Slot& slot) {
        return slot.busy && slot.run == m_run;
    });
    if (!sounding) m_active = false;
}

DigitalPlayer::Slot* DigitalPlayer::freeSlot() {
    for (Slot& slot : m_slots)
        if (!slot.busy) return &slot;
    return nullptr;
}

bool DigitalPlayer::anyBusy() const {
    return std::any_of(m_slots.begin(), m_slots.end(), [](const Slot& slot) { return slot.busy; });
}

bool DigitalPlayer::idle() const {
    return m_wave == 0 && !m_closing && !m_reading && !anyBusy();
}

}  // namespace quillon::cdplayer
