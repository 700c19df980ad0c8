// Whole sample frames from a source whose deliveries may split a frame. Sources hand out
// bytes in blocks of their own size (32768 bytes from a WAV file), which are not multiples
// of the frame size of every layout (24-bit stereo has 6-byte frames); a consumer that took
// only the whole frames of each delivery would drop the tail and read every later sample
// out of place. The bytes of a split frame are kept here and put in front of the next read.
#pragma once

#include <array>
#include <cstdint>

#include "ACS_Classes.h"

class FrameCarry {
  public:
    // Starts a run with frames of frameBytes bytes; raises when a frame is larger than
    // anything this can carry.
    void reset(int frameBytes);
    // Fills buffer (capacity bytes, at least one frame) with the carried bytes and what the
    // source delivers next, and returns the bytes of whole frames at its start; the rest is
    // carried to the next call. Reads again while not even one frame came together. 0 means
    // the end of the data; a partial frame left at the end is dropped.
    int read(TACSInput& source, uint8_t* buffer, int capacity);
    int carried() const { return m_carried; }

    // The largest frame: 8 channels of 32 bits would do, but WAV files may declare more.
    static constexpr int kMaxFrameBytes = 1024;

  private:
    int m_frameBytes = 1;
    int m_carried = 0;
    std::array<uint8_t, kMaxFrameBytes> m_bytes{};
};
