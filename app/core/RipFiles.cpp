#include "RipFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "AtomicReplace.h"
#include "NamingTemplate.h"
#include "SafeFileName.h"

namespace {

bool writeAll(int out, const std::string& text) {
    const char* at = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t written = ::write(out, at, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        at += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

std::string writeOne(const std::string& path, const std::string& text) {
    struct stat original {};
    const bool exists = ::stat(path.c_str(), &original) == 0;
    std::string error;
    if (replaceAtomically(
            path, exists ? &original : nullptr, ".quillon-", ".tmp",
            [&text](int out) { return writeAll(out, text); }, error))
        return {};
    return "Cannot write " + path + ": " + error;
}

}  // namespace

std::string ripFilesBaseName(const RipReport& report) {
    const std::string album = trimmedName(report.album);
    if (album.empty()) return "rip";
    // Named as the playlist is, so no album name makes a hidden file or a folder.
    NamingFields fields;
    fields.album = album;
    fields.title = "rip";
    return safeFileName(namedPath("{album}", fields));
}

std::string writeRipFiles(const std::string& folder, const RipReport& report) {
    const std::string base = outputPath(folder, ripFilesBaseName(report));
    std::string error = writeOne(base + ".log", ripLogText(report));
    const std::string cueError = writeOne(base + ".cue", cueSheetText(report));
    if (!cueError.empty()) error += (error.empty() ? "" : "\n") + cueError;
    return error;
}
