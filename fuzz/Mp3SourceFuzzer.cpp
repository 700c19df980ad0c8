// Feeds arbitrary bytes through the MP3 source.
#include "ACS_Mpg123.h"
#include "FuzzFile.h"
#include "SourceProbe.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzFile file(data, size);
    if (!file.ok()) return 0;
    TMP3In source;
    source.SetFileName(file.path());
    // Frame headers can claim far more sound than the bytes hold; a bounded read probes it.
    probeSource(source, data, size, 8192, int64_t{1} << 24);
    return 0;
}
