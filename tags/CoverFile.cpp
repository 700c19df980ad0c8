#include "CoverFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>

#include "AtomicReplace.h"
#include "CoverImage.h"
#include "TemporaryFile.h"
#include "UniqueFd.h"

namespace {

using Outcome = CoverSaveResult::Outcome;

std::string joinPath(const std::string& folder, const std::string& name) {
    return (std::filesystem::path(folder) / name).string();
}

CoverSaveResult failure(const std::string& what, const std::string& path, int code) {
    return {Outcome::failed, path, what + " " + path + ": " + std::strerror(code)};
}

// Whether the regular file at path holds exactly data.
bool holdsBytes(const std::string& path, const std::vector<std::uint8_t>& data) {
    struct stat info {};
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (!fd || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<std::uint64_t>(info.st_size) != data.size())
        return false;
    std::vector<std::uint8_t> bytes(data.size());
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        done += static_cast<std::size_t>(got);
    }
    return bytes == data;
}

// The answer when the folder has a cover already (of either kind), else nothing.
std::optional<CoverSaveResult> existingCover(const std::string& folder,
                                             const std::vector<std::uint8_t>& data) {
    for (const char* name : {"cover.jpg", "cover.png"}) {
        const std::string path = joinPath(folder, name);
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0) continue;
        return CoverSaveResult{
            holdsBytes(path, data) ? Outcome::alreadySaved : Outcome::keptOther, path, {}};
    }
    return std::nullopt;
}

// Gives the written file its name unless that name is taken: 0, or the errno of the failure
// (EEXIST when it is taken).
int moveIntoPlace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // File systems without the no-replace rename: a hard link also fails on a taken name.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return 0;
    }
    if (errno == EEXIST) return errno;
    // Nor links (some removable media's file systems): the name was free a moment ago.
    if (::access(to.c_str(), F_OK) == 0) return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

}  // namespace

CoverSaveResult saveCover(const CoverArt* cover, const std::string& folder, std::size_t maxBytes) {
    if (!cover || cover->data.empty()) return {};
    const CoverKind kind = coverKind(*cover);
    if (kind == CoverKind::none) return {Outcome::notAPicture, {}, {}};
    if (cover->data.size() > maxBytes) return {Outcome::tooLarge, {}, {}};
    if (auto existing = existingCover(folder, cover->data)) return *existing;

    const std::string target = joinPath(folder, std::string("cover.") + coverExtension(kind));
    std::string name;
    UniqueFd out = createUniqueFile(joinPath(folder, ".cover."), ".part", name);
    if (!out) return failure("cannot create a file in", folder, errno);
    TemporaryFile temporary(name);
    if (!writeAll(out.get(), cover->data.data(), cover->data.size()))
        return failure("cannot write", name, errno);
    if (::fsync(out.get()) != 0) return failure("cannot flush", name, errno);
    if (!out.close()) return failure("cannot write", name, errno);

    if (const int error = moveIntoPlace(name, target); error != 0) {
        // Another writer was quicker; its cover stands.
        if (error == EEXIST)
            if (auto existing = existingCover(folder, cover->data)) return *existing;
        return failure("cannot name", target, error);
    }
    temporary.keep();
    syncFolderOf(target);
    return {Outcome::saved, target, {}};
}
