#include "SkinDirectory.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <set>

#include "AtomicReplace.h"
#include "UniqueFd.h"

namespace fs = std::filesystem;

namespace {

std::string lowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return text;
}

// A name that stays inside the folder it is written to.
bool plainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

}  // namespace

std::vector<SkinEntry> ReadSkinDirectory(const fs::path& folder) {
    std::error_code error;
    if (!fs::is_directory(folder, error))
        throw SkinDirectoryError("not a folder: " + folder.string());
    std::vector<fs::path> files;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        if (it->is_regular_file(error)) files.push_back(it->path());
    if (error) throw SkinDirectoryError("cannot list " + folder.string() + ": " + error.message());
    if (files.size() > TSkinReader::kMaxEntries)
        throw SkinDirectoryError(folder.string() + " holds " + std::to_string(files.size()) +
                                 " files; a skin holds at most " +
                                 std::to_string(TSkinReader::kMaxEntries));
    std::sort(files.begin(), files.end(),
              [](const fs::path& a, const fs::path& b) { return a.filename() < b.filename(); });
    const auto description = std::find_if(files.begin(), files.end(), [](const fs::path& file) {
        return lowerAscii(file.extension().string()) == ".ini";
    });
    if (description == files.end())
        throw SkinDirectoryError(folder.string() + " holds no description (*.ini)");
    std::rotate(description, description + 1, files.end());

    std::vector<SkinEntry> entries;
    for (const fs::path& file : files) {
        const std::string name = file.filename().string();
        if (name.find_first_of("\r\n") != std::string::npos)
            throw SkinDirectoryError("a skin entry name cannot hold a line break: " +
                                     file.string());
        entries.emplace_back(name, ReadWholeFile(file));
    }
    return entries;
}

std::vector<std::uint8_t> ReadWholeFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw SkinDirectoryError("cannot read " + file.string() + ": " + std::strerror(errno));
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    if (in.bad()) throw SkinDirectoryError("cannot read " + file.string());
    return bytes;
}

void WriteFileAtomically(const fs::path& file, std::span<const std::uint8_t> bytes) {
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    const std::string prefix = (folder / ("." + file.filename().string() + ".")).string();
    // A file written again keeps its permissions; a new one gets what the umask allows.
    struct stat original {};
    const bool exists = ::stat(file.c_str(), &original) == 0 && S_ISREG(original.st_mode);
    std::string error;
    if (!replaceAtomically(
            file.string(), exists ? &original : nullptr, prefix, ".tmp",
            [bytes](int out) { return writeAll(out, bytes.data(), bytes.size()); }, error))
        throw SkinDirectoryError("cannot write " + file.string() + ": " + error);
}

std::vector<std::string> UnpackSkinFile(std::span<const std::uint8_t> skinFile,
                                        const fs::path& folder) {
    TSkinReader reader;
    switch (reader.OpenSkin(skinFile)) {
        case TSkinReader::OpenResult::ok:
            break;
        case TSkinReader::OpenResult::olderVersion:
            throw SkinDirectoryError("an older skin file (" + reader.errorText() + ")");
        case TSkinReader::OpenResult::damaged:
            throw SkinDirectoryError("not a skin file or damaged (" + reader.errorText() + ")");
    }
    std::vector<std::string> unique;
    std::vector<std::string> skipped;
    std::set<std::string> seen;
    for (const std::string& name : reader.names()) {
        if (!plainFileName(name))
            throw SkinDirectoryError("the skin holds an entry that is not a plain file name: \"" +
                                     name + "\"");
        if (seen.insert(name).second)
            unique.push_back(name);
        else
            skipped.push_back(name);
    }

    std::error_code error;
    const bool created = fs::create_directories(folder, error);
    if (error)
        throw SkinDirectoryError("cannot create " + folder.string() + ": " + error.message());
    std::vector<fs::path> written;
    try {
        for (const std::string& name : unique) {
            const fs::path target = folder / name;
            const bool existed = fs::exists(target, error);
            WriteFileAtomically(target, reader.ExtractFile(name));
            if (!existed) written.push_back(target);
        }
    } catch (...) {
        for (const fs::path& file : written)
            fs::remove(file, error);
        if (created) fs::remove(folder, error);
        throw;
    }
    return skipped;
}
