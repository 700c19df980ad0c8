#include "FileReplace.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "AtomicReplace.h"

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

}  // namespace

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
    std::string error;
    return replaceAtomically(path, &original, path + "~", "", fill, error);
}
