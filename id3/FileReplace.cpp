#include "FileReplace.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <vector>

#include "TemporaryFile.h"

namespace {

// What one copy_file_range call is asked to copy: large enough to cost few calls, small
// enough that a signal is answered soon.
constexpr size_t kCopyChunk = size_t{1} << 23;

// Starts writing what was copied so far to the disk without waiting for it. The replacement
// is flushed before it takes the file's name; starting early lets the disk work while the
// copy goes on, so that the flush at the end waits only for the last part.
void startWriteback(int out) {
    ::sync_file_range(out, 0, 0, SYNC_FILE_RANGE_WRITE);
}

// Makes a rename in the folder durable. The replacement has already happened when this runs,
// so a failure here is not reported.
void syncFolder(const std::string& folder) {
    UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir) ::fsync(dir.get());
}

}  // namespace

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        reset();
        m_fd = other.release();
    }
    return *this;
}

int UniqueFd::release() {
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

void UniqueFd::reset() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

bool UniqueFd::close() {
    if (m_fd < 0) return false;
    const int result = ::close(m_fd);
    m_fd = -1;
    return result == 0;
}

UniqueFd openRegularFile(const std::string& path, struct stat& info) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return UniqueFd();
    return fd;
}

ssize_t readAt(int fd, void* buffer, size_t count, off_t offset) {
    size_t done = 0;
    while (done < count) {
        const ssize_t n = ::pread(fd, static_cast<char*>(buffer) + done, count - done,
                                  offset + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        done += static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

bool writeAll(int fd, const void* data, size_t count) {
    size_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(fd, static_cast<const char*>(data) + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool copyToEnd(int in, off_t offset, int out) {
    // The kernel copies between the files itself, which spares the round trip of every byte
    // through this process and lets file systems that can share blocks do so.
    for (;;) {
        const ssize_t n = ::copy_file_range(in, &offset, out, nullptr, kCopyChunk, 0);
        if (n > 0) {
            startWriteback(out);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        // Some file systems and kernels cannot copy between these two files; and a file
        // system that answers 0 early must not end the copy, so the plain copy below carries
        // on and confirms the end.
        if (n < 0 && errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP)
            return false;
        break;
    }
    std::vector<char> buffer(1 << 20);
    size_t unflushed = 0;
    for (;;) {
        const ssize_t n = readAt(in, buffer.data(), buffer.size(), offset);
        if (n < 0) return false;
        if (n == 0) return true;
        if (!writeAll(out, buffer.data(), static_cast<size_t>(n))) return false;
        offset += n;
        unflushed += static_cast<size_t>(n);
        if (unflushed >= kCopyChunk) {
            startWriteback(out);
            unflushed = 0;
        }
    }
}

bool mayModify(const std::string& path, const struct stat& info) {
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0 || info.st_uid == ::geteuid();
}

bool replaceFile(const std::string& path, const struct stat& original,
                 const std::function<bool(int out)>& fill) {
    std::string name = path + "~XXXXXX";
    UniqueFd out(::mkostemp(name.data(), O_CLOEXEC));
    if (!out) return false;
    TemporaryFile temporary(name);

    // Owner first: a change of owner may clear permission bits. Only a privileged process
    // may give the file away, and a group only to one of the user's groups; otherwise the
    // new file keeps the user's own ownership, as any rewrite by them would.
    if (original.st_uid != ::geteuid() || original.st_gid != ::getegid()) {
        if (::fchown(out.get(), original.st_uid, original.st_gid) != 0 &&
            ::fchown(out.get(), static_cast<uid_t>(-1), original.st_gid) != 0) {
            // Left with the user's ownership.
        }
    }
    if (::fchmod(out.get(), original.st_mode & 07777) != 0) return false;

    if (!fill(out.get()) || ::fsync(out.get()) != 0 || !out.close()) return false;
    if (::rename(temporary.path().c_str(), path.c_str()) != 0) return false;
    temporary.keep();
    syncFolder(std::filesystem::path(path).parent_path().string());
    return true;
}
