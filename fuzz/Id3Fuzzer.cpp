// The ID3v2 tag reader on arbitrary files; whatever it reads must save and read back the same.
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "ID3v2.h"

namespace {

// One scratch file in a private folder, on a memory file system where there is one: saving
// flushes to disk, which a disk would make slow.
const std::string& scratchFile() {
    static const std::string path = [] {
        const char* base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
        std::string folder = std::string(base) + "/fuzz_id3_XXXXXX";
        if (::mkdtemp(folder.data()) == nullptr) std::abort();
        static const std::string made = folder;
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(made, ignored);
        });
        return folder + "/input.mp3";
    }();
    return path;
}

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz_id3: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = scratchFile();
    {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        check(file != nullptr, "cannot write the scratch file");
        check(size == 0 || std::fwrite(data, 1, size, file) == size, "short write");
        std::fclose(file);
    }
    TID3v2 tag;
    const bool read = tag.ReadFromFile(path);
    check(read == (size >= 10), "read result");
    if (!read) return 0;
    check(tag.Size() == 0 || (tag.Size() >= 10 && static_cast<size_t>(tag.Size()) <= size),
          "tag size outside the file");
    check(tag.Exists() || (tag.Title().empty() && tag.Track() == 0), "fields without a tag");

    check(tag.SaveToFile(path), "save failed");
    TID3v2 again;
    check(again.ReadFromFile(path), "saved file unreadable");
    check(again.Exists() && again.VersionID() == 3, "saved tag not version 2.3");
    check(again.Title() == tag.Title() && again.Artist() == tag.Artist() &&
              again.Album() == tag.Album() && again.Track() == tag.Track() &&
              again.Year() == tag.Year() && again.Genre() == tag.Genre() &&
              again.Comment() == tag.Comment(),
          "fields changed by a save");
    return 0;
}
