// Feeds arbitrary bytes to the WAV header parser and through the WAV source.
#include <vector>

#include "ACS_Wave.h"
#include "FuzzFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryStream memory(std::vector<uint8_t>(data, data + size));
    WaveLayout layout;
    if (ParseWaveLayout(memory, layout)) {
        if (layout.dataOffset + layout.dataSize > static_cast<int64_t>(size)) __builtin_trap();
    }
    CheckWaveHeader(memory);

    FuzzFile file(data, size);
    if (!file.ok()) return 0;
    TWaveIn source;
    source.SetFileName(file.path());
    try {
        source.InChannels();
        source.TotalTime();
        source.Init();
    } catch (const EACSException&) {
        return 0;
    }
    uint8_t chunk[32768];
    int64_t total = 0;
    if (size > 64) source.Jump(data[size - 1] % 120 - 10);
    while (const int n = source.ReadData(chunk, sizeof chunk))
        total += n;
    // Never more sound than the file holds.
    if (total > static_cast<int64_t>(size)) __builtin_trap();
    source.Flush();
    return 0;
}
