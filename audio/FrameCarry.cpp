#include "FrameCarry.h"

#include <cstring>
#include <string>

void FrameCarry::reset(int frameBytes) {
    if (frameBytes < 1 || frameBytes > kMaxFrameBytes)
        throw EACSException("A sample frame of " + std::to_string(frameBytes) +
                            " bytes is more than this component can take");
    m_frameBytes = frameBytes;
    m_carried = 0;
}

int FrameCarry::read(TACSInput& source, uint8_t* buffer, int capacity) {
    if (capacity < m_frameBytes) throw EACSException("The buffer cannot hold one sample frame");
    int have = m_carried;
    std::memcpy(buffer, m_bytes.data(), static_cast<size_t>(have));
    m_carried = 0;
    while (true) {
        const int got = source.ReadData(buffer + have, capacity - have);
        if (got <= 0) return 0;  // whatever is left of a frame cannot be used
        have += got;
        const int whole = have - have % m_frameBytes;
        if (whole == 0) continue;
        m_carried = have - whole;
        std::memcpy(m_bytes.data(), buffer + whole, static_cast<size_t>(m_carried));
        return whole;
    }
}
