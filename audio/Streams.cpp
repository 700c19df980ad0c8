#include "Streams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "ACS_Classes.h"

namespace {
std::string systemReason() {
    return std::strerror(errno);
}
}  // namespace

FileStream::FileStream(const std::string& path, Mode mode) : m_path(path) {
    if (mode == Mode::Read)
        m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    else
        m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (m_fd < 0) {
        const std::string verb = mode == Mode::Read ? "open" : "create";
        throw EACSException("Cannot " + verb + " file \"" + path + "\": " + systemReason());
    }
    if (mode == Mode::Read) {
        struct stat info {};
        if (::fstat(m_fd, &info) == 0 && S_ISDIR(info.st_mode)) {
            ::close(m_fd);
            m_fd = -1;
            throw EACSException("Cannot open file \"" + path + "\": it is a folder");
        }
    }
}

FileStream::~FileStream() {
    if (m_fd >= 0) ::close(m_fd);
}

int64_t FileStream::read(void* buffer, int64_t count) {
    auto* out = static_cast<char*>(buffer);
    int64_t done = 0;
    while (done < count) {
        const ssize_t got = ::read(m_fd, out + done, static_cast<size_t>(count - done));
        if (got < 0) {
            if (errno == EINTR) continue;
            throw EACSException("Stream read error: " + systemReason());
        }
        if (got == 0) break;
        done += got;
    }
    return done;
}

void FileStream::write(const void* buffer, int64_t count) {
    const auto* in = static_cast<const char*>(buffer);
    int64_t done = 0;
    while (done < count) {
        const ssize_t put = ::write(m_fd, in + done, static_cast<size_t>(count - done));
        if (put < 0) {
            if (errno == EINTR) continue;
            throw EACSException("Stream write error: " + systemReason());
        }
        if (put == 0) throw EACSException("Stream write error: nothing was written");
        done += put;
    }
}

int64_t FileStream::seek(int64_t offset, int whence) {
    const off_t result = ::lseek(m_fd, offset, whence);
    if (result < 0) throw EACSException("Stream seek error: " + systemReason());
    return result;
}

int64_t FileStream::position() {
    return seek(0, SEEK_CUR);
}

int64_t FileStream::size() {
    struct stat info {};
    if (::fstat(m_fd, &info) != 0) throw EACSException("Stream error: " + systemReason());
    return info.st_size;
}

bool FileStream::regularFile() {
    struct stat info {};
    return ::fstat(m_fd, &info) == 0 && S_ISREG(info.st_mode);
}

void FileStream::close() {
    if (m_fd < 0) return;
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && errno != EINTR)
        throw EACSException("Stream write error: " + systemReason());
}

int64_t MemoryStream::read(void* buffer, int64_t count) {
    const int64_t available = std::max<int64_t>(size() - m_position, 0);
    const int64_t n = std::clamp<int64_t>(count, 0, available);
    std::copy_n(m_bytes.data() + m_position, n, static_cast<uint8_t*>(buffer));
    m_position += n;
    return n;
}

void MemoryStream::write(const void* buffer, int64_t count) {
    if (m_position + count > size()) m_bytes.resize(static_cast<size_t>(m_position + count));
    std::copy_n(static_cast<const uint8_t*>(buffer), count, m_bytes.data() + m_position);
    m_position += count;
}

int64_t MemoryStream::seek(int64_t offset, int whence) {
    const int64_t base = whence == SEEK_CUR ? m_position : whence == SEEK_END ? size() : 0;
    if (base + offset < 0) throw EACSException("Stream seek error: before the start");
    m_position = base + offset;
    return m_position;
}
