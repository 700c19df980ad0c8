// What the source fuzzers do with a file once it is in place: ask for its format, open it,
// maybe jump, and read a bounded amount. Returns the bytes read, -1 when it would not open.
#pragma once

#include <vector>

#include "ACS_Classes.h"

inline int64_t probeSource(TACSFileIn& source, const uint8_t* data, size_t size, int blockSize,
                           int64_t limit) {
    try {
        source.InChannels();
        source.TotalTime();
        source.Init();
    } catch (const EACSException&) {
        return -1;
    }
    std::vector<uint8_t> chunk(static_cast<size_t>(blockSize));
    int64_t total = 0;
    if (size > 64) source.Jump(data[size - 1] % 120 - 10);
    while (total < limit) {
        const int n = source.ReadData(chunk.data(), blockSize);
        if (n <= 0) break;
        total += n;
    }
    source.Flush();
    return total;
}
