// The ID3v2 tag reader and rewriter on arbitrary files: whatever it reads must save and read
// back the same, an edited field must read back as edited, and a save that refuses must leave
// the file as it was.
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool sameFields(const TID3v2& a, const TID3v2& b) {
    return a.Title() == b.Title() && a.Artist() == b.Artist() && a.Album() == b.Album() &&
           a.Track() == b.Track() && a.Year() == b.Year() && a.Genre() == b.Genre() &&
           a.Comment() == b.Comment();
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

    // Half the inputs also get an edit, chosen by the input's last byte.
    const bool edit = size > 0 && (data[size - 1] & 1);
    if (edit) {
        tag.SetTitle("Fuzzed \u00DF");
        tag.SetTrack(static_cast<uint8_t>(tag.Track() + 1));
    }
    std::vector<std::string> unkept;
    if (!tag.SaveToFile(path, &unkept)) {
        check(!unkept.empty(), "save failed without naming a frame");
        check(contents(path) == std::string(reinterpret_cast<const char*>(data), size),
              "a refused save changed the file");
        return 0;
    }
    TID3v2 again;
    check(again.ReadFromFile(path), "saved file unreadable");
    check(again.Exists() && again.VersionID() == 3, "saved tag not version 2.3");
    check(sameFields(again, tag), "fields changed by a save");
    return 0;
}
