// Feeds arbitrary sheets to the CUE and TOC sheet readers of the disc image drives.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "ImageSheets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view sheet(reinterpret_cast<const char*>(data), size);
    quillon::cdrom::cueDeclaresBigEndian(sheet);
    const auto prepared = quillon::cdrom::prepareTocSheet(sheet, "/base dir/discs");
    // Only file names grow; nothing of the sheet is lost.
    if (prepared && prepared->size() < sheet.size()) std::abort();
    return 0;
}
