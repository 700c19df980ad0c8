#include "AtomicReplace.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

#include "TemporaryFile.h"
#include "UniqueFd.h"

namespace {

std::string failure(const std::string& what, const std::string& path, int code) {
    return what + " " + path + ": " + std::strerror(code);
}

std::string randomPart() {
    thread_local std::mt19937_64 random{std::random_device{}()};
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string part;
    for (int i = 0; i < 12; ++i)
        part += kDigits[random() % 16];
    return part;
}

}  // namespace

UniqueFd createUniqueFile(const std::string& prefix, const std::string& suffix, std::string& name) {
    UniqueFd out;
    for (int attempt = 0; attempt < 100 && !out; ++attempt) {
        name = prefix + randomPart() + suffix;
        out = UniqueFd(::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (!out && errno != EEXIST) break;
    }
    return out;
}

bool takeOverPermissions(int fd, const struct stat& original) {
    // Owner first, as a change of owner may clear permission bits. Otherwise the new file keeps
    // the writer's own ownership, as any rewrite by them would.
    if (original.st_uid != ::geteuid() || original.st_gid != ::getegid()) {
        if (::fchown(fd, original.st_uid, original.st_gid) != 0 &&
            ::fchown(fd, static_cast<uid_t>(-1), original.st_gid) != 0) {
            // Left with the writer's ownership.
        }
    }
    return ::fchmod(fd, original.st_mode & 07777) == 0;
}

void takePermissionsOf(const std::string& replaced, const std::string& path) {
    struct stat original {};
    if (::stat(replaced.c_str(), &original) != 0 || !S_ISREG(original.st_mode)) return;
    if (UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW)); file)
        (void)takeOverPermissions(file.get(), original);
}

void syncFolderOf(const std::string& path) {
    const std::filesystem::path file(path);
    const std::filesystem::path folder =
        file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
    UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir) ::fsync(dir.get());
}

bool replaceAtomically(const std::string& target, const struct stat* original,
                       const std::string& temporaryPrefix, const std::string& temporarySuffix,
                       const std::function<bool(int out)>& fill, std::string& error) {
    std::string name;
    UniqueFd out = createUniqueFile(temporaryPrefix, temporarySuffix, name);
    if (!out) {
        error = failure("cannot create a file beside", target, errno);
        return false;
    }
    TemporaryFile temporary(name);

    if (original && !takeOverPermissions(out.get(), *original)) {
        error = failure("cannot set the permissions of", name, errno);
        return false;
    }
    errno = 0;
    if (!fill(out.get())) {
        error = failure("cannot write", name, errno ? errno : EIO);
        return false;
    }
    if (::fsync(out.get()) != 0) {
        error = failure("cannot flush", name, errno);
        return false;
    }
    if (!out.close()) {
        error = failure("cannot close", name, errno);
        return false;
    }
    if (::rename(temporary.path().c_str(), target.c_str()) != 0) {
        error = failure("cannot replace", target, errno);
        return false;
    }
    temporary.keep();
    syncFolderOf(target);
    return true;
}
