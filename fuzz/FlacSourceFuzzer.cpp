// Feeds arbitrary bytes through the FLAC source.
#include "ACS_FLAC.h"
#include "FuzzFile.h"
#include "SourceProbe.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzFile file(data, size);
    if (!file.ok()) return 0;
    TFlacIn source;
    source.SetFileName(file.path());
    // A tiny file can claim hours of sound; decoding a bounded amount is enough to probe it.
    probeSource(source, data, size, 8192, int64_t{1} << 24);
    return 0;
}
