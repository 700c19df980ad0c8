#include "ACS_AudioMix.h"

#include <cstring>

#include "VolumeScale.h"

namespace {

int16_t load16(const uint8_t* p) {
    return static_cast<int16_t>(p[0] | p[1] << 8);
}
void store16(uint8_t* p, int v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(static_cast<unsigned>(v) >> 8);
}

}  // namespace

void TAudioMixer::MixBuffers(const uint8_t* a, uint8_t* b, int n, uint8_t volume1,
                             uint8_t volume2) {
    const int samples = n / 2;
    if (volume1 == 255 && volume2 == 255) {
        for (int i = 0; i < samples; ++i)
            store16(b + 2 * i, (load16(a + 2 * i) + load16(b + 2 * i)) / 2);
        return;
    }
    const int16_t* scale1 = volumeScaleTable(volume1);
    const int16_t* scale2 = volumeScaleTable(volume2);
    for (int i = 0; i < samples; ++i)
        store16(b + 2 * i, (scale1[load16(a + 2 * i)] + scale2[load16(b + 2 * i)]) / 2);
}

TACSInput& TAudioMixer::firstInput() const {
    if (!m_input1) throw EACSException("Input not assigned");
    return *m_input1;
}

int TAudioMixer::InBitsPerSample() {
    return firstInput().InBitsPerSample();
}
int TAudioMixer::InChannels() {
    return firstInput().InChannels();
}
int TAudioMixer::InSampleRate() {
    return firstInput().InSampleRate();
}

bool TAudioMixer::readsFile(const std::string& path) const {
    return (m_input1 && m_input1->readsFile(path)) || (m_input2 && m_input2->readsFile(path));
}

void TAudioMixer::checkFormats() {
    const int bits1 = m_input1->InBitsPerSample();
    const int channels1 = m_input1->InChannels();
    const int rate1 = m_input1->InSampleRate();
    const int bits2 = m_input2->InBitsPerSample();
    const int channels2 = m_input2->InChannels();
    const int rate2 = m_input2->InSampleRate();
    // Joining or mixing sound of two layouts would play one of them at the wrong speed.
    if (bits1 != bits2 || channels1 != channels2 || rate1 != rate2) {
        auto describe = [](int rate, int bits, int channels) {
            return std::to_string(rate) + " Hz, " + std::to_string(bits) + " bits, " +
                   std::to_string(channels) + (channels == 1 ? " channel" : " channels");
        };
        throw EACSException("The two inputs differ in format (" +
                            describe(rate1, bits1, channels1) + " and " +
                            describe(rate2, bits2, channels2) + ")");
    }
    if (m_mode == amMix && bits1 != 16) throw EACSException("Only 16-bit sound can be mixed");
}

void TAudioMixer::Init() {
    if (!m_input1) throw EACSException("Input1 not assigned");
    if (!m_input2) throw EACSException("Input2 not assigned");
    m_input1->Init();
    try {
        m_input2->Init();
        try {
            checkFormats();
        } catch (...) {
            m_input2->Flush();
            throw;
        }
    } catch (...) {
        m_input1->Flush();
        throw;
    }
    m_busy = true;
    m_position = 0;
    resetBlockCursor();
    m_ended1 = false;
    m_ended2 = false;
    m_bytes1 = 0;
    m_frameBytes = std::max(1, m_input1->InChannels() * ((m_input1->InBitsPerSample() + 7) / 8));
    const int64_t size1 = m_input1->Size();
    const int64_t size2 = m_input2->Size();
    if (m_mode == amMix)
        m_size = size1 > size2 ? size1 : size2;
    else
        m_size = (size1 < 0 || size2 < 0) ? -1 : size1 + size2;
}

void TAudioMixer::Flush() {
    m_input1->Flush();
    m_input2->Flush();
    m_busy = false;
}

int TAudioMixer::ReadData(void* buffer, int count) {
    return deliverFromBlock(m_blockB.data(), buffer, count, [this] { return refill(); });
}

int TAudioMixer::fillFrom(TACSInput* input, uint8_t* block, bool& ended) {
    int filled = 0;
    const int capacity = static_cast<int>(m_blockA.size());
    while (!ended && filled < capacity) {
        const int got = input->ReadData(block + filled, capacity - filled);
        if (got <= 0)
            ended = true;
        else
            filled += got;
    }
    return filled;
}

int TAudioMixer::refill() {
    if (m_ended1 && m_ended2) return 0;
    if (m_mode == amMix) {
        m_blockA.fill(0);
        m_blockB.fill(0);
        const int gotA = fillFrom(m_input1, m_blockA.data(), m_ended1);
        const int gotB = fillFrom(m_input2, m_blockB.data(), m_ended2);
        if (gotA == 0 && gotB == 0) return 0;
        const int valid = std::max(gotA, gotB);
        MixBuffers(m_blockA.data(), m_blockB.data(), valid, m_volume1, m_volume2);
        return valid;
    }
    const int capacity = static_cast<int>(m_blockB.size());
    if (!m_ended1) {
        const int got = m_input1->ReadData(m_blockB.data(), capacity);
        if (got > 0) {
            m_bytes1 += got;
            return got;
        }
        m_ended1 = true;
        if (const int part = static_cast<int>(m_bytes1 % m_frameBytes);
            part != 0 && m_frameBytes <= capacity) {
            const int missing = m_frameBytes - part;
            std::memset(m_blockB.data(), m_input1->InBitsPerSample() <= 8 ? 128 : 0,
                        static_cast<size_t>(missing));
            return missing;
        }
    }
    return std::max(m_input2->ReadData(m_blockB.data(), capacity), 0);
}
