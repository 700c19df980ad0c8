#include "IniStorage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

#include "TemporaryFile.h"

namespace inifile {

namespace {

class Fd {
  public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0) ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Closes now and tells whether the close succeeded, which on some file systems is where
    // a failed write shows.
    bool close() {
        const int result = ::close(m_fd);
        m_fd = -1;
        return result == 0;
    }

  private:
    int m_fd;
};

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

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Where the content really lives: the file a symbolic link names, not the link.
std::string resolveTarget(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    std::error_code error;
    const auto resolved = std::filesystem::weakly_canonical(path, error);
    return error ? path : resolved.string();
}

std::string temporaryName(const std::filesystem::path& target) {
    thread_local std::mt19937_64 random{std::random_device{}()};
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string suffix;
    for (int i = 0; i < 12; ++i)
        suffix += kDigits[random() % 16];
    const std::filesystem::path folder =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    return (folder / ("." + target.filename().string() + "." + suffix + ".tmp")).string();
}

// Makes the rename durable. The replacement has already happened when this runs, so a
// failure here is not reported.
void syncFolder(const std::filesystem::path& target) {
    const std::filesystem::path folder =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.valid()) ::fsync(dir.get());
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
    Fd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid()) {
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

    std::string name;
    int created = -1;
    for (int attempt = 0; attempt < 100 && created < 0; ++attempt) {
        name = temporaryName(target);
        created = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (created < 0 && errno != EEXIST) break;
    }
    if (created < 0) {
        error = failure("cannot create a file beside", target.string(), errno);
        return false;
    }
    Fd out(created);
    TemporaryFile temporary(name);

    if (exists) {
        // Owner first, as a change of owner may clear permission bits. Only a privileged
        // process may give a file away; otherwise the file stays the writer's own.
        if (original.st_uid != ::geteuid() || original.st_gid != ::getegid()) {
            if (::fchown(out.get(), original.st_uid, original.st_gid) != 0) {
                // Left with the writer's ownership.
            }
        }
        if (::fchmod(out.get(), original.st_mode & 07777) != 0) {
            error = failure("cannot set the permissions of", name, errno);
            return false;
        }
    }
    if (!writeAll(out.get(), bytes)) {
        error = failure("cannot write", name, errno);
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
        error = failure("cannot replace", target.string(), errno);
        return false;
    }
    temporary.keep();
    syncFolder(target);
    return true;
}

}  // namespace inifile
