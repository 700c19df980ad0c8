#include "IniStorage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "AtomicReplace.h"
#include "UniqueFd.h"

namespace quillon::inifile {

namespace {

bool sameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

FileStamp stampFrom(const struct stat& info) {
    FileStamp stamp;
    stamp.exists = true;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.modified = info.st_mtim;
    stamp.changed = info.st_ctim;
    return stamp;
}

std::string failure(const std::string& what, const std::string& path, int code) {
    return what + " " + path + ": " + std::strerror(code);
}

// Where the content really lives: the file a symbolic link names, not the link.
std::string resolveTarget(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    std::error_code error;
    const auto resolved = std::filesystem::weakly_canonical(path, error);
    return error ? path : resolved.string();
}

}  // namespace

bool FileStamp::operator==(const FileStamp& other) const {
    return exists == other.exists && device == other.device && inode == other.inode &&
           size == other.size && sameTime(modified, other.modified) &&
           sameTime(changed, other.changed);
}

FileStamp stampOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return FileStamp{};
    return stampFrom(info);
}

ReadStatus readWholeFile(const std::string& path, std::string& text, FileStamp& stamp,
                         std::string& error) {
    // Non-blocking, so that a FIFO at the path cannot hang the program; it is refused below.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd) {
        if (errno == ENOENT) {
            text.clear();
            stamp = FileStamp{};
            return ReadStatus::missing;
        }
        error = failure("cannot open", path, errno);
        return ReadStatus::failed;
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) {
        error = failure("cannot examine", path, errno);
        return ReadStatus::failed;
    }
    if (!S_ISREG(info.st_mode)) {
        error = "not a regular file: " + path;
        return ReadStatus::failed;
    }
    std::string content;
    content.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[1 << 14];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = failure("cannot read", path, errno);
            return ReadStatus::failed;
        }
        if (n == 0) break;
        content.append(buffer, static_cast<std::size_t>(n));
    }
    text = std::move(content);
    stamp = stampFrom(info);
    return ReadStatus::ok;
}

bool replaceFile(const std::string& path, std::string_view bytes, std::string& error) {
    const std::filesystem::path target = resolveTarget(path);
    if (!target.has_filename()) {
        error = "no file name: " + path;
        return false;
    }
    struct stat original {};
    const bool exists = ::stat(target.c_str(), &original) == 0;
    if (!exists && errno != ENOENT) {
        error = failure("cannot examine", target.string(), errno);
        return false;
    }
    if (exists) {
        if (!S_ISREG(original.st_mode)) {
            error = "not a regular file: " + target.string();
            return false;
        }
        if ((original.st_mode & 0222) == 0 ||
            ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
            error = "the file is read-only: " + target.string();
            return false;
        }
    }

    const std::filesystem::path folder =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    const std::string prefix = (folder / ("." + target.filename().string() + ".")).string();
    return replaceAtomically(
        target.string(), exists ? &original : nullptr, prefix, ".tmp",
        [bytes](int out) { return writeAll(out, bytes.data(), bytes.size()); }, error);
}

}  // namespace quillon::inifile
