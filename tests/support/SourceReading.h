// Reading a source through as a sink would, for the tests of the sources.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ACS_Classes.h"

// Everything the source delivers from its start, up to `limit` bytes, asked for in odd-sized
// reads so that no block boundary lines up by chance.
inline std::vector<uint8_t> readAll(TACSInput& source, std::size_t limit = std::size_t{1} << 30) {
    std::vector<uint8_t> out;
    std::vector<uint8_t> chunk(10007);
    source.Init();
    while (out.size() < limit) {
        const int n = source.ReadData(chunk.data(), static_cast<int>(chunk.size()));
        if (n <= 0) break;
        out.insert(out.end(), chunk.begin(), chunk.begin() + n);
    }
    source.Flush();
    return out;
}
