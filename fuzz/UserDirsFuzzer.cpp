// The reader of the desktop's user-dirs.dirs on arbitrary text: it answers an empty path or an
// absolute one.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "UserPaths.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::filesystem::path found =
        quillon::paths::userDirFromText(text, "MUSIC", "/home/fuzz");
    if (!found.empty() && !found.is_absolute()) {
        std::fprintf(stderr, "fuzz_user_dirs: relative answer %s\n", found.c_str());
        std::abort();
    }
    return 0;
}
