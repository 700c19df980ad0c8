// Reading interleaved little-endian PCM samples of 8 (unsigned), 16, 24 or 32 bits.
#pragma once

#include <cstdint>

// The sample at p as a float in [-1, 1); 16-bit samples become s / 32768 exactly.
inline float pcmSampleToFloat(const uint8_t* p, int bytesPerSample) {
    switch (bytesPerSample) {
        case 1:
            return static_cast<float>(int{p[0]} - 128) / 128.0f;
        case 3: {
            const int32_t v = static_cast<int32_t>(uint32_t{p[0]} << 8 | uint32_t{p[1]} << 16 |
                                                   uint32_t{p[2]} << 24) >>
                              8;
            return static_cast<float>(v) / 8388608.0f;
        }
        case 4: {
            const int32_t v = static_cast<int32_t>(uint32_t{p[0]} | uint32_t{p[1]} << 8 |
                                                   uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24);
            return static_cast<float>(static_cast<double>(v) / 2147483648.0);
        }
        default:
            return static_cast<float>(static_cast<int16_t>(p[0] | p[1] << 8)) / 32768.0f;
    }
}

// The sample at p reduced or widened to 16 bits.
inline int16_t pcmSampleTo16(const uint8_t* p, int bytesPerSample) {
    switch (bytesPerSample) {
        case 1:
            return static_cast<int16_t>((int{p[0]} - 128) * 256);
        case 3:
            return static_cast<int16_t>(p[1] | p[2] << 8);
        case 4:
            return static_cast<int16_t>(p[2] | p[3] << 8);
        default:
            return static_cast<int16_t>(p[0] | p[1] << 8);
    }
}

// Bytes one sample takes for a bit depth; the sinks that encode accept these four.
inline int pcmBytesPerSample(int bits) {
    return bits <= 8 ? 1 : bits <= 16 ? 2 : bits <= 24 ? 3 : 4;
}
