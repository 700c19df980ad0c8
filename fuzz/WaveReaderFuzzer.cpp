// Feeds arbitrary bytes to the WAV header parser and through the WAV source.
#include <vector>

#include "ACS_Wave.h"
#include "FuzzFile.h"
#include "SourceProbe.h"

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
    // Never more sound than the file holds.
    if (probeSource(source, data, size, 32768, INT64_MAX) > static_cast<int64_t>(size))
        __builtin_trap();
    return 0;
}
